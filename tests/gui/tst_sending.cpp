// Sending an order and updating the catalogue through the windows, against the lab's order
// server kiekjesbode-lab on 127.0.0.1 (an ephemeral port). Every box and dialog is answered
// through the prompt wrappers; every wait is bounded.
#include "CatalogueFixture.h"
#include "LabFixture.h"
#include "app/HoofdVenster.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "app/UVoortgang.h"
#include "catalogue/UConfirmCalculationDlg.h"
#include "catalogue/UPenFWriter.h"
#include "dialogs/DialogKit.h"
#include "lab/UpdatenDlg.h"
#include "lab/VerzendenDlg.h"
#include "order/TOrderModel.h"

#include <QAction>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using labfixture::approve;
using labfixture::filesUnder;

namespace {

// The lab's catalogue and the client's: one location without a host of its own, so the
// upload goes to the default server of the settings store.
QByteArray catalogue(bool withPoster, int edition)
{
    TPenFFile cat(QString(), datetime::encodeDate(2026, 12, 1), uint8_t(edition));
    cat.AddFormat(MakeFormat(QStringLiteral("10 x 15"), 10, 15, true, {{1, 39}}));
    if (withPoster)
        cat.AddFormat(MakeFormat(QStringLiteral("Poster"), 50, 70, false, {{1, 995}}));
    cat.AddFormat(MakeFormat(QStringLiteral("13 x 18"), 13, 18, true, {{1, 59}}));
    cat.SetDefaultFormat(0);
    cat.AddLocation(QString(), QStringLiteral("Veldmeer"));
    return penfwriter::Write(cat, 2);
}

} // namespace

class TestSending : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void calculationTable_data();
    void calculationTable();
    void sendAndApprove();
    void declineWithdraws();
    void stopMidUploadAndStartAgain();
    void outdatedCatalogueRunsTheUpdate();
    void updateFromTheMenu();
    void updateReplacesVanishedFormat();
    void updateKeepingEveryFormatAsksNothing();

private:
    std::unique_ptr<TMainForm> window(const QByteArray &clientCatalogue);
    bool startLab(const QByteArray &labCatalogue);
    QString photo(const QString &name, int w = 1200, int h = 800);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TLabServerThread> m_lab;
    TLabConfig m_config;
};

void TestSending::initTestCase()
{
    TMessageBox::setTesting(true);
}

void TestSending::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    TMessageBox::clearShown();
    TModal::ClearHandlers();
}

void TestSending::cleanup()
{
    if (m_lab)
        m_lab->stop();
    m_lab.reset();
    TModal::ClearHandlers();
}

bool TestSending::startLab(const QByteArray &labCatalogue)
{
    m_lab = labfixture::startLab(*m_dir, labCatalogue, m_config, QStringLiteral("Nieuws van het lab"));
    return m_lab != nullptr;
}

std::unique_ptr<TMainForm> TestSending::window(const QByteArray &clientCatalogue)
{
    return labfixture::openWindow(m_dir->filePath(QStringLiteral("client/")), m_dir->filePath(QStringLiteral("settings.ini")),
                                  clientCatalogue, m_lab.get());
}

QString TestSending::photo(const QString &name, int w, int h)
{
    return labfixture::photo(*m_dir, name, w, h);
}

void TestSending::calculationTable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("order line, separator, total")
        << "10x15 glans=3;0,39;1,17\r\n-=\r\nTotaal=;;1,17" << true
        << QStringList{"10x15 glans|3 × 0,39 = € 1,17", "|_____________", "Totaal|€ 1,17"};
    QTest::newRow("postage as text") << "Portokosten=;;gratis" << true << QStringList{"Portokosten|gratis"};
    QTest::newRow("an amount that is not a number") << "Afdrukken=3;0,39;abc" << false << QStringList{};
    QTest::newRow("empty calculation") << "" << true << QStringList{};
}

void TestSending::calculationTable()
{
    QFETCH(QString, text);
    QFETCH(bool, shown);
    QFETCH(QStringList, rows);
    TConfirmCalculationDlg dlg;
    QCOMPARE(dlg.Prepare(text), shown);
    if (!shown) {
        QCOMPARE(TMessageBox::shownTexts().size(), 1);
        QCOMPARE(dlg.Execute(text), TConfirmCalculationDlg::NotAgreed);
        return;
    }
    auto *table = control<QTableWidget>(&dlg, "VleCalculation");
    QStringList got;
    for (int r = 0; r < table->rowCount(); ++r)
        got << table->item(r, 0)->text() + QLatin1Char('|') + table->item(r, 1)->text();
    QCOMPARE(got, rows);
    QCOMPARE(table->horizontalHeaderItem(0)->text(), QStringLiteral("Omschrijving"));
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnOk"); });
    QCOMPARE(dlg.Execute(text), TConfirmCalculationDlg::Agreed);
}

void TestSending::sendAndApprove()
{
    const QByteArray cat = catalogue(true, 3);
    QVERIFY(startLab(cat));
    auto w = window(cat);
    TFileDialog::setNextFileNames({photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg"))});
    w->ActToevoegen->trigger();
    QCOMPARE(w->Model().Count(), 2);

    QString shownCalculation;
    int result = -1;
    TModal::SetNextHandler([&](QDialog &d) {
        auto &send = static_cast<TVerzendenDlg &>(d);
        QCOMPARE(send.LblFotoAantal->text(), QStringLiteral("2"));
        QCOMPARE(send.LblLokaal->text(), QStringLiteral("01122026-03"));
        clickButton(&d, "BtnStart");
        // The upload runs; the window thread answers its calls meanwhile.
        QTRY_VERIFY2_WITH_TIMEOUT(!d.isVisible(), qPrintable(TMessageBox::shownTexts().join(QLatin1String(" | ")) + QLatin1String(" / ") + send.StTxtInfo->text()), 30000);
        result = d.result();
    });
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnOke"); }); // name and address
    TModal::SetNextHandler([&](QDialog &d) {                                  // the calculation
        auto *table = control<QTableWidget>(&d, "VleCalculation");
        for (int r = 0; r < table->rowCount(); ++r)
            shownCalculation += table->item(r, 0)->text() + QLatin1Char('=') + table->item(r, 1)->text() + QLatin1Char(';');
        clickButton(&d, "BtnOk");
    });
    w->ActVerzenden->trigger();
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY2(shownCalculation.contains(QStringLiteral("Totaal=€ 0,78")), qPrintable(shownCalculation));
    const QStringList shown = TMessageBox::shownTexts();
    QVERIFY2(!shown.isEmpty() && shown.last().startsWith(QStringLiteral("Uw order is geplaatst op ")),
             qPrintable(shown.join(QLatin1String(" | "))));
    // The lab holds the container and both photos; the client's work files are gone.
    QVERIFY(filesUnder(m_config.dataFolder) >= 3);
    QVERIFY(!QFileInfo::exists(w->DataFolder() + QStringLiteral("OrderData")));
    QCOMPARE(w->StatusText(0), QString());
}

void TestSending::declineWithdraws()
{
    const QByteArray cat = catalogue(true, 3);
    QVERIFY(startLab(cat));
    auto w = window(cat);
    TFileDialog::setNextFileNames({photo(QStringLiteral("a.jpg"))});
    w->ActToevoegen->trigger();
    bool startAgain = false;
    int result = -1;
    TModal::SetNextHandler([&](QDialog &d) {
        auto &send = static_cast<TVerzendenDlg &>(d);
        clickButton(&d, "BtnStart");
        QTRY_VERIFY_WITH_TIMEOUT(!send.Uploading(), 30000);
        startAgain = send.BtnStart->isEnabled();
        QCOMPARE(send.StTxtInfo->text(), QStringLiteral("Klik op 'Annuleren'..."));
        clickButton(&d, "BtnAnnuleren");
        result = d.result();
    });
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnOke"); });
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnCancel"); }); // not agreed
    w->ActVerzenden->trigger();
    QVERIFY(startAgain);
    QCOMPARE(result, int(QDialog::Rejected));
    // Declining shows nothing of its own and leaves no photo at the lab.
    QVERIFY(TMessageBox::shownTexts().isEmpty());
}

void TestSending::stopMidUploadAndStartAgain()
{
    const QByteArray cat = catalogue(true, 3);
    QVERIFY(startLab(cat));
    auto w = window(cat);
    QStringList big;
    for (int i = 0; i < 3; ++i)
        big << photo(QStringLiteral("groot%1.jpg").arg(i), 4000, 3000);
    TFileDialog::setNextFileNames(big);
    w->ActToevoegen->trigger();
    int firstRunPhotos = -1;
    int secondResult = -1;
    TModal::SetNextHandler([&](QDialog &d) {
        auto &send = static_cast<TVerzendenDlg &>(d);
        clickButton(&d, "BtnStart");
        // Wait for the photos to start going, then Annuleren and Yes.
        QTRY_VERIFY_WITH_TIMEOUT(send.FileProgressBar->value() > 0 || !send.Uploading(), 30000);
        TMessageBox::setNextAnswers({QMessageBox::Yes, QMessageBox::Ok});
        clickButton(&d, "BtnAnnuleren");
        QTRY_VERIFY_WITH_TIMEOUT(!send.Uploading(), 10000);
        QVERIFY(send.BtnStart->isEnabled());
        QVERIFY(d.isVisible());
        firstRunPhotos = filesUnder(m_config.dataFolder);
        // Start again: the upload is built anew from the first phase and completes. (The
        // first run may have been stopped before its calculation was asked for.)
        TModal::ClearHandlers();
        TModal::SetNextHandler(approve);
        TModal::SetNextHandler(approve);
        clickButton(&d, "BtnStart");
        QTRY_VERIFY_WITH_TIMEOUT(!d.isVisible(), 60000);
        secondResult = d.result();
    });
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnOke"); });
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnOk"); });
    w->ActVerzenden->trigger();
    QVERIFY(TMessageBox::shownTexts().contains(
        QStringLiteral("Het verzenden van de order is geannuleerd.\rKlik op Annuleren om het venster te verlaten.")));
    QVERIFY(firstRunPhotos >= 0);
    QCOMPARE(secondResult, int(QDialog::Accepted));
    QVERIFY(TMessageBox::shownTexts().last().startsWith(QStringLiteral("Uw order is geplaatst op ")));
    QVERIFY(!w->VerzendenDlg().isVisible());
}

void TestSending::outdatedCatalogueRunsTheUpdate()
{
    QVERIFY(startLab(catalogue(true, 9))); // the lab has a newer catalogue
    auto w = window(catalogue(true, 3));
    TFileDialog::setNextFileNames({photo(QStringLiteral("a.jpg"))});
    w->ActToevoegen->trigger();
    bool updateShown = false;
    int result = -1;
    TModal::SetNextHandler([&](QDialog &d) {
        clickButton(&d, "BtnStart");
        QTRY_VERIFY_WITH_TIMEOUT(!d.isVisible(), 30000);
        result = d.result();
    });
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnOke"); });
    // The update dialog opens on top of the send dialog.
    TModal::SetNextHandler([&](QDialog &d) {
        updateShown = qobject_cast<TUpdateDlg *>(&d) != nullptr;
        clickButton(&d, "BtnStart");
    });
    w->ActVerzenden->trigger();
    QVERIFY(updateShown);
    QCOMPARE(result, int(QDialog::Rejected));
    const QStringList shown = TMessageBox::shownTexts();
    QVERIFY2(std::any_of(shown.begin(), shown.end(),
                         [](const QString &t) { return t.startsWith(QStringLiteral("Uw P&&F-bestand is verouderd.")); }),
             qPrintable(shown.join(QLatin1String(" | "))));
    QCOMPARE(w->StatusText(3), QStringLiteral("P&F-versie: 01122026-09"));
    // Nothing was sent: the order is still to be placed with the new catalogue.
    QCOMPARE(w->Model().Count(), 1);
}

void TestSending::updateFromTheMenu()
{
    QVERIFY(startLab(catalogue(true, 5)));
    auto w = window(QByteArray()); // no catalogue yet
    QVERIFY(!w->BtnAdd->isEnabled());
    TModal::SetNextHandler([](QDialog &d) {
        auto &dlg = static_cast<TUpdateDlg &>(d);
        QCOMPARE(dlg.LblServer->text(), QStringLiteral("XXXXXXXX-XX"));
        clickButton(&d, "BtnStart"); // Yes to the download is the default answer
    });
    w->ActBijwerken->trigger();
    QVERIFY(w->BtnAdd->isEnabled());
    QVERIFY(w->ActOpenen->isEnabled());
    QCOMPARE(w->CbxFormaat->count(), 3);
    QCOMPARE(w->StatusText(3), QStringLiteral("P&F-versie: 01122026-05"));
    QCOMPARE(w->StatusText(0), QStringLiteral("Voltooid"));
    QCOMPARE(w->Settings().Formaat, QStringLiteral("10 x 15"));
    QVERIFY(QFileInfo::exists(w->DataFolder() + QStringLiteral("PenF.dat")));
    QVERIFY(!QFileInfo::exists(w->DataFolder() + QStringLiteral("PenFold")));
}

void TestSending::updateReplacesVanishedFormat()
{
    QVERIFY(startLab(catalogue(false, 6))); // the lab dropped "Poster"
    auto w = window(catalogue(true, 3));
    {
        TInstellingen s = w->Settings();
        s.Formaat = QStringLiteral("Poster");
        w->SetSettings(s);
    }
    TFileDialog::setNextFileNames({photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg"))});
    w->ActToevoegen->trigger();
    QCOMPARE(w->Model().Item(1).Formaat, QStringLiteral("Poster"));
    int asked = 0;
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnStart"); });
    // The default for new photos first, then the order's items: "&Allemaal" on the first.
    TModal::SetNextHandler([&](QDialog &d) {
        ++asked;
        QCOMPARE(d.windowTitle(), QStringLiteral("Kiekjesbode - Kies een nieuw standaardformaat"));
        clickButton(&d, "Btn1");
    });
    TModal::SetNextHandler([&](QDialog &d) {
        ++asked;
        QCOMPARE(d.windowTitle(), QStringLiteral("Kiekjesbode - Kies een nieuw formaat"));
        chooseEntry(control<QComboBox>(&d, "CbxNieuwFormaat"), 1); // "13 x 18"
        clickButton(&d, "Btn2");
    });
    w->ActBijwerken->trigger();
    QCOMPARE(asked, 2);
    QCOMPARE(w->Settings().Formaat, QStringLiteral("10 x 15"));
    QCOMPARE(w->Model().Item(0).Formaat, QStringLiteral("13 x 18"));
    QCOMPARE(w->Model().Item(1).Formaat, QStringLiteral("13 x 18"));
    QCOMPARE(w->StatusText(1), QStringLiteral("Orderwaarde: € 1,18"));
    QVERIFY(!w->Progress().isVisible());
}

void TestSending::updateKeepingEveryFormatAsksNothing()
{
    QVERIFY(startLab(catalogue(true, 7)));
    auto w = window(catalogue(true, 3));
    TFileDialog::setNextFileNames({photo(QStringLiteral("a.jpg"))});
    w->ActToevoegen->trigger();
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnStart"); });
    w->ActBijwerken->trigger();
    QCOMPARE(TModal::Pending(), 0);
    QCOMPARE(w->StatusText(3), QStringLiteral("P&F-versie: 01122026-07"));
    QCOMPARE(w->StatusText(1), QStringLiteral("Orderwaarde: € 0,39"));
    QCOMPARE(w->Model().Item(0).Formaat, QStringLiteral("10 x 15"));
}

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
