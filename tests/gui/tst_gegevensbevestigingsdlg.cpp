#include "GuiTestHelpers.h"
#include "app/Prompts.h"
#include "dialogs/DialogKit.h"
#include "dialogs/UGegevensBevestiging.h"

#include <QLabel>
#include <QRadioButton>

class TestGegevensBevestigingsDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void nameAndAddressLines();
    void richTextShownPlain();
    void deliveryChoice_data();
    void deliveryChoice();
    void okTakesChoiceBack();
    void cancelLeavesRecord();
    void namesAndLayout();

private:
    static TKlantGegevens klant();
    TGegevensBevestingsDlg *m_dlg = nullptr;
};

TKlantGegevens TestGegevensBevestigingsDlg::klant()
{
    TKlantGegevens k;
    k.Titel = QStringLiteral("Dhr.");
    k.Voornaam = QStringLiteral("Jan");
    k.Achternaam = QStringLiteral("Jansen");
    k.Straat = QStringLiteral("Kade");
    k.Nummer = QStringLiteral("7");
    k.PcCijfers = 123;
    k.PcLetters = QStringLiteral("AB");
    k.Plaats = QStringLiteral("Veldmeer");
    k.Afhaallocatie = QStringLiteral("Amstelrade");
    return k;
}

void TestGegevensBevestigingsDlg::init()
{
    TMessageBox::setTesting(true);
    TMessageBox::clearShown();
    m_dlg = new TGegevensBevestingsDlg;
}

void TestGegevensBevestigingsDlg::cleanup()
{
    delete m_dlg;
    TModal::ClearHandlers();
}

void TestGegevensBevestigingsDlg::nameAndAddressLines()
{
    m_dlg->Fill(klant());
    QCOMPARE(control<QLabel>(m_dlg, "LblNaam")->text(), QStringLiteral("Dhr. Jan Jansen"));
    QCOMPARE(control<QLabel>(m_dlg, "LblAdres")->text(), QStringLiteral("Kade 7\n0123 AB  Veldmeer"));
}

void TestGegevensBevestigingsDlg::richTextShownPlain()
{
    TKlantGegevens k = klant();
    k.Achternaam = QStringLiteral("<b>Jansen</b>");
    m_dlg->Fill(k);
    QCOMPARE(control<QLabel>(m_dlg, "LblNaam")->textFormat(), Qt::PlainText);
    QCOMPARE(control<QLabel>(m_dlg, "LblAdres")->textFormat(), Qt::PlainText);
}

void TestGegevensBevestigingsDlg::deliveryChoice_data()
{
    QTest::addColumn<bool>("snel");
    QTest::addColumn<bool>("versturen");
    QTest::addColumn<QString>("ophalenText");
    QTest::addColumn<bool>("versturenEnabled");
    QTest::addColumn<bool>("versturenChecked");
    const QString in = QStringLiteral("Ik kom de foto's afhalen in Amstelrade");
    QTest::newRow("standard, collect") << false << false << in + " (Standaardservice)." << true << false;
    QTest::newRow("standard, post") << false << true << in + " (Standaardservice)." << true << true;
    QTest::newRow("fast service never posts") << true << true << in + " (Snelservice)." << false << false;
}

void TestGegevensBevestigingsDlg::deliveryChoice()
{
    QFETCH(bool, snel);
    QFETCH(bool, versturen);
    QFETCH(QString, ophalenText);
    QFETCH(bool, versturenEnabled);
    QFETCH(bool, versturenChecked);
    TKlantGegevens k = klant();
    k.Snelservice = snel;
    k.Versturen = versturen;
    TModal::SetNextHandler([&](QDialog &d) {
        QCOMPARE(control<QRadioButton>(&d, "RBtnOphalen")->text(), ophalenText);
        QCOMPARE(control<QRadioButton>(&d, "RBtnVersturen")->isEnabled(), versturenEnabled);
        QCOMPARE(control<QRadioButton>(&d, "RBtnVersturen")->isChecked(), versturenChecked);
        QCOMPARE(control<QRadioButton>(&d, "RBtnOphalen")->isChecked(), !versturenChecked);
        clickButton(&d, "BtnOke");
    });
    QCOMPARE(m_dlg->Execute(k), int(QDialog::Accepted));
    QCOMPARE(k.Versturen, versturenChecked);
}

void TestGegevensBevestigingsDlg::okTakesChoiceBack()
{
    TKlantGegevens k = klant();
    TModal::SetNextHandler([](QDialog &d) {
        clickChoice(control<QRadioButton>(&d, "RBtnVersturen"));
        clickButton(&d, "BtnOke");
    });
    QCOMPARE(m_dlg->Execute(k), int(QDialog::Accepted));
    QVERIFY(k.Versturen);
    TKlantGegevens copy;
    m_dlg->GetGegevens(copy);
    QCOMPARE(copy, k);

    // Switching back to collecting clears it again.
    TModal::SetNextHandler([](QDialog &d) {
        clickChoice(control<QRadioButton>(&d, "RBtnOphalen"));
        clickButton(&d, "BtnOke");
    });
    QCOMPARE(m_dlg->Execute(k), int(QDialog::Accepted));
    QVERIFY(!k.Versturen);
}

void TestGegevensBevestigingsDlg::cancelLeavesRecord()
{
    TKlantGegevens k = klant();
    const TKlantGegevens before = k;
    TModal::SetNextHandler([](QDialog &d) {
        clickChoice(control<QRadioButton>(&d, "RBtnVersturen"));
        clickButton(&d, "BtnAnnuleren");
    });
    QCOMPARE(m_dlg->Execute(k), int(QDialog::Rejected));
    QCOMPARE(k, before);
}

void TestGegevensBevestigingsDlg::namesAndLayout()
{
    m_dlg->Fill(klant());
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    QCOMPARE(controlsWithoutName(m_dlg), QStringList());
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Bevestig uw naam-/adres-gegevens"));
    QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
}

QTEST_MAIN(TestGegevensBevestigingsDlg)
#include "tst_gegevensbevestigingsdlg.moc"
