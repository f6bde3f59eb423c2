#include "PictureArea.h"

#include <QPainter>
#include <QProgressBar>
#include <QChildEvent>
#include <QResizeEvent>

#include <cmath>

TPictureArea::TPictureArea(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(32, 32);
}

void TPictureArea::setPicture(QImage picture)
{
    m_picture = std::move(picture);
    rescale();
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

QImage TPictureArea::ScaledForShowing(const QImage &picture, const QSize &size)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    if (picture.size() == size)
        return picture;
    const QSize twice = size * 2;
    QImage source = picture;
    if (picture.width() > 2 * twice.width() && picture.height() > 2 * twice.height())
        source = picture.scaled(twice, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void TPictureArea::rescale()
{
    const QRect target = pictureRect();
    if (target.isEmpty()) {
        m_scaled = QPixmap();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize devicePixels(int(std::lround(target.width() * ratio)), int(std::lround(target.height() * ratio)));
    m_scaled = QPixmap::fromImage(ScaledForShowing(m_picture, devicePixels));
    m_scaled.setDevicePixelRatio(ratio);
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
    rescale();
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
