#include "catalogue/UAanbod.h"
#include "catalogue/UPenF.h"

#include <QTest>

using namespace aanbod;

namespace {

TCurrency cents(int c) { return TCurrency::fromCents(c); }

// Locations Veldmeer, Amstelrade, Zuiderhaven. Formats:
//   9x13     standard only
//   10x15    fast tiers, available at Veldmeer and Zuiderhaven
//   13x18    fast tiers, available at Veldmeer
//   Kaart    marked available at Amstelrade but without fast tiers
//   Onbekend standard tier {0: -1.00}
//   Groot    first tier from 2 prints
std::unique_ptr<TPenFFile> makeCatalogue()
{
    auto c = std::make_unique<TPenFFile>(QString(), 0, 0);
    c->AddLocation(QString(), QStringLiteral("Veldmeer"));
    c->AddLocation(QString(), QStringLiteral("Amstelrade"));
    c->AddLocation(QString(), QStringLiteral("Zuiderhaven"));
    auto add = [&](const char *name, TPrijsLijst standard, TPrijsLijst fast, QList<int> at) {
        auto f = std::make_unique<TFormaat>();
        f->Naam = QString::fromLatin1(name);
        f->Omschrijving = QStringLiteral("Over ") + f->Naam;
        f->Prijzen = std::move(standard);
        f->SnelPrijzen = std::move(fast);
        for (int k : at)
            f->Beschikbaar[size_t(k)] = 1;
        c->AddFormat(std::move(f));
    };
    add("9x13", {{1, cents(25)}}, {}, {});
    add("10x15", {{1, cents(29)}, {50, cents(25)}}, {{1, cents(49)}}, {0, 2});
    add("13x18", {{1, cents(59)}}, {{1, cents(89)}, {10, cents(79)}}, {0});
    add("Kaart", {{1, cents(195)}}, {}, {1});
    add("Onbekend", {{0, TCurrency::missing()}, {1, cents(100)}}, {}, {});
    add("Groot", {{2, cents(300)}}, {}, {});
    return c;
}

} // namespace

class TestAanbod : public QObject {
    Q_OBJECT
private slots:
    void init() { m_catalogue = makeCatalogue(); }
    void formatsOnOffer_data();
    void formatsOnOffer();
    void isOnOfferIgnoresCase();
    void locationsOnOffer();
    void rebuildLocations_data();
    void rebuildLocations();
    void serviceAndStartupLists();
    void formatInfoRows();

private:
    std::unique_ptr<TPenFFile> m_catalogue;
};

void TestAanbod::formatsOnOffer_data()
{
    QTest::addColumn<bool>("fast");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QStringList>("formats");
    const QStringList all{"9x13", "10x15", "13x18", "Kaart", "Onbekend", "Groot"};
    QTest::newRow("standard") << false << "Veldmeer" << all;
    QTest::newRow("standard, unknown location") << false << "Elders" << all;
    QTest::newRow("fast at Veldmeer") << true << "Veldmeer" << QStringList{"10x15", "13x18"};
    QTest::newRow("fast at Zuiderhaven") << true << "Zuiderhaven" << QStringList{"10x15"};
    QTest::newRow("fast at Amstelrade: marked, no fast tiers") << true << "Amstelrade" << QStringList{};
    QTest::newRow("fast, location matched exactly") << true << "veldmeer" << QStringList{};
    QTest::newRow("fast, unknown location") << true << "Elders" << QStringList{};
}

void TestAanbod::formatsOnOffer()
{
    QFETCH(bool, fast);
    QFETCH(QString, location);
    QFETCH(QStringList, formats);
    QCOMPARE(FormatsOnOffer(*m_catalogue, fast, location), formats);
}

void TestAanbod::isOnOfferIgnoresCase()
{
    const QStringList offer = FormatsOnOffer(*m_catalogue, true, QStringLiteral("Veldmeer"));
    QVERIFY(IsOnOffer(offer, QStringLiteral("10X15")));
    QVERIFY(!IsOnOffer(offer, QStringLiteral("9x13")));
}

void TestAanbod::locationsOnOffer()
{
    QCOMPARE(LocationsOnOffer(*m_catalogue, false), QStringList({"Veldmeer", "Amstelrade", "Zuiderhaven"}));
    // Availability alone puts a location on the fast list, as HasFastServiceAt does.
    QCOMPARE(LocationsOnOffer(*m_catalogue, true), QStringList({"Veldmeer", "Amstelrade", "Zuiderhaven"}));
    m_catalogue->DeleteFormat(m_catalogue->IndexOfFormat(QStringLiteral("Kaart")));
    QCOMPARE(LocationsOnOffer(*m_catalogue, true), QStringList({"Veldmeer", "Zuiderhaven"}));
}

void TestAanbod::rebuildLocations_data()
{
    QTest::addColumn<bool>("fast");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("kept");
    QTest::newRow("kept") << true << "Zuiderhaven" << "Zuiderhaven" << true;
    QTest::newRow("kept, case ignored") << false << "amstelrade" << "Amstelrade" << true;
    QTest::newRow("gone: first of the list") << true << "Amstelrade" << "Veldmeer" << false;
    QTest::newRow("empty current") << false << "" << "Veldmeer" << false;
}

void TestAanbod::rebuildLocations()
{
    QFETCH(bool, fast);
    QFETCH(QString, current);
    QFETCH(QString, chosen);
    QFETCH(bool, kept);
    m_catalogue->DeleteFormat(m_catalogue->IndexOfFormat(QStringLiteral("Kaart")));
    const TLocationChoice choice = RebuildLocations(*m_catalogue, fast, current);
    QCOMPARE(choice.locations, LocationsOnOffer(*m_catalogue, fast));
    QCOMPARE(choice.chosen, chosen);
    QCOMPARE(choice.kept, kept);

    TPenFFile empty(QString(), 0, 0);
    const TLocationChoice none = RebuildLocations(empty, fast, current);
    QVERIFY(none.locations.isEmpty());
    QCOMPARE(none.chosen, QString());
    QVERIFY(!none.kept);
}

void TestAanbod::serviceAndStartupLists()
{
    QCOMPARE(ServiceNames(*m_catalogue), QStringList({"Standaardservice", "Snelservice"}));
    TPenFFile plain(QString(), 0, 0);
    auto f = std::make_unique<TFormaat>();
    f->Naam = QStringLiteral("9x13");
    plain.AddFormat(std::move(f));
    QCOMPARE(ServiceNames(plain), QStringList({"Standaardservice"}));
    QCOMPARE(StartupLocations(plain), QStringList({"Veldmeer"}));
    QCOMPARE(FormatsOnOffer(plain, true, QStringLiteral("Veldmeer")), QStringList());
    QCOMPARE(StartupLocations(*m_catalogue), QStringList({"Veldmeer", "Amstelrade", "Zuiderhaven"}));
}

void TestAanbod::formatInfoRows()
{
    const QList<TFormatInfo> standard = FormatInfoRows(*m_catalogue, false, QStringLiteral("Veldmeer"));
    QCOMPARE(standard.size(), 6);
    QCOMPARE(standard[1], (TFormatInfo{"10x15", "Over 10x15", "€ 0,29"}));
    QCOMPARE(standard[4].prijs, QStringLiteral("Onbekend"));
    QCOMPARE(standard[5].prijs, QStringLiteral("€ 0,00")); // no tier applies to one print

    const QList<TFormatInfo> fast = FormatInfoRows(*m_catalogue, true, QStringLiteral("Veldmeer"));
    QCOMPARE(fast, (QList<TFormatInfo>{{"10x15", "Over 10x15", "€ 0,49"}, {"13x18", "Over 13x18", "€ 0,89"}}));
    QVERIFY(FormatInfoRows(*m_catalogue, true, QStringLiteral("Elders")).isEmpty());
    QCOMPARE(FormatInfoCaption(true), QStringLiteral("Informatie over de formaten (Snelservice)"));
    QCOMPARE(FormatInfoCaption(false), QStringLiteral("Informatie over de formaten (Budgetservice)"));
}

QTEST_GUILESS_MAIN(TestAanbod)
#include "tst_aanbod.moc"
