#include "GuiTestHelpers.h"
#include "TestCatalogue.h"
#include "catalogue/UFormaatInfo.h"

#include <QHeaderView>
#include <QTreeWidget>

class TestFormaatInfoForm : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void rows_data();
    void rows();
    void columnsAndList();
    void refilledOnEachExecute();
    void minimumSize();
    void closeHidesAndRestores();

private:
    QList<QStringList> shownRows() const;
    std::unique_ptr<TPenFFile> m_catalogue;
    TFormaatInfoForm *m_form = nullptr;
};

void TestFormaatInfoForm::init()
{
    m_catalogue = makeTestCatalogue();
    m_form = new TFormaatInfoForm;
}

void TestFormaatInfoForm::cleanup() { delete m_form; }

QList<QStringList> TestFormaatInfoForm::shownRows() const
{
    auto *list = control<QTreeWidget>(m_form, "ListView");
    QList<QStringList> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = list->topLevelItem(i);
        rows << QStringList{item->text(0), item->text(1), item->text(2)};
    }
    return rows;
}

void TestFormaatInfoForm::rows_data()
{
    QTest::addColumn<bool>("fast");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::newRow("standard")
        << false << "Amstelrade" << "Informatie over de formaten (Budgetservice)"
        << QList<QStringList>{{"9x13", "Klein, voor het album", "€ 0,25"},
                              {"10x15", "Het gewone fotoformaat", "€ 0,29"},
                              {"13x18", "Groot, om in te lijsten", "€ 0,59"},
                              {"Poster", "Prijs op aanvraag", "Onbekend"},
                              {"Groot", "Vanaf twee afdrukken", "€ 0,00"}};
    QTest::newRow("fast at Veldmeer")
        << true << "Veldmeer" << "Informatie over de formaten (Snelservice)"
        << QList<QStringList>{{"10x15", "Het gewone fotoformaat", "€ 0,49"}, {"13x18", "Groot, om in te lijsten", "€ 0,89"}};
    QTest::newRow("fast at Zuiderhaven") << true << "Zuiderhaven" << "Informatie over de formaten (Snelservice)"
                                         << QList<QStringList>{{"10x15", "Het gewone fotoformaat", "€ 0,49"}};
    QTest::newRow("fast at an unlisted location") << true << "Elders" << "Informatie over de formaten (Snelservice)"
                                                  << QList<QStringList>{};
}

void TestFormaatInfoForm::rows()
{
    QFETCH(bool, fast);
    QFETCH(QString, location);
    QFETCH(QString, caption);
    QFETCH(QList<QStringList>, rows);
    m_form->Execute(*m_catalogue, fast, location);
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_form->isModal());
    QCOMPARE(m_form->windowTitle(), caption);
    QCOMPARE(shownRows(), rows);
    QCOMPARE(m_form->FastService(), fast);
    QCOMPARE(m_form->LocationName(), location);
}

void TestFormaatInfoForm::columnsAndList()
{
    m_form->Execute(*m_catalogue, false, QStringLiteral("Veldmeer"));
    auto *list = control<QTreeWidget>(m_form, "ListView");
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Naam"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Omschrijving"));
    QCOMPARE(list->headerItem()->text(2), QStringLiteral("Prijs per afdruk"));
    QCOMPARE(list->header()->sectionSize(1), 275);
    QVERIFY(list->header()->sectionSize(2) >= 90);
    QVERIFY(list->header()->sectionSize(2) > list->header()->fontMetrics().horizontalAdvance(QStringLiteral("Prijs per afdruk")));
    QVERIFY(list->topLevelItem(0)->textAlignment(2) & Qt::AlignRight);
    QCOMPARE(list->focusPolicy(), Qt::NoFocus);
    QVERIFY(!list->header()->sectionsClickable());
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    list->header()->resizeSection(1, 20);
    QCOMPARE(list->header()->sectionSize(1), 100);
    list->header()->resizeSection(0, 10);
    QCOMPARE(list->header()->sectionSize(0), 50);
}

void TestFormaatInfoForm::refilledOnEachExecute()
{
    m_form->Execute(*m_catalogue, false, QStringLiteral("Veldmeer"));
    QCOMPARE(shownRows().size(), 5);
    // A catalogue change is not followed by itself; the next click fills the window again.
    m_catalogue->Format(0).Naam = QStringLiteral("Anders");
    QCOMPARE(shownRows().first().first(), QStringLiteral("9x13"));
    m_form->Execute(*m_catalogue, true, QStringLiteral("Veldmeer"));
    QCOMPARE(shownRows().size(), 2);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Informatie over de formaten (Snelservice)"));
    m_form->Execute(*m_catalogue, false, QStringLiteral("Veldmeer"));
    QCOMPARE(shownRows().first().first(), QStringLiteral("Anders"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Informatie over de formaten (Budgetservice)"));
}

void TestFormaatInfoForm::minimumSize()
{
    m_form->Execute(*m_catalogue, false, QStringLiteral("Veldmeer"));
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_form->resize(200, 100);
    QCOMPARE(m_form->size(), QSize(400, 230));
    m_form->resize(640, 480);
    QCOMPARE(m_form->size(), QSize(640, 480));
    // The frame and the list follow the window's size.
    auto *bevel = control<QWidget>(m_form, "Bevel1");
    QTRY_VERIFY(bevel->width() > 600);
}

void TestFormaatInfoForm::closeHidesAndRestores()
{
    m_form->Execute(*m_catalogue, false, QStringLiteral("Veldmeer"));
    clickButton(m_form, "BtnSluiten");
    QVERIFY(!m_form->isVisible());
    m_form->Execute(*m_catalogue, false, QStringLiteral("Veldmeer"));
    QVERIFY(m_form->isVisible());
    m_form->showMinimized();
    m_form->Execute(*m_catalogue, false, QStringLiteral("Veldmeer"));
    QVERIFY(!m_form->isMinimized());
    QTest::keyClick(m_form, Qt::Key_Return);
    QVERIFY(!m_form->isVisible());
}

QTEST_MAIN(TestFormaatInfoForm)
#include "tst_formaatinfoform.moc"
