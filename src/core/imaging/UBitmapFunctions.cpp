#include "UBitmapFunctions.h"

#include "app/DateTime.h"

#include <algorithm>

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

void RotateBitmap90(const QImage &source, QImage &destination, bool clockwise, const TProgress &progress)
{
    if (source.isNull() || source.width() == 0 || source.height() == 0)
        return;
    if (progress)
        progress(0);
    const QImage from = as24Bit(source);
    const int w = from.width();
    const int h = from.height();
    QImage to(h, w, QImage::Format_BGR888);
    const qsizetype fromStride = from.bytesPerLine();
    const uint8_t *fromBits = from.constBits();
    const qsizetype toStride = to.bytesPerLine();
    uint8_t *toBits = to.bits();

    // Source pixel (x, y) goes to column h-1-y of row x (clockwise) or to column y of row
    // w-1-x. A band of source rows fills one short stretch of every destination row; the
    // band's rows stay in the cache while the stretches are written one after the other.
    constexpr int Band = 32;
    for (int y0 = 0; y0 < h; y0 += Band) {
        const int y1 = std::min(h, y0 + Band);
        for (int x = 0; x < w; ++x) {
            uint8_t *row = toBits + qsizetype(clockwise ? x : w - 1 - x) * toStride;
            const uint8_t *in = fromBits + qsizetype(y0) * fromStride + qsizetype(x) * 3;
            if (clockwise) {
                uint8_t *out = row + qsizetype(h - 1 - y0) * 3;
                for (int y = y0; y < y1; ++y, in += fromStride, out -= 3) {
                    out[0] = in[0]; out[1] = in[1]; out[2] = in[2];
                }
            } else {
                uint8_t *out = row + qsizetype(y0) * 3;
                for (int y = y0; y < y1; ++y, in += fromStride, out += 3) {
                    out[0] = in[0]; out[1] = in[1]; out[2] = in[2];
                }
            }
        }
        if (progress)
            progress(int(Round(double(y1) / h * 100.0)));
    }
    giveFormatOf(source, std::move(to), destination);
}
