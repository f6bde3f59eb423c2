#include "UEnlargedView.h"

#include "PictureArea.h"
#include "PreviewRotation.h"
#include "app/Prompts.h"
#include "app/UpDown.h"
#include "catalogue/UPenF.h"
#include "dialogs/DialogKit.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PrintAreaMask.h"
#include "order/TOrderModel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

using namespace dialogkit;

namespace {

enum TNavButton { NavHome, NavFastPrevious, NavPrevious, NavNext, NavFastNext, NavEnd };

// The index a navigation button moves to from `current` among `n` items, or -1 when the
// button does nothing there. Fast steps go five items at a time and stop at either end.
int NavigationTarget(int button, int current, int n)
{
    if (n <= 0)
        return -1;
    switch (button) {
    case NavHome:
        return current > 0 ? 0 : -1;
    case NavFastPrevious:
        return current >= 1 ? (current > 4 ? current - 5 : 0) : -1;
    case NavPrevious:
        return current >= 1 ? current - 1 : -1;
    case NavNext:
        return current < n - 1 ? current + 1 : -1;
    case NavFastNext:
        return current < n - 1 ? (current < n - 5 ? current + 5 : n - 1) : -1;
    case NavEnd:
        return current < n - 1 ? n - 1 : -1;
    default:
        return -1;
    }
}

} // namespace

TEnlargedViewForm::TEnlargedViewForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EnlargedViewForm"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    buildWindow();
    updateCaption(QString());
    enableControls(false);
}

TEnlargedViewForm::~TEnlargedViewForm() = default;

void TEnlargedViewForm::buildWindow()
{
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(820, 680);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->setSpacing(4);

    Image = new TPictureArea(this);
    Image->setObjectName(QStringLiteral("Image"));
    Image->setAccessibleName(QStringLiteral("Foto"));
    ProgressBar = new QProgressBar(Image);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setAccessibleName(QStringLiteral("Voortgang van het draaien"));
    ImageProgressBar = new QProgressBar(Image);
    ImageProgressBar->setObjectName(QStringLiteral("ImageProgressBar"));
    ImageProgressBar->setAccessibleName(QStringLiteral("Voortgang van het laden"));
    for (QProgressBar *bar : {ProgressBar, ImageProgressBar}) {
        bar->setRange(0, 100);
        bar->setTextVisible(false);
        bar->hide();
    }
    main->addWidget(Image, 1);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("BottomPanel"));
    panel->setFixedHeight(BottomPanelHeight);
    main->addWidget(panel);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(4, 2, 4, 2);
    auto *controls = new QHBoxLayout;
    panelLayout->addLayout(controls, 1);

    // Resolution and rotation.
    auto *left = new QVBoxLayout;
    CbxFullResolution = new QCheckBox(QStringLiteral("&Volledige resolutie"), panel);
    CbxFullResolution->setObjectName(QStringLiteral("CbxFullResolution"));
    CbxFullResolution->setChecked(true);
    left->addWidget(CbxFullResolution);
    auto *rotate = new QHBoxLayout;
    BtnLinksom = Button(QStringLiteral("↶ Linksom"), "BtnLinksom", panel);
    BtnLinksom->setAccessibleName(QStringLiteral("Linksom draaien"));
    BtnLinksom->setToolTip(QStringLiteral("Linksom draaien"));
    BtnRechtsom = Button(QStringLiteral("Rechtsom ↷"), "BtnRechtsom", panel);
    BtnRechtsom->setAccessibleName(QStringLiteral("Rechtsom draaien"));
    BtnRechtsom->setToolTip(QStringLiteral("Rechtsom draaien"));
    rotate->addWidget(BtnLinksom);
    rotate->addWidget(BtnRechtsom);
    left->addLayout(rotate);
    left->addStretch();
    controls->addLayout(left);

    // Finish and paper.
    RgpAfwerking = RadioGroup(QStringLiteral("RgpAfwerking"), QStringLiteral("Afwerking"),
                              {QStringLiteral("Kleur"), QStringLiteral("Zwart/Wit"), QStringLiteral("Bruintoon")},
                              AfwerkingGroup, panel);
    RgpGlans = RadioGroup(QStringLiteral("RgpGlans"), QStringLiteral("Papier"), {QStringLiteral("Glans"), QStringLiteral("Mat")},
                          GlansGroup, panel);
    controls->addWidget(RgpAfwerking, 0, Qt::AlignTop);
    controls->addWidget(RgpGlans, 0, Qt::AlignTop);

    // Count and format.
    auto *right = new QVBoxLayout;
    LedAantal = new QLineEdit(QStringLiteral("1"), panel);
    LedAantal->setObjectName(QStringLiteral("LedAantal"));
    LedAantal->setMaxLength(3);
    LedAantal->setFixedWidth(48);
    LedAantal->setAlignment(Qt::AlignRight);
    // Typed keys other than digits are swallowed; the validator also refuses pasted text
    // that is not a number.
    TToetsFilter::Install(LedAantal, QStringLiteral("0123456789"));
    LedAantal->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), LedAantal));
    LedAantal->installEventFilter(this);
    LblAantal = BuddyLabel(QStringLiteral("A&antal"), LedAantal, panel);
    LblAantal->setObjectName(QStringLiteral("LblAantal"));
    UpDownAantal = new TUpDown(1, 999, panel);
    UpDownAantal->setObjectName(QStringLiteral("UpDownAantal"));
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(LblAantal);
    countRow->addWidget(LedAantal);
    countRow->addWidget(UpDownAantal);
    countRow->addStretch();
    right->addLayout(countRow);
    CbxFormaat = new QComboBox(panel);
    CbxFormaat->setObjectName(QStringLiteral("CbxFormaat"));
    CbxFormaat->setMinimumWidth(140);
    CbxFormaat->setMaximumWidth(260);
    CbxFormaat->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    LblFormaat = BuddyLabel(QStringLiteral("&Formaat"), CbxFormaat, panel);
    LblFormaat->setObjectName(QStringLiteral("LblFormaat"));
    right->addWidget(LblFormaat);
    right->addWidget(CbxFormaat);
    right->addStretch();
    controls->addLayout(right, 1);

    // Navigation bar.
    auto *nav = new QHBoxLayout;
    nav->addStretch();
    const auto navButton = [panel](const char *name, const QString &text, const QString &accessible) {
        QPushButton *b = Button(text, name, panel);
        b->setAccessibleName(accessible);
        b->setToolTip(accessible);
        b->setMinimumWidth(44);
        return b;
    };
    BtnHome = navButton("BtnHome", QStringLiteral("|◀"), QStringLiteral("Eerste orderitem"));
    BtnFastPrevious = navButton("BtnFastPrevious", QStringLiteral("◀◀"), QStringLiteral("Vijf orderitems terug"));
    BtnPrevious = navButton("BtnPrevious", QStringLiteral("◀"), QStringLiteral("Vorige orderitem"));
    LblIndex = new QLabel(QStringLiteral("0/0"), panel);
    LblIndex->setObjectName(QStringLiteral("LblIndex"));
    QFont bold = LblIndex->font();
    bold.setBold(true);
    LblIndex->setFont(bold);
    LblIndex->setAlignment(Qt::AlignCenter);
    LblIndex->setMinimumWidth(80);
    BtnNext = navButton("BtnNext", QStringLiteral("▶"), QStringLiteral("Volgende orderitem"));
    BtnFastNext = navButton("BtnFastNext", QStringLiteral("▶▶"), QStringLiteral("Vijf orderitems verder"));
    BtnEnd = navButton("BtnEnd", QStringLiteral("▶|"), QStringLiteral("Laatste orderitem"));
    for (QWidget *w : std::initializer_list<QWidget *>{BtnHome, BtnFastPrevious, BtnPrevious, LblIndex, BtnNext, BtnFastNext, BtnEnd})
        nav->addWidget(w);
    nav->addStretch();
    panelLayout->addLayout(nav);

    NameControlsByCaption(this);
    SetTabOrder({CbxFullResolution, BtnLinksom, BtnRechtsom, AfwerkingGroup->button(0), GlansGroup->button(0), LedAantal,
                 CbxFormaat, BtnHome, BtnFastPrevious, BtnPrevious, BtnNext, BtnFastNext, BtnEnd});

    connect(CbxFullResolution, &QCheckBox::toggled, this, [this] { Refresh(TPreviewMode::FromFile); });
    connect(BtnLinksom, &QPushButton::clicked, this, [this] { rotateClicked(false); });
    connect(BtnRechtsom, &QPushButton::clicked, this, [this] { rotateClicked(true); });
    connect(AfwerkingGroup, &QButtonGroup::idClicked, this, &TEnlargedViewForm::finishClicked);
    connect(GlansGroup, &QButtonGroup::idClicked, this, &TEnlargedViewForm::paperClicked);
    connect(LedAantal, &QLineEdit::textChanged, this, &TEnlargedViewForm::countChanged);
    connect(UpDownAantal, &TUpDown::stepRequested, this, &TEnlargedViewForm::countStep);
    connect(CbxFormaat, &QComboBox::activated, this, &TEnlargedViewForm::formatPicked);
    const QPushButton *navButtons[] = {BtnHome, BtnFastPrevious, BtnPrevious, BtnNext, BtnFastNext, BtnEnd};
    for (int i = 0; i < 6; ++i)
        connect(navButtons[i], &QPushButton::clicked, this, [this, i] { navigate(i); });
}

// ---------------------------------------------------------------------------------------
// Opening and closing

void TEnlargedViewForm::Prepare(TOrderModel &items, const TPenFFile &catalogue, int selectedIndex)
{
    m_items = &items;
    m_catalogue = &catalogue;
    m_selectedIndex = selectedIndex;
    m_filling = true;
    CbxFormaat->clear();
    for (int i = 0; i < catalogue.FormatCount(); ++i)
        CbxFormaat->addItem(catalogue.FormatName(i));
    m_filling = false;
    m_changed = false;
    m_showPending = true;
}

int TEnlargedViewForm::Execute(TOrderModel &items, const TPenFFile &catalogue, int selectedIndex, QWidget *)
{
    Prepare(items, catalogue, selectedIndex);
    CentreOnScreen(this);
    TModal::Run(*this);
    m_showPending = false;
    return m_changed ? QDialog::Accepted : QDialog::Rejected;
}

void TEnlargedViewForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && m_showPending) {
        m_showPending = false;
        showing();
    }
}

void TEnlargedViewForm::showing()
{
    m_currentIndex = m_items && m_selectedIndex >= 0 && m_selectedIndex < m_items->Count() ? m_selectedIndex : -1;
    Refresh(TPreviewMode::FromFile);
    if (m_currentIndex >= 0)
        enableControls(true);
}

void TEnlargedViewForm::done(int)
{
    QDialog::done(m_changed ? QDialog::Accepted : QDialog::Rejected);
}

void TEnlargedViewForm::enableControls(bool enable)
{
    for (QWidget *w : std::initializer_list<QWidget *>{CbxFullResolution, BtnLinksom, BtnRechtsom, RgpAfwerking, RgpGlans,
                                                       LblAantal, LedAantal, UpDownAantal, LblFormaat, CbxFormaat, BtnHome,
                                                       BtnFastPrevious, BtnPrevious, BtnNext, BtnFastNext, BtnEnd})
        w->setEnabled(enable);
}

// ---------------------------------------------------------------------------------------
// Showing

bool TEnlargedViewForm::hasItem() const
{
    return m_items && m_currentIndex >= 0 && m_currentIndex < m_items->Count();
}

QString TEnlargedViewForm::programName() const
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void TEnlargedViewForm::updateCaption(const QString &naam)
{
    setWindowTitle(naam.isEmpty() ? programName() : programName() + QStringLiteral(" - ") + naam);
}

const QImage &TEnlargedViewForm::ShownPicture() const
{
    return Image->shownPicture();
}

void TEnlargedViewForm::Refresh(TPreviewMode mode)
{
    showPicture(mode);
    if (mode == TPreviewMode::FromFile) {
        fillItemControls();
        updateIndexLabel();
    }
    paintMaskAndFinish(true);
}

void TEnlargedViewForm::showPicture(TPreviewMode mode)
{
    if (mode == TPreviewMode::FromMemory) {
        if (m_picture.isNull()) {
            TMessageBox::message(this, QStringLiteral("Loading from memory failed!"));
            showBlank();
        }
        return;
    }
    if (!hasItem()) {
        showBlank();
        return;
    }
    const TOrderItem &item = m_items->Item(m_currentIndex);
    const QString naam = item.Naam;
    m_picture = decode(item.Bestand);
    if (m_picture.isNull()) {
        showBlank();
        return;
    }
    updateCaption(naam);
}

void TEnlargedViewForm::showBlank()
{
    m_picture = QImage(1, 1, QImage::Format_BGR888);
    m_picture.fill(palette().color(QPalette::Button));
    updateCaption(QString());
}

QImage TEnlargedViewForm::decode(const QString &path)
{
    TDecodeOptions options;
    options.scale = CbxFullResolution->isChecked() ? TDecodeScale::Full : TDecodeScale::Eighth;
    bool started = false;
    options.progress = [this, &started](int percent) {
        if (!started) {
            started = true;
            ImageProgressBar->show();
            ImageProgressBar->raise();
            ImageProgressBar->setValue(0);
        }
        ImageProgressBar->setValue(percent);
    };
    TDecodeResult result = DecodeJpegFile(path, options);
    ImageProgressBar->hide();
    return result.ok() ? std::move(result.picture) : QImage();
}

void TEnlargedViewForm::fillItemControls()
{
    m_filling = true;
    if (hasItem()) {
        const TOrderItem &item = m_items->Item(m_currentIndex);
        const int count = std::clamp(int(item.Aantal), UpDownAantal->minimum(), UpDownAantal->maximum());
        UpDownAantal->setPosition(count);
        LedAantal->setText(QString::number(count));
        SelectChoice(GlansGroup, item.isGlans() ? 0 : 1);
        SelectChoice(AfwerkingGroup, item.Afwerking);
        CbxFormaat->setCurrentIndex(CbxFormaat->findText(item.Formaat, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    } else {
        UpDownAantal->setPosition(1);
        LedAantal->setText(QStringLiteral("1"));
        SelectChoice(GlansGroup, -1);
        SelectChoice(AfwerkingGroup, -1);
        CbxFormaat->setCurrentIndex(-1);
    }
    m_filling = false;
}

void TEnlargedViewForm::updateIndexLabel()
{
    const int n = m_items ? m_items->Count() : 0;
    LblIndex->setText(QStringLiteral("%1/%2").arg(m_currentIndex + 1).arg(n));
}

void TEnlargedViewForm::paintMaskAndFinish(bool withFinish)
{
    TPrintAreaBars bars;
    int afwerking = -1;
    if (hasItem() && m_catalogue) {
        const TOrderItem &item = m_items->Item(m_currentIndex);
        const int format = m_catalogue->IndexOfFormat(item.Formaat);
        if (format >= 0) {
            const TFormaat &f = m_catalogue->Format(format);
            bars = EnlargedViewMaskBars(m_picture.width(), m_picture.height(), f.Breedte, f.Lengte);
        }
        if (withFinish)
            afwerking = AfwerkingGroup->checkedId();
    }
    Image->setPicture(m_picture, bars, afwerking);
}

// ---------------------------------------------------------------------------------------
// Navigation and rotation

void TEnlargedViewForm::navigate(int button)
{
    const int target = NavigationTarget(button, m_currentIndex, m_items ? m_items->Count() : 0);
    if (target < 0)
        return;
    m_currentIndex = target;
    Refresh(TPreviewMode::FromFile);
}

void TEnlargedViewForm::rotateClicked(bool clockwise)
{
    try {
        m_picture = RotatePreview(m_picture, clockwise, ProgressBar, Image);
    } catch (const std::exception &e) {
        TMessageBox::error(this, QString::fromLocal8Bit(e.what()));
        return;
    }
    showPicture(TPreviewMode::FromMemory);
    paintMaskAndFinish(false);
}

// ---------------------------------------------------------------------------------------
// Editing the current item

void TEnlargedViewForm::countStep(int position)
{
    if (!hasItem() || !UpDownAantal->setPosition(position))
        return;
    LedAantal->setText(QString::number(position));
}

void TEnlargedViewForm::countChanged()
{
    bool ok = false;
    const int typed = LedAantal->text().toInt(&ok);
    if (ok)
        UpDownAantal->setPosition(typed);  // refused outside 1..999
    if (m_filling || !hasItem())
        return;
    const int count = UpDownAantal->position();
    TOrderItem item = m_items->Item(m_currentIndex);
    if (count < 1 || count > 999 || item.Aantal == count)
        return;
    item.Aantal = uint16_t(count);
    m_items->SetItem(m_currentIndex, item);
    m_changed = true;
}

bool TEnlargedViewForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LedAantal && event->type() == QEvent::FocusOut && LedAantal->text().isEmpty())
        LedAantal->setText(QStringLiteral("1"));
    return QDialog::eventFilter(watched, event);
}

void TEnlargedViewForm::paperClicked(int index)
{
    if (!hasItem() || index < 0 || index > 1)
        return;
    TOrderItem item = m_items->Item(m_currentIndex);
    // Matte paper only where the item's format offers the choice, as in the main window.
    const uint8_t glans = index == 1 && m_catalogue && m_catalogue->GlansMatKeuze(item.Formaat) ? 0 : 1;
    if (glans == 1 && index == 1)
        SelectChoice(GlansGroup, 0);
    if (item.Glans == glans)
        return;
    item.Glans = glans;
    m_items->SetItem(m_currentIndex, item);
    m_changed = true;
}

void TEnlargedViewForm::finishClicked(int index)
{
    if (!hasItem() || index < 0 || index >= AfwerkingCount)
        return;
    TOrderItem item = m_items->Item(m_currentIndex);
    if (item.Afwerking != index) {
        item.Afwerking = TAfwerking(index);
        m_items->SetItem(m_currentIndex, item);
        m_changed = true;
    }
    Refresh(TPreviewMode::FromMemory);
}

void TEnlargedViewForm::formatPicked(int index)
{
    if (m_filling || !hasItem() || index < 0)
        return;
    TOrderItem item = m_items->Item(m_currentIndex);
    const QString formaat = CbxFormaat->itemText(index).left(255);
    // A format without the choice of paper takes glossy, as in the main window. The rating
    // and the long side stay as they were; the main window reprices after closing.
    const bool glansOnly = !(m_catalogue && m_catalogue->GlansMatKeuze(formaat));
    if (item.Formaat != formaat || (glansOnly && item.Glans != 1)) {
        item.Formaat = formaat;
        if (glansOnly) {
            item.Glans = 1;
            SelectChoice(GlansGroup, 0);
        }
        m_items->SetItem(m_currentIndex, item);
        m_changed = true;
    }
    Refresh(TPreviewMode::FromMemory);
}
