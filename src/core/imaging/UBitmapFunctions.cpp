#include "UBitmapFunctions.h"

#include "app/DateTime.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// A 24-bit working copy of a picture (shares the data when it already is one).
QImage as24Bit(const QImage &picture)
{
    return picture.format() == QImage::Format_BGR888 ? picture : picture.convertToFormat(QImage::Format_BGR888);
}

// The destination back in the source's format.
void giveFormatOf(const QImage &source, QImage &&work, QImage &destination)
{
    destination = source.format() == QImage::Format_BGR888 ? std::move(work)
                                                           : work.convertToFormat(source.format());
}

template <typename PixelFn>
void forEachPixel(QImage &work, PixelFn fn)
{
    const int width = work.width();
    for (int y = 0; y < work.height(); ++y) {
        uint8_t *p = work.scanLine(y);
        for (int x = 0; x < width; ++x, p += 3)
            fn(p);
    }
}

} // namespace

void MakeGrayscale(const QImage &source, QImage &destination)
{
    QImage work = as24Bit(source);
    forEachPixel(work, [](uint8_t *p) {
        const uint8_t g = uint8_t((unsigned(p[0]) + p[1] + p[2]) / 3);
        if (g != 0)
            p[0] = p[1] = p[2] = g;
    });
    giveFormatOf(source, std::move(work), destination);
}

void AdjustRGB(const QImage &source, QImage &destination, int redDelta, int greenDelta, int blueDelta)
{
    const auto outside = [](int delta) { return delta < -100 || delta > 100; };
    if (outside(redDelta) || outside(greenDelta) || outside(blueDelta))
        return;
    QImage work = as24Bit(source);
    forEachPixel(work, [=](uint8_t *p) {
        p[0] = ClampColor(p[0], blueDelta);
        p[1] = ClampColor(p[1], greenDelta);
        p[2] = ClampColor(p[2], redDelta);
    });
    giveFormatOf(source, std::move(work), destination);
}

void ApplyFinishPreview(QImage &shown, int afwerking)
{
    if (afwerking != AfwerkingZwartWit && afwerking != AfwerkingSepia)
        return;
    QImage grey;
    MakeGrayscale(shown, grey);
    if (afwerking == AfwerkingZwartWit)
        shown = std::move(grey);
    else
        AdjustRGB(grey, shown, SepiaRedDelta, SepiaGreenDelta, SepiaBlueDelta);
}

namespace {

inline uint32_t load4(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void store4(uint8_t *p, uint32_t v) { std::memcpy(p, &v, 4); }

// Four pixels a, b, c, d (each in the low 24 bits of a word read from its row), written as
// twelve bytes in that order.
inline void store4Pixels(uint8_t *out, uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    store4(out, (a & 0xffffff) | (b << 24));
    store4(out + 4, ((b >> 8) & 0xffff) | (c << 16));
    store4(out + 8, ((c >> 16) & 0xff) | (d << 8));
}

inline void copyPixel(uint8_t *out, const uint8_t *in)
{
    out[0] = in[0]; out[1] = in[1]; out[2] = in[2];
}

// Copies source rows y0 .. y1 - 1 of a quarter turn. Source pixel (x, y) goes to column
// h-1-y of row x (clockwise) or to column y of row w-1-x. The rows are copied in tiles small
// enough that the tile's source rows and its destination rows both stay in the cache; four
// source rows at a time make twelve destination bytes, written as three words.
void rotateRows(const QImage &from, QImage &to, bool clockwise, int y0, int y1)
{
    const int w = from.width();
    const int h = from.height();
    const qsizetype fromStride = from.bytesPerLine();
    const uint8_t *fromBits = from.constBits();
    const qsizetype toStride = to.bytesPerLine();
    uint8_t *toBits = to.bits();
    // A 4-byte read of the picture's very last pixel would pass its end.
    const uint8_t *lastPixel = fromBits + qsizetype(h - 1) * fromStride + qsizetype(w - 1) * 3;
    constexpr int Tile = 64;
    for (int x0 = 0; x0 < w; x0 += Tile) {
        const int x1 = std::min(w, x0 + Tile);
        for (int x = x0; x < x1; ++x) {
            uint8_t *row = toBits + qsizetype(clockwise ? x : w - 1 - x) * toStride;
            const uint8_t *in = fromBits + qsizetype(y0) * fromStride + qsizetype(x) * 3;
            int y = y0;
            if (clockwise) {
                uint8_t *out = row + qsizetype(h - 1 - y0) * 3;
                for (; y + 4 <= y1 && in + 3 * fromStride != lastPixel; y += 4, in += 4 * fromStride, out -= 12)
                    store4Pixels(out - 9, load4(in + 3 * fromStride), load4(in + 2 * fromStride),
                                 load4(in + fromStride), load4(in));
                for (; y < y1; ++y, in += fromStride, out -= 3)
                    copyPixel(out, in);
            } else {
                uint8_t *out = row + qsizetype(y0) * 3;
                for (; y + 4 <= y1 && in + 3 * fromStride != lastPixel; y += 4, in += 4 * fromStride, out += 12)
                    store4Pixels(out, load4(in), load4(in + fromStride), load4(in + 2 * fromStride),
                                 load4(in + 3 * fromStride));
                for (; y < y1; ++y, in += fromStride, out += 3)
                    copyPixel(out, in);
            }
        }
    }
}

} // namespace

void RotateBitmap90(const QImage &source, QImage &destination, bool clockwise, const TProgress &progress)
{
    if (source.isNull() || source.width() == 0 || source.height() == 0)
        return;
    if (progress)
        progress(0);
    const QImage from = as24Bit(source);
    const int h = from.height();
    QImage to(h, from.width(), QImage::Format_BGR888);
    to.bits();  // detached before any thread writes

    // Bands of 64 source rows, taken in turn by this thread and, for a large picture, by
    // helper threads. Only this thread reports, after each band it did, the share of rows
    // done by all.
    constexpr int Band = 64;
    const int bands = (h + Band - 1) / Band;
    std::atomic<int> next{0};
    std::atomic<int> rowsDone{0};
    const auto work = [&](bool reporting) {
        for (int band = next++; band < bands; band = next++) {
            const int y0 = band * Band;
            const int y1 = std::min(h, y0 + Band);
            rotateRows(from, to, clockwise, y0, y1);
            const int done = rowsDone += y1 - y0;
            if (reporting && progress && done < h)
                progress(int(Round(double(done) / h * 100.0)));
        }
    };
    const qint64 pixels = qint64(h) * from.width();
    const int helpers = pixels < (1 << 20) ? 0 : std::min(bands, std::clamp(int(std::thread::hardware_concurrency()), 1, 4)) - 1;
    std::vector<std::thread> threads;
    for (int i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(work, false);
        } catch (const std::system_error &) {
            break;  // no thread to be had: this one does the rest
        }
    }
    work(true);
    for (std::thread &thread : threads)
        thread.join();
    if (progress)
        progress(100);
    giveFormatOf(source, std::move(to), destination);
}
