// Speed of the enlarged view at full resolution on a 24-megapixel photo, as ratios against a
// baseline measured in the same run:
//  - a quarter turn as the user makes it (the button: progress bar, turn, mask, scaling and
//    painting the window) against the core's turn of the same picture alone;
//  - showing the next photo (decode with progress, mask, finish preview, painting) against the
//    decode alone.
// Baseline and measured runs alternate, five of each, and the fastest of each counts, the
// machine being shared. The window is created on the offscreen platform unless another is set.
#include "JpegWriter.h"
#include "app/Prompts.h"
#include "catalogue/UPenF.h"
#include "imaging/JpegDecoder.h"
#include "imaging/UBitmapFunctions.h"
#include "imaging/UEnlargedView.h"
#include "order/TOrderModel.h"
#include "order/UPhotoRater.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "bench_enlargedview: %s\n", what);
        std::exit(1);
    }
}

double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

struct TPair {
    double baseMs = 1e300;
    double measuredMs = 1e300;
};

TPair alternate(int rounds, const std::function<void()> &baseline, const std::function<void()> &measured)
{
    TPair best;
    for (int i = 0; i < rounds; ++i) {
        best.measuredMs = std::min(best.measuredMs, elapsedMs(measured));
        best.baseMs = std::min(best.baseMs, elapsedMs(baseline));
    }
    return best;
}

void row(const char *figure, const TPair &p, const char *goal)
{
    std::printf("%-58s %9.1f ms %9.1f ms %7.2fx  %s\n", figure, p.measuredMs, p.baseMs, p.measuredMs / p.baseMs, goal);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TMessageBox::setTesting(true);
    QTemporaryDir dir;
    require(dir.isValid(), "no temporary folder");

    constexpr int Width = 6000, Height = 4000;
    std::printf("generating two %d x %d photos...\n", Width, Height);
    QStringList files;
    for (uint32_t seed : {1u, 2u}) {
        const QString file = dir.filePath(QStringLiteral("foto%1.jpg").arg(seed));
        require(WriteFile(file, WriteJpeg(PhotoLikePicture(Width, Height, seed))), "cannot write a photo");
        files << file;
    }

    TPenFFile catalogue(QString(), 0, 0);
    auto format = std::make_unique<TFormaat>();
    format->Naam = QStringLiteral("13x18");
    format->Breedte = 13;
    format->Lengte = 18;
    catalogue.AddFormat(std::move(format));
    TPhotoRater rater(catalogue);
    TOrderModel model(catalogue, rater);
    QList<TOrderItem> items;
    for (const QString &file : files) {
        TOrderItem item;
        item.Naam = OrderItemNaam(file);
        item.Bestand = file;
        item.Formaat = QStringLiteral("13x18");
        items << item;
    }
    model.SetItems(items);

    TEnlargedViewForm form;
    form.resize(1000, 800);
    form.Prepare(model, catalogue, 0);
    form.show();
    QApplication::processEvents();
    require(form.Picture().size() == QSize(Width, Height), "the photo was not shown at full size");

    std::printf("%-58s %12s %12s %8s\n", "figure", "measured", "baseline", "ratio");

    // Turning: the picture the button turns is the window's own, so the baseline turns the
    // same picture the window holds at that moment.
    const TPair turn = alternate(
        5,
        [&] {
            QImage turned;
            RotateBitmap90(form.Picture(), turned, true);
            require(!turned.isNull(), "no turned picture");
        },
        [&] {
            form.BtnRechtsom->click();
            form.repaint();
        });
    row("quarter turn with the button vs the core's turn alone", turn, "goal <= 1.50x");

    // Showing: next and previous photo alternately, against decoding the photo shown next.
    int shown = 0;
    const TPair show = alternate(
        5,
        [&] {
            const TDecodeResult r = DecodeJpegFile(files[1 - shown]);
            require(r.ok(), "decode failed");
        },
        [&] {
            (shown == 0 ? form.BtnNext : form.BtnPrevious)->click();
            form.repaint();
            shown = 1 - shown;
        });
    row("showing the next photo vs decoding it alone", show, "(for scale)");
    return 0;
}
