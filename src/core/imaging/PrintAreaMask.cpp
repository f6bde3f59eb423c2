#include "PrintAreaMask.h"

#include "app/DateTime.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool hasMask(int width, int height, double breedte, double lengte)
{
    return width >= 1 && height >= 1 && lengte >= 1.0 && breedte > 0.0 && std::isfinite(lengte)
           && std::isfinite(breedte);
}

TPrintAreaBars bars(TPrintAreaBars::Kind kind, int extent, int64_t leading, int64_t trailingStart)
{
    TPrintAreaBars result;
    result.kind = kind;
    result.extent = extent;
    result.leading = int(std::clamp<int64_t>(leading, 0, extent));
    result.trailingStart = int(std::clamp<int64_t>(trailingStart, 0, extent));
    return result;
}

// Bars of m columns or rows on both sides.
TPrintAreaBars evenBars(TPrintAreaBars::Kind kind, int extent, int64_t m)
{
    return bars(kind, extent, m, int64_t(extent) - m);
}

// Bars from a floating bar size c: 0 .. ceil(c) - 1 and round(end - c) .. extent - 1.
TPrintAreaBars floatingBars(TPrintAreaBars::Kind kind, int extent, double end, double c)
{
    return bars(kind, extent, int64_t(std::ceil(c)), Round(end - c));
}

} // namespace

TPrintAreaBars MainWindowMaskBars(int width, int height, double breedte, double lengte)
{
    if (!hasMask(width, height, breedte, lengte))
        return {};
    const double W = width, H = height, S = breedte, L = lengte;
    if (H <= W) {
        if (H * (L / S) <= W)
            return evenBars(TPrintAreaBars::Columns, width, Round((W - double(Round(H * (L / S)))) / 2));
        return evenBars(TPrintAreaBars::Rows, height, Round((H - double(Round(W * (S / L)))) / 2));
    }
    if (W * (L / S) <= H)
        return evenBars(TPrintAreaBars::Rows, height, Round((H - double(Round(W * (L / S)))) / 2));
    return evenBars(TPrintAreaBars::Columns, width, Round((W - double(Round(H * (S / L)))) / 2));
}

TPrintAreaBars EnlargedViewMaskBars(int width, int height, double breedte, double lengte)
{
    if (!hasMask(width, height, breedte, lengte))
        return {};
    const double W = width, H = height, S = breedte, L = lengte, r = L / S;
    if (H <= W) {
        if (H * r <= W)
            return floatingBars(TPrintAreaBars::Columns, width, W, (W - H * r) / 2);
        return floatingBars(TPrintAreaBars::Rows, height, H + 1, ((H + 1) - (W + 1) * (S / L)) / 2);
    }
    if (W * r <= H)
        return floatingBars(TPrintAreaBars::Rows, height, H, (H - W * r) / 2);
    return floatingBars(TPrintAreaBars::Columns, width, W, (W - H * (S / L)) / 2);
}

void PaintPrintAreaMask(QImage &picture, const TPrintAreaBars &bars)
{
    if (bars.isEmpty() || picture.isNull())
        return;
    const bool columns = bars.kind == TPrintAreaBars::Columns;
    if (bars.extent != (columns ? picture.width() : picture.height()))
        return;  // bars of another picture
    const auto paint = [&](int from, int to) {
        if (from >= to)
            return;
        if (picture.format() != QImage::Format_BGR888 && picture.format() != QImage::Format_RGB888) {
            QPainter painter(&picture);
            painter.fillRect(columns ? QRect(from, 0, to - from, picture.height())
                                     : QRect(0, from, picture.width(), to - from),
                             Qt::white);
            return;
        }
        if (columns) {
            for (int y = 0; y < picture.height(); ++y)
                std::memset(picture.scanLine(y) + qsizetype(from) * 3, 0xff, size_t(to - from) * 3);
        } else {
            for (int y = from; y < to; ++y)
                std::memset(picture.scanLine(y), 0xff, size_t(picture.width()) * 3);
        }
    };
    paint(0, bars.leading);
    paint(std::max(bars.leading, bars.trailingStart), bars.extent);
}
