#include "app/Errors.h"
#include "catalogue/UKassa.h"
#include "catalogue/UPenF.h"

#include <QTest>

namespace {

TCurrency cents(int c) { return TCurrency::fromCents(c); }

// A catalogue with "10x15" {1: 0.39}, {50: 0.29} (fast: {1: 0.59}), "13x18" {1: 0.79}, and
// "Onbekend" whose price is the missing-price marker.
std::unique_ptr<TPenFFile> makeCatalogue()
{
    auto catalogue = std::make_unique<TPenFFile>(QString(), 0, 0);
    auto add = [&](const char *name, TPrijsLijst standard, TPrijsLijst fast) {
        auto f = std::make_unique<TFormaat>();
        f->Naam = QString::fromLatin1(name);
        f->Prijzen = std::move(standard);
        f->SnelPrijzen = std::move(fast);
        catalogue->AddFormat(std::move(f));
    };
    add("10x15", {{1, cents(39)}, {50, cents(29)}}, {{1, cents(59)}});
    add("13x18", {{1, cents(79)}}, {});
    add("Onbekend", {{0, TCurrency::missing()}}, {});
    return catalogue;
}

} // namespace

class TestKassa : public QObject {
    Q_OBJECT
private slots:
    void init() { m_catalogue = makeCatalogue(); }
    void orderValue_data();
    void orderValue();
    void tiersFollowTheFormatTotal();
    void countChanges_data();
    void countChanges();
    void removingAllPrintsDeletesTheEntry();
    void unknownFormats();
    void entryNameIgnoresAsciiCase();
    void serviceChangeNeedsRebuild();
    void overflowAndRangeLeaveEntryUnchanged_data();
    void overflowAndRangeLeaveEntryUnchanged();
    void changeFormat();
    void changeFormatWithoutOldEntryReports();
    void changeFormatOverflowRestoresRegister();
    void changeFormatMovesUnknownPrice();
    void totalPastTheRangeRaises();

private:
    std::unique_ptr<TPenFFile> m_catalogue;
};

void TestKassa::orderValue_data()
{
    // Items of one format with tiers {1: 0.39}, {50: 0.29}: every item is priced at the tier
    // of the format's total.
    QTest::addColumn<QList<int>>("items");
    QTest::addColumn<int>("unitCents"); // -100: the missing-price marker
    QTest::addColumn<int>("totalCents");
    QTest::newRow("30 and 25 prints") << QList<int>{30, 25} << 29 << 1595;
    QTest::newRow("30 prints") << QList<int>{30} << 39 << 1170;
    QTest::newRow("49 prints") << QList<int>{20, 29} << 39 << 1911;
    QTest::newRow("50 prints") << QList<int>{25, 25} << 29 << 1450;
    QTest::newRow("no items") << QList<int>{} << -100 << 0;
}

void TestKassa::orderValue()
{
    QFETCH(QList<int>, items);
    QFETCH(int, unitCents);
    QFETCH(int, totalCents);
    TKassa kassa(*m_catalogue);
    for (int count : items)
        kassa.AddPrints(QStringLiteral("10x15"), count);
    QCOMPARE(kassa.UnitPrice(QStringLiteral("10x15")), cents(unitCents));
    QCOMPARE(kassa.Total(), cents(totalCents));
    TCurrency sumOfItems;
    for (int count : items)
        sumOfItems += kassa.UnitPrice(QStringLiteral("10x15")) * count;
    QCOMPARE(sumOfItems, cents(totalCents));
}

void TestKassa::tiersFollowTheFormatTotal()
{
    TKassa kassa(*m_catalogue);
    QCOMPARE(kassa.Total(), TCurrency());
    QCOMPARE(kassa.AddPrints(QStringLiteral("10x15"), 30), cents(39));
    QCOMPARE(kassa.AddPrints(QStringLiteral("10x15"), 25), cents(29));
    // Items of 30 and 25 prints: 8.70 and 7.25, order value 15.95.
    QCOMPARE(kassa.UnitPrice(QStringLiteral("10x15")) * 30, cents(870));
    QCOMPARE(kassa.UnitPrice(QStringLiteral("10x15")) * 25, cents(725));
    QCOMPARE(kassa.Total(), cents(1595));
    // Removing the 25-print item: the remaining item rises to 11.70.
    QCOMPARE(kassa.RemovePrints(QStringLiteral("10x15"), 25), cents(39));
    QCOMPARE(kassa.UnitPrice(QStringLiteral("10x15")) * 30, cents(1170));
    QCOMPARE(kassa.Total(), cents(1170));
    kassa.Clear();
    QCOMPARE(kassa.Total(), TCurrency());
}

void TestKassa::countChanges_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("10 to 12") << 10 << 12;
    QTest::newRow("12 to 10") << 12 << 10;
    QTest::newRow("45 to 55 crosses a tier") << 45 << 55;
    QTest::newRow("55 to 45 crosses back") << 55 << 45;
}

void TestKassa::countChanges()
{
    QFETCH(int, from);
    QFETCH(int, to);
    TKassa kassa(*m_catalogue);
    kassa.AddPrints(QStringLiteral("10x15"), from);
    if (to > from)
        kassa.AddPrints(QStringLiteral("10x15"), to - from);
    else
        kassa.RemovePrints(QStringLiteral("10x15"), from - to);
    QCOMPARE(kassa.Aanslagen().size(), 1);
    QCOMPARE(int(kassa.Aanslagen().first().Aantal), to);
    QCOMPARE(kassa.UnitPrice(QStringLiteral("10x15")), to >= 50 ? cents(29) : cents(39));
}

void TestKassa::removingAllPrintsDeletesTheEntry()
{
    TKassa kassa(*m_catalogue);
    kassa.AddPrints(QStringLiteral("13x18"), 4);
    QCOMPARE(kassa.RemovePrints(QStringLiteral("13x18"), 4), TCurrency());
    QVERIFY(kassa.Aanslagen().isEmpty());
    QCOMPARE(kassa.UnitPrice(QStringLiteral("13x18")), TCurrency::missing());
    QCOMPARE(kassa.RemovePrints(QStringLiteral("13x18"), 1), TCurrency::missing());
}

void TestKassa::unknownFormats()
{
    TKassa kassa(*m_catalogue);
    QCOMPARE(kassa.AddPrints(QStringLiteral("30x40"), 3), TCurrency::missing());
    QVERIFY(kassa.Aanslagen().isEmpty());
    QCOMPARE(kassa.UnitPrice(QStringLiteral("30x40")), TCurrency::missing());
    QCOMPARE(kassa.Total(), TCurrency());
}

void TestKassa::entryNameIgnoresAsciiCase()
{
    TKassa kassa(*m_catalogue);
    kassa.AddPrints(QStringLiteral("10x15"), 30);
    QCOMPARE(kassa.AddPrints(QStringLiteral("10X15"), 20), cents(29));
    QCOMPARE(kassa.Aanslagen().size(), 1);
    QCOMPARE(kassa.Aanslagen().first().Formaat, QStringLiteral("10x15"));
    QCOMPARE(int(kassa.Aanslagen().first().Aantal), 50);
}

void TestKassa::serviceChangeNeedsRebuild()
{
    TKassa kassa(*m_catalogue);
    kassa.AddPrints(QStringLiteral("10x15"), 2);
    kassa.AddPrints(QStringLiteral("13x18"), 1);
    kassa.SetSnelservice(true);
    QCOMPARE(kassa.UnitPrice(QStringLiteral("10x15")), cents(39));
    QCOMPARE(kassa.AddPrints(QStringLiteral("10x15"), 1), cents(59));
    // No fast tiers: the fast price of 13x18 is 0.
    QCOMPARE(kassa.AddPrints(QStringLiteral("13x18"), 1), TCurrency());
}

void TestKassa::overflowAndRangeLeaveEntryUnchanged_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("change"); // positive: AddPrints, negative: RemovePrints
    QTest::addColumn<bool>("overflow");
    QTest::newRow("65535 plus 1") << 65535 << 1 << true;
    QTest::newRow("40000 plus 30000") << 40000 << 30000 << true;
    QTest::newRow("5 minus 6") << 5 << -6 << false;
    QTest::newRow("add a negative count") << 5 << 0 << false;
}

void TestKassa::overflowAndRangeLeaveEntryUnchanged()
{
    QFETCH(int, start);
    QFETCH(int, change);
    QFETCH(bool, overflow);
    TKassa kassa(*m_catalogue);
    kassa.AddPrints(QStringLiteral("10x15"), start);
    const QList<TAanslag> before = kassa.Aanslagen();
    try {
        if (change > 0)
            kassa.AddPrints(QStringLiteral("10x15"), change);
        else if (change < 0)
            kassa.RemovePrints(QStringLiteral("10x15"), -change);
        else
            kassa.AddPrints(QStringLiteral("10x15"), -start - 1);
        QFAIL("no error raised");
    } catch (const EIntOverflow &) {
        QVERIFY(overflow);
    } catch (const ERangeError &) {
        QVERIFY(!overflow);
    }
    QCOMPARE(kassa.Aanslagen(), before);

    // A new entry of more prints than 16 bits hold is not made.
    TKassa empty(*m_catalogue);
    QVERIFY_THROWS_EXCEPTION(EIntOverflow, empty.AddPrints(QStringLiteral("13x18"), 65536));
    QVERIFY(empty.Aanslagen().isEmpty());
}

void TestKassa::changeFormat()
{
    TKassa kassa(*m_catalogue);
    kassa.AddPrints(QStringLiteral("10x15"), 52);
    QCOMPARE(kassa.ChangeFormat(QStringLiteral("10x15"), QStringLiteral("13x18"), 3), cents(79));
    QCOMPARE(kassa.UnitPrice(QStringLiteral("10x15")), cents(39));
    QCOMPARE(kassa.Total(), cents(49 * 39 + 3 * 79));
}

void TestKassa::changeFormatWithoutOldEntryReports()
{
    TKassa kassa(*m_catalogue);
    QStringList shown;
    kassa.SetMessageHook([&shown](const QString &text) { shown.append(text); });
    QCOMPARE(kassa.ChangeFormat(QStringLiteral("9x13"), QStringLiteral("13x18"), 3), TCurrency::missing());
    QCOMPARE(shown, QStringList({"Herstellen is fout gegaan"}));
    QVERIFY(kassa.Aanslagen().isEmpty());

    TKassa silent(*m_catalogue); // without a hook nothing is shown and nothing breaks
    QCOMPARE(silent.ChangeFormat(QStringLiteral("9x13"), QStringLiteral("13x18"), 3), TCurrency::missing());
}

void TestKassa::changeFormatOverflowRestoresRegister()
{
    TKassa kassa(*m_catalogue);
    kassa.AddPrints(QStringLiteral("10x15"), 10);
    kassa.AddPrints(QStringLiteral("13x18"), 65530);
    const QList<TAanslag> before = kassa.Aanslagen();
    QVERIFY_THROWS_EXCEPTION(EIntOverflow, kassa.ChangeFormat(QStringLiteral("10x15"), QStringLiteral("13x18"), 10));
    QCOMPARE(kassa.Aanslagen(), before);
}

void TestKassa::changeFormatMovesUnknownPrice()
{
    // A format priced at the marker still has its prints moved, not lost.
    TKassa kassa(*m_catalogue);
    QCOMPARE(kassa.AddPrints(QStringLiteral("Onbekend"), 2), TCurrency::missing());
    QCOMPARE(kassa.Aanslagen().size(), 1);
    QCOMPARE(kassa.ChangeFormat(QStringLiteral("Onbekend"), QStringLiteral("13x18"), 2), cents(79));
    QCOMPARE(kassa.Aanslagen().size(), 1);
    QCOMPARE(kassa.Total(), cents(158));
}

void TestKassa::totalPastTheRangeRaises()
{
    // A damaged catalogue can hold a price near the top of the 64-bit range.
    TPenFFile catalogue(QString(), 0, 0);
    auto f = std::make_unique<TFormaat>();
    f->Naam = QStringLiteral("Duur");
    f->Prijzen = {{1, TCurrency::fromRaw(std::numeric_limits<qint64>::max() / 2)}};
    catalogue.AddFormat(std::move(f));
    TKassa kassa(catalogue);
    kassa.AddPrints(QStringLiteral("Duur"), 2);
    QCOMPARE(kassa.Total().raw(), std::numeric_limits<qint64>::max() / 2 * 2);
    kassa.AddPrints(QStringLiteral("Duur"), 1);
    QVERIFY_THROWS_EXCEPTION(EIntOverflow, kassa.Total());
}

QTEST_GUILESS_MAIN(TestKassa)
#include "tst_kassa.moc"
