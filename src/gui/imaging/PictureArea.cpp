#include "PictureArea.h"

#include "imaging/UBitmapFunctions.h"

#include <QChildEvent>
#include <QPainter>
#include <QProgressBar>
#include <QResizeEvent>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The source index of sample i of n over an extent of `extent`: floor((i + 0.5) * extent / n).
inline int sourceIndex(int i, int n, int extent)
{
    return int((int64_t(2 * i + 1) * extent) / (int64_t(2) * n));
}

// Whether the picture is much larger than the shown size, so that it is sampled first.
bool sampledFirst(const QImage &picture, const QSize &target)
{
    return picture.width() > 4 * target.width() && picture.height() > 4 * target.height();
}

} // namespace

TPictureArea::TPictureArea(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(32, 32);
}

void TPictureArea::setPicture(const QImage &picture, const TPrintAreaBars &bars, int afwerking)
{
    m_picture = picture;
    m_bars = bars;
    m_afwerking = afwerking;
    compose();
    update();
}

QRect TPictureArea::pictureRect() const
{
    const QRect area = rect().adjusted(Margin, Margin, -Margin, -Margin);
    if (m_picture.isNull() || area.isEmpty())
        return {};
    const QSize size = m_picture.size().scaled(area.size(), Qt::KeepAspectRatio);
    QRect r(QPoint(0, 0), size);
    r.moveCenter(area.center());
    return r;
}

QSize TPictureArea::targetPixels() const
{
    const QRect target = pictureRect();
    const qreal ratio = devicePixelRatioF();
    return {std::max(1, int(std::lround(target.width() * ratio))), std::max(1, int(std::lround(target.height() * ratio)))};
}

QImage TPictureArea::SampleDown(const QImage &picture, const QSize &size)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    const QImage from = picture.format() == QImage::Format_BGR888 ? picture : picture.convertToFormat(QImage::Format_BGR888);
    QImage to(size, QImage::Format_BGR888);
    if (to.isNull())
        return {};
    std::vector<qsizetype> columns(size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        columns[size_t(x)] = qsizetype(sourceIndex(x, size.width(), from.width())) * 3;
    for (int y = 0; y < size.height(); ++y) {
        const uint8_t *in = from.constScanLine(sourceIndex(y, size.height(), from.height()));
        uint8_t *out = to.scanLine(y);
        for (qsizetype offset : columns) {
            std::memcpy(out, in + offset, 3);
            out += 3;
        }
    }
    return to;
}

TPrintAreaBars TPictureArea::SampledBars(const TPrintAreaBars &bars, int sampled)
{
    if (bars.kind == TPrintAreaBars::None || bars.extent <= 0 || sampled <= 0)
        return {};
    // The first sample whose source lies at or past `edge`.
    const auto firstAtOrPast = [&](int edge) {
        int i = 0;
        while (i < sampled && sourceIndex(i, sampled, bars.extent) < edge)
            ++i;
        return i;
    };
    TPrintAreaBars result;
    result.kind = bars.kind;
    result.extent = sampled;
    result.leading = firstAtOrPast(bars.leading);
    result.trailingStart = firstAtOrPast(bars.trailingStart);
    return result;
}

QImage TPictureArea::HalveByAveraging(const QImage &picture)
{
    const QImage from = picture.format() == QImage::Format_BGR888 ? picture : picture.convertToFormat(QImage::Format_BGR888);
    const int w = from.width() / 2, h = from.height() / 2;
    if (w == 0 || h == 0)
        return from;
    QImage to(w, h, QImage::Format_BGR888);
    if (to.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const uint8_t *a = from.constScanLine(2 * y);
        const uint8_t *b = from.constScanLine(2 * y + 1);
        uint8_t *out = to.scanLine(y);
        for (int x = 0; x < w; ++x, a += 6, b += 6, out += 3)
            for (int c = 0; c < 3; ++c)
                out[c] = uint8_t((unsigned(a[c]) + a[c + 3] + b[c] + b[c + 3] + 2) / 4);
    }
    return to;
}

QImage TPictureArea::ComposeForShowing(const QImage &picture, const TPrintAreaBars &bars, int afwerking, const QSize &target)
{
    if (picture.isNull() || target.isEmpty())
        return {};
    QImage working;
    if (sampledFirst(picture, target)) {
        working = SampleDown(picture, target * 2);
        const int sampled = bars.kind == TPrintAreaBars::Columns ? working.width() : working.height();
        PaintPrintAreaMask(working, SampledBars(bars, sampled));
    } else {
        working = picture;  // shared until the mask or the finish paints on it
        PaintPrintAreaMask(working, bars);
    }
    ApplyFinishPreview(working, afwerking);
    return working;
}

void TPictureArea::compose()
{
    if (m_picture.isNull() || pictureRect().isEmpty()) {
        m_shown = m_picture;
        m_composedFor = QSize();
        m_scaled = QPixmap();
        return;
    }
    const QSize target = targetPixels();
    m_shown = ComposeForShowing(m_picture, m_bars, m_afwerking, target);
    m_composedFor = sampledFirst(m_picture, target) ? target : QSize();
    showScaled();
}

void TPictureArea::showScaled()
{
    const QSize target = targetPixels();
    const QImage scaled = !m_composedFor.isEmpty() ? HalveByAveraging(m_shown)
                                                   : m_shown.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_scaled = QPixmap::fromImage(scaled);
    m_scaled.setDevicePixelRatio(devicePixelRatioF());
}

void TPictureArea::paintEvent(QPaintEvent *)
{
    if (m_scaled.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(pictureRect().topLeft(), m_scaled);
}

void TPictureArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A picture painted at its own size is only scaled anew; a sampled one is sampled anew.
    if (!m_shown.isNull() && m_composedFor.isEmpty() && !pictureRect().isEmpty()
        && !sampledFirst(m_picture, targetPixels()))
        showScaled();
    else
        compose();
    placeProgressBars();
}

void TPictureArea::childEvent(QChildEvent *event)
{
    QWidget::childEvent(event);
    if (event->type() == QEvent::ChildPolished)
        placeProgressBars();
}

void TPictureArea::placeProgressBars()
{
    constexpr int BarHeight = 16;
    const QRect bar(Margin + 4, height() - Margin - BarHeight - 4, width() - 2 * Margin - 8, BarHeight);
    for (QProgressBar *b : findChildren<QProgressBar *>(Qt::FindDirectChildrenOnly))
        b->setGeometry(bar);
}
