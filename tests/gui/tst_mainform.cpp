// The main window driven as a user does: clicks, keys, drops, menu commands, on a temporary
// data folder with a small catalogue and generated photos. No real modal box is ever shown:
// every question is answered through the prompt wrappers' queue.
#include "JpegWriter.h"
#include "app/AnsiString.h"
#include "app/Bytes.h"
#include "app/SettingsStore.h"
#include "app/HoofdVenster.h"
#include "app/Prompts.h"
#include "app/SingleInstance.h"
#include "app/UVoortgang.h"
#include "app/UpDown.h"
#include "catalogue/UReplaceDlg.h"
#include "catalogue/UServiceAndLocationDlg.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Instellingen.h"
#include "dialogs/Klantgegevens.h"
#include "GuiTestHelpers.h"
#include "catalogue/UPenF.h"
#include "catalogue/UPenFWriter.h"
#include "order/TOrderModel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMimeData>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "CatalogueFixture.h"
#include <QToolButton>
#include <QStandardPaths>
#include <QTreeView>
#include <QUrl>

namespace {


// Two locations and fast-service prices at one of them: new orders ask for a choice.
QByteArray fastCatalogue()
{
    TPenFFile cat(QString(), datetime::encodeDate(2026, 12, 1), 4);
    auto a = MakeFormat(QStringLiteral("10 x 15"), 10, 15, true, {{1, 39}});
    a->SnelPrijzen.append(TPrijsTrede{1, TCurrency::fromCents(79)});
    a->Beschikbaar[0] = 1;
    cat.AddFormat(std::move(a));
    cat.AddFormat(MakeFormat(QStringLiteral("13 x 18"), 13, 18, true, {{1, 59}}));
    cat.SetDefaultFormat(0);
    cat.AddLocation(QString(), QStringLiteral("Veldmeer"));
    cat.AddLocation(QString(), QStringLiteral("Amstelrade"));
    return penfwriter::Write(cat, 2);
}

QByteArray testCatalogue()
{
    TPenFFile cat(QString(), datetime::encodeDate(2026, 12, 1), 3);
    cat.AddFormat(MakeFormat(QStringLiteral("10 x 15"), 10, 15, true, {{1, 39}, {3, 29}}));
    cat.AddFormat(MakeFormat(QStringLiteral("13 x 18"), 13, 18, true, {{1, 59}}));
    cat.AddFormat(MakeFormat(QStringLiteral("Poster"), 50, 70, false, {{1, 995}}));
    cat.SetDefaultFormat(0);
    cat.AddLocation(QString(), QStringLiteral("Veldmeer"));
    return penfwriter::Write(cat, 2);
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startWithoutCatalogue();
    void startWithDamagedCatalogue();
    void startAfterInterruptedDownload();
    void badStoredSettingsFallBack();
    void windowLayout();
    void addPhotosAndTierChange();
    void notAJpeg();
    void dropOfMixedNames_data();
    void dropOfMixedNames();
    void matteRefusedWithoutChoice();
    void formatOfThreeRows();
    void countFieldRules();
    void navigation();
    void deleteAllRows();
    void saveAndReopen();
    void openNewerVersionFails();
    void closingAnEmptiedOrder();
    void settingsWrittenAtClose();
    void firstStartAsksForCustomer();
    void newOrderAsksServiceAndLocation();
    void fastServiceCancelReturnsToStandard();
    void settingsChangeUpdatesUploadTime();
    void exportProposesTextName();
    void rotationTurnsThePreview();
    void enlargedViewEditsAreRepriced();
    void secondInstanceWakesFirst();
    void staleGuardDoesNotBlock();
    void guardEndsWithItsProcess();
    void windowDrawnBeforeTheOthers();

private:
    std::unique_ptr<TMainForm> makeWindow(bool withCatalogue = true, bool customerKnown = true);
    void writeCatalogue(const QByteArray &bytes);
    QString photo(const QString &name, int w = 1200, int h = 800);
    void addPhotos(TMainForm &w, const QStringList &paths);
    void selectRows(TMainForm &w, const QList<int> &rows);
    QString cell(TMainForm &w, int row, int column);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;
    QString m_ini;
};

void TestMainForm::initTestCase()
{
    TMessageBox::setTesting(true);
}

void TestMainForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_data = m_dir->filePath(QStringLiteral("data/"));
    m_ini = m_dir->filePath(QStringLiteral("settings.ini"));
    QDir().mkpath(m_data);
    TMessageBox::clearShown();
}

void TestMainForm::cleanup()
{
    TMessageBox::clearShown();
}

void TestMainForm::writeCatalogue(const QByteArray &bytes)
{
    QFile f(m_data + QStringLiteral("PenF.dat"));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

std::unique_ptr<TMainForm> TestMainForm::makeWindow(bool withCatalogue, bool customerKnown)
{
    if (withCatalogue && !QFile::exists(m_data + QStringLiteral("PenF.dat")))
        writeCatalogue(testCatalogue());
    if (customerKnown) {
        TSettingsStore store(m_ini);
        if (!store.contains(QStringLiteral("Customer"), QStringLiteral("Title")))
            store.writeString(QStringLiteral("Customer"), QStringLiteral("Title"), QStringLiteral("Dhr."));
        store.sync();
    }
    TStartupOptions options;
    options.dataFolder = m_data;
    options.settingsFile = m_ini;
    auto w = std::make_unique<TMainForm>(options);
    w->show();
    w->FirstShow();
    return w;
}

QString TestMainForm::photo(const QString &name, int w, int h)
{
    const QString p = m_dir->filePath(name);
    WriteFile(p, WriteJpeg(PhotoLikePicture(w, h, uint32_t(name.size()))));
    return p;
}

void TestMainForm::addPhotos(TMainForm &w, const QStringList &paths)
{
    TFileDialog::setNextFileNames(paths);
    QTest::mouseClick(w.BtnAdd, Qt::LeftButton);
}

void TestMainForm::selectRows(TMainForm &w, const QList<int> &rows)
{
    auto *sel = w.ListView->selectionModel();
    sel->clearSelection();
    for (int r : rows)
        sel->select(w.Model().index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // A click on the first selected row, as the user makes it (Ctrl keeps the others).
    const QRect rect = w.ListView->visualRect(w.Model().index(rows.first(), 0));
    QTest::mouseClick(w.ListView->viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
    sel->select(w.Model().index(rows.first(), 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCoreApplication::processEvents();
}

QString TestMainForm::cell(TMainForm &w, int row, int column)
{
    return w.Model().data(w.Model().index(row, column)).toString();
}

void TestMainForm::startWithoutCatalogue()
{
    auto w = makeWindow(false);
    QVERIFY(TMessageBox::shownTexts().contains(
        QStringLiteral("Er is geen informatie beschikbaar over formaten.\rDownload nieuwe informatie met de functie\r"
                       "\"Prijzen/Formaten bijwerken\" uit het \"Wijzig\"-menu.")));
    QVERIFY(!w->ActOpenen->isEnabled());
    QVERIFY(!w->BtnAdd->isEnabled());
    QVERIFY(w->ActToevoegen->isEnabled());
    QCOMPARE(w->CbxFormaat->count(), 0);
    QCOMPARE(w->windowTitle(), QStringLiteral("Kiekjesbode - Naamloos"));
}

void TestMainForm::startWithDamagedCatalogue()
{
    QByteArray bytes = testCatalogue();
    // Header, location, the first format announcing two tiers, and only one of them.
    bytes.truncate(1152 * 4);
    QFile f(m_data + QStringLiteral("PenF.dat"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    auto w = makeWindow(true);
    QVERIFY(!TMessageBox::shownTexts().isEmpty());
    QVERIFY(TMessageBox::shownTexts().first().startsWith(QStringLiteral("Het bestand met prijzen en formaten is beschadigd")));
    // The program goes on: settings read, the window usable.
    QVERIFY(w->isVisible());
    QCOMPARE(w->StatusText(1), QStringLiteral("Orderwaarde: € 0,00"));
}

void TestMainForm::startAfterInterruptedDownload()
{
    // The program ended while a download was writing PenF.dat: the previous catalogue is put
    // back, the user is told, and the update is possible again (no backup left behind).
    writeCatalogue(testCatalogue().left(100));
    QFile backup(m_data + QStringLiteral("PenFold"));
    QVERIFY(backup.open(QIODevice::WriteOnly));
    backup.write(testCatalogue());
    backup.close();
    auto w = makeWindow(true);
    QVERIFY(!TMessageBox::shownTexts().isEmpty());
    QCOMPARE(TMessageBox::shownTexts().first(),
             QStringLiteral("Het bijwerken van de prijzen en formaten is de vorige keer niet afgemaakt.\rDe vorige "
                            "prijzen en formaten zijn teruggezet."));
    QVERIFY(!QFileInfo::exists(m_data + QStringLiteral("PenFold")));
    QVERIFY(w->CbxFormaat->count() > 0);
    QVERIFY(w->ActOpenen->isEnabled());
}

void TestMainForm::badStoredSettingsFallBack()
{
    {
        TSettingsStore store(m_ini);
        store.writeInt(QStringLiteral("Settings"), QStringLiteral("Count"), 70000);
        store.writeString(QStringLiteral("Settings"), QStringLiteral("UploadSpeed"), QStringLiteral("snel"));
        store.writeString(QStringLiteral("Customer"), QStringLiteral("Town"), QStringLiteral("Veldmeer"));
        store.sync();
    }
    auto w = makeWindow();
    const QStringList shown = TMessageBox::shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].contains(QStringLiteral("Count")));
    QVERIFY(shown[0].contains(QStringLiteral("UploadSpeed")));
    QCOMPARE(w->Settings().Aantal, quint16(1));
    QCOMPARE(w->Settings().UploadSpeed, quint16(56));
    // The remaining values were still read.
    QCOMPARE(w->Customer().Plaats, QStringLiteral("Veldmeer"));
    QCOMPARE(w->Settings().Formaat, QStringLiteral("10 x 15"));
}

void TestMainForm::windowLayout()
{
    auto w = makeWindow();
    w->resize(600, 400);
    QCoreApplication::processEvents();
    QVERIFY(w->width() >= 736);
    QVERIFY(w->height() >= 502);
    const QStringList captions = [&] {
        QStringList c;
        for (int i = 0; i < TOrderModel::ColumnCount; ++i)
            c << w->Model().headerData(i, Qt::Horizontal).toString();
        return c;
    }();
    QCOMPARE(captions, (QStringList{"Naam", "Aantal", "Formaat", "G/M", "Kl/ZW/Se", "Kwaliteit", "Prijs"}));
    QCOMPARE(w->ListView->columnWidth(0), 135);
    QCOMPARE(w->ActOpslaanAls->shortcut(), QKeySequence(QStringLiteral("Shift+Ctrl+S")));
    QCOMPARE(w->ActBijwerken->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
    QVERIFY(!w->ActPrint->isEnabled());
    QVERIFY(!w->BtnSend->isEnabled());
    QCOMPARE(w->LblIndex->text(), QStringLiteral("0/0"));
    QCOMPARE(w->StatusText(2), QStringLiteral("Uploadtijd: 00:00:00"));
    QCOMPARE(w->StatusText(3), QStringLiteral("P&F-versie: 01122026-03"));
    QCOMPARE(w->CmbBxService->currentText(), QStringLiteral("Standaardservice"));
    QCOMPARE(w->CmbBxLocation->currentText(), QStringLiteral("Veldmeer"));
    // Every control can be found by its name and carries an accessible name.
    for (const char *name : {"LedAantal", "CbxFormaat", "RgpGlans", "RgpAfwerking", "CmbBxService", "CmbBxLocation",
                             "ListView", "BitBtnNext"}) {
        auto *c = w->findChild<QWidget *>(QString::fromLatin1(name));
        QVERIFY2(c, name);
        QVERIFY2(!c->accessibleName().isEmpty(), name);
    }
    if (qEnvironmentVariableIsSet("KIEKJES_SCREENSHOT_DIR"))
        w->grab().save(qEnvironmentVariable("KIEKJES_SCREENSHOT_DIR") + QStringLiteral("/mainform-empty.png"));
}

void TestMainForm::addPhotosAndTierChange()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg"))});
    QCOMPARE(w->Model().Count(), 2);
    QCOMPARE(cell(*w, 0, TOrderModel::ColNaam), QStringLiteral("a"));
    QCOMPARE(cell(*w, 0, TOrderModel::ColFormaat), QStringLiteral("10 x 15"));
    QCOMPARE(cell(*w, 0, TOrderModel::ColPrijs), QStringLiteral("0,39"));
    // 800 pixels over 10 cm is 203 pixels per inch.
    QCOMPARE(cell(*w, 0, TOrderModel::ColKwaliteit), QStringLiteral("Aanvaardbaar"));
    QVERIFY(w->Modified());
    QVERIFY(w->BtnSend->isEnabled());
    QCOMPARE(w->StatusText(0), QStringLiteral("Voltooid"));
    QCOMPARE(w->StatusText(1), QStringLiteral("Orderwaarde: € 0,78"));
    QCOMPARE(w->Progress().text(), QStringLiteral("2 bestanden zijn verwerkt"));
    QVERIFY(!w->Progress().isVisible());

    // Raising the first photo's count to 2 moves the format to the 3-print tier: the other
    // row's amount drops too.
    selectRows(*w, {0});
    QCOMPARE(w->CurrentItem(), 0);
    QCOMPARE(w->LblIndex->text(), QStringLiteral("1/2"));
    w->LedAantal->selectAll();
    QTest::keyClicks(w->LedAantal, QStringLiteral("2"));
    QCOMPARE(cell(*w, 0, TOrderModel::ColAantal), QStringLiteral("2"));
    QCOMPARE(cell(*w, 0, TOrderModel::ColPrijs), QStringLiteral("0,58"));
    QCOMPARE(cell(*w, 1, TOrderModel::ColPrijs), QStringLiteral("0,29"));
    QCOMPARE(w->StatusText(1), QStringLiteral("Orderwaarde: € 0,87"));
    if (qEnvironmentVariableIsSet("KIEKJES_SCREENSHOT_DIR"))
        w->grab().save(qEnvironmentVariable("KIEKJES_SCREENSHOT_DIR") + QStringLiteral("/mainform-order.png"));
}

void TestMainForm::notAJpeg()
{
    auto w = makeWindow();
    const QString fake = m_dir->filePath(QStringLiteral("nep.jpg"));
    WriteFile(fake, "dit is geen foto");
    addPhotos(*w, {fake});
    QCOMPARE(w->Model().Count(), 0);
    QCOMPARE(TMessageBox::shownTexts().last(), QStringLiteral("\"%1\"\ris geen geldige JPEG-afbeelding.").arg(fake));
    QCOMPARE(TMessageBox::displayText(TMessageBox::shownTexts().last()).count(QLatin1Char('\n')), 1);
}

void TestMainForm::dropOfMixedNames_data()
{
    QTest::addColumn<bool>("withFolder");
    QTest::newRow("a folder and two photos") << true;
    QTest::newRow("a text file and two photos") << false;
}

void TestMainForm::dropOfMixedNames()
{
    QFETCH(bool, withFolder);
    auto w = makeWindow();
    QString other;
    if (withFolder) {
        other = m_dir->filePath(QStringLiteral("map"));
        QDir().mkpath(other);
    } else {
        other = m_dir->filePath(QStringLiteral("lees.txt"));
        WriteFile(other, "tekst");
    }
    auto *mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(other), QUrl::fromLocalFile(photo(QStringLiteral("x.JPG"))),
                   QUrl::fromLocalFile(photo(QStringLiteral("y.jpeg")))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &drop);
    QCOMPARE(w->Model().Count(), 2);
    QCOMPARE(w->Progress().text(), QStringLiteral("3 bestanden zijn verwerkt"));
    QVERIFY(TMessageBox::shownTexts().isEmpty());
    delete mime;
}

void TestMainForm::matteRefusedWithoutChoice()
{
    TSettingsStore(m_ini).writeString(QStringLiteral("Settings"), QStringLiteral("Size"), QStringLiteral("Poster"));
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("p.jpg"))});
    selectRows(*w, {0});
    QVERIFY(!w->RgpGlans->isEnabled());
    // Even a click that reaches the group keeps the row on glossy paper.
    w->GlansGroup->button(1)->setChecked(true);
    emit w->GlansGroup->idClicked(1);
    QCOMPARE(cell(*w, 0, TOrderModel::ColGlans), QStringLiteral("Glans"));
}

void TestMainForm::formatOfThreeRows()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg")), photo(QStringLiteral("c.jpg")),
                   photo(QStringLiteral("d.jpg"))});
    selectRows(*w, {0, 1, 3});
    QSignalSpy spy(&w->Model(), &QAbstractItemModel::dataChanged);
    const int idx = w->CbxFormaat->findText(QStringLiteral("13 x 18"));
    w->CbxFormaat->setCurrentIndex(idx);
    emit w->CbxFormaat->activated(idx);
    for (int r : {0, 1, 3})
        QCOMPARE(cell(*w, r, TOrderModel::ColFormaat), QStringLiteral("13 x 18"));
    QCOMPARE(cell(*w, 2, TOrderModel::ColFormaat), QStringLiteral("10 x 15"));
    QCOMPARE(cell(*w, 2, TOrderModel::ColPrijs), QStringLiteral("0,39"));
    QCOMPARE(w->Progress().text(), QStringLiteral("Orderlijst bijgewerkt."));
    QVERIFY(!w->Progress().isVisible());
    QCOMPARE(w->StatusText(1), QStringLiteral("Orderwaarde: € 2,16"));
}

void TestMainForm::countFieldRules()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg"))});
    selectRows(*w, {0});
    w->LedAantal->setFocus();
    w->LedAantal->selectAll();
    QTest::keyClicks(w->LedAantal, QStringLiteral("x7"));
    QCOMPARE(w->LedAantal->text(), QStringLiteral("7"));
    QCOMPARE(cell(*w, 0, TOrderModel::ColAantal), QStringLiteral("7"));
    // Emptying the field and leaving it gives 1.
    w->LedAantal->clear();
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w->LedAantal, &focusOut);
    QCOMPARE(w->LedAantal->text(), QStringLiteral("1"));
    QCOMPARE(cell(*w, 0, TOrderModel::ColAantal), QStringLiteral("1"));
    // The arrows stop at 1.
    emit w->UpDownAantal->stepRequested(0);
    QCOMPARE(w->LedAantal->text(), QStringLiteral("1"));
    emit w->UpDownAantal->stepRequested(2);
    QCOMPARE(cell(*w, 0, TOrderModel::ColAantal), QStringLiteral("2"));
}

void TestMainForm::navigation()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg")), photo(QStringLiteral("c.jpg"))});
    QCOMPARE(w->CurrentItem(), -1);
    QVERIFY(!w->BitBtnNext->isEnabled());
    w->EnableItemEditor(true);
    QTest::mouseClick(w->BitBtnNext, Qt::LeftButton);
    QCOMPARE(w->CurrentItem(), 0);
    QTest::mouseClick(w->BitBtnPrevious, Qt::LeftButton);
    QCOMPARE(w->CurrentItem(), 0);
    QTest::mouseClick(w->BitBtnEnd, Qt::LeftButton);
    QCOMPARE(w->CurrentItem(), 2);
    QCOMPARE(w->LblIndex->text(), QStringLiteral("3/3"));
    QCOMPARE(w->LblName->text(), QStringLiteral("c"));
    QTest::mouseClick(w->BitBtnEnd, Qt::LeftButton);
    QCOMPARE(w->StatusText(0), QStringLiteral("Voltooid"));
    QTest::mouseClick(w->BitBtnHome, Qt::LeftButton);
    QCOMPARE(w->CurrentItem(), 0);
    QCOMPARE(w->ListView->selectionModel()->selectedRows().size(), 1);
    QVERIFY(!w->Preview->pixmap().isNull());
}

void TestMainForm::deleteAllRows()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg"))});
    selectRows(*w, {0, 1});
    TMessageBox::setNextAnswer(QMessageBox::No);
    QTest::mouseClick(w->BtnDelete, Qt::LeftButton);
    QCOMPARE(w->Model().Count(), 2);
    QCOMPARE(w->StatusText(0), QStringLiteral("Item(s) verwijderen..."));
    QCOMPARE(TMessageBox::shownTexts().last(), QStringLiteral("Weet u zeker dat u 2 item(s) wilt verwijderen?"));
    TMessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(w->BtnDelete, Qt::LeftButton);
    QCOMPARE(w->Model().Count(), 0);
    QCOMPARE(w->LblIndex->text(), QStringLiteral("0/0"));
    QVERIFY(!w->BtnDelete->isEnabled());
    QVERIFY(!w->ActVerzenden->isEnabled());
    QVERIFY(w->Preview->pixmap().isNull());
    QCOMPARE(w->StatusText(1), QStringLiteral("Orderwaarde: € 0,00"));
}

void TestMainForm::saveAndReopen()
{
    const QString order = m_dir->filePath(QStringLiteral("mijn order.obn"));
    {
        auto w = makeWindow();
        addPhotos(*w, {photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg"))});
        TFileDialog::setNextFileName(order);
        w->ActOpslaan->trigger();
        QCOMPARE(w->windowTitle(), QStringLiteral("Kiekjesbode - mijn order"));
        QVERIFY(!w->Modified());
        QVERIFY(w->HasFile());
        TMessageBox::setNextAnswer(QMessageBox::Ok);
        w->close();
    }
    auto w = makeWindow();
    TFileDialog::setNextFileName(order);
    w->ActOpenen->trigger();
    QCOMPARE(w->Model().Count(), 2);
    QCOMPARE(w->windowTitle(), QStringLiteral("Kiekjesbode - mijn order"));
    QCOMPARE(w->StatusText(1), QStringLiteral("Orderwaarde: € 0,78"));
    QVERIFY(!w->Modified());
}

void TestMainForm::openNewerVersionFails()
{
    QByteArray header(816, '\0');
    header[513] = 4;
    header.replace(514, 4, "1.7.");
    const QString newer = m_dir->filePath(QStringLiteral("nieuw.obn"));
    WriteFile(newer, header);
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg"))});
    TMessageBox::setNextAnswer(QMessageBox::No); // do not save the changes
    TFileDialog::setNextFileName(newer);
    w->ActOpenen->trigger();
    QVERIFY(TMessageBox::shownTexts().contains(QStringLiteral("Het bestand kan niet geladen worden!")));
    QCOMPARE(w->windowTitle(), QStringLiteral("Kiekjesbode - Naamloos"));
    QCOMPARE(w->Model().Count(), 0);
    QVERIFY(!w->Modified());
    // The file that failed was not written over.
    QCOMPARE(QFileInfo(newer).size(), qint64(816));
}

void TestMainForm::closingAnEmptiedOrder()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg"))});
    selectRows(*w, {0});
    TMessageBox::setNextAnswer(QMessageBox::Yes);
    QTest::mouseClick(w->BtnDelete, Qt::LeftButton);
    QVERIFY(w->Modified());
    TMessageBox::clearShown();
    TMessageBox::setNextAnswer(QMessageBox::Cancel);
    QVERIFY(!w->close());
    QCOMPARE(TMessageBox::shownTexts(), QStringList{QStringLiteral("Weet u zeker dat u af wilt sluiten?")});
    QVERIFY(w->isVisible());
    QCOMPARE(w->StatusText(0), QString());
}

void TestMainForm::settingsWrittenAtClose()
{
    {
        auto w = makeWindow();
        TInstellingen s = w->Settings();
        s.UploadSpeed = 512;
        s.Aantal = 3;
        w->SetSettings(s);
        TKlantGegevens k;
        k.Titel = QStringLiteral("Mevr.");
        k.Achternaam = QStringLiteral("Jansen");
        k.PcCijfers = 1234;
        k.PcLetters = QStringLiteral("AB");
        w->SetCustomer(k);
        w->showMaximized();
        TMessageBox::setNextAnswer(QMessageBox::Ok);
        QVERIFY(w->close());
    }
    TSettingsStore store(m_ini);
    QCOMPARE(store.readInt(QStringLiteral("Settings"), QStringLiteral("UploadSpeed"), 0, 0, 65535), 512);
    QCOMPARE(store.readString(QStringLiteral("Customer"), QStringLiteral("LastName"), QString()), QStringLiteral("Jansen"));
    QCOMPARE(store.readString(QString(), QStringLiteral("Host"), QString()), QStringLiteral("localhost"));
    auto w = makeWindow();
    QCOMPARE(w->Settings().Aantal, quint16(3));
    QCOMPARE(w->Customer().PcLetters.text(), QStringLiteral("AB"));
}

void TestMainForm::firstStartAsksForCustomer()
{
    int shown = 0;
    // The first showing is cancelled (impossible: the dialog asks again), the second filled in.
    TModal::SetNextHandler([&](QDialog &d) {
        ++shown;
        QCOMPARE(d.windowTitle(), QStringLiteral("Vul uw gegevens in"));
        QVERIFY(!control<QWidget>(&d, "BitBtnCancel")->isEnabled());
        d.reject();
    });
    TModal::SetNextHandler([&](QDialog &d) {
        ++shown;
        chooseEntry(control<QComboBox>(&d, "CbxTitel"), 1);
        QTest::keyClicks(control<QLineEdit>(&d, "EdAchternaam"), QStringLiteral("Jansen"));
        QTest::keyClicks(control<QLineEdit>(&d, "EdStraat"), QStringLiteral("Dorpsstraat"));
        QTest::keyClicks(control<QLineEdit>(&d, "EdPcCijfers"), QStringLiteral("1234"));
        QTest::keyClicks(control<QLineEdit>(&d, "EdPcLetters"), QStringLiteral("ab"));
        QTest::keyClicks(control<QLineEdit>(&d, "EdPlaats"), QStringLiteral("Veldmeer"));
        clickChoice(d.findChildren<QRadioButton *>().first());
        clickButton(&d, "BitBtnOk");
    });
    auto w = makeWindow(true, false);
    QCOMPARE(shown, 2);
    QCOMPARE(w->Customer().Titel, QStringLiteral("Mevr."));
    QCOMPARE(w->Customer().PcLetters.text(), QStringLiteral("AB"));
    QCOMPARE(w->KlantgegevensDlg().windowTitle(), QStringLiteral("Klantgegevens"));
    TModal::ClearHandlers();
}

void TestMainForm::newOrderAsksServiceAndLocation()
{
    writeCatalogue(fastCatalogue());
    QString offered;
    TModal::SetNextHandler([&](QDialog &d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Kiekjesbode - Service & Afhaallocatie"));
        auto *service = control<QComboBox>(&d, "CmbBxService");
        offered = QStringList{service->itemText(0), service->itemText(1)}.join(QLatin1Char('|'));
        chooseEntry(service, 1);
        clickButton(&d, "Btn1");
    });
    auto w = makeWindow();
    QCOMPARE(offered, QStringLiteral("Standaardservice|Snelservice"));
    QVERIFY(w->FastService());
    QCOMPARE(w->PickupLocation(), QStringLiteral("Veldmeer"));
    QCOMPARE(w->CmbBxService->currentText(), QStringLiteral("Snelservice"));
    // Under the fast service only Veldmeer has formats, and only "10 x 15".
    QCOMPARE(w->CmbBxLocation->count(), 1);
    QCOMPARE(w->CbxFormaat->count(), 1);
    QVERIFY(!w->Modified());
    addPhotos(*w, {photo(QStringLiteral("a.jpg"))});
    QCOMPARE(cell(*w, 0, TOrderModel::ColPrijs), QStringLiteral("0,79"));
    TModal::ClearHandlers();
}

void TestMainForm::fastServiceCancelReturnsToStandard()
{
    writeCatalogue(fastCatalogue());
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "Btn1"); }); // standard, Veldmeer
    auto w = makeWindow();
    QVERIFY(!w->FastService());
    {
        TInstellingen s = w->Settings();
        s.Formaat = QStringLiteral("13 x 18");
        w->SetSettings(s);
    }
    addPhotos(*w, {photo(QStringLiteral("a.jpg"))});
    // To the fast service: "13 x 18" is not offered there; the replacement is cancelled.
    QString asked;
    TModal::SetNextHandler([&](QDialog &d) {
        asked = control<QLineEdit>(&d, "EdHuidigFormaat")->text();
        clickButton(&d, "Btn3");
    });
    w->CmbBxService->setCurrentIndex(1);
    emit w->CmbBxService->activated(1);
    QCOMPARE(asked, QStringLiteral("13 x 18"));
    QVERIFY(!w->FastService());
    QCOMPARE(w->CmbBxService->currentIndex(), 0);
    QCOMPARE(cell(*w, 0, TOrderModel::ColFormaat), QStringLiteral("13 x 18"));
    QCOMPARE(cell(*w, 0, TOrderModel::ColPrijs), QStringLiteral("0,59"));
    QCOMPARE(w->StatusText(0), QStringLiteral("Service gewijzigd"));
    TModal::ClearHandlers();
}

void TestMainForm::settingsChangeUpdatesUploadTime()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg"), 2400, 1600)});
    const QString before = w->StatusText(2);
    TModal::SetNextHandler([](QDialog &d) {
        chooseEntry(control<QComboBox>(&d, "CbxUploadSpeed"), 10); // 2048 kbit/s
        clickButton(&d, "BitBtnOke");
    });
    w->ActInstellingen->trigger();
    QCOMPARE(w->Settings().UploadSpeed, quint16(2048));
    QVERIFY(w->StatusText(2) != before);
    QCOMPARE(w->StatusText(0), QString());
    TModal::ClearHandlers();
}

void TestMainForm::exportProposesTextName()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg"))});
    const QString target = m_dir->filePath(QStringLiteral("uit.txt"));
    TModal::SetNextHandler([&](QDialog &d) {
        TFileDialog::setNextFileName(target);
        clickButton(&d, "BitBtnVerder");
    });
    w->ActExporteren->trigger();
    QFile f(target);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith("Naam;Bestandslocatie;Aantal;Formaat;G/M;Kl/ZW/Se;Kwaliteit;Prijs;\r\na;"));
    QCOMPARE(w->StatusText(0), QString());
    TModal::ClearHandlers();
}

void TestMainForm::rotationTurnsThePreview()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("breed.jpg"), 1200, 600)});
    selectRows(*w, {0});
    const QSize before = w->Preview->pixmap().size();
    QVERIFY(before.width() > before.height());
    QTest::mouseClick(w->BitBtnRechtsom, Qt::LeftButton);
    const QSize after = w->Preview->pixmap().size();
    QVERIFY2(after.height() > after.width(), qPrintable(QStringLiteral("%1x%2").arg(after.width()).arg(after.height())));
    QCOMPARE(w->StatusText(0), QStringLiteral("Voltooid"));
    QVERIFY(!w->ProgressBar->isVisible());
    // The order itself is not changed by a turn.
    QVERIFY(w->Modified());
    QCOMPARE(w->Model().Item(0).Aantal, quint16(1));
}

void TestMainForm::enlargedViewEditsAreRepriced()
{
    auto w = makeWindow();
    addPhotos(*w, {photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg"))});
    selectRows(*w, {0});
    TModal::SetNextHandler([](QDialog &d) {
        auto *count = control<QLineEdit>(&d, "LedAantal");
        count->selectAll();
        QTest::keyClicks(count, QStringLiteral("4"));
        d.accept();
    });
    QTest::mouseDClick(w->Preview, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(cell(*w, 0, TOrderModel::ColAantal), QStringLiteral("4"), 5000);
    // Five prints reach the 3-print tier: both rows repriced.
    QCOMPARE(cell(*w, 0, TOrderModel::ColPrijs), QStringLiteral("1,16"));
    QCOMPARE(cell(*w, 1, TOrderModel::ColPrijs), QStringLiteral("0,29"));
    QCOMPARE(w->StatusText(0), QStringLiteral("Voltooid"));
    TModal::ClearHandlers();
}

void TestMainForm::secondInstanceWakesFirst()
{
    const QString key = QStringLiteral("kiekjes-test-%1").arg(QCoreApplication::applicationPid());
    TSingleInstance first(key);
    QVERIFY(first.Claim());
    QSignalSpy woken(&first, &TSingleInstance::wakeUpRequested);
    TSingleInstance second(key);
    QVERIFY(!second.Claim());
    QVERIFY(woken.wait(3000));
}

void TestMainForm::staleGuardDoesNotBlock()
{
    const QString key = QStringLiteral("kiekjes-stale-%1").arg(QCoreApplication::applicationPid());
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    // A lock left by a process that no longer runs.
    const QString lockPath = dir + QLatin1Char('/') + key + QStringLiteral(".lock");
    WriteFile(lockPath, QByteArray("999999\nkiekjesbode\n") + QSysInfo::machineHostName().toUtf8() + "\n");
    TSingleInstance guard(key);
    QVERIFY(guard.Claim());
}

void TestMainForm::guardEndsWithItsProcess()
{
    // Another process holds the guard (a shell locking it with util-linux's flock and then
    // becoming `sleep`, as a copy of the program would hold it): starting is refused. Once
    // that process is killed, the guard is free at once.
    if (QStandardPaths::findExecutable(QStringLiteral("flock")).isEmpty())
        QSKIP("flock (util-linux) ontbreekt");
    const QString key = QStringLiteral("kiekjes-kill-%1").arg(QCoreApplication::applicationPid());
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QString lockPath = dir + QLatin1Char('/') + key + QStringLiteral(".lock");
    QProcess holder;
    holder.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec 9>\"$0\" && flock 9 && exec sleep 60"), lockPath});
    QVERIFY(holder.waitForStarted(5000));
    // Wait (bounded) until the lock is really held.
    bool held = false;
    for (int i = 0; i < 200 && !held; ++i) {
        TSingleInstance probe(key);
        held = !probe.Claim();
        if (!held)
            QTest::qWait(10);
    }
    QVERIFY(held);
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    TSingleInstance after(key);
    QVERIFY(after.Claim());
}

void TestMainForm::windowDrawnBeforeTheOthers()
{
    // The program's own start: the main window is drawn first, the other windows follow.
    // Input that arrives in between is dropped instead of reaching a command whose window
    // does not exist yet.
    writeCatalogue(testCatalogue());
    {
        TSettingsStore store(m_ini);
        store.writeString(QStringLiteral("Customer"), QStringLiteral("Title"), QStringLiteral("Dhr."));
        store.sync();
    }
    TStartupOptions options;
    options.dataFolder = m_data;
    options.settingsFile = m_ini;
    options.otherWindowsAfterFirstPaint = true;
    TMainForm w(options);
    QVERIFY(!w.OtherWindowsCreated());
    QSignalSpy painted(&w, &TMainForm::firstPainted);
    w.show();
    QVERIFY(painted.wait(3000));
    QVERIFY(!w.OtherWindowsCreated());

    const QString p = photo(QStringLiteral("vroeg.jpg"));
    TFileDialog::setNextFileNames({p});
    QTest::mouseClick(w.BtnAdd, Qt::LeftButton);
    QTest::keyClick(&w, Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(w.Model().Count(), 0);
    QVERIFY(TMessageBox::shownTexts().isEmpty());

    w.CreateOtherWindows();
    QVERIFY(w.OtherWindowsCreated());
    TFormaatInfoForm *info = &w.FormaatInfo();
    w.CreateOtherWindows();
    QCOMPARE(&w.FormaatInfo(), info);
    w.FirstShow();
    QTest::mouseClick(w.BtnAdd, Qt::LeftButton);
    QCOMPARE(w.Model().Count(), 1);
    QCOMPARE(painted.count(), 1);
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
