#pragma once
// The main window: banner, menu, the service and location boxes, the order list (a view on
// TOrderModel), the side panel with the item editor, and the status bar. It holds the
// document state and translates what the user does into calls on the core.

#include "app/Definities.h"
#include "app/Feedback.h"
#include "order/UOrderFile.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QTreeView;
class TOrderModel;
class TPenFFile;
class TSettingsStore;
class TVoortgangsDlg;
class TGuiPrompter;
class IPrintRater;
class TUpDown;
class TFormaatInfoForm;
class TExportDlg;
class TAboutBox;
class TInstellingenDlg;
class TKlantgegevensDlg;
class TReplaceDlg;
class TGegevensBevestingsDlg;
class TServiceAndLocationDlg;
class TUpdateDlg;
class TVerzendenDlg;
class TConfirmCalculationDlg;
class TDM;
class TEnlargedViewForm;

// What start-up takes from outside: tests give a temporary data folder and settings file.
struct TStartupOptions {
    QString dataFolder;      // empty: the user's local application data folder + "kiekjesbode/"
    QString settingsFile;    // empty: the user's own settings store
    QString defaultHost = QStringLiteral(KIEKJES_DEFAULT_HOST);
    int defaultPort = 4000;  // written as "Port" at every start
    // The program itself sets this: the main window is drawn first, and the other windows
    // are created (in their fixed order) by CreateOtherWindows once it is on the screen.
    // Without it the constructor creates them all, as tests and benchmarks expect.
    bool otherWindowsAfterFirstPaint = false;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(const TStartupOptions &options = {}, QWidget *parent = nullptr);
    ~TMainForm() override;

    // Creates every window after the main one, in their fixed order, and the data module;
    // does nothing once they exist. Until then the window takes no keyboard or mouse input.
    void CreateOtherWindows();
    bool OtherWindowsCreated() const { return m_otherWindowsCreated; }

    // The first showing's duties: the customer details when never entered, the first order.
    // Creates the other windows first when that has not happened yet.
    void FirstShow();

    // Window operations other parts call.
    void SetStatusText(const QString &text);
    void UpdateStatusBar(const QString &text);
    void EnableOrderCommands(bool enable);
    void EnableItemEditor(bool enable);
    void ClearOrderList();
    void ShowItem(int mode);
    void RepriceRows();
    void RecalculateOrder();

    // Commands.
    void NieuwExecute();
    void OpenenExecute();
    bool OpslaanExecute();
    bool OpslaanAlsExecute();
    void ToevoegenExecute();
    void VerwijderenExecute();
    void AddFiles(const QStringList &paths, bool fromDrop);
    void ExporterenExecute();
    void InstellingenExecute();
    void KlantgegevensExecute();
    void InfoExecute();
    void FormatenInfoClick();
    void BijwerkenExecute();
    void RotateClick(bool clockwise);
    void EnlargedViewExecute();
    void VerzendenExecute();
    void ApplyServiceAndLocation();

    // State, for the dialogs and tests.
    TOrderModel &Model() { return *m_model; }
    TPenFFile &Catalogue() { return *m_catalogue; }
    const QString &DataFolder() const { return m_dataFolder; }
    const TInstellingen &Settings() const { return m_settings; }
    void SetSettings(const TInstellingen &s) { m_settings = s; }
    const TKlantGegevens &Customer() const { return m_customer; }
    void SetCustomer(const TKlantGegevens &c) { m_customer = c; }
    bool Modified() const { return m_modified; }
    bool HasFile() const { return m_hasFile; }
    const QString &CurrentFileName() const { return m_fileName; }
    int CurrentItem() const { return m_current; }
    bool FastService() const { return m_fastService; }
    const QString &PickupLocation() const { return m_location; }
    QString StatusText(int panel) const;
    TVoortgangsDlg &Progress() { return *m_progress; }
    TFormaatInfoForm &FormaatInfo() { return *m_formaatInfo; }
    TServiceAndLocationDlg &ServiceAndLocationDlg() { return *m_serviceDlg; }
    TReplaceDlg &ReplaceDlg() { return *m_replaceDlg; }
    TKlantgegevensDlg &KlantgegevensDlg() { return *m_klantDlg; }
    TGegevensBevestingsDlg &GegevensBevestigingsDlg() { return *m_bevestigingDlg; }
    TUpdateDlg &UpdateDlg() { return *m_updateDlg; }
    TVerzendenDlg &VerzendenDlg() { return *m_verzendenDlg; }
    TConfirmCalculationDlg &ConfirmCalculationDlg() { return *m_calculationDlg; }
    TSettingsStore &Store() { return *m_store; }
    TOperationHooks Hooks(bool allowEvents = true);
    // Writes "Settings", "Maximized" and "Customer"; false when the store could not be written.
    bool WriteStoredSettings();

    static constexpr int PreviewFromMemory = 0;
    static constexpr int PreviewFromFile = 1;

signals:
    void orderChanged();
    // Once, queued after the window's first paint (or, should no paint come, a second after
    // it was shown): the moment the user sees the window.
    void firstPainted();

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildMenu();
    void buildSidePanel(QWidget *panel);
    void startUp(const TStartupOptions &options);
    void readStoredSettings();
    void fillListsFromCatalogue();

    QList<int> selectedRows() const;
    void selectRow(int row);
    void rowClicked();
    void showItemValues(int row);
    void updateIndexLabel();
    void refreshEditorFromModel();
    void showPreview(int mode, bool withFinish = true);
    void setModified(bool modified);
    void updateTitle();
    bool saveQuestion(bool forOpen);
    void saveAfterQuestion(bool forOpen);

    void countChanged();
    void countUpDown(int position);
    void formatPicked(int index);
    void paperClicked(int index);
    void finishClicked(int index);
    void navigate(int which);
    void serviceSelected(int index);
    void locationSelected(int index);
    void chooseServiceAndLocation();


    // document
    QString m_dataFolder;
    std::unique_ptr<TSettingsStore> m_store;
    std::unique_ptr<TPenFFile> m_catalogue;
    std::unique_ptr<IPrintRater> m_rater;
    std::unique_ptr<TOrderModel> m_model;
    std::unique_ptr<TGuiPrompter> m_prompter;
    TOrderFile m_orderFile;
    TInstellingen m_settings;
    TInstellingen m_standaard;
    TKlantGegevens m_customer;
    bool m_catalogueExists = false;
    bool m_fastService = false;
    QString m_location;
    bool m_busy = false;
    bool m_otherWindowsCreated = false;
    bool m_firstPaintSignalled = false;
    std::unique_ptr<QObject> m_inputHold; // drops input until the other windows exist
    void signalFirstPaint();
    QString m_fileName = QStringLiteral("Naamloos");
    bool m_hasFile = false;
    bool m_modified = false;
    int m_current = -1;
    bool m_acceptDrops = false;
    bool m_filling = false; // the editor is being filled by the program
    QImage m_previewImage;
    QStringList m_startupMessages;

public:
    // Controls, named as in the window's design (tests reach them by objectName too).
    QLabel *Banner = nullptr;
    QComboBox *CmbBxService = nullptr;
    QComboBox *CmbBxLocation = nullptr;
    QTreeView *ListView = nullptr;
    QPushButton *BtnAdd = nullptr;
    QPushButton *BtnDelete = nullptr;
    QPushButton *BtnSend = nullptr;
    QLabel *LblName = nullptr;
    QLabel *Preview = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QToolButton *BitBtnLinksom = nullptr;
    QToolButton *BitBtnRechtsom = nullptr;
    QLabel *LblAantal = nullptr;
    QLineEdit *LedAantal = nullptr;
    TUpDown *UpDownAantal = nullptr;
    QLabel *LblFormaat = nullptr;
    QComboBox *CbxFormaat = nullptr;
    QToolButton *BtnFormatenInfo = nullptr;
    QGroupBox *RgpGlans = nullptr;
    QButtonGroup *GlansGroup = nullptr;
    QGroupBox *RgpAfwerking = nullptr;
    QButtonGroup *AfwerkingGroup = nullptr;
    QToolButton *BitBtnHome = nullptr;
    QToolButton *BitBtnPrevious = nullptr;
    QToolButton *BitBtnNext = nullptr;
    QToolButton *BitBtnEnd = nullptr;
    QLabel *LblIndex = nullptr;
    QLabel *StatusPanels[4] = {};

    QAction *ActNieuw = nullptr;
    QAction *ActOpenen = nullptr;
    QAction *ActOpslaan = nullptr;
    QAction *ActOpslaanAls = nullptr;
    QAction *ActExporteren = nullptr;
    QAction *ActPrinterinstellingen = nullptr;
    QAction *ActPrint = nullptr;
    QAction *ActAfsluiten = nullptr;
    QAction *ActToevoegen = nullptr;
    QAction *ActVerwijderen = nullptr;
    QAction *ActVerzenden = nullptr;
    QAction *ActInstellingen = nullptr;
    QAction *ActKlantgegevens = nullptr;
    QAction *ActBijwerken = nullptr;
    QAction *ActHelp = nullptr;
    QAction *ActInfo = nullptr;

private:
    // Windows created once and reused, in the program's order of creation.
    TFormaatInfoForm *m_formaatInfo = nullptr;
    TExportDlg *m_exportDlg = nullptr;
    TAboutBox *m_aboutBox = nullptr;
    TInstellingenDlg *m_instellingenDlg = nullptr;
    TKlantgegevensDlg *m_klantDlg = nullptr;
    TUpdateDlg *m_updateDlg = nullptr;
    TEnlargedViewForm *m_enlargedView = nullptr;
    TVerzendenDlg *m_verzendenDlg = nullptr;
    TVoortgangsDlg *m_progress = nullptr;
    TReplaceDlg *m_replaceDlg = nullptr;
    TGegevensBevestingsDlg *m_bevestigingDlg = nullptr;
    TConfirmCalculationDlg *m_calculationDlg = nullptr;
    std::unique_ptr<TDM> m_dm;
    TServiceAndLocationDlg *m_serviceDlg = nullptr;
};
