#include "HoofdVenster.h"

#include "Prompts.h"
#include "UVoortgang.h"
#include "UpDown.h"
#include "app/Errors.h"
#include "catalogue/UConfirmCalculationDlg.h"
#include "catalogue/UFormaatInfo.h"
#include "lab/UDataModule.h"
#include "lab/Updaten.h"
#include "lab/UpdatenDlg.h"
#include "lab/VerzendenDlg.h"
#include "catalogue/UReplaceDlg.h"
#include "catalogue/UServiceAndLocationDlg.h"
#include "dialogs/DialogKit.h"
#include "dialogs/HelpViewer.h"
#include "dialogs/Instellingen.h"
#include "dialogs/Klantgegevens.h"
#include "dialogs/PrAbout.h"
#include "dialogs/UGegevensBevestiging.h"
#include "order/Exporteren.h"
#include "app/SettingsStore.h"
#include "catalogue/UAanbod.h"
#include "catalogue/UPenF.h"
#include "order/TOrderModel.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PreviewRotation.h"
#include "imaging/UEnlargedView.h"
#include "imaging/PrintAreaMask.h"
#include "imaging/UBitmapFunctions.h"
#include "order/UPhotoRater.h"

#include <QAbstractItemView>
#include <cmath>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Between the main window's first paint and the creation of the other windows (a few
// milliseconds) keyboard and mouse input is dropped: every command may need those windows.
class TInputHold : public QObject {
public:
    TInputHold() { qApp->installEventFilter(this); }
    ~TInputHold() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::DragEnter:
        case QEvent::Drop:
        case QEvent::ContextMenu:
            return true;
        default:
            return false;
        }
    }
};

// Selected rows keep their highlight while the list does not have the focus.
void keepSelectionVisible(QTreeView *view)
{
    QPalette pal = view->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    view->setPalette(pal);
}

QString dataFolderFor(const TStartupOptions &options)
{
    QString folder = options.dataFolder;
    if (folder.isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (base.isEmpty())
            base = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
        folder = base + QStringLiteral("/kiekjesbode");
    }
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    QDir().mkpath(folder);
    return folder;
}

// The banner: the program's name on a band of colour, drawn rather than shipped, when it is
// first painted (the fonts load then, not while the window is being built).
class TBanner : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const int w = std::min(width(), 740);
        p.translate((width() - w) / 2, 0);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, w, 0);
        g.setColorAt(0.0, QColor(0xF4, 0xA2, 0x3A));
        g.setColorAt(1.0, QColor(0xC8, 0x3E, 0x4D));
        p.fillRect(QRect(0, 0, w, height()), g);
        // A stack of three prints.
        for (int i = 2; i >= 0; --i) {
            const QRect r(22 + i * 9, 12 + i * 4, 52, 40);
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(Qt::white);
            p.drawRect(r);
            p.fillRect(r.adjusted(4, 4, -4, -10), QColor(0x4C, 0x8E, 0xC8 - i * 20));
        }
        QFont f = font();
        f.setPointSize(22);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRect(110, 6, 600, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kiekjesbode"));
        f.setPointSize(10);
        f.setBold(false);
        p.setFont(f);
        p.drawText(QRect(112, 42, 600, 22), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Uw foto's afgedrukt bij het fotolab"));
    }
};

// The side panel's picture: full size up to 2,048,000 bytes, one eighth above. Any error
// gives the blank picture.
QImage DecodeForPreview(const QString &path, qint64 grootte)
{
    TDecodeOptions options;
    options.scale = MainPreviewScale(grootte);
    TDecodeResult r = DecodeJpegFile(path, options);
    return r.ok() ? r.picture : QImage();
}

void PaintMainWindowMask(QImage &shown, double breedte, double lengte)
{
    PaintPrintAreaMask(shown, MainWindowMaskBars(shown.width(), shown.height(), breedte, lengte));
}

} // namespace

TMainForm::TMainForm(const TStartupOptions &options, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    buildWindow();
    m_prompter = std::make_unique<TGuiPrompter>(this);
    startUp(options);
    if (options.otherWindowsAfterFirstPaint)
        m_inputHold = std::make_unique<TInputHold>();
    else
        CreateOtherWindows();
}

void TMainForm::CreateOtherWindows()
{
    if (m_otherWindowsCreated)
        return;
    m_otherWindowsCreated = true;
    m_formaatInfo = new TFormaatInfoForm(this);
    m_exportDlg = new TExportDlg(this);
    m_aboutBox = new TAboutBox(this);
    m_instellingenDlg = new TInstellingenDlg(this);
    m_klantDlg = new TKlantgegevensDlg(this);
    m_updateDlg = new TUpdateDlg(this);
    m_progress = new TVoortgangsDlg(this);
    m_enlargedView = new TEnlargedViewForm(this);
    m_replaceDlg = new TReplaceDlg(this);
    m_bevestigingDlg = new TGegevensBevestingsDlg(this);
    m_calculationDlg = new TConfirmCalculationDlg(this);
    m_verzendenDlg = new TVerzendenDlg(*m_progress, *m_bevestigingDlg, *m_calculationDlg, this);
    m_verzendenDlg->SetUpdateCommand([this] { BijwerkenExecute(); });
    m_dm = std::make_unique<TDM>(m_store.get());
    m_serviceDlg = new TServiceAndLocationDlg(this);
    m_inputHold.reset();
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // A window that is never drawn (started minimised, say) still gets going.
    if (!m_firstPaintSignalled)
        QTimer::singleShot(1000, this, &TMainForm::signalFirstPaint);
}

void TMainForm::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    if (!m_firstPaintSignalled)
        QTimer::singleShot(0, this, &TMainForm::signalFirstPaint);
}

void TMainForm::signalFirstPaint()
{
    if (std::exchange(m_firstPaintSignalled, true))
        return;
    emit firstPainted();
}

TMainForm::~TMainForm()
{
    // The send dialog may still be ending an upload on the connection and the catalogue:
    // it goes before they do.
    delete m_verzendenDlg;
}

// ---------------------------------------------------------------------------------------
// Layout

void TMainForm::buildWindow()
{
    setWindowTitle(QStringLiteral("Kiekjesbode - Naamloos"));
    // The designed client area is 736 x 502; the window opens a little larger so that every
    // column of the list shows in the toolkit's fonts.
    setMinimumSize(736, 502);
    resize(900, 600);

    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // The banner sits above the menu bar: both go into the window's menu area.
    auto *top = new QWidget(this);
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    Banner = new TBanner(top);
    Banner->setObjectName(QStringLiteral("Banner"));
    Banner->setFixedHeight(73);
    Banner->setAlignment(Qt::AlignCenter);
    Banner->setAccessibleName(QStringLiteral("Kiekjesbode"));
    topLayout->addWidget(Banner);
    auto *bar = new QMenuBar(top);
    bar->setObjectName(QStringLiteral("MenuBar"));
    topLayout->addWidget(bar);
    setMenuWidget(top);

    auto *body = new QWidget(central);
    auto *bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(6, 6, 6, 6);

    // List area.
    auto *listArea = new QWidget(body);
    auto *listLayout = new QVBoxLayout(listArea);
    listLayout->setContentsMargins(0, 0, 0, 0);
    auto *boxes = new QHBoxLayout;
    auto labelledCombo = [listArea](const QString &name, const QString &caption, const QString &accessible,
                                    int minWidth, QLabel *&label) {
        label = new QLabel(caption, listArea);
        auto *box = new QComboBox(listArea);
        box->setObjectName(name);
        box->setMinimumWidth(minWidth);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        label->setBuddy(box);
        box->setAccessibleName(accessible);
        return box;
    };
    QLabel *lblService = nullptr;
    QLabel *lblLocation = nullptr;
    CmbBxService = labelledCombo(QStringLiteral("CmbBxService"), QStringLiteral("&Service:"), QStringLiteral("Service"),
                                 121, lblService);
    CmbBxLocation = labelledCombo(QStringLiteral("CmbBxLocation"), QStringLiteral("Afhaal&locatie:"),
                                  QStringLiteral("Afhaallocatie"), 129, lblLocation);
    boxes->addWidget(lblService);
    boxes->addWidget(CmbBxService);
    boxes->addSpacing(12);
    boxes->addWidget(lblLocation);
    boxes->addWidget(CmbBxLocation);
    boxes->addStretch();
    listLayout->addLayout(boxes);

    ListView = new QTreeView(listArea);
    ListView->setObjectName(QStringLiteral("ListView"));
    ListView->setAccessibleName(QStringLiteral("Orderlijst"));
    ListView->setRootIsDecorated(false);
    ListView->setUniformRowHeights(true);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->setAllColumnsShowFocus(true);
    ListView->header()->setSectionsClickable(false);
    ListView->header()->setSectionsMovable(false);
    keepSelectionVisible(ListView);
    listLayout->addWidget(ListView, 1);

    auto *buttons = new QHBoxLayout;
    BtnAdd = new QPushButton(QStringLiteral("&Toevoegen"), listArea);
    BtnAdd->setObjectName(QStringLiteral("BtnAdd"));
    BtnAdd->setDefault(true);
    BtnAdd->setAutoDefault(true);
    BtnDelete = new QPushButton(QStringLiteral("&Verwijderen"), listArea);
    BtnDelete->setObjectName(QStringLiteral("BtnDelete"));
    BtnDelete->setEnabled(false);
    BtnSend = new QPushButton(QStringLiteral("Verzenden"), listArea);
    BtnSend->setObjectName(QStringLiteral("BtnSend"));
    BtnSend->setEnabled(false);
    buttons->addWidget(BtnAdd);
    buttons->addWidget(BtnDelete);
    buttons->addStretch();
    buttons->addWidget(BtnSend);
    listLayout->addLayout(buttons);
    bodyLayout->addWidget(listArea, 1);

    // Side panel.
    auto *panel = new QGroupBox(body);
    panel->setObjectName(QStringLiteral("PnlEditor"));
    panel->setFixedWidth(233);
    buildSidePanel(panel);
    bodyLayout->addWidget(panel);
    outer->addWidget(body, 1);
    setCentralWidget(central);

    buildMenu();

    // Status bar.
    const int widths[4] = {200, 150, 150, 150};
    const char *design[4] = {"Status", "Orderwaarde", "Uploadtijd", "P&F-Versie"};
    for (int i = 0; i < 4; ++i) {
        StatusPanels[i] = new QLabel(QString::fromLatin1(design[i]), this);
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        StatusPanels[i]->setTextFormat(Qt::PlainText);
        StatusPanels[i]->setMinimumWidth(widths[i]);
        StatusPanels[i]->setFrameShape(QFrame::StyledPanel);
        StatusPanels[i]->setFrameShadow(QFrame::Sunken);
        if (i < 3)
            statusBar()->addWidget(StatusPanels[i]);
        else
            statusBar()->addWidget(StatusPanels[i], 1);
    }
    statusBar()->setToolTip(
        QStringLiteral("Programmastatus/hints - Orderwaarde (exclusief verzendkosten) - Uploadtijd (hh:mm:ss) - P&F-versie"));
    statusBar()->setSizeGripEnabled(true);

    connect(BtnAdd, &QPushButton::clicked, this, &TMainForm::ToevoegenExecute);
    connect(BtnDelete, &QPushButton::clicked, this, &TMainForm::VerwijderenExecute);
    connect(CmbBxService, &QComboBox::activated, this, &TMainForm::serviceSelected);
    connect(CmbBxLocation, &QComboBox::activated, this, &TMainForm::locationSelected);
    ListView->viewport()->installEventFilter(this);
    ListView->installEventFilter(this);
}

void TMainForm::buildSidePanel(QWidget *panel)
{
    auto *v = new QVBoxLayout(panel);
    v->setContentsMargins(8, 6, 8, 6);
    v->setSpacing(4);
    LblName = new QLabel(panel);
    LblName->setObjectName(QStringLiteral("LblName"));
    LblName->setAlignment(Qt::AlignCenter);
    LblName->setTextFormat(Qt::PlainText);
    v->addWidget(LblName);

    auto *previewBox = new QWidget(panel);
    previewBox->setFixedSize(201, 153);
    Preview = new QLabel(previewBox);
    Preview->setObjectName(QStringLiteral("Preview"));
    Preview->setAccessibleName(QStringLiteral("Voorbeeld"));
    Preview->setGeometry(0, 0, 201, 153);
    Preview->setAlignment(Qt::AlignCenter);
    Preview->setFrameShape(QFrame::StyledPanel);
    ProgressBar = new QProgressBar(previewBox);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(2, 153 - 14, 197, 12);
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide();
    Preview->installEventFilter(this);
    v->addWidget(previewBox, 0, Qt::AlignHCenter);

    auto *rotate = new QHBoxLayout;
    BitBtnLinksom = new QToolButton(panel);
    BitBtnLinksom->setObjectName(QStringLiteral("BitBtnLinksom"));
    BitBtnLinksom->setText(QStringLiteral("↶ Linksom"));
    BitBtnLinksom->setAccessibleName(QStringLiteral("Linksom draaien"));
    BitBtnRechtsom = new QToolButton(panel);
    BitBtnRechtsom->setObjectName(QStringLiteral("BitBtnRechtsom"));
    BitBtnRechtsom->setText(QStringLiteral("Rechtsom ↷"));
    BitBtnRechtsom->setAccessibleName(QStringLiteral("Rechtsom draaien"));
    rotate->addWidget(BitBtnLinksom);
    rotate->addStretch();
    rotate->addWidget(BitBtnRechtsom);
    v->addLayout(rotate);

    auto *countRow = new QHBoxLayout;
    LblAantal = new QLabel(QStringLiteral("A&antal"), panel);
    LedAantal = new QLineEdit(QStringLiteral("1"), panel);
    LedAantal->setObjectName(QStringLiteral("LedAantal"));
    LedAantal->setMaxLength(3);
    LedAantal->setFixedWidth(48);
    LedAantal->setAlignment(Qt::AlignRight);
    LblAantal->setBuddy(LedAantal);
    LedAantal->setAccessibleName(QStringLiteral("Aantal"));
    LedAantal->installEventFilter(this);
    UpDownAantal = new TUpDown(1, 999, panel);
    UpDownAantal->setObjectName(QStringLiteral("UpDownAantal"));
    countRow->addWidget(LblAantal);
    countRow->addWidget(LedAantal);
    countRow->addWidget(UpDownAantal);
    countRow->addStretch();
    v->addLayout(countRow);

    LblFormaat = new QLabel(QStringLiteral("&Formaat"), panel);
    LblFormaat->setObjectName(QStringLiteral("LblFormaat"));
    v->addWidget(LblFormaat);
    auto *formatRow = new QHBoxLayout;
    CbxFormaat = new QComboBox(panel);
    CbxFormaat->setObjectName(QStringLiteral("CbxFormaat"));
    LblFormaat->setBuddy(CbxFormaat);
    CbxFormaat->setAccessibleName(QStringLiteral("Formaat"));
    BtnFormatenInfo = new QToolButton(panel);
    BtnFormatenInfo->setObjectName(QStringLiteral("BtnFormatenInfo"));
    BtnFormatenInfo->setText(QStringLiteral("i"));
    BtnFormatenInfo->setToolTip(QStringLiteral("Informatie over de formaten"));
    BtnFormatenInfo->setAccessibleName(QStringLiteral("Informatie over de formaten"));
    BtnFormatenInfo->setEnabled(false);
    formatRow->addWidget(CbxFormaat, 1);
    formatRow->addWidget(BtnFormatenInfo);
    v->addLayout(formatRow);

    auto *radios = new QHBoxLayout;
    RgpGlans = dialogkit::RadioGroup(QStringLiteral("RgpGlans"), QStringLiteral("Papier"),
                                     {QStringLiteral("Glans"), QStringLiteral("Mat")}, GlansGroup, panel);
    RgpAfwerking = dialogkit::RadioGroup(QStringLiteral("RgpAfwerking"), QStringLiteral("Afwerking"),
                                         {QStringLiteral("Kleur"), QStringLiteral("Zwart/Wit"), QStringLiteral("Bruintoon")},
                                         AfwerkingGroup, panel);
    radios->addWidget(RgpGlans);
    radios->addWidget(RgpAfwerking);
    v->addLayout(radios);
    v->addStretch();

    auto *nav = new QHBoxLayout;
    auto navButton = [panel](const QString &name, const QString &text, const QString &accessible) {
        auto *b = new QToolButton(panel);
        b->setObjectName(name);
        b->setText(text);
        b->setAccessibleName(accessible);
        b->setToolTip(accessible);
        return b;
    };
    BitBtnHome = navButton(QStringLiteral("BitBtnHome"), QStringLiteral("|◀"), QStringLiteral("Eerste orderitem"));
    BitBtnPrevious = navButton(QStringLiteral("BitBtnPrevious"), QStringLiteral("◀"), QStringLiteral("Vorige orderitem"));
    LblIndex = new QLabel(QStringLiteral("0/0"), panel);
    LblIndex->setObjectName(QStringLiteral("LblIndex"));
    QFont bold = LblIndex->font();
    bold.setBold(true);
    LblIndex->setFont(bold);
    LblIndex->setAlignment(Qt::AlignCenter);
    BitBtnNext = navButton(QStringLiteral("BitBtnNext"), QStringLiteral("▶"), QStringLiteral("Volgende orderitem"));
    BitBtnEnd = navButton(QStringLiteral("BitBtnEnd"), QStringLiteral("▶|"), QStringLiteral("Laatste orderitem"));
    nav->addWidget(BitBtnHome);
    nav->addWidget(BitBtnPrevious);
    nav->addWidget(LblIndex, 1);
    nav->addWidget(BitBtnNext);
    nav->addWidget(BitBtnEnd);
    v->addLayout(nav);

    connect(LedAantal, &QLineEdit::textChanged, this, &TMainForm::countChanged);
    connect(UpDownAantal, &TUpDown::stepRequested, this, &TMainForm::countUpDown);
    connect(CbxFormaat, &QComboBox::activated, this, &TMainForm::formatPicked);
    connect(GlansGroup, &QButtonGroup::idClicked, this, &TMainForm::paperClicked);
    connect(AfwerkingGroup, &QButtonGroup::idClicked, this, &TMainForm::finishClicked);
    connect(BitBtnHome, &QToolButton::clicked, this, [this] { navigate(0); });
    connect(BitBtnPrevious, &QToolButton::clicked, this, [this] { navigate(1); });
    connect(BitBtnNext, &QToolButton::clicked, this, [this] { navigate(2); });
    connect(BitBtnEnd, &QToolButton::clicked, this, [this] { navigate(3); });
    connect(BtnFormatenInfo, &QToolButton::clicked, this, &TMainForm::FormatenInfoClick);
    connect(BitBtnLinksom, &QToolButton::clicked, this, [this] { RotateClick(false); });
    connect(BitBtnRechtsom, &QToolButton::clicked, this, [this] { RotateClick(true); });
    EnableItemEditor(false);
}

void TMainForm::buildMenu()
{
    QMenuBar *bar = menuWidget()->findChild<QMenuBar *>(QStringLiteral("MenuBar"));
    auto add = [this](QMenu *menu, const QString &name, const QString &text, const QKeySequence &key) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        if (!key.isEmpty())
            a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        return a;
    };
    QMenu *bestand = bar->addMenu(QStringLiteral("&Bestand"));
    ActNieuw = add(bestand, QStringLiteral("Nieuw"), QStringLiteral("&Nieuw"), QKeySequence(QStringLiteral("Ctrl+N")));
    ActOpenen = add(bestand, QStringLiteral("Openen"), QStringLiteral("&Openen..."), QKeySequence(QStringLiteral("Ctrl+O")));
    ActOpslaan = add(bestand, QStringLiteral("Opslaan"), QStringLiteral("O&pslaan"), QKeySequence(QStringLiteral("Ctrl+S")));
    ActOpslaanAls = add(bestand, QStringLiteral("OpslaanAls"), QStringLiteral("Op&slaan als..."),
                        QKeySequence(QStringLiteral("Shift+Ctrl+S")));
    bestand->addSeparator();
    ActExporteren = add(bestand, QStringLiteral("Exporteren"), QStringLiteral("&Exporteren..."),
                        QKeySequence(QStringLiteral("Shift+Ctrl+E")));
    bestand->addSeparator();
    ActPrinterinstellingen = add(bestand, QStringLiteral("Printerinstellingen"), QStringLiteral("P&rinterinstellingen..."), {});
    ActPrint = add(bestand, QStringLiteral("Print"), QStringLiteral("Pr&int..."), QKeySequence(QStringLiteral("Ctrl+P")));
    bestand->addSeparator();
    ActAfsluiten = add(bestand, QStringLiteral("Afsluiten"), QStringLiteral("&Afsluiten"), QKeySequence(QStringLiteral("Alt+F4")));

    QMenu *order = bar->addMenu(QStringLiteral("&Order"));
    ActToevoegen = add(order, QStringLiteral("Toevoegen"), QStringLiteral("&Toevoegen..."), {});
    order->addSeparator();
    ActVerwijderen = add(order, QStringLiteral("Verwijderen"), QStringLiteral("&Verwijderen..."), {});
    order->addSeparator();
    ActVerzenden = add(order, QStringLiteral("Verzenden"), QStringLiteral("V&erzenden..."), {});

    QMenu *wijzig = bar->addMenu(QStringLiteral("&Wijzig"));
    ActInstellingen = add(wijzig, QStringLiteral("Instellingen"), QStringLiteral("&Instellingen..."),
                          QKeySequence(QStringLiteral("Shift+Ctrl+I")));
    ActKlantgegevens = add(wijzig, QStringLiteral("Klantgegevens"), QStringLiteral("&Klantgegevens..."),
                           QKeySequence(QStringLiteral("Shift+Ctrl+K")));
    wijzig->addSeparator();
    ActBijwerken = add(wijzig, QStringLiteral("Bijwerken"), QStringLiteral("Prijzen/formaten bijwerken..."),
                       QKeySequence(QStringLiteral("Ctrl+B")));

    QMenu *help = bar->addMenu(QStringLiteral("&Help/Info"));
    ActHelp = add(help, QStringLiteral("Help"), QStringLiteral("&Help..."), QKeySequence(Qt::Key_F1));
    help->addSeparator();
    ActInfo = add(help, QStringLiteral("Info"), QStringLiteral("&Info..."), QKeySequence(QStringLiteral("Ctrl+I")));

    ActOpslaan->setEnabled(false);
    ActOpslaanAls->setEnabled(false);
    ActExporteren->setEnabled(false);
    ActPrinterinstellingen->setEnabled(false);
    ActPrint->setEnabled(false);
    ActVerwijderen->setEnabled(false);
    ActVerzenden->setEnabled(false);

    for (QMenu *m : {bestand, order, wijzig, help})
        connect(m, &QMenu::aboutToShow, this, [this] { EnableOrderCommands(m_model && m_model->Count() > 0); });
    connect(ActNieuw, &QAction::triggered, this, &TMainForm::NieuwExecute);
    connect(ActOpenen, &QAction::triggered, this, &TMainForm::OpenenExecute);
    connect(ActOpslaan, &QAction::triggered, this, [this] { OpslaanExecute(); });
    connect(ActOpslaanAls, &QAction::triggered, this, [this] { OpslaanAlsExecute(); });
    connect(ActAfsluiten, &QAction::triggered, this, &QWidget::close);
    connect(ActToevoegen, &QAction::triggered, this, &TMainForm::ToevoegenExecute);
    connect(ActExporteren, &QAction::triggered, this, &TMainForm::ExporterenExecute);
    connect(ActInstellingen, &QAction::triggered, this, &TMainForm::InstellingenExecute);
    connect(ActKlantgegevens, &QAction::triggered, this, &TMainForm::KlantgegevensExecute);
    connect(ActInfo, &QAction::triggered, this, &TMainForm::InfoExecute);
    connect(ActBijwerken, &QAction::triggered, this, &TMainForm::BijwerkenExecute);
    connect(ActHelp, &QAction::triggered, this, [this] {
        SetStatusText(QStringLiteral("Helpbestand wordt geopend..."));
        ShowHelp(this);
        SetStatusText(QString());
    });
    connect(ActVerzenden, &QAction::triggered, this, &TMainForm::VerzendenExecute);
    connect(BtnSend, &QPushButton::clicked, this, &TMainForm::VerzendenExecute);
    connect(ActVerwijderen, &QAction::triggered, this, &TMainForm::VerwijderenExecute);
}

// ---------------------------------------------------------------------------------------
// Start-up and closing

void TMainForm::startUp(const TStartupOptions &options)
{
    m_dataFolder = dataFolderFor(options);
    m_standaard = StandaardInstellingen();
    m_settings = m_standaard;

    const QString penf = m_dataFolder + QStringLiteral("PenF.dat");
    if (TUpdateExchange::RecoverInterruptedDownload(penf))
        m_startupMessages << QStringLiteral("Het bijwerken van de prijzen en formaten is de vorige keer niet "
                                            "afgemaakt.\rDe vorige prijzen en formaten zijn teruggezet.");
    m_catalogueExists = QFileInfo::exists(penf);
    m_catalogue = std::make_unique<TPenFFile>(penf, datetime::now(), uint8_t(0));
    QString catalogueError;
    if (m_catalogueExists) {
        try {
            m_catalogue->LoadFromFile();
        } catch (const EKiekjesError &e) {
            catalogueError = e.message();
        }
    }
    m_rater = std::make_unique<TPhotoRater>(*m_catalogue);
    m_model = std::make_unique<TOrderModel>(*m_catalogue, *m_rater);
    m_model->Kassa().SetMessageHook([this](const QString &text) { TMessageBox::message(this, text); });
    ListView->setModel(m_model.get());
    const int widths[7] = {135, 55, 75, 45, 70, 95, 60};
    for (int c = 0; c < 7; ++c) {
        if (widths[c] > 0)
            ListView->setColumnWidth(c, widths[c]);
    }
    ListView->header()->setMinimumSectionSize(40);
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        // Keyboard moves select rows like a click does.
        if (ListView->hasFocus() && !m_filling)
            rowClicked();
    });

    m_store = options.settingsFile.isEmpty() ? std::make_unique<TSettingsStore>()
                                             : std::make_unique<TSettingsStore>(options.settingsFile);
    m_store->writeServerAddress(options.defaultHost, options.defaultPort);
    readStoredSettings();

    m_busy = true;
    if (m_catalogueExists) {
        fillListsFromCatalogue();
        if (!catalogueError.isEmpty())
            m_startupMessages << (QStringLiteral("Het bestand met prijzen en formaten is beschadigd en kon niet "
                                                    "volledig gelezen worden:\r")
                                         + catalogueError
                                         + QStringLiteral("\rDownload nieuwe informatie met de functie\r"
                                                          "\"Prijzen/Formaten bijwerken\" uit het \"Wijzig\"-menu."));
    } else {
        ActOpenen->setEnabled(false);
        BtnAdd->setEnabled(false);
        m_startupMessages << (QStringLiteral("Er is geen informatie beschikbaar over formaten.\rDownload nieuwe "
                                                  "informatie met de functie\r\"Prijzen/Formaten bijwerken\" uit het "
                                                  "\"Wijzig\"-menu."));
    }
    updateIndexLabel();
}

void TMainForm::readStoredSettings()
{
    QStringList bad = m_store->readSettings(m_settings, m_location, m_fastService);
    bad += m_store->readCustomer(m_customer);
    if (m_store->readMaximized())
        setWindowState(windowState() | Qt::WindowMaximized);
    if (!bad.isEmpty())
        m_startupMessages << (QStringLiteral("De volgende opgeslagen instellingen waren ongeldig en zijn "
                                                  "teruggezet naar hun standaardwaarde:\r - ")
                                       + bad.join(QStringLiteral("\r - ")));
}

void TMainForm::fillListsFromCatalogue()
{
    CbxFormaat->clear();
    for (int i = 0; i < m_catalogue->FormatCount(); ++i)
        CbxFormaat->addItem(m_catalogue->FormatName(i));
    CbxFormaat->setCurrentIndex(-1);
    BtnFormatenInfo->setEnabled(true);
    m_standaard.Formaat = m_catalogue->DefaultFormatName();
    if (m_settings.Formaat.isEmpty())
        m_settings.Formaat = m_standaard.Formaat;
    CmbBxLocation->clear();
    CmbBxLocation->addItems(aanbod::StartupLocations(*m_catalogue));
    if (m_catalogue->LocationCount() == 0)
        CmbBxLocation->setCurrentIndex(0);
    else
        CmbBxLocation->setCurrentIndex(-1);
    CmbBxService->clear();
    CmbBxService->addItems(aanbod::ServiceNames(*m_catalogue));
    CmbBxService->setCurrentIndex(CmbBxService->count() == 1 ? 0 : -1);
}

void TMainForm::FirstShow()
{
    CreateOtherWindows();
    // What start-up found wrong is told once the window is up.
    for (const QString &text : std::exchange(m_startupMessages, {}))
        TMessageBox::message(this, text);
    if (!m_customer.isEntered()) {
        // The details were never entered: ask until they are.
        m_klantDlg->SetVerplicht(true);
        do {
            m_klantDlg->SetGegevens(m_customer);
        } while (m_klantDlg->Execute() != QDialog::Accepted);
        m_klantDlg->GetGegevens(m_customer);
        m_klantDlg->SetVerplicht(false);
    }
    m_aboutBox->SetVersionText(QStringLiteral("Kiekjesbode (1.6.1.5)"));
    QStringList formats;
    for (int i = 0; i < CbxFormaat->count(); ++i)
        formats << CbxFormaat->itemText(i);
    m_instellingenDlg->SetFormaten(formats);
    m_instellingenDlg->SetStandaard(m_standaard);
    m_instellingenDlg->SetCatalogusBestand(m_catalogue->GetFileName());
    m_busy = false;
    NieuwExecute();
    UpdateStatusBar(QString());
    m_acceptDrops = true;
    setAcceptDrops(true);
}

bool TMainForm::WriteStoredSettings()
{
    m_store->writeSettings(m_settings, m_location, m_fastService);
    m_store->writeMaximized(isMaximized());
    m_store->writeCustomer(m_customer);
    m_store->sync();
    return m_store->status() == QSettings::NoError;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    m_acceptDrops = false;
    SetStatusText(QStringLiteral("Afsluiten..."));
    auto stayOpen = [&] {
        SetStatusText(QString());
        m_acceptDrops = true;
        event->ignore();
    };
    if (m_modified && m_model->Count() > 0) {
        const auto answer = TMessageBox::yesNoCancel(this, QStringLiteral("Wilt u de wijzigingen opslaan?"));
        if (answer == QMessageBox::Cancel) {
            stayOpen();
            return;
        }
        if (answer == QMessageBox::Yes)
            saveAfterQuestion(false);
    } else if (!TMessageBox::okCancel(this, QStringLiteral("Weet u zeker dat u af wilt sluiten?"))) {
        stayOpen();
        return;
    }
    // The settings file is replaced whole or not at all; when it cannot be written the
    // previous one stays and the window closes all the same.
    if (!WriteStoredSettings())
        TMessageBox::message(this, QStringLiteral("De instellingen en klantgegevens konden niet worden opgeslagen.\r"
                                                  "Bij de volgende start gelden de eerder opgeslagen gegevens."));
    event->accept();
}

// ---------------------------------------------------------------------------------------
// Status bar and enabling

void TMainForm::SetStatusText(const QString &text)
{
    StatusPanels[0]->setText(text);
    StatusPanels[0]->repaint();
}

QString TMainForm::StatusText(int panel) const
{
    return StatusPanels[panel]->text();
}

void TMainForm::UpdateStatusBar(const QString &text)
{
    StatusPanels[0]->setText(text);
    StatusPanels[1]->setText(m_model->OrderValueText());
    StatusPanels[2]->setText(m_model->UploadTimeText(m_settings.UploadSpeed));
    StatusPanels[3]->setText(QStringLiteral("P&F-versie: ")
                             + VersieTekst(m_catalogue->Versienummer(), m_catalogue->Versiedatum()));
}

void TMainForm::EnableOrderCommands(bool enable)
{
    for (QWidget *w : {static_cast<QWidget *>(BtnDelete), static_cast<QWidget *>(BtnSend)})
        w->setEnabled(enable);
    for (QAction *a : {ActOpslaan, ActOpslaanAls, ActExporteren, ActVerwijderen, ActVerzenden})
        a->setEnabled(enable);
}

void TMainForm::EnableItemEditor(bool enable)
{
    for (QWidget *w : std::initializer_list<QWidget *>{BitBtnLinksom, BitBtnRechtsom, LedAantal, UpDownAantal, LblFormaat,
                                                       CbxFormaat, RgpGlans, RgpAfwerking, BitBtnHome, BitBtnPrevious,
                                                       BitBtnNext, BitBtnEnd})
        w->setEnabled(enable);
}

TOperationHooks TMainForm::Hooks(bool allowEvents)
{
    TOperationHooks h{m_prompter.get(), m_progress, {}};
    if (allowEvents)
        h.processEvents = [] { QCoreApplication::processEvents(); };
    return h;
}

void TMainForm::setModified(bool modified)
{
    m_modified = modified;
}

void TMainForm::updateTitle()
{
    const QString name = m_hasFile ? QFileInfo(m_fileName).completeBaseName() : QStringLiteral("Naamloos");
    setWindowTitle(QStringLiteral("Kiekjesbode - ") + name);
}

// ---------------------------------------------------------------------------------------
// Order list and item editor

QList<int> TMainForm::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &i : ListView->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TMainForm::ClearOrderList()
{
    if (m_model->Count() > 0) {
        m_model->SetItems({});
        m_current = -1;
    }
}

void TMainForm::rowClicked()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    SetStatusText(QStringLiteral("Item laden..."));
    EnableItemEditor(true);
    m_current = rows.first();
    ShowItem(PreviewFromFile);
    SetStatusText(QStringLiteral("Voltooid"));
}

void TMainForm::ShowItem(int mode)
{
    if (mode == PreviewFromFile) {
        showItemValues(m_current);
        updateIndexLabel();
    }
    showPreview(mode);
}

void TMainForm::showItemValues(int row)
{
    // Setting the controls goes through the same handling as the user's changes: a shown
    // value that differs from the control's is applied to the selection.
    if (row < 0 || row >= m_model->Count()) {
        UpDownAantal->setPosition(m_current >= 0 ? 1 : UpDownAantal->position());
        m_filling = true;
        GlansGroup->setExclusive(false);
        for (auto *b : GlansGroup->buttons())
            b->setChecked(false);
        GlansGroup->setExclusive(true);
        AfwerkingGroup->setExclusive(false);
        for (auto *b : AfwerkingGroup->buttons())
            b->setChecked(false);
        AfwerkingGroup->setExclusive(true);
        RgpGlans->setEnabled(false);
        CbxFormaat->setCurrentIndex(-1);
        LblName->clear();
        m_filling = false;
        return;
    }
    const TOrderItem item = m_model->Item(row);
    LblName->setText(item.Naam);
    if (UpDownAantal->position() != item.Aantal || LedAantal->text() != QString::number(item.Aantal)) {
        UpDownAantal->setPosition(item.Aantal);
        LedAantal->setText(QString::number(item.Aantal));
    }
    TFormatDims dims;
    const bool choice = m_rater->FindFormat(item.Formaat, dims) && dims.GlansMatKeuze;
    const int paper = item.Glans == 1 ? 0 : (item.Glans == 0 ? 1 : -1);
    if (paper >= 0 && GlansGroup->checkedId() != paper) {
        GlansGroup->button(paper)->setChecked(true);
        paperClicked(paper);
    }
    RgpGlans->setEnabled(choice);
    if (item.Afwerking < AfwerkingCount && AfwerkingGroup->checkedId() != item.Afwerking) {
        AfwerkingGroup->button(item.Afwerking)->setChecked(true);
        finishClicked(item.Afwerking);
    }
    m_filling = true;
    CbxFormaat->setCurrentIndex(CbxFormaat->findText(item.Formaat, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    m_filling = false;
}

void TMainForm::updateIndexLabel()
{
    const int n = m_model->Count();
    LblIndex->setText(m_current < 0 ? QStringLiteral("0/%1").arg(n) : QStringLiteral("%1/%2").arg(m_current + 1).arg(n));
}

void TMainForm::showPreview(int mode, bool withFinish)
{
    QPixmap pixmap;
    if (mode == PreviewFromFile && m_current >= 0 && m_current < m_model->Count()) {
        const TOrderItem &item = m_model->Item(m_current);
        m_previewImage = DecodeForPreview(item.Bestand, item.Grootte);
    } else if (mode != PreviewFromMemory) {
        m_previewImage = QImage();
    }
    if (m_previewImage.isNull()) {
        Preview->setPixmap(QPixmap());
        return;
    }
    QImage shown = m_previewImage;
    if (m_current >= 0 && m_current < m_model->Count()) {
        const TOrderItem &item = m_model->Item(m_current);
        TFormatDims dims;
        if (m_rater->FindFormat(item.Formaat, dims))
            PaintMainWindowMask(shown, dims.Breedte, dims.Lengte);
        if (withFinish)
            ApplyFinishPreview(shown, AfwerkingGroup->checkedId());
    }
    Preview->setPixmap(QPixmap::fromImage(shown.scaled(Preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TMainForm::RepriceRows()
{
    m_model->RepriceRows();
}

void TMainForm::RecalculateOrder()
{
    m_model->RecalculateOrder(Hooks());
}

void TMainForm::countUpDown(int position)
{
    if (position < 1 || position > 999 || m_current < 0)
        return;
    UpDownAantal->setPosition(position);
    LedAantal->setText(QString::number(position));
}

void TMainForm::countChanged()
{
    bool ok = false;
    const int typed = LedAantal->text().toInt(&ok);
    if (ok && typed >= 1 && typed <= 999)
        UpDownAantal->setPosition(typed);
    const int b = UpDownAantal->position();
    if (b < 1 || b > 999 || m_current < 0)
        return;
    SetStatusText(QStringLiteral("Aantal wijzigen..."));
    QList<int> rows;
    for (int r : selectedRows()) {
        if (m_model->Item(r).Aantal != b)
            rows << r;
    }
    m_model->SetCount(rows, uint16_t(b), Hooks());
    SetStatusText(QStringLiteral("Orderlijst bijwerken..."));
    UpdateStatusBar(QStringLiteral("Voltooid"));
    setModified(true);
}

void TMainForm::formatPicked(int index)
{
    if (m_filling || m_current < 0 || index < 0)
        return;
    SetStatusText(QStringLiteral("Formaat wijzigen..."));
    const QString f = CbxFormaat->itemText(index);
    TFormatDims dims;
    const bool choice = m_rater->FindFormat(f, dims) && dims.GlansMatKeuze;
    RgpGlans->setEnabled(choice);
    if (!choice && GlansGroup->checkedId() != 0) {
        GlansGroup->button(0)->setChecked(true);
        paperClicked(0);
    }
    const bool quiet = m_settings.VerhoogSnelheid;
    m_model->SetFormat(selectedRows(), f, quiet, Hooks(!quiet));
    SetStatusText(QStringLiteral("Orderlijst bijwerken..."));
    setModified(true);
    ShowItem(PreviewFromMemory);
    UpdateStatusBar(QStringLiteral("Voltooid"));
}

void TMainForm::paperClicked(int index)
{
    if (index < 0 || index > 1 || m_current < 0)
        return;
    m_model->SetPaper(selectedRows(), index);
    setModified(true);
}

void TMainForm::finishClicked(int index)
{
    if (index < 0 || index > 2 || m_current < 0)
        return;
    m_model->SetFinish(selectedRows(), TAfwerking(index));
    ShowItem(PreviewFromMemory);
    SetStatusText(QString());
    setModified(true);
}

void TMainForm::selectRow(int row)
{
    m_filling = true;
    ListView->selectionModel()->clearSelection();
    const QModelIndex idx = m_model->index(row, 0);
    ListView->selectionModel()->select(idx, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ListView->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
    ListView->scrollTo(idx);
    m_filling = false;
}

void TMainForm::navigate(int which)
{
    const int n = m_model->Count();
    const int last = n - 1;
    static const char *texts[4] = {"Eerste orderitem laden...", "Vorige orderitem laden...", "Volgende orderitem laden...",
                                   "Laatste orderitem laden..."};
    int target = -1;
    switch (which) {
    case 0:
        if (n > 0 && m_current != 0)
            target = 0;
        break;
    case 1:
        if (n > 0 && m_current >= 1)
            target = m_current - 1;
        break;
    case 2:
        if (n > 0 && m_current < last)
            target = m_current < 0 ? 0 : m_current + 1;
        break;
    case 3:
        if (n > 0 && m_current != last)
            target = last;
        break;
    }
    if (target < 0)
        return;
    SetStatusText(QString::fromLatin1(texts[which]));
    m_current = target;
    selectRow(target);
    ShowItem(PreviewFromFile);
    SetStatusText(QStringLiteral("Voltooid"));
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LedAantal) {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            const QString t = key->text();
            if (!t.isEmpty()) {
                const char16_t c = t.at(0).unicode();
                if (c > 13 && (c < '0' || c > '9'))
                    return true;
            }
        } else if (event->type() == QEvent::FocusOut && LedAantal->text().isEmpty()) {
            LedAantal->setText(QStringLiteral("1"));
        }
    } else if (watched == ListView->viewport() && event->type() == QEvent::MouseButtonRelease) {
        QMetaObject::invokeMethod(this, [this] { rowClicked(); }, Qt::QueuedConnection);
    } else if ((watched == ListView->viewport() || watched == Preview) && event->type() == QEvent::MouseButtonDblClick) {
        QMetaObject::invokeMethod(this, [this] { EnlargedViewExecute(); }, Qt::QueuedConnection);
    } else if (watched == ListView) {
        if (event->type() == QEvent::KeyRelease && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space)
            rowClicked();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------
// Adding and removing photos

void TMainForm::ToevoegenExecute()
{
    SetStatusText(QStringLiteral("Bestanden selecteren..."));
    m_acceptDrops = false;
    const QStringList files = TFileDialog::getOpenFileNames(this, QStringLiteral("Foto's toevoegen"),
                                                            QStringLiteral("JPEG-afbeeldingen (*.jpg *.jpeg *.JPG *.JPEG)"));
    if (files.isEmpty()) {
        m_acceptDrops = true;
        SetStatusText(QStringLiteral("Geannuleerd"));
        return;
    }
    AddFiles(files, false);
    m_acceptDrops = true;
}

void TMainForm::AddFiles(const QStringList &paths, bool fromDrop)
{
    const int n = int(paths.size());
    if (n == 0)
        return;
    SetStatusText(QStringLiteral("Orderitems toevoegen..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool quiet = m_settings.VerhoogSnelheid;
    const TOperationHooks hooks = Hooks(!quiet);
    hooks.setProgress(0, QStringLiteral("Bestanden worden verwerkt"), ApplicationTitle());
    hooks.setProgress(5, QStringLiteral("Bestanden worden verwerkt\r0 van %1").arg(n));

    // The photos are checked and rated on the worker pool; rows, prices and messages still
    // follow the files' order.
    QList<int> wanted;
    for (int i = 0; i < n; ++i) {
        const QString &p = paths[i];
        const QString suffix = QFileInfo(p).suffix().toUpper();
        if (!fromDrop || (!p.isEmpty() && (suffix == QLatin1String("JPG") || suffix == QLatin1String("JPEG"))))
            wanted << i;
    }
    TFormatDims dims;
    const bool known = m_model->SettingsFormat(m_settings, dims);
    TPhotoBatch batch(*m_rater, known ? &dims : nullptr);
    QStringList toCheck;
    for (int i : wanted)
        toCheck << paths[i];
    batch.Start(toCheck);

    int next = 0;
    for (int i = 0; i < n; ++i) {
        const QString &p = paths[i];
        const QString counter = QStringLiteral("Bestanden worden verwerkt\r%1 van %2 ").arg(i + 1).arg(n);
        if (next >= wanted.size() || wanted[next] != i) {
            hooks.setProgress(int(Round(double(i + 1) / n * 990.0)), counter + QStringLiteral("toegevoegd..."));
            continue;
        }
        if (!quiet)
            QCoreApplication::processEvents();
        const TPhotoCheck check = batch.Result(next++);
        const auto result = m_model->AddCheckedPhoto(p, m_settings, check, hooks);
        if (result != TOrderModel::AddResult::NotJpeg && result != TOrderModel::AddResult::NotStorable)
            hooks.setProgress(int(Round(double(i + 1) / n * 990.0)), counter + QStringLiteral("verwerkt..."));
    }
    EnableOrderCommands(true);
    updateIndexLabel();
    setModified(true);
    hooks.setProgress(1000, QStringLiteral("%1 bestanden zijn verwerkt").arg(n));
    hooks.hideProgress();
    UpdateStatusBar(QStringLiteral("Voltooid"));
    QApplication::restoreOverrideCursor();
}

void TMainForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_acceptDrops && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent *event)
{
    if (!m_acceptDrops)
        return;
    m_acceptDrops = false;
    QStringList names;
    for (const QUrl &url : event->mimeData()->urls())
        names << url.toLocalFile().left(1024);
    event->acceptProposedAction();
    AddFiles(names, true);
    m_acceptDrops = true;
}

void TMainForm::VerwijderenExecute()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    SetStatusText(QStringLiteral("Item(s) verwijderen..."));
    if (!TMessageBox::yesNo(this, QStringLiteral("Weet u zeker dat u %1 item(s) wilt verwijderen?").arg(rows.size())))
        return;
    m_model->DeleteRows(rows);
    m_current = -1;
    updateIndexLabel();
    EnableItemEditor(false);
    if (m_model->Count() == 0)
        EnableOrderCommands(false);
    m_previewImage = QImage();
    showPreview(-1);
    showItemValues(-1);
    SetStatusText(QStringLiteral("Orderlijst bijwerken..."));
    UpdateStatusBar(QStringLiteral("Voltooid"));
    setModified(true);
}

// ---------------------------------------------------------------------------------------
// Document commands

bool TMainForm::saveQuestion(bool forOpen)
{
    if (!m_modified)
        return true;
    const auto answer = TMessageBox::yesNoCancel(this, QStringLiteral("Wilt u de wijzigingen opslaan?"));
    if (answer == QMessageBox::Cancel) {
        SetStatusText(QString());
        return false;
    }
    if (answer == QMessageBox::Yes) {
        if (forOpen)
            SetStatusText(QStringLiteral("Opslaan..."));
        saveAfterQuestion(forOpen);
    }
    return true;
}

void TMainForm::saveAfterQuestion(bool forOpen)
{
    // A save to the order's own file reports its own failure; only Save as adds the warning.
    if (m_hasFile) {
        try {
            m_orderFile.SaveOrderFile(QString(), m_model->Items(), Hooks());
        } catch (const EKiekjesError &e) {
            TMessageBox::error(this, e.message());
        }
    } else if (!OpslaanAlsExecute()) {
        if (forOpen)
            SetStatusText(QStringLiteral("Niet opgeslagen!"));
        TMessageBox::message(this, QStringLiteral("Bestand niet opgeslagen!\rWijzigingen gaan verloren!"));
    }
}

void TMainForm::NieuwExecute()
{
    SetStatusText(QStringLiteral("Nieuwe order aanmaken..."));
    if (!saveQuestion(false))
        return;
    m_fileName = QStringLiteral("Naamloos");
    m_hasFile = false;
    updateTitle();
    ClearOrderList();
    m_current = -1;
    m_previewImage = QImage();
    showPreview(-1);
    updateIndexLabel();
    EnableItemEditor(false);
    EnableOrderCommands(false);
    chooseServiceAndLocation();
}

void TMainForm::OpenenExecute()
{
    SetStatusText(QStringLiteral("Opslaan..?"));
    if (!saveQuestion(true))
        return;
    SetStatusText(QStringLiteral("Openen..."));
    const QString path = TFileDialog::getOpenFileName(this, QStringLiteral("Order openen"),
                                                      QStringLiteral("Orderbestanden (*.obn)"));
    if (path.isEmpty())
        return;
    ClearOrderList();
    m_current = -1;
    m_previewImage = QImage();
    showPreview(-1);
    // Load into a fresh file state: a failed load must not leave the routines pointing at
    // the file that failed, nor show a half-loaded list as the previous order.
    TOrderFile loader;
    QList<TOrderItem> items;
    bool ok = false;
    try {
        const bool quiet = m_settings.VerhoogSnelheid;
        ok = loader.LoadOrderFile(path, OrderFileVersion(), items, *m_rater, quiet, Hooks(!quiet));
    } catch (const EKiekjesError &e) {
        m_progress->Hide();
        TMessageBox::error(this, e.message());
        ok = false;
    }
    if (ok) {
        m_orderFile = loader;
        m_model->SetItems(std::move(items));
        m_fileName = path;
        m_hasFile = true;
        updateTitle();
        EnableOrderCommands(true);
        EnableItemEditor(false);
        updateIndexLabel();
        setModified(false);
        RecalculateOrder();
        UpdateStatusBar(QStringLiteral("Voltooid"));
        return;
    }
    SetStatusText(QStringLiteral("Openen mislukt!"));
    TMessageBox::message(this, QStringLiteral("Het bestand kan niet geladen worden!"));
    // The previous order is gone from the list already; what was half loaded is dropped, so
    // the new order has nothing to save.
    m_model->SetItems({});
    setModified(false);
    NieuwExecute();
}

bool TMainForm::OpslaanExecute()
{
    SetStatusText(QStringLiteral("Opslaan..."));
    if (!m_hasFile)
        return OpslaanAlsExecute();
    bool ok = false;
    try {
        ok = m_orderFile.SaveOrderFile(QString(), m_model->Items(), Hooks());
    } catch (const EKiekjesError &e) {
        TMessageBox::error(this, e.message());
        return false;
    }
    if (ok) {
        setModified(false);
        SetStatusText(QStringLiteral("Voltooid"));
    } else {
        SetStatusText(QStringLiteral("Opslaan mislukt!"));
        TMessageBox::message(this, QStringLiteral("Opslaan van bestand mislukt!"));
    }
    return ok;
}

bool TMainForm::OpslaanAlsExecute()
{
    SetStatusText(QStringLiteral("Opslaan..."));
    const QString proposed = m_hasFile ? m_fileName : QStringLiteral("Naamloos");
    const QString path = TFileDialog::getSaveFileName(this, QStringLiteral("Order opslaan als"), proposed,
                                                      QStringLiteral("Orderbestanden (*.obn)"), QStringLiteral("obn"));
    if (path.isEmpty()) {
        SetStatusText(QStringLiteral("Opslaan geannuleerd"));
        return false;
    }
    const QString version = VersieTekst(m_catalogue->Versienummer(), m_catalogue->Versiedatum());
    bool ok = false;
    try {
        ok = m_orderFile.SaveOrderAs(path, version, m_model->Items(), Hooks());
    } catch (const EKiekjesError &e) {
        TMessageBox::error(this, e.message());
    }
    if (!ok) {
        SetStatusText(QStringLiteral("Mislukt"));
        return false;
    }
    m_fileName = path;
    m_hasFile = true;
    updateTitle();
    setModified(false);
    SetStatusText(QStringLiteral("Voltooid"));
    return true;
}

// ---------------------------------------------------------------------------------------
// Service and pickup location

void TMainForm::chooseServiceAndLocation()
{
    m_model->Kassa().Clear();
    QStringList serviceNames;
    for (int i = 0; i < CmbBxService->count(); ++i)
        serviceNames << CmbBxService->itemText(i);
    m_serviceDlg->Setup(QStringLiteral("Kiekjesbode - Service & Afhaallocatie"), serviceNames, m_catalogue.get(),
                        QStringLiteral("Oké"), QString(), QString(), 1);
    if (CmbBxService->count() > 1 || CmbBxLocation->count() >= 2) {
        const QString service = CmbBxService->count() == 1 ? CmbBxService->itemText(0)
                                : CmbBxService->itemText(m_fastService ? 1 : 0);
        const QString location = CmbBxLocation->count() == 1 ? CmbBxLocation->itemText(0) : m_location;
        const auto chosen = m_serviceDlg->Execute(service, location);
        m_busy = true;
        CmbBxService->setCurrentIndex(CmbBxService->findText(chosen.service));
        CmbBxLocation->setCurrentIndex(CmbBxLocation->findText(chosen.location));
        m_busy = false;
        m_fastService = CmbBxService->currentIndex() == 1;
        m_customer.Snelservice = m_fastService;
        m_location = CmbBxLocation->currentText();
        m_customer.Afhaallocatie = m_location;
        ApplyServiceAndLocation();
    } else {
        // Nothing to choose: the only service and the only location.
        m_busy = true;
        CmbBxService->setCurrentIndex(CmbBxService->count() > 0 ? 0 : -1);
        CmbBxLocation->setCurrentIndex(CmbBxLocation->count() > 0 ? 0 : -1);
        m_busy = false;
        m_fastService = false;
        m_customer.Snelservice = false;
        if (CmbBxLocation->count() > 0)
            m_location = CmbBxLocation->currentText();
        m_customer.Afhaallocatie = m_location;
        m_model->Kassa().SetSnelservice(false);
    }
    m_hasFile = false;
    setModified(false);
    UpdateStatusBar(QString());
}

void TMainForm::ApplyServiceAndLocation()
{
    m_busy = true;
    CbxFormaat->clear();
    const aanbod::TLocationChoice choice = aanbod::RebuildLocations(*m_catalogue, m_fastService, m_location);
    CmbBxLocation->clear();
    if (choice.locations.isEmpty() && !m_fastService && m_catalogue->LocationCount() == 0 && m_catalogueExists)
        CmbBxLocation->addItems(aanbod::StartupLocations(*m_catalogue));
    else
        CmbBxLocation->addItems(choice.locations);
    if (!choice.chosen.isEmpty())
        m_location = choice.chosen;
    CmbBxLocation->setCurrentIndex(CmbBxLocation->findText(m_location));
    m_customer.Afhaallocatie = m_location;
    const QStringList formats = aanbod::FormatsOnOffer(*m_catalogue, m_fastService, m_location);
    CbxFormaat->addItems(formats);
    CbxFormaat->setCurrentIndex(-1);
    QCoreApplication::processEvents();

    if (m_model->Count() > 0) {
        m_replaceDlg->Setup(QStringLiteral("Formaat is niet beschikbaar"), formats, m_catalogue->DefaultFormatName(),
                            QStringLiteral("Oké"), QStringLiteral("Alles"), QStringLiteral("Annuleren"), 1);
        for (int row = 0; row < m_model->Count(); ++row) {
            TOrderItem item = m_model->Item(row);
            if (aanbod::IsOnOffer(formats, item.Formaat))
                continue;
            const auto result = m_replaceDlg->Execute(item.Formaat, m_standaard.Formaat);
            if (result.modalResult == QDialog::Accepted) {
                item.Formaat = result.format;
                m_model->SetItem(row, item);
            } else if (result.modalResult == TReplaceDlg::All) {
                // This item and every later one of exactly the same name.
                const QString replaced = item.Formaat;
                for (int later = row; later < m_model->Count(); ++later) {
                    TOrderItem other = m_model->Item(later);
                    if (other.Formaat == replaced) {
                        other.Formaat = result.format;
                        m_model->SetItem(later, other);
                    }
                }
            } else if (result.modalResult == QDialog::Rejected) {
                m_fastService = false;
                m_customer.Snelservice = false;
                CmbBxService->setCurrentIndex(0);
                break;
            }
        }
    }
    m_model->Kassa().SetSnelservice(m_fastService);
    RecalculateOrder();
    m_busy = false;
    if (!choice.kept)
        TMessageBox::message(this, QStringLiteral("Controleer uw afhaallocatie. Deze kan automatisch gewijzigd zijn."));
}

void TMainForm::serviceSelected(int index)
{
    SetStatusText(QStringLiteral("Service wijzigen..."));
    const int remembered = m_current;
    if (index < 0 || index > 1) {
        CmbBxService->setCurrentIndex(0);
        index = 0;
    }
    m_fastService = index == 1;
    m_customer.Snelservice = m_fastService;
    ApplyServiceAndLocation();
    if (remembered >= 0 && remembered < m_model->Count()) {
        m_current = remembered;
        selectRow(remembered);
        ShowItem(PreviewFromFile);
    }
    UpdateStatusBar(QStringLiteral("Service gewijzigd"));
}

void TMainForm::locationSelected(int)
{
    if (m_busy)
        return;
    SetStatusText(QStringLiteral("Locatie wijzigen..."));
    const int remembered = m_current;
    m_location = CmbBxLocation->currentText();
    m_customer.Afhaallocatie = m_location;
    if (m_fastService)
        ApplyServiceAndLocation();
    if (remembered >= 0 && remembered < m_model->Count()) {
        m_current = remembered;
        selectRow(remembered);
        ShowItem(PreviewFromFile);
    }
    UpdateStatusBar(QStringLiteral("Locatie gewijzigd"));
}

// ---------------------------------------------------------------------------------------
// The dialogs of the Bestand, Wijzig and Help/Info menus

void TMainForm::ExporterenExecute()
{
    SetStatusText(QStringLiteral("Exporteren"));
    const QFileInfo current(m_fileName);
    const QString proposed = (m_hasFile ? current.absolutePath() + QLatin1Char('/') + current.completeBaseName()
                                        : QStringLiteral("Naamloos"))
        + QStringLiteral(".txt");
    m_exportDlg->Execute(proposed, m_model->Items());
    SetStatusText(QString());
}

void TMainForm::InstellingenExecute()
{
    SetStatusText(QStringLiteral("Instellingen wijzigen..."));
    m_instellingenDlg->SetGegevens(m_settings);
    if (m_instellingenDlg->Execute() == QDialog::Accepted)
        m_instellingenDlg->GetGegevens(m_settings);
    UpdateStatusBar(QString());
}

void TMainForm::KlantgegevensExecute()
{
    SetStatusText(QStringLiteral("Klantgegevens wijzigen..."));
    m_klantDlg->SetGegevens(m_customer);
    if (m_klantDlg->Execute() == QDialog::Accepted)
        m_klantDlg->GetGegevens(m_customer);
    SetStatusText(QString());
}

void TMainForm::InfoExecute()
{
    SetStatusText(QStringLiteral("Infodialoog..."));
    m_aboutBox->Execute();
    SetStatusText(QString());
}

void TMainForm::FormatenInfoClick()
{
    SetStatusText(QStringLiteral("Infovenster laden..."));
    m_formaatInfo->Execute(*m_catalogue, m_fastService, m_location);
    SetStatusText(QStringLiteral("Voltooid"));
}

// ---------------------------------------------------------------------------------------
// Sending and the catalogue update

void TMainForm::VerzendenExecute()
{
    SetStatusText(QStringLiteral("Verzenden..."));
    const QString version = VersieTekst(m_catalogue->Versienummer(), m_catalogue->Versiedatum());
    m_verzendenDlg->Execute(m_model->Items(), version, m_dataFolder, m_settings.UploadSpeed, m_customer, *m_catalogue,
                            *m_dm);
    SetStatusText(QString());
}

void TMainForm::BijwerkenExecute()
{
    SetStatusText(QStringLiteral("P&F-bestand bijwerken..."));
    bool locationKept = true;
    if (m_updateDlg->Execute(*m_catalogue, m_store.get()) == QDialog::Accepted) {
        const TOperationHooks hooks = Hooks();
        hooks.setProgress(0, QStringLiteral("Order wordt gecontroleerd..."), ApplicationTitle());
        try {
            m_catalogue->LoadFromFile();
        } catch (const EKiekjesError &e) {
            hooks.hideProgress();
            TMessageBox::error(this, e.message());
            UpdateStatusBar(QStringLiteral("Voltooid"));
            return;
        }
        m_catalogueExists = true;
        m_model->Kassa().Clear();
        if (CmbBxService->count() == 0) {
            // The first catalogue of this run: the lists start-up could not fill.
            m_busy = true;
            CmbBxService->addItems(aanbod::ServiceNames(*m_catalogue));
            CmbBxService->setCurrentIndex(0);
            m_busy = false;
            BtnFormatenInfo->setEnabled(true);
        }
        QStringList allFormats;
        for (int i = 0; i < m_catalogue->FormatCount(); ++i)
            allFormats << m_catalogue->FormatName(i);
        // Without any format for new photos yet (no catalogue before), the catalogue's default
        // is taken as start-up takes it; a default that the new catalogue no longer has is
        // chosen anew.
        if (m_settings.Formaat.isEmpty()) {
            m_settings.Formaat = m_catalogue->DefaultFormatName();
        } else if (m_catalogue->IndexOfFormat(m_settings.Formaat) < 0) {
            m_instellingenDlg->SetFormaten(allFormats);
            m_replaceDlg->Setup(QStringLiteral("Kiekjesbode - Kies een nieuw standaardformaat"), allFormats,
                                m_catalogue->DefaultFormatName(), QStringLiteral("&Oké"), QString(), QString(), 1);
            const auto chosen = m_replaceDlg->Execute(m_settings.Formaat, m_catalogue->DefaultFormatName());
            m_settings.Formaat = chosen.format;
        }
        m_standaard.Formaat = m_catalogue->DefaultFormatName();
        m_instellingenDlg->SetStandaard(m_standaard);

        CbxFormaat->clear();
        m_busy = true;
        const aanbod::TLocationChoice choice = aanbod::RebuildLocations(*m_catalogue, m_fastService, m_location);
        locationKept = choice.kept;
        CmbBxLocation->clear();
        CmbBxLocation->addItems(choice.locations.isEmpty() && !m_fastService ? aanbod::StartupLocations(*m_catalogue)
                                                                              : choice.locations);
        if (!choice.chosen.isEmpty())
            m_location = choice.chosen;
        else if (CmbBxLocation->count() > 0)
            m_location = CmbBxLocation->itemText(0);
        CmbBxLocation->setCurrentIndex(CmbBxLocation->findText(m_location));
        m_customer.Afhaallocatie = m_location;
        const QStringList formats = aanbod::FormatsOnOffer(*m_catalogue, m_fastService, m_location);
        CbxFormaat->addItems(formats);
        CbxFormaat->setCurrentIndex(-1);
        m_busy = false;
        QCoreApplication::processEvents();

        m_replaceDlg->Setup(QStringLiteral("Kiekjesbode - Kies een nieuw formaat"), formats,
                            m_catalogue->DefaultFormatName(), QStringLiteral("&Oké"), QStringLiteral("&Allemaal"),
                            QString(), 1);
        hooks.setProgress(100, QStringLiteral("0 item(s) gecontroleerd..."));
        SetStatusText(QStringLiteral("Formaten controleren..."));
        bool applyToAll = false;
        QString replacement;
        const int n = m_model->Count();
        for (int k = 1; k <= n; ++k) {
            TOrderItem item = m_model->Item(k - 1);
            if (m_catalogue->IndexOfFormat(item.Formaat) < 0) {
                if (!applyToAll) {
                    const auto chosen = m_replaceDlg->Execute(item.Formaat, m_settings.Formaat);
                    replacement = chosen.format;
                    applyToAll = chosen.modalResult == TReplaceDlg::All;
                }
                item.Formaat = replacement;
                TFormatDims dims;
                if (!replacement.isEmpty() && m_rater->FindFormat(replacement, dims)) {
                    // Rated again; the rating's error is not shown here.
                    const TRating rating = m_rater->Rate(item.Bestand, ItemLengte(dims), dims.Breedte);
                    item.Kwaliteit = rating.Kwaliteit;
                    item.Lengte = rating.Lengte;
                } else {
                    item.Formaat.clear();
                    item.Kwaliteit = QualityUnknown;
                }
                m_model->SetItem(k - 1, item);
            }
            hooks.setProgress(int(std::ceil(double(k) / n * 900.0 + 100.0)),
                              QStringLiteral("%1 items gecontroleerd...").arg(k));
            QCoreApplication::processEvents();
        }
        SetStatusText(QStringLiteral("Velden bijwerken..."));
        m_model->Kassa().SetSnelservice(m_fastService);
        RecalculateOrder();
        BtnAdd->setEnabled(true);
        ActOpenen->setEnabled(true);
        hooks.setProgress(1000, QStringLiteral("%1 items gecontroleerd...\rPrijzen bijwerken... Voltooid").arg(n));
        hooks.hideProgress();
    }
    UpdateStatusBar(QStringLiteral("Voltooid"));
    if (!locationKept)
        TMessageBox::message(this, QStringLiteral("Controleer uw afhaallocatie. Deze kan automatisch gewijzigd zijn."));
}

// ---------------------------------------------------------------------------------------
// Rotation and the enlarged view

void TMainForm::RotateClick(bool clockwise)
{
    if (m_previewImage.isNull())
        return;
    SetStatusText(QStringLiteral("Roteren..."));
    m_previewImage = RotatePreview(m_previewImage, clockwise, ProgressBar, Preview);
    // The turned picture is shown with its mask; the finish preview is not applied again.
    showPreview(PreviewFromMemory, false);
    SetStatusText(QStringLiteral("Voltooid"));
}

void TMainForm::EnlargedViewExecute()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    if (m_enlargedView->Execute(*m_model, *m_catalogue, rows.first(), this) == QDialog::Accepted) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        SetStatusText(QStringLiteral("Bijwerken van gegevens..."));
        RecalculateOrder();
        ShowItem(PreviewFromFile);
        QApplication::restoreOverrideCursor();
    }
    UpdateStatusBar(QStringLiteral("Voltooid"));
}
