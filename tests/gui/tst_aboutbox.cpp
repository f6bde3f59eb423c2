#include "GuiTestHelpers.h"
#include "app/Prompts.h"
#include "dialogs/DialogKit.h"
#include "dialogs/PrAbout.h"

#include <QLabel>
#include <QTimer>

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void figuresOnShowing();
    void refreshedOnlyWhileOpen();
    void versionTextAndLayout();
    void okCloses();

private:
    TAboutBox *m_box = nullptr;
    int m_queries = 0;
};

void TestAboutBox::init()
{
    TMessageBox::setTesting(true);
    m_queries = 0;
    m_box = new TAboutBox;
    m_box->SetGeheugenBron([this] {
        ++m_queries;
        TGeheugenStatus s;
        s.totaalFysiek = 2147483648ull;
        s.belasting = 45;
        s.totaalPagefile = 1ull << 30;
        s.vrijPagefile = 300;
        s.totaalVirtueel = 1ull << 47;
        s.vrijVirtueel = (1ull << 47) - uint64_t(m_queries) * 1024;
        return s;
    });
}

void TestAboutBox::cleanup()
{
    delete m_box;
    TModal::ClearHandlers();
}

void TestAboutBox::figuresOnShowing()
{
    QCOMPARE(control<QLabel>(m_box, "PhysMem")->text(), QStringLiteral("0"));
    m_box->show();
    QCOMPARE(m_queries, 1);
    QCOMPARE(control<QLabel>(m_box, "PhysMem")->text(), QStringLiteral("2.097.152 KB"));
    QCOMPARE(control<QLabel>(m_box, "FreeRes")->text(), QStringLiteral("45 %"));
    QCOMPARE(control<QLabel>(m_box, "TotalPage")->text(), QStringLiteral("1.048.576 KB"));
    QCOMPARE(control<QLabel>(m_box, "AvailPage")->text(), QStringLiteral(" KB"));
    QCOMPARE(control<QLabel>(m_box, "TotalVirtual")->text(), QStringLiteral("137.438.953.472 KB"));
    QCOMPARE(control<QLabel>(m_box, "AvailVirtual")->text(), QStringLiteral("137.438.953.471 KB"));
}

void TestAboutBox::refreshedOnlyWhileOpen()
{
    auto *timer = control<QTimer>(m_box, "Timer1");
    QCOMPARE(timer->interval(), 5000);
    QVERIFY(!timer->isActive());
    m_box->show();
    QVERIFY(timer->isActive());
    timer->setInterval(10); // the five seconds, shortened for the test
    timer->start();
    QTRY_VERIFY(m_queries >= 3);
    QCOMPARE(control<QLabel>(m_box, "AvailVirtual")->text(), KilobyteTekst((1ull << 47) - uint64_t(m_queries) * 1024));
    m_box->hide();
    QVERIFY(!timer->isActive());
    const int after = m_queries;
    QTest::qWait(60);
    QCOMPARE(m_queries, after);
}

void TestAboutBox::versionTextAndLayout()
{
    m_box->SetVersionText(QStringLiteral("Kiekjesbode (1.6.1.5)"));
    m_box->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_box));
    auto *label = control<QLabel>(m_box, "Label1");
    QCOMPARE(label->text(), QStringLiteral("Kiekjesbode (1.6.1.5)"));
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QVERIFY(label->font().bold());
    QCOMPARE(m_box->size(), QSize(408, 335));
    QCOMPARE(m_box->windowTitle(), QStringLiteral("Info"));
    QCOMPARE(controlsWithoutName(m_box), QStringList());
}

void TestAboutBox::okCloses()
{
    TModal::SetNextHandler([](QDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(m_box->Execute(), int(QDialog::Rejected));
    QVERIFY(!control<QTimer>(m_box, "Timer1")->isActive());
    TModal::SetNextHandler([](QDialog &d) { QTest::keyClick(&d, Qt::Key_Return); });
    QCOMPARE(m_box->Execute(), int(QDialog::Accepted));
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
