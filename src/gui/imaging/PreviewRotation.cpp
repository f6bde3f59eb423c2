#include "PreviewRotation.h"

#include "imaging/UBitmapFunctions.h"

#include <QCursor>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

namespace {

// Shows the bar and the hourglass for the time of one turn and puts both back however the
// turn ends.
class TRotationFeedback {
public:
    TRotationFeedback(QProgressBar *bar, QWidget *area) : m_bar(bar), m_area(area)
    {
        if (m_area) {
            m_hadCursor = m_area->testAttribute(Qt::WA_SetCursor);
            m_cursor = m_area->cursor();
            m_area->setCursor(Qt::WaitCursor);
        }
        if (m_bar) {
            m_bar->setRange(0, 100);
            m_bar->show();
            m_bar->raise();
            m_bar->setValue(0);
            m_bar->repaint();
        }
    }

    ~TRotationFeedback()
    {
        if (m_bar) {
            m_bar->setValue(m_bar->maximum());
            m_bar->hide();
        }
        if (m_area) {
            if (m_hadCursor)
                m_area->setCursor(m_cursor);
            else
                m_area->unsetCursor();
        }
    }

    TRotationFeedback(const TRotationFeedback &) = delete;
    TRotationFeedback &operator=(const TRotationFeedback &) = delete;

    void progress(int percent)
    {
        if (m_bar)
            m_bar->setValue(percent);
    }

private:
    QPointer<QProgressBar> m_bar;
    QPointer<QWidget> m_area;
    bool m_hadCursor = false;
    QCursor m_cursor;
};

} // namespace

QImage RotatePreview(const QImage &picture, bool clockwise, QProgressBar *progressBar, QWidget *imageArea)
{
    TRotationFeedback feedback(progressBar, imageArea);
    QImage turned;
    RotateBitmap90(picture, turned, clockwise, [&feedback](int percent) { feedback.progress(percent); });
    return turned;
}
