#include "GuiTestHelpers.h"
#include "app/Prompts.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Instellingen.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

class TestInstellingenDlg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void showsRecord();
    void formatNotInCatalogue();
    void noCatalogueFileAcceptsEmptyFormat();
    void uploadSpeedNotInList();
    void glansAlwaysTrue();
    void standaardThenCancel();
    void standaardValues();
    void countOnlyStepped();
    void formatListOpensOnTyping();
    void applyStores();
    void namesAndLayout();

private:
    static TInstellingen settings();
    void openWith(const TInstellingen &s);
    QTemporaryDir m_dir;
    QString m_penf;
    TInstellingenDlg *m_dlg = nullptr;
};

const QString Kop = QStringLiteral("De volgende velden moeten ingevuld worden:\r");

TInstellingen TestInstellingenDlg::settings()
{
    TInstellingen s;
    s.Aantal = 3;
    s.Formaat = QStringLiteral("13x18");
    s.Afwerking = AfwerkingSepia;
    s.UploadSpeed = 1024;
    s.VerhoogSnelheid = true;
    return s;
}

void TestInstellingenDlg::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_penf = m_dir.filePath(QStringLiteral("PenF.dat"));
}

void TestInstellingenDlg::init()
{
    TMessageBox::setTesting(true);
    TMessageBox::clearShown();
    QFile file(m_penf);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    m_dlg = new TInstellingenDlg;
    m_dlg->SetFormaten({QStringLiteral("9x13"), QStringLiteral("10x15"), QStringLiteral("13x18")});
    m_dlg->SetCatalogusBestand(m_penf);
    TInstellingen standaard = StandaardInstellingen(QStringLiteral("10x15"));
    standaard.Glans = false; // the dialog makes it glossy whatever it is given
    m_dlg->SetStandaard(standaard);
}

void TestInstellingenDlg::cleanup()
{
    delete m_dlg;
    TModal::ClearHandlers();
}

void TestInstellingenDlg::openWith(const TInstellingen &s)
{
    m_dlg->SetGegevens(s);
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
}

void TestInstellingenDlg::showsRecord()
{
    TInstellingen s = settings();
    s.Formaat = QStringLiteral("13X18");
    openWith(s);
    QCOMPARE(control<QSpinBox>(m_dlg, "LedAantal")->value(), 3);
    QCOMPARE(control<QComboBox>(m_dlg, "CbxFormaat")->currentText(), QStringLiteral("13x18"));
    QVERIFY(control<QRadioButton>(m_dlg, "RgpAfwerking2")->isChecked());
    QCOMPARE(control<QRadioButton>(m_dlg, "RgpAfwerking2")->text(), QStringLiteral("Bruintoon (Sepia)"));
    QCOMPARE(control<QComboBox>(m_dlg, "CbxUploadSpeed")->currentText(), QStringLiteral("1024"));
    QVERIFY(control<QCheckBox>(m_dlg, "CbxSnelheid")->isChecked());
}

void TestInstellingenDlg::formatNotInCatalogue()
{
    TInstellingen s = settings();
    s.Formaat = QStringLiteral("50x70");
    openWith(s);
    QCOMPARE(control<QComboBox>(m_dlg, "CbxFormaat")->currentIndex(), -1);
    clickButton(m_dlg, "BitBtnAnnuleren");
    QCOMPARE(TMessageBox::shownTexts(), QStringList{Kop + " - Standaardformaat\r"});
    QVERIFY(m_dlg->isVisible());
    QTest::keyClick(m_dlg, Qt::Key_Escape);
    QVERIFY(m_dlg->isVisible());
    clickButton(m_dlg, "BitBtnOke");
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(TMessageBox::shownTexts().size(), 3);

    chooseEntry(control<QComboBox>(m_dlg, "CbxFormaat"), 1);
    clickButton(m_dlg, "BitBtnOke");
    QVERIFY(!m_dlg->isVisible());
    TInstellingen out;
    m_dlg->GetGegevens(out);
    QCOMPARE(out.Formaat, QStringLiteral("10x15"));
}

void TestInstellingenDlg::noCatalogueFileAcceptsEmptyFormat()
{
    QVERIFY(QFile::remove(m_penf));
    m_dlg->SetFormaten({});
    TInstellingen s = settings();
    s.Formaat.clear();
    openWith(s);
    clickButton(m_dlg, "BitBtnOke");
    QVERIFY(TMessageBox::shownTexts().isEmpty());
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    TInstellingen out;
    m_dlg->GetGegevens(out);
    QCOMPARE(out.Formaat, QString());
}

void TestInstellingenDlg::uploadSpeedNotInList()
{
    TInstellingen s = settings();
    s.UploadSpeed = 100;
    openWith(s);
    QCOMPARE(control<QComboBox>(m_dlg, "CbxUploadSpeed")->currentIndex(), -1);
    clickButton(m_dlg, "BitBtnOke");
    QCOMPARE(TMessageBox::shownTexts(), QStringList{Kop + " - Uploadsnelheid"});
    QVERIFY(m_dlg->isVisible());
}

void TestInstellingenDlg::glansAlwaysTrue()
{
    TInstellingen s = settings();
    s.Glans = false;
    openWith(s);
    QVERIFY(control<QRadioButton>(m_dlg, "RgpGlans0")->isChecked());
    QVERIFY(!control<QWidget>(m_dlg, "RgpGlans")->isEnabled());
    clickButton(m_dlg, "BitBtnOke");
    TInstellingen out;
    m_dlg->GetGegevens(out);
    QVERIFY(out.Glans);
}

void TestInstellingenDlg::standaardThenCancel()
{
    TInstellingen s = settings();
    TModal::SetNextHandler([](QDialog &d) {
        clickButton(&d, "BitBtnStandaard");
        clickButton(&d, "BitBtnAnnuleren");
    });
    QCOMPARE(m_dlg->Execute(), int(QDialog::Rejected));
    QVERIFY(TMessageBox::shownTexts().isEmpty());
}

void TestInstellingenDlg::standaardValues()
{
    openWith(settings());
    clickButton(m_dlg, "BitBtnStandaard");
    QCOMPARE(control<QSpinBox>(m_dlg, "LedAantal")->value(), 1);
    QCOMPARE(control<QComboBox>(m_dlg, "CbxFormaat")->currentText(), QStringLiteral("10x15"));
    QVERIFY(control<QRadioButton>(m_dlg, "RgpAfwerking0")->isChecked());
    QCOMPARE(control<QComboBox>(m_dlg, "CbxUploadSpeed")->currentText(), QStringLiteral("56"));
    QVERIFY(!control<QCheckBox>(m_dlg, "CbxSnelheid")->isChecked());
    QVERIFY(control<QRadioButton>(m_dlg, "RgpGlans0")->isChecked());
    clickButton(m_dlg, "BitBtnOke");
    TInstellingen out;
    m_dlg->GetGegevens(out);
    QCOMPARE(out, StandaardInstellingen(QStringLiteral("10x15")));
}

void TestInstellingenDlg::countOnlyStepped()
{
    TInstellingen s = settings();
    s.Aantal = 998;
    openWith(s);
    auto *box = control<QSpinBox>(m_dlg, "LedAantal");
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("5"));
    QCOMPARE(box->value(), 998);
    QTest::keyClick(box, Qt::Key_Up);
    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(box->value(), 999);
    box->setValue(1);
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->value(), 1);
}

void TestInstellingenDlg::formatListOpensOnTyping()
{
    TInstellingen s = settings();
    s.Formaat.clear();
    openWith(s);
    auto *box = control<QComboBox>(m_dlg, "CbxFormaat");
    box->setFocus();
    QTest::keyClick(box, '1');
    QCOMPARE(box->currentText(), QStringLiteral("10x15"));
    QTRY_VERIFY(box->view()->isVisible());
    box->hidePopup();
}

void TestInstellingenDlg::applyStores()
{
    openWith(settings());
    auto *box = control<QSpinBox>(m_dlg, "LedAantal");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Up);
    clickChoice(control<QRadioButton>(m_dlg, "RgpAfwerking1"));
    chooseEntry(control<QComboBox>(m_dlg, "CbxUploadSpeed"), 0);
    clickChoice(control<QCheckBox>(m_dlg, "CbxSnelheid"));
    clickButton(m_dlg, "BitBtnOke");
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    TInstellingen out;
    m_dlg->GetGegevens(out);
    QCOMPARE(out.Aantal, uint16_t(4));
    QCOMPARE(out.Formaat, QStringLiteral("13x18"));
    QCOMPARE(out.Afwerking, AfwerkingZwartWit);
    QCOMPARE(out.UploadSpeed, uint16_t(28));
    QVERIFY(!out.VerhoogSnelheid);
}

void TestInstellingenDlg::namesAndLayout()
{
    openWith(settings());
    QCOMPARE(controlsWithoutName(m_dlg), QStringList());
    QVERIFY(control<QWidget>(m_dlg, "BitBtnAnnuleren")->property("default").toBool());
    QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
}

QTEST_MAIN(TestInstellingenDlg)
#include "tst_instellingendlg.moc"
