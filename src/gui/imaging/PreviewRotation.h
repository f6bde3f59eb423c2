#pragma once
// The quarter turn of a photo view's picture, as both views do it. The turn is for viewing
// only: the caller keeps the returned picture as its in-memory picture, which lasts until the
// view loads the photo from its file again; the order and the photo file are not touched.
//
// While the rows turn, the view's rotation progress bar lies over the picture (shown at 0,
// following the share of rows done, set to 100 and hidden at the end) and the image area shows
// the hourglass. Both are put back also when the turn fails. The turn runs to its end on the
// window thread without handling other input; the bar repaints itself as it moves.
//
// After it, the caller shows the picture from memory with the print-area mask and without the
// finish preview. In the main window that is, for BitBtnLinksom / BitBtnRechtsom:
//     SetStatusText("Roteren...");
//     m_previewImage = RotatePreview(m_previewImage, clockwise, ProgressBar, Preview);
//     (show m_previewImage with the mask, no finish preview)
//     SetStatusText("Voltooid");

#include <QImage>

class QProgressBar;
class QWidget;

// The picture turned counter-clockwise, or clockwise. An empty picture comes back empty.
// progressBar and imageArea may be null.
QImage RotatePreview(const QImage &picture, bool clockwise, QProgressBar *progressBar, QWidget *imageArea);
