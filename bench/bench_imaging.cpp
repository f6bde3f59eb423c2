// Speed of the photo routines, as ratios against a baseline measured in the same run:
//  - adding a photo (readable-JPEG proof plus rating) against one 1/8 scaled decode of the
//    same file, and the full-size fast-DCT decode and the naive check-then-rate for scale;
//  - a batch of 100 photos through that pipeline on a worker pool against one thread;
//  - a quarter turn of a 24-megapixel picture against a pixel-by-pixel turn through the
//    picture's pixel getter and setter.
// The photos are generated at the start (12 to 24 megapixels) and removed at the end.
#include "imaging/JpegDecoder.h"
#include "imaging/UBitmapFunctions.h"
#include "imaging/UQuality.h"

#include "JpegWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThreadPool>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The fastest of `runs` runs, in milliseconds.
double fastestMs(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "bench_imaging: %s\n", what);
        std::exit(1);
    }
}

QImage rotatedPixelByPixel(const QImage &source)
{
    const int w = source.width(), h = source.height();
    QImage result(h, w, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            result.setPixel(h - 1 - y, x, source.pixel(x, y));
    return result;
}

// CPU time of all threads of this process, to tell a busy machine from a slow pool.
double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void row(const char *figure, double ms, double baseMs, const char *goal)
{
    std::printf("%-52s %10.1f %8.2fx  %s\n", figure, ms, ms / baseMs, goal);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    require(dir.isValid(), "no temporary folder");

    struct TPhoto { int width, height; TJpegWriteOptions options; QString file; };
    std::vector<TPhoto> photos = {{4000, 3000, {}, {}}, {4608, 3456, {}, {}}, {5184, 3888, {}, {}},
                                  {6000, 4000, {}, {}}};
    photos[1].options.lumaV = 1;  // 4:2:2 like many cameras
    std::printf("Generating %zu photos...\n", photos.size());
    for (size_t i = 0; i < photos.size(); ++i) {
        TPhoto &p = photos[i];
        p.file = dir.filePath(QStringLiteral("foto%1.jpg").arg(i));
        require(WriteFile(p.file, WriteJpeg(PhotoLikePicture(p.width, p.height, uint32_t(i + 1)), p.options)),
                "cannot write a photo");
    }

    const int runs = 5;
    std::printf("\n%-52s %10s %9s  %s\n", "figure", "ms", "ratio", "goal");
    double sumBase = 0, sumPipeline = 0, sumFull = 0, sumNaive = 0;
    for (const TPhoto &p : photos) {
        TDecodeOptions eighth;
        eighth.scale = TDecodeScale::Eighth;
        TDecodeOptions full;
        full.dct = TDctMethod::Fast;
        DecodeJpegFile(p.file, eighth);  // into the file cache
        // The four are measured in turn, round after round, so that a change in the load of
        // the machine touches all of them alike; each keeps its fastest round.
        double base = 1e300, fullMs = 1e300, pipeline = 1e300, naive = 1e300;
        for (int round = 0; round < runs; ++round) {
            base = std::min(base, fastestMs(1, [&] { require(DecodeJpegFile(p.file, eighth).ok(), "decode failed"); }));
            fullMs = std::min(fullMs, fastestMs(1, [&] { require(DecodeJpegFile(p.file, full).ok(), "decode failed"); }));
            pipeline = std::min(pipeline, fastestMs(1, [&] {
                const TAddPhotoCheck check = CheckAndRatePhoto(p.file, 15.0, 10.0);
                require(check.readable && check.qualityError == 0, "check failed");
            }));
            naive = std::min(naive, fastestMs(1, [&] {
                require(DecodeJpegFile(p.file, eighth).ok(), "decode failed");
                const TDecodeResult rated = DecodeJpegFile(p.file, full);
                double side = 15.0;
                RatePixelSides(std::min(rated.picture.width(), rated.picture.height()),
                               std::max(rated.picture.width(), rated.picture.height()), side, 10.0);
            }));
        }
        const QByteArray name = QStringLiteral("%1 x %2 (%3 MP, %4 KB)")
                                    .arg(p.width).arg(p.height).arg(p.width * p.height / 1e6, 0, 'f', 1)
                                    .arg(QFileInfo(p.file).size() / 1024).toLatin1();
        std::printf("%s\n", name.constData());
        row("  (a) one 1/8 scaled decode (baseline)", base, base, "");
        row("  (b) full-size fast-DCT decode", fullMs, base, "");
        row("  naive check-then-rate: (a) + (b)", naive, base, "");
        row("  add-photo pipeline (proof + rating)", pipeline, base, "<= 1.20x");
        sumBase += base; sumPipeline += pipeline; sumFull += fullMs; sumNaive += naive;
    }
    std::printf("all photos\n");
    row("  add-photo pipeline against (a)", sumPipeline, sumBase, "<= 1.20x");
    row("  add-photo pipeline against (b)", sumPipeline, sumFull, "");
    row("  naive check-then-rate against (a)", sumNaive, sumBase, "");

    // 100 photos through the pipeline: one thread, then a pool of every core.
    const int batch = 100;
    std::vector<TAddPhotoCheck> results(batch);
    const auto job = [&](int i) { results[size_t(i)] = CheckAndRatePhoto(photos[size_t(i) % photos.size()].file, 15.0, 10.0); };
    const double single = fastestMs(1, [&] { for (int i = 0; i < batch; ++i) job(i); });
    QThreadPool pool;
    pool.setMaxThreadCount(QThread::idealThreadCount());
    const double cpuBefore = processCpuMs();
    const double pooled = fastestMs(1, [&] {
        for (int i = 0; i < batch; ++i)
            pool.start([&, i] { job(i); });
        pool.waitForDone();
    });
    const double poolCpu = processCpuMs() - cpuBefore;
    for (const TAddPhotoCheck &r : results)
        require(r.readable && r.kwaliteit == 0, "batch result wrong");
    std::printf("batch of %d photos (%zu files in turn), %d threads\n", batch, photos.size(), pool.maxThreadCount());
    row("  one thread (baseline)", single, single, "");
    row("  worker pool", pooled, single, "<= 0.60x");
    std::printf("  cores this process had during the pool run (CPU time / wall time): %.2f\n", poolCpu / pooled);

    // Quarter turn of the 24-megapixel photo.
    TDecodeOptions full;
    const TDecodeResult decoded = DecodeJpegFile(photos.back().file, full);
    require(decoded.ok(), "decode failed");
    QImage reference, fast;
    const double perPixel = fastestMs(1, [&] { reference = rotatedPixelByPixel(decoded.picture); });
    const double banded = fastestMs(runs, [&] { RotateBitmap90(decoded.picture, fast, true, [](int) {}); });
    require(fast == reference, "turns differ");
    std::printf("quarter turn of %d x %d\n", decoded.picture.width(), decoded.picture.height());
    row("  pixel by pixel through pixel()/setPixel() (baseline)", perPixel, perPixel, "");
    row("  RotateBitmap90", banded, perPixel, "<= 0.10x");
    return 0;
}
