#include "GuiTestHelpers.h"
#include "TestCatalogue.h"
#include "app/Prompts.h"
#include "catalogue/UAanbod.h"
#include "catalogue/UServiceAndLocationDlg.h"
#include "dialogs/DialogKit.h"

#include <QComboBox>
#include <QPushButton>

class TestServiceAndLocationDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void proposedSelection_data();
    void proposedSelection();
    void fastServiceMovesLocation();
    void okNeedsBothChoices();
    void onlyLeftThroughOk();
    void extraButtons();
    void catalogueWithoutLocations();
    void namesAndLayout();

private:
    void setupNew();
    std::unique_ptr<TPenFFile> m_catalogue;
    TServiceAndLocationDlg *m_dlg = nullptr;
};

void TestServiceAndLocationDlg::init()
{
    TMessageBox::setTesting(true);
    TMessageBox::clearShown();
    m_catalogue = makeTestCatalogue();
    m_dlg = new TServiceAndLocationDlg;
    setupNew();
}

void TestServiceAndLocationDlg::cleanup()
{
    delete m_dlg;
    TModal::ClearHandlers();
}

void TestServiceAndLocationDlg::setupNew()
{
    m_dlg->Setup(QStringLiteral("Kiekjesbode - Service & Afhaallocatie"), aanbod::ServiceNames(*m_catalogue),
                 m_catalogue.get(), QStringLiteral("Oké"), QString(), QString(), 1);
}

void TestServiceAndLocationDlg::proposedSelection_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QStringList>("locations");
    QTest::addColumn<QString>("shown");
    const QStringList all{"Veldmeer", "Amstelrade", "Zuiderhaven"};
    QTest::newRow("standard") << "Standaardservice" << "Amstelrade" << all << "Amstelrade";
    QTest::newRow("fast, location held") << "Snelservice" << "zuiderhaven" << QStringList{"Veldmeer", "Zuiderhaven"}
                                         << "Zuiderhaven";
    QTest::newRow("fast, location not held") << "Snelservice" << "Amstelrade" << QStringList{"Veldmeer", "Zuiderhaven"}
                                             << "";
}

void TestServiceAndLocationDlg::proposedSelection()
{
    QFETCH(QString, service);
    QFETCH(QString, location);
    QFETCH(QStringList, locations);
    QFETCH(QString, shown);
    m_dlg->Prepare(service, location);
    auto *box = control<QComboBox>(m_dlg, "CmbBxLocatie");
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    QCOMPARE(items, locations);
    QCOMPARE(m_dlg->ChosenLocation(), shown);
    QCOMPARE(m_dlg->ChosenService(), service);
}

void TestServiceAndLocationDlg::fastServiceMovesLocation()
{
    TModal::SetNextHandler([this](QDialog &d) {
        chooseEntry(control<QComboBox>(&d, "CmbBxService"), 1);
        QCOMPARE(TMessageBox::shownTexts(),
                 QStringList{"Let op: Uw afhaallocatie is niet beschikbaar bij snelservice!\rKies eventueel een andere afhaallocatie."});
        QCOMPARE(m_dlg->ChosenLocation(), QStringLiteral("Veldmeer"));
        chooseEntry(control<QComboBox>(&d, "CmbBxLocatie"), 1);
        QCOMPARE(m_dlg->ChosenLocation(), QStringLiteral("Zuiderhaven"));
        // Back to the standard service: all locations again, the choice kept, no message.
        chooseEntry(control<QComboBox>(&d, "CmbBxService"), 0);
        QCOMPARE(control<QComboBox>(&d, "CmbBxLocatie")->count(), 3);
        QCOMPARE(m_dlg->ChosenLocation(), QStringLiteral("Zuiderhaven"));
        QCOMPARE(TMessageBox::shownTexts().size(), 1);
        clickButton(&d, "Btn1");
    });
    const auto r = m_dlg->Execute(QStringLiteral("Standaardservice"), QStringLiteral("Amstelrade"));
    QCOMPARE(r.modalResult, int(QDialog::Accepted));
    QCOMPARE(r.service, QStringLiteral("Standaardservice"));
    QCOMPARE(r.location, QStringLiteral("Zuiderhaven"));
}

void TestServiceAndLocationDlg::okNeedsBothChoices()
{
    TModal::SetNextHandler([](QDialog &d) {
        clickButton(&d, "Btn1");
        QCOMPARE(TMessageBox::shownTexts(), QStringList{"U moet zowel een service als een locatie opgeven!"});
        QVERIFY(d.isVisible());
        chooseEntry(control<QComboBox>(&d, "CmbBxLocatie"), 0);
        clickButton(&d, "Btn1");
    });
    const auto r = m_dlg->Execute(QStringLiteral("Snelservice"), QStringLiteral("Amstelrade"));
    QCOMPARE(r.modalResult, int(QDialog::Accepted));
    QCOMPARE(r.service, QStringLiteral("Snelservice"));
    QCOMPARE(r.location, QStringLiteral("Veldmeer"));
}

void TestServiceAndLocationDlg::onlyLeftThroughOk()
{
    m_dlg->Prepare(QStringLiteral("Standaardservice"), QStringLiteral("Veldmeer"));
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    QVERIFY(!control<QPushButton>(m_dlg, "Btn2")->isVisible());
    QVERIFY(!control<QPushButton>(m_dlg, "Btn3")->isVisible());
    QTest::keyClick(m_dlg, Qt::Key_Escape);
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(control<QPushButton>(m_dlg, "Btn1")->text(), QStringLiteral("Oké"));
    QTest::keyClick(control<QComboBox>(m_dlg, "CmbBxLocatie"), Qt::Key_Return);
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
}

void TestServiceAndLocationDlg::extraButtons()
{
    m_dlg->Setup(QStringLiteral("Titel"), aanbod::ServiceNames(*m_catalogue), m_catalogue.get(), QStringLiteral("Oké"),
                 QStringLiteral("Alles"), QStringLiteral("Annuleren"), 2);
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "Btn2"); });
    QCOMPARE(m_dlg->Execute(QStringLiteral("Standaardservice"), QStringLiteral("Veldmeer")).modalResult, modalresult::All);
    QVERIFY(control<QPushButton>(m_dlg, "Btn2")->isDefault());
    TModal::SetNextHandler([](QDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(m_dlg->Execute(QStringLiteral("Standaardservice"), QStringLiteral("Veldmeer")).modalResult,
             int(QDialog::Rejected));
}

void TestServiceAndLocationDlg::catalogueWithoutLocations()
{
    TPenFFile empty(QString(), 0, 0);
    QCOMPARE(aanbod::StartupLocations(empty), QStringList{"Veldmeer"});
    m_dlg->Setup(QStringLiteral("Titel"), aanbod::ServiceNames(empty), &empty, QStringLiteral("Oké"), QString(), QString(), 1);
    m_dlg->Prepare(QStringLiteral("Standaardservice"), QStringLiteral("Veldmeer"));
    QCOMPARE(control<QComboBox>(m_dlg, "CmbBxService")->count(), 1);
    QCOMPARE(m_dlg->ChosenLocation(), QString());
    m_dlg->show();
    clickButton(m_dlg, "Btn1");
    QCOMPARE(TMessageBox::shownTexts(), QStringList{"U moet zowel een service als een locatie opgeven!"});
    m_dlg->hide(); // before the catalogue goes
}

void TestServiceAndLocationDlg::namesAndLayout()
{
    m_dlg->Prepare(QStringLiteral("Standaardservice"), QStringLiteral("Veldmeer"));
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Kiekjesbode - Service & Afhaallocatie"));
    QCOMPARE(controlsWithoutName(m_dlg), QStringList());
    QCOMPARE(control<QComboBox>(m_dlg, "CmbBxLocatie")->accessibleName(), QStringLiteral("Afhaallocatie"));
    QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
}

QTEST_MAIN(TestServiceAndLocationDlg)
#include "tst_serviceandlocationdlg.moc"
