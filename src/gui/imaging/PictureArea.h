#pragma once
// The image area of a photo view: one picture scaled to fit the area both ways, keeping its
// proportions, centred, with a small margin, with the print-area mask and the finish preview
// painted on a copy of it. Progress bars placed on it as children lie along its lower edge.
//
// A picture much larger than the area (a photo of many megapixels at full resolution) is not
// copied whole to be painted on: it is first sampled down to twice the shown size (each
// sampled pixel the picture's pixel at that spot), the mask and the finish are painted on that
// sample with the mask's rows and columns mapped to it, and every two by two sampled pixels
// are averaged into one shown pixel. The result is what sampling the painted full picture
// would give, at a cost that follows the shown size rather than the photo's.

#include "imaging/PrintAreaMask.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

class TPictureArea : public QWidget {
    Q_OBJECT
public:
    static constexpr int Margin = 4;

    explicit TPictureArea(QWidget *parent = nullptr);

    // The picture to show, the mask bars for it (in its own pixels) and the finish to preview
    // (-1 or 0 for none).
    void setPicture(const QImage &picture, const TPrintAreaBars &bars = {}, int afwerking = -1);
    // The picture as painted: the window's picture, or its sample when it is much larger
    // than the area, with the mask and the finish on it.
    const QImage &shownPicture() const { return m_shown; }
    // Where the picture is drawn, in the area's coordinates.
    QRect pictureRect() const;

    // The painted picture for a shown size of `target` device pixels (see above).
    static QImage ComposeForShowing(const QImage &picture, const TPrintAreaBars &bars, int afwerking, const QSize &target);
    // Pixel (x, y) of the result is the picture's pixel at ((x + 0.5) * W / width, (y + 0.5) * H / height).
    static QImage SampleDown(const QImage &picture, const QSize &size);
    // The bars of a picture of `extent` rows or columns, for a sample of `sampled` of them.
    static TPrintAreaBars SampledBars(const TPrintAreaBars &bars, int sampled);
    // Each two by two pixels averaged into one (24-bit pictures).
    static QImage HalveByAveraging(const QImage &picture);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    QSize targetPixels() const;
    void compose();
    void showScaled();
    void placeProgressBars();

    QImage m_picture;
    TPrintAreaBars m_bars;
    int m_afwerking = -1;
    QImage m_shown;
    QSize m_composedFor;  // the target m_shown was sampled for; empty when not sampled
    QPixmap m_scaled;
};
