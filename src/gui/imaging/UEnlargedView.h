#pragma once
// The enlarged view: the photos of the order one at a time in a large, resizable window, with
// the controls to step through them and to change each item's count, format, paper and
// finish, and to turn the shown picture for viewing. Edits go straight into the items of the
// order model; Execute reports whether any item was changed, and the main window then
// reprices the order.

#include <QDialog>
#include <QImage>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class TOrderModel;
class TPenFFile;
class TPictureArea;
class TUpDown;

class TEnlargedViewForm : public QDialog {
    Q_OBJECT
public:
    enum class TPreviewMode { FromMemory, FromFile };

    static constexpr int MinimumWidth = 501;
    static constexpr int MinimumHeight = 498;
    static constexpr int BottomPanelHeight = 165;

    explicit TEnlargedViewForm(QWidget *parent = nullptr);
    ~TEnlargedViewForm() override;

    // Shows the order's items modally, starting with `selectedIndex` (the main list's selected
    // row). Accepted when an item was changed, else Rejected, however the window is closed.
    int Execute(TOrderModel &items, const TPenFFile &catalogue, int selectedIndex, QWidget *mainWindow = nullptr);
    // What Execute does before running the window: takes the order and the catalogue, fills
    // the format list and clears Changed. The next showing of the window loads the item.
    void Prepare(TOrderModel &items, const TPenFFile &catalogue, int selectedIndex);

    // Shows the picture in the given mode; from the file it also fills the item controls and
    // the position label. Then the print-area mask and the finish preview.
    void Refresh(TPreviewMode mode);

    int CurrentIndex() const { return m_currentIndex; }
    bool Changed() const { return m_changed; }
    // The window's picture (the photo as decoded, or turned), and the picture as shown, with
    // the mask and the finish preview painted on a copy of it.
    const QImage &Picture() const { return m_picture; }
    const QImage &ShownPicture() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void showing();
    void enableControls(bool enable);
    void showPicture(TPreviewMode mode);
    void showBlank();
    QImage decode(const QString &path);
    void fillItemControls();
    void updateIndexLabel();
    void paintMaskAndFinish(bool withFinish);
    void updateCaption(const QString &naam);
    bool hasItem() const;
    QString programName() const;

    void navigate(int button);
    void rotateClicked(bool clockwise);
    void countStep(int position);
    void countChanged();
    void paperClicked(int index);
    void finishClicked(int index);
    void formatPicked(int index);

    TOrderModel *m_items = nullptr;
    const TPenFFile *m_catalogue = nullptr;
    QImage m_picture;
    int m_currentIndex = -1;
    int m_selectedIndex = -1;
    bool m_changed = false;
    bool m_showPending = false;
    bool m_filling = false;

public:
    // Controls, named as in the window's design (tests reach them by objectName too).
    TPictureArea *Image = nullptr;
    QProgressBar *ProgressBar = nullptr;       // rotation
    QProgressBar *ImageProgressBar = nullptr;  // decoding
    QCheckBox *CbxFullResolution = nullptr;
    QPushButton *BtnLinksom = nullptr;
    QPushButton *BtnRechtsom = nullptr;
    QGroupBox *RgpAfwerking = nullptr;
    QButtonGroup *AfwerkingGroup = nullptr;
    QGroupBox *RgpGlans = nullptr;
    QButtonGroup *GlansGroup = nullptr;
    QLabel *LblAantal = nullptr;
    QLineEdit *LedAantal = nullptr;
    TUpDown *UpDownAantal = nullptr;
    QLabel *LblFormaat = nullptr;
    QComboBox *CbxFormaat = nullptr;
    QPushButton *BtnHome = nullptr;
    QPushButton *BtnFastPrevious = nullptr;
    QPushButton *BtnPrevious = nullptr;
    QLabel *LblIndex = nullptr;
    QPushButton *BtnNext = nullptr;
    QPushButton *BtnFastNext = nullptr;
    QPushButton *BtnEnd = nullptr;
};
