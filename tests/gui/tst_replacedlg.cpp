#include "GuiTestHelpers.h"
#include "app/Prompts.h"
#include "catalogue/UReplaceDlg.h"
#include "dialogs/DialogKit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

class TestReplaceDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void buttonLayout_data();
    void buttonLayout();
    void selection_data();
    void selection();
    void results_data();
    void results();
    void escapeOnlyWithCancelButton();
    void namesAndLayout();

private:
    void setupThree();
    TReplaceDlg *m_dlg = nullptr;
};

const QStringList Formats{"9x13", "10x15", "13x18"};

void TestReplaceDlg::init()
{
    TMessageBox::setTesting(true);
    m_dlg = new TReplaceDlg;
}

void TestReplaceDlg::cleanup()
{
    delete m_dlg;
    TModal::ClearHandlers();
}

void TestReplaceDlg::setupThree()
{
    m_dlg->Setup(QStringLiteral("Formaat is niet beschikbaar"), Formats, QStringLiteral("10x15"), QStringLiteral("Oké"),
                 QStringLiteral("Alles"), QStringLiteral("Annuleren"), 1);
}

void TestReplaceDlg::buttonLayout_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<QList<int>>("visible"); // 1-based numbers of the visible buttons
    QTest::newRow("three") << QStringList{"Oké", "Alles", "Annuleren"} << 1 << QList<int>{1, 2, 3};
    QTest::newRow("two, default the second") << QStringList{"Oké", "", "&Allemaal"} << 3 << QList<int>{1, 3};
    QTest::newRow("one") << QStringList{"Oké", "", ""} << 1 << QList<int>{1};
}

void TestReplaceDlg::buttonLayout()
{
    QFETCH(QStringList, captions);
    QFETCH(int, defaultButton);
    QFETCH(QList<int>, visible);
    m_dlg->Setup(QStringLiteral("Titel"), Formats, QString(), captions[0], captions[1], captions[2], defaultButton);
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    const int width = m_dlg->width();
    const int n = int(visible.size());
    for (int number = 1; number <= 3; ++number) {
        auto *b = control<QPushButton>(m_dlg, QStringLiteral("Btn%1").arg(number).toLatin1().constData());
        const int k = int(visible.indexOf(number)) + 1;
        QCOMPARE(b->isVisible(), k > 0);
        QCOMPARE(b->isDefault(), number == defaultButton);
        if (k == 0)
            continue;
        QCOMPARE(b->text(), captions[number - 1]);
        // Centred at k/(n+1) of the dialog's width.
        const int centre = b->mapTo(m_dlg, QPoint(b->width() / 2, 0)).x();
        QVERIFY2(qAbs(centre - width * k / (n + 1)) <= 1, qPrintable(QStringLiteral("%1 vs %2").arg(centre).arg(width * k / (n + 1))));
    }
}

void TestReplaceDlg::selection_data()
{
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("defaultFormat");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("proposal held") << "13X18" << "10x15" << "13x18";
    QTest::newRow("proposal missing, default held") << "50x70" << "10x15" << "10x15";
    QTest::newRow("neither held") << "50x70" << "60x90" << "";
}

void TestReplaceDlg::selection()
{
    QFETCH(QString, proposed);
    QFETCH(QString, defaultFormat);
    QFETCH(QString, chosen);
    m_dlg->Setup(QStringLiteral("Formaat is niet beschikbaar"), Formats, defaultFormat, QStringLiteral("Oké"),
                 QStringLiteral("Alles"), QStringLiteral("Annuleren"), 1);
    const TReplaceDlg::TResult r = m_dlg->Execute(QStringLiteral("Oud"), proposed); // no handler: rejected
    QCOMPARE(r.modalResult, int(QDialog::Rejected));
    QCOMPARE(r.format, chosen);
    QCOMPARE(control<QLineEdit>(m_dlg, "EdHuidigFormaat")->text(), QStringLiteral("Oud"));
    QVERIFY(control<QLineEdit>(m_dlg, "EdHuidigFormaat")->isReadOnly());
}

void TestReplaceDlg::results_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("Oké") << "Btn1" << int(QDialog::Accepted);
    QTest::newRow("Alles") << "Btn2" << TReplaceDlg::All;
    QTest::newRow("Annuleren") << "Btn3" << int(QDialog::Rejected);
}

void TestReplaceDlg::results()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    setupThree();
    TModal::SetNextHandler([&](QDialog &d) {
        chooseEntry(control<QComboBox>(&d, "CbxNieuwFormaat"), 2);
        clickButton(&d, button.toLatin1().constData());
    });
    const TReplaceDlg::TResult r = m_dlg->Execute(QStringLiteral("Oud"), QStringLiteral("10x15"));
    QCOMPARE(r.modalResult, result);
    QCOMPARE(r.format, QStringLiteral("13x18"));
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Formaat is niet beschikbaar"));
}

void TestReplaceDlg::escapeOnlyWithCancelButton()
{
    m_dlg->Setup(QStringLiteral("Titel"), Formats, QString(), QStringLiteral("Oké"), QStringLiteral("&Allemaal"), QString(), 1);
    m_dlg->Prepare(QStringLiteral("Oud"), QStringLiteral("9x13"));
    m_dlg->show();
    QTest::keyClick(m_dlg, Qt::Key_Escape);
    QVERIFY(m_dlg->isVisible());
    QTest::keyClick(control<QComboBox>(m_dlg, "CbxNieuwFormaat"), Qt::Key_Return);
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));

    setupThree();
    m_dlg->show();
    QTest::keyClick(m_dlg, Qt::Key_Escape);
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
}

void TestReplaceDlg::namesAndLayout()
{
    setupThree();
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    QCOMPARE(controlsWithoutName(m_dlg), QStringList());
    QCOMPARE(control<QComboBox>(m_dlg, "CbxNieuwFormaat")->accessibleName(), QStringLiteral("Nieuw formaat"));
    QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
}

QTEST_MAIN(TestReplaceDlg)
#include "tst_replacedlg.moc"
