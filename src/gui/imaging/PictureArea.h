#pragma once
// The image area of a photo view: one picture scaled to fit the area both ways, keeping its
// proportions, centred, with a small margin. Progress bars placed on it as children lie along
// its lower edge.

#include <QImage>
#include <QPixmap>
#include <QWidget>

class TPictureArea : public QWidget {
    Q_OBJECT
public:
    static constexpr int Margin = 4;

    explicit TPictureArea(QWidget *parent = nullptr);

    // The picture to show, with its print-area mask and finish already painted on it.
    void setPicture(QImage picture);
    const QImage &picture() const { return m_picture; }
    // Where the picture is drawn, in the area's coordinates.
    QRect pictureRect() const;

    // The picture scaled to `size`. A picture much larger than that is first sampled down to
    // about twice the size and then smoothed, so that the cost follows the shown size rather
    // than the photo's megapixels.
    static QImage ScaledForShowing(const QImage &picture, const QSize &size);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    void rescale();
    void placeProgressBars();

    QImage m_picture;
    QPixmap m_scaled;
};
