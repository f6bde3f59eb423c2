#include "GuiTestHelpers.h"
#include "app/Prompts.h"
#include "dialogs/DialogKit.h"
#include "dialogs/Klantgegevens.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

class TestKlantgegevensDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fillsFromRecord();
    void allEmptyListsEveryField();
    void postcodeRules_data();
    void postcodeRules();
    void keyFilters_data();
    void keyFilters();
    void lettersBecomeCapitals();
    void pastedPostcodeRefused();
    void applyStoresFields();
    void cancelKeepsRecord();
    void firstStartCannotCancel();
    void executeThroughModalRunner();
    void namesAndLayout();

private:
    TKlantGegevens filled() const;
    void openWith(const TKlantGegevens &k);
    QLineEdit *edit(const char *name) { return control<QLineEdit>(m_dlg, name); }
    TKlantgegevensDlg *m_dlg = nullptr;
};

TKlantGegevens TestKlantgegevensDlg::filled() const
{
    TKlantGegevens k;
    k.Titel = QStringLiteral("Mevr.");
    k.Voornaam = QStringLiteral("Els");
    k.Tussenvoegsel = QStringLiteral("van der");
    k.Achternaam = QStringLiteral("Berg");
    k.Straat = QStringLiteral("Dorpsstraat");
    k.Nummer = QStringLiteral("12a");
    k.PcCijfers = 1234;
    k.PcLetters = QStringLiteral("AB");
    k.Plaats = QStringLiteral("Veldmeer");
    k.Telefoon = QStringLiteral("012-3456789");
    k.Email = QStringLiteral("els@example.org");
    k.Versturen = true;
    k.Afhaallocatie = QStringLiteral("Veldmeer");
    return k;
}

void TestKlantgegevensDlg::init()
{
    TMessageBox::setTesting(true);
    TMessageBox::clearShown();
    m_dlg = new TKlantgegevensDlg;
}

void TestKlantgegevensDlg::cleanup()
{
    delete m_dlg;
    TModal::ClearHandlers();
}

void TestKlantgegevensDlg::openWith(const TKlantGegevens &k)
{
    m_dlg->SetGegevens(k);
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
}

void TestKlantgegevensDlg::fillsFromRecord()
{
    TKlantGegevens k = filled();
    k.Titel = QStringLiteral("mevr.");
    openWith(k);
    QCOMPARE(control<QComboBox>(m_dlg, "CbxTitel")->currentText(), QStringLiteral("Mevr."));
    QCOMPARE(edit("EdTussenvoegsel")->text(), QStringLiteral("van der"));
    QCOMPARE(edit("EdPcCijfers")->text(), QStringLiteral("1234"));
    QCOMPARE(edit("EdPcLetters")->text(), QStringLiteral("AB"));
    QCOMPARE(control<QRadioButton>(m_dlg, "RgpHalenAfhalen")->text(), QStringLiteral("Ik kom de foto's afhalen in Veldmeer"));
    QVERIFY(control<QRadioButton>(m_dlg, "RgpHalenToesturen")->isChecked());
    m_dlg->hide();

    // Each showing refills from the record handed in, whatever was typed before.
    edit("EdAchternaam")->setText(QStringLiteral("Iets anders"));
    openWith(TKlantGegevens{});
    QCOMPARE(control<QComboBox>(m_dlg, "CbxTitel")->currentIndex(), -1);
    QCOMPARE(edit("EdAchternaam")->text(), QString());
    QCOMPARE(edit("EdPcCijfers")->text(), QString());
    QCOMPARE(control<QRadioButton>(m_dlg, "RgpHalenAfhalen")->text(), QStringLiteral("Ik kom de foto's afhalen in ..."));
    QVERIFY(control<QRadioButton>(m_dlg, "RgpHalenAfhalen")->isChecked());
}

void TestKlantgegevensDlg::allEmptyListsEveryField()
{
    openWith(TKlantGegevens{});
    clickButton(m_dlg, "BitBtnOk");
    QCOMPARE(TMessageBox::shownTexts(),
             QStringList{"De volgende verplichte velden hebt u niet ingevuld:\r - Titel\r - Achternaam\r - Straat\r"
                         " - Postcode\r - Woonplaats\rDeze gegevens moeten ingevuld worden!"});
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
}

void TestKlantgegevensDlg::postcodeRules_data()
{
    QTest::addColumn<QString>("cijfers");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("123 AB") << "123" << "AB" << false;
    QTest::newRow("1234 A") << "1234" << "A" << false;
    QTest::newRow("1234 AB") << "1234" << "AB" << true;
    QTest::newRow("12345 typed, four kept") << "12345" << "ab" << true;
    QTest::newRow("empty letters") << "1234" << "" << false;
}

void TestKlantgegevensDlg::postcodeRules()
{
    QFETCH(QString, cijfers);
    QFETCH(QString, letters);
    QFETCH(bool, accepted);
    TKlantGegevens k = filled();
    k.PcCijfers = 0;
    k.PcLetters = QString();
    openWith(k);
    QTest::keyClicks(edit("EdPcCijfers"), cijfers);
    QTest::keyClicks(edit("EdPcLetters"), letters);
    clickButton(m_dlg, "BitBtnOk");
    if (accepted) {
        QVERIFY(TMessageBox::shownTexts().isEmpty());
        QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
        TKlantGegevens out;
        m_dlg->GetGegevens(out);
        QCOMPARE(out.PcCijfers, uint16_t(1234));
    } else {
        QCOMPARE(TMessageBox::shownTexts(),
                 QStringList{"De volgende verplichte velden hebt u niet ingevuld:\r - Postcode\rDeze gegevens moeten ingevuld worden!"});
        QVERIFY(m_dlg->isVisible());
    }
}

void TestKlantgegevensDlg::keyFilters_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("telephone") << "EdTelefoon" << "06x/.-12 3" << "06-123";
    QTest::newRow("postcode digits") << "EdPcCijfers" << "1a2-3b4" << "1234";
    QTest::newRow("postcode letters") << "EdPcLetters" << "1a-9B" << "AB";
    QTest::newRow("e-mail unfiltered") << "EdEmail" << "a-1/." << "a-1/.";
}

void TestKlantgegevensDlg::keyFilters()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    openWith(TKlantGegevens{});
    QLineEdit *e = edit(box.toLatin1().constData());
    QTest::keyClicks(e, typed);
    QCOMPARE(e->text(), shown);
    // Backspace (a control key) always passes.
    QTest::keyClick(e, Qt::Key_Backspace);
    QCOMPARE(e->text(), shown.chopped(1));
}

void TestKlantgegevensDlg::lettersBecomeCapitals()
{
    TKlantGegevens k = filled();
    k.PcLetters = QString();
    openWith(k);
    QTest::keyClicks(edit("EdPcLetters"), QStringLiteral("xy"));
    QCOMPARE(edit("EdPcLetters")->text(), QStringLiteral("XY"));
    clickButton(m_dlg, "BitBtnOk");
    TKlantGegevens out;
    m_dlg->GetGegevens(out);
    QCOMPARE(out.PcLetters.text(), QStringLiteral("XY"));
}

void TestKlantgegevensDlg::pastedPostcodeRefused()
{
    // Pasting passes the key filter; digits that are no number keep the dialog open with the
    // postcode line instead of closing with the old postcode.
    TKlantGegevens k = filled();
    k.PcCijfers = 0;
    openWith(k);
    QApplication::clipboard()->setText(QStringLiteral("12a4"));
    QLineEdit *e = edit("EdPcCijfers");
    e->setFocus();
    QTest::keySequence(e, QKeySequence::Paste);
    QCOMPARE(e->text(), QStringLiteral("12a4"));
    clickButton(m_dlg, "BitBtnOk");
    QCOMPARE(TMessageBox::shownTexts(),
             QStringList{"De volgende verplichte velden hebt u niet ingevuld:\r - Postcode\rDeze gegevens moeten ingevuld worden!"});
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(e->text(), QStringLiteral("12a4"));
}

void TestKlantgegevensDlg::applyStoresFields()
{
    TKlantGegevens k;
    k.Afhaallocatie = QStringLiteral("Veldmeer");
    k.Snelservice = true;
    openWith(k);
    chooseEntry(control<QComboBox>(m_dlg, "CbxTitel"), 2);
    QTest::keyClicks(edit("EdVoornaam"), QStringLiteral(" Jan "));
    QTest::keyClicks(edit("EdAchternaam"), QStringLiteral("Jansen"));
    QTest::keyClicks(edit("EdStraat"), QStringLiteral("Kade"));
    QTest::keyClicks(edit("EdNummer"), QStringLiteral("7"));
    QTest::keyClicks(edit("EdPcCijfers"), QStringLiteral("0987"));
    QTest::keyClicks(edit("EdPcLetters"), QStringLiteral("zz"));
    QTest::keyClicks(edit("EdPlaats"), QStringLiteral("Zuiderhaven"));
    clickChoice(control<QRadioButton>(m_dlg, "RgpHalenToesturen"));
    clickButton(m_dlg, "BitBtnOk");
    QVERIFY(TMessageBox::shownTexts().isEmpty());
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    TKlantGegevens out;
    m_dlg->GetGegevens(out);
    QCOMPARE(out.Titel, QStringLiteral("Fam."));
    QCOMPARE(out.Voornaam, QStringLiteral(" Jan ")); // no trimming
    QCOMPARE(out.Achternaam, QStringLiteral("Jansen"));
    QCOMPARE(out.PcCijfers, uint16_t(987));
    QCOMPARE(out.PcLetters.text(), QStringLiteral("ZZ"));
    QCOMPARE(out.Plaats, QStringLiteral("Zuiderhaven"));
    QVERIFY(out.Versturen);
    // Service and location are only shown here, never changed.
    QVERIFY(out.Snelservice);
    QCOMPARE(out.Afhaallocatie.text(), QStringLiteral("Veldmeer"));
}

void TestKlantgegevensDlg::cancelKeepsRecord()
{
    const TKlantGegevens k = filled();
    openWith(k);
    edit("EdAchternaam")->clear();
    QTest::keyClicks(edit("EdAchternaam"), QStringLiteral("Anders"));
    QTest::keyClick(m_dlg, Qt::Key_Escape);
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
    TKlantGegevens out;
    m_dlg->GetGegevens(out);
    QCOMPARE(out, k);
    QVERIFY(control<QPushButton>(m_dlg, "BitBtnCancel")->isDefault());
}

void TestKlantgegevensDlg::firstStartCannotCancel()
{
    m_dlg->SetVerplicht(true);
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Vul uw gegevens in"));
    openWith(TKlantGegevens{});
    QVERIFY(!control<QPushButton>(m_dlg, "BitBtnCancel")->isEnabled());
    QTest::keyClick(m_dlg, Qt::Key_Escape);
    QVERIFY(m_dlg->isVisible());
    m_dlg->SetVerplicht(false);
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Klantgegevens"));
    QVERIFY(control<QPushButton>(m_dlg, "BitBtnCancel")->isEnabled());
}

void TestKlantgegevensDlg::executeThroughModalRunner()
{
    m_dlg->SetGegevens(filled());
    TModal::SetNextHandler([this](QDialog &d) {
        QCOMPARE(&d, static_cast<QDialog *>(m_dlg));
        QCOMPARE(edit("EdAchternaam")->text(), QStringLiteral("Berg"));
        clickButton(&d, "BitBtnOk");
    });
    QCOMPARE(m_dlg->Execute(), int(QDialog::Accepted));
    QCOMPARE(TModal::Pending(), 0);
}

void TestKlantgegevensDlg::namesAndLayout()
{
    openWith(filled());
    QCOMPARE(controlsWithoutName(m_dlg), QStringList());
    QCOMPARE(edit("EdAchternaam")->accessibleName(), QStringLiteral("Achternaam *"));
    QCOMPARE(edit("EdPcCijfers")->maxLength(), 4);
    QCOMPARE(edit("EdPcLetters")->maxLength(), 2);
    // Fixed size: the layout does not let the window grow or shrink.
    QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
    QVERIFY(!(m_dlg->windowFlags() & Qt::WindowCloseButtonHint));
}

QTEST_MAIN(TestKlantgegevensDlg)
#include "tst_klantgegevensdlg.moc"
