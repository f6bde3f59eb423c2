#include "PenFBytes.h"

#include "app/Errors.h"
#include "catalogue/UPenF.h"

#include <QTemporaryDir>
#include <QTest>

using namespace penfbytes;

Q_DECLARE_METATYPE(TPrijsLijst)

namespace {

TCurrency eur(const char *text)
{
    return TCurrency::fromRaw(qint64(std::llround(std::atof(text) * 10000)));
}

// Loads bytes; the error text of a failed load, empty when it succeeded.
QString load(TPenFFile &catalogue, const QByteArray &bytes)
{
    try {
        catalogue.LoadFromBytes(bytes);
    } catch (const EInOutError &e) {
        return e.message();
    }
    return QString();
}

QStringList formatNames(const TPenFFile &catalogue)
{
    QStringList names;
    for (int i = 0; i < catalogue.FormatCount(); ++i)
        names.append(catalogue.FormatName(i));
    return names;
}

const TPrijsLijst noTiers{TPrijsTrede{0, TCurrency()}};

} // namespace

class TestPenF : public QObject {
    Q_OBJECT
private slots:
    void nineRecordFile();
    void rubbishInUnreadBytes();
    void olderVersions_data();
    void olderVersions();
    void tierRule_data();
    void tierRule();
    void getPriceByService();
    void formatLookupIgnoresCase_data();
    void formatLookupIgnoresCase();
    void locationLookupIsExact();
    void defaultFormatOutOfRange_data();
    void defaultFormatOutOfRange();
    void repeatedNameGetsFastTiersOnEarlierFormat();
    void fastServiceAvailability();
    void damagedFiles_data();
    void damagedFiles();
    void missingFile();
    void recordCountWrapsAt65536();
    void reloadStartsAfresh();
    void addLocationCutsTexts();
};

void TestPenF::nineRecordFile()
{
    TPenFFile catalogue(QStringLiteral("PenF.dat"), 0.0, 0);
    QCOMPARE(load(catalogue, nineRecords()), QString());
    QCOMPARE(catalogue.Bestandsversie(), 2);
    QCOMPARE(catalogue.Versiedatum(), 47088.0);
    QCOMPARE(catalogue.Versienummer(), 3);
    QCOMPARE(catalogue.GetVersion().Versiedatum, 47088.0);
    QCOMPARE(int(catalogue.GetVersion().Versienummer), 3);
    QCOMPARE(catalogue.LocationCount(), 2);
    QCOMPARE(catalogue.LocationName(0), QStringLiteral("Veldmeer"));
    QCOMPARE(catalogue.LocationName(1), QStringLiteral("Amstelrade"));
    QCOMPARE(formatNames(catalogue), QStringList({"A", "B", "C"}));
    const TFormaat &a = catalogue.Format(0);
    QCOMPARE(a.Omschrijving, QStringLiteral("Formaat A"));
    QCOMPARE(a.Breedte, 10.0);
    QCOMPARE(a.Lengte, 15.0);
    QVERIFY(a.HasGlansMatKeuze());
    QCOMPARE(a.Prijzen, TPrijsLijst({{1, eur("0.29")}, {50, eur("0.25")}}));
    QCOMPARE(a.SnelPrijzen, TPrijsLijst({{1, eur("0.49")}}));
    QVERIFY(a.IsAvailableAt(0));
    QVERIFY(!a.IsAvailableAt(1));
    QCOMPARE(catalogue.Format(1).Prijzen, noTiers);
    QCOMPARE(catalogue.Format(2).Prijzen, noTiers);
    QCOMPARE(catalogue.Format(1).FastTierCount(), 0);
    QVERIFY(catalogue.HeeftSnelservice());
    QCOMPARE(catalogue.StandaardFormaat(), 1);
    QCOMPARE(catalogue.DefaultFormatName(), QStringLiteral("B"));
    QCOMPARE(catalogue.GetPrice(QStringLiteral("B"), 65535, false), TCurrency());
    QCOMPARE(catalogue.LocationHost(QStringLiteral("Veldmeer")), QStringLiteral("lab.example"));
    QCOMPARE(catalogue.LocationHost(QStringLiteral("Amstelrade")), QString());
}

void TestPenF::rubbishInUnreadBytes()
{
    // Every byte the tables mark as not read, and the room behind each text's length, holds
    // rubbish; the result must be that of the clean file.
    const char x = char(0xAB);
    Record loc1 = Record(1152, x).str(1, "lab.example").str(102, "Veldmeer").str(358, "").str(614, "").str(870, "").str(896, "");
    Record loc2 = Record(1152, x).str(1, "").str(102, "Amstelrade").str(358, "").str(614, "").str(870, "").str(896, "");
    const QByteArray bytes = header(2, 47088.0, 3, 1, 2, x) + QByteArray(loc1) + QByteArray(loc2)
        + format(2, "A", "Formaat A", 10, 15, 2, 1, 1, {0}, x) + tier(2, 1, 2900, x) + tier(2, 50, 2500, x)
        + tier(2, 1, 4900, x) + format(2, "B", "Formaat B", 13, 18, 0, 0, 0, {}, x)
        + format(2, "C", "Formaat C", 9, 13, 0, 0, 0, {}, x);
    TPenFFile clean(QString(), 0, 0);
    TPenFFile dirty(QString(), 0, 0);
    QCOMPARE(load(clean, nineRecords()), QString());
    QCOMPARE(load(dirty, bytes), QString());
    QCOMPARE(formatNames(dirty), formatNames(clean));
    for (int i = 0; i < clean.FormatCount(); ++i) {
        QCOMPARE(dirty.Format(i).Omschrijving, clean.Format(i).Omschrijving);
        QCOMPARE(dirty.Format(i).Prijzen, clean.Format(i).Prijzen);
        QCOMPARE(dirty.Format(i).SnelPrijzen, clean.Format(i).SnelPrijzen);
        QCOMPARE(dirty.Format(i).Beschikbaar, clean.Format(i).Beschikbaar);
    }
    QCOMPARE(dirty.Location(0), clean.Location(0));
    QCOMPARE(dirty.Location(1), clean.Location(1));
    QCOMPARE(dirty.StandaardFormaat(), 1);
}

void TestPenF::olderVersions_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("glossyMatte");

    // Version 0: the tier count at 536; byte 63 and an identifier-like text are not read.
    const QByteArray v0 = header(0, 45000.0, 1, 0, 9) + format(0, "10 x 15", "Standaard", 10, 15, 2)
        + tier(0, 1, 2900) + tier(0, 50, 2500) + format(0, "13 x 18", "", 13, 18, 1) + tier(0, 1, 5900)
        + QByteArray(544, '\0'); // three records' worth of room: 1152-byte probe
    QTest::newRow("version 0") << v0 << 0 << false;

    // The version 2 identifier without its length byte is not an identifier.
    QByteArray v0LookAlike = v0;
    v0LookAlike.replace(25, IdV2.size(), IdV2);
    QTest::newRow("identifier without length byte") << v0LookAlike << 0 << false;

    // Version 1: the paper choice at 536, the tier count at 540; byte 63 (L) is not read.
    const QByteArray v1 = header(1, 45000.0, 1, 0) .replace(63, 1, "\x05")
        + format(1, "10 x 15", "Standaard", 10, 15, 2, 0, 1) + tier(1, 1, 2900) + tier(1, 50, 2500)
        + format(1, "13 x 18", "", 13, 18, 1, 0, 1) + tier(1, 1, 5900) + QByteArray(544, '\0');
    QTest::newRow("version 1") << v1 << 1 << true;
}

void TestPenF::olderVersions()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, version);
    QFETCH(bool, glossyMatte);
    TPenFFile catalogue(QString(), 0, 0);
    QCOMPARE(load(catalogue, bytes), QString());
    QCOMPARE(int(catalogue.Bestandsversie()), version);
    QCOMPARE(catalogue.LocationCount(), 0);
    QVERIFY(!catalogue.HeeftSnelservice());
    // The zero record of room at the end reads as a third format without tiers.
    QCOMPARE(formatNames(catalogue), QStringList({"10 x 15", "13 x 18", ""}));
    QCOMPARE(catalogue.Format(0).Prijzen, TPrijsLijst({{1, eur("0.29")}, {50, eur("0.25")}}));
    QCOMPARE(catalogue.Format(1).Prijzen, TPrijsLijst({{1, eur("0.59")}}));
    for (int i = 0; i < catalogue.FormatCount(); ++i) {
        QCOMPARE(catalogue.Format(i).HasGlansMatKeuze(), glossyMatte && i < 2);
        QCOMPARE(catalogue.Format(i).FastTierCount(), 0);
        for (int k = 0; k < 128; ++k)
            QVERIFY(!catalogue.Format(i).IsAvailableAt(k));
    }
    QCOMPARE(catalogue.GlansMatKeuze(QStringLiteral("10 X 15")), glossyMatte);
    QCOMPARE(catalogue.Versiedatum(), 45000.0);
    QCOMPARE(catalogue.DefaultFormatName(), QStringLiteral("10 x 15"));
}

void TestPenF::tierRule_data()
{
    QTest::addColumn<TPrijsLijst>("tiers");
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("price");
    const TPrijsLijst unsorted{{1, eur("0.50")}, {10, eur("0.40")}, {5, eur("0.45")}};
    QTest::newRow("unsorted, 12: last applying tier wins") << unsorted << 12 << qint64(4500);
    QTest::newRow("unsorted, 7") << unsorted << 7 << qint64(4500);
    QTest::newRow("unsorted, 10") << unsorted << 10 << qint64(4500);
    QTest::newRow("unsorted, 4") << unsorted << 4 << qint64(5000);
    QTest::newRow("unsorted, 1") << unsorted << 1 << qint64(5000);
    QTest::newRow("unsorted, 0: below every tier") << unsorted << 0 << qint64(0);
    QTest::newRow("first tier from 2, count 1") << TPrijsLijst{{2, eur("0.30")}} << 1 << qint64(0);
    QTest::newRow("no tiers in the file") << noTiers << 65535 << qint64(0);
    QTest::newRow("sorted, 55") << TPrijsLijst{{1, eur("0.39")}, {50, eur("0.29")}} << 55 << qint64(2900);
    QTest::newRow("sorted, 49") << TPrijsLijst{{1, eur("0.39")}, {50, eur("0.29")}} << 49 << qint64(3900);
    QTest::newRow("unsigned minimum 40000, count 65535")
        << TPrijsLijst{{1, eur("0.39")}, {40000, eur("0.10")}} << 65535 << qint64(1000);
    QTest::newRow("empty list") << TPrijsLijst{} << 3 << qint64(0);
}

void TestPenF::tierRule()
{
    QFETCH(TPrijsLijst, tiers);
    QFETCH(int, count);
    QFETCH(qint64, price);
    QCOMPARE(TierPrice(tiers, uint16_t(count)).raw(), price);
}

void TestPenF::getPriceByService()
{
    TPenFFile catalogue(QString(), 0, 0);
    QCOMPARE(load(catalogue, nineRecords()), QString());
    QCOMPARE(catalogue.GetPrice(QStringLiteral("a"), 60, false), eur("0.25"));
    QCOMPARE(catalogue.GetPrice(QStringLiteral("a"), 60, true), eur("0.49"));
    QCOMPARE(catalogue.GetPrice(QStringLiteral("B"), 1, true), TCurrency());
    QCOMPARE(catalogue.GetPrice(QStringLiteral("onbekend"), 1, false), TCurrency());
}

void TestPenF::formatLookupIgnoresCase_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<int>("index");
    QTest::newRow("same") << "10x15" << 0;
    QTest::newRow("upper case") << "10X15" << 0;
    QTest::newRow("accented upper case") << "ÉÉN OP ÉÉN" << 1;
    QTest::newRow("accent differs") << "een op een" << -1;
    QTest::newRow("unknown") << "13x18" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestPenF::formatLookupIgnoresCase()
{
    QFETCH(QString, asked);
    QFETCH(int, index);
    TPenFFile catalogue(QString(), 0, 0);
    // "één op één" in Windows-1252.
    const QByteArray bytes = header(2, 0, 0, 0) + format(2, "10x15", "", 10, 15, 0)
        + format(2, "\xE9\xE9n op \xE9\xE9n", "", 10, 10, 0);
    QCOMPARE(load(catalogue, bytes), QString());
    QCOMPARE(catalogue.IndexOfFormat(asked), index);
}

void TestPenF::locationLookupIsExact()
{
    TPenFFile catalogue(QString(), 0, 0);
    QCOMPARE(load(catalogue, nineRecords()), QString());
    QCOMPARE(catalogue.IndexOfLocation(QStringLiteral("Amstelrade")), 1);
    QCOMPARE(catalogue.IndexOfLocation(QStringLiteral("amstelrade")), -1);
    QCOMPARE(catalogue.IndexOfLocation(QStringLiteral("Amstelrade ")), -1);
    QCOMPARE(catalogue.LocationHost(QStringLiteral("VELDMEER")), QString());
    QCOMPARE(catalogue.LocationHost(QString()), QString());
}

void TestPenF::defaultFormatOutOfRange_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("standaard");
    QTest::addColumn<QString>("name");
    QTest::newRow("7 of five") << 7 << -1 << "Undefined";
    QTest::newRow("5 of five") << 5 << -1 << "Undefined";
    QTest::newRow("negative") << -3 << -1 << "Undefined";
    QTest::newRow("last") << 4 << 4 << "F4";
    QTest::newRow("first") << 0 << 0 << "F0";
}

void TestPenF::defaultFormatOutOfRange()
{
    QFETCH(int, raw);
    QFETCH(int, standaard);
    QFETCH(QString, name);
    QByteArray bytes = header(2, 0, 0, raw);
    for (int i = 0; i < 5; ++i)
        bytes += format(2, "F" + QByteArray::number(i), "", 10, 15, 0);
    TPenFFile catalogue(QString(), 0, 0);
    QCOMPARE(load(catalogue, bytes), QString());
    QCOMPARE(catalogue.StandaardFormaat(), standaard);
    QCOMPARE(catalogue.DefaultFormatName(), name);
}

void TestPenF::repeatedNameGetsFastTiersOnEarlierFormat()
{
    const QByteArray bytes = header(2, 0, 0, 0) + format(2, "10x15", "eerste", 10, 15, 1, 0) + tier(2, 1, 2900)
        + format(2, "10X15", "tweede", 10, 15, 1, 2, 0, {0}) + tier(2, 1, 3100) + tier(2, 1, 4900)
        + tier(2, 20, 4500);
    TPenFFile catalogue(QString(), 0, 0);
    QCOMPARE(load(catalogue, bytes), QString());
    QCOMPARE(catalogue.FormatCount(), 2);
    QCOMPARE(catalogue.Format(0).SnelPrijzen, TPrijsLijst({{1, eur("0.49")}, {20, eur("0.45")}}));
    QCOMPARE(catalogue.Format(1).FastTierCount(), 0);
    QCOMPARE(catalogue.Format(1).Prijzen, TPrijsLijst({{1, eur("0.31")}}));
    QVERIFY(catalogue.HeeftSnelservice());
}

void TestPenF::fastServiceAvailability()
{
    // Three locations; format A is available at location 1 (entry value 7: any non-zero
    // byte counts) and format B at entry 127 only.
    const QByteArray bytes = header(2, 0, 0, 0, 3) + location("", "L0") + location("", "L1") + location("", "L2")
        + format(2, "A", "", 10, 15, 0, 0).replace(548 + 1, 1, "\x07") + format(2, "B", "", 10, 15, 0, 0, 0, {127});
    TPenFFile catalogue(QString(), 0, 0);
    QCOMPARE(load(catalogue, bytes), QString());
    QVERIFY(catalogue.Format(0).IsAvailableAt(1));
    QVERIFY(catalogue.Format(1).IsAvailableAt(127));
    QVERIFY(!catalogue.Format(1).IsAvailableAt(128));
    QVERIFY(!catalogue.Format(1).IsAvailableAt(-1));
    QVERIFY(!catalogue.HasFastServiceAt(0));
    QVERIFY(catalogue.HasFastServiceAt(1));
    QVERIFY(!catalogue.HasFastServiceAt(2));
    QVERIFY(!catalogue.HasFastServiceAt(-1));
    QVERIFY(!catalogue.HasFastServiceAt(catalogue.LocationCount()));
    QVERIFY(!catalogue.HasFastServiceAt(127)); // no location with that index
    QStringList list{QStringLiteral("oud")};
    catalogue.FillFastServiceLocations(list);
    QCOMPARE(list, QStringList({"L1"}));
    catalogue.FillLocations(list);
    QCOMPARE(list, QStringList({"L0", "L1", "L2"}));
}

void TestPenF::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("formats");
    QTest::addColumn<int>("locations");
    QTest::addColumn<int>("standaard");

    QTest::newRow("empty") << QByteArray() << "Bestand is te kort" << QStringList() << 0 << -1;
    QTest::newRow("1151 bytes") << nineRecords().left(1151) << "Bestand is te kort" << QStringList() << 0 << -1;
    const QByteArray v0Small = header(0, 0, 0, 0) + format(0, "A", "", 10, 15, 0);
    QTest::newRow("version 0 below the probe size") << v0Small << "Bestand is te kort" << QStringList() << 0 << -1;

    // L = 3 but two location records, then the formats start.
    QTest::newRow("L past the end")
        << (header(2, 0, 0, 1, 3) + location("", "L0") + location("", "L1"))
        << "record 4 ligt voorbij het einde van het bestand" << QStringList() << 2 << 1;

    // n = 3 with one tier record: A stays, the damaged B is not added.
    const QByteArray nPastEnd = header(2, 0, 0, 7) + format(2, "A", "", 10, 15, 1) + tier(2, 1, 2900)
        + format(2, "B", "", 10, 15, 3) + tier(2, 1, 2900);
    QTest::newRow("n past the end") << nPastEnd << "record 6 ligt voorbij het einde van het bestand"
                                    << QStringList({"A"}) << 0 << 7;

    // m = 2 with one fast tier record: the format was added before its fast tiers.
    const QByteArray mPastEnd = header(2, 0, 0, 0) + format(2, "A", "", 10, 15, 1, 2) + tier(2, 1, 2900)
        + tier(2, 1, 4900);
    QTest::newRow("m past the end") << mPastEnd << "record 5 ligt voorbij het einde van het bestand"
                                    << QStringList({"A"}) << 0 << 0;

    // A trailing partial record is ignored.
    QTest::newRow("trailing partial record") << (nineRecords() + QByteArray(1151, '\x01')) << QString()
                                             << QStringList({"A", "B", "C"}) << 2 << 1;

    // The largest counts a damaged file can announce.
    const QByteArray huge = header(2, 0, 0, 0, 255) + location("", "L0") + format(2, "A", "", 1, 1, 65535, 65535);
    // The format record is read as the second location; the third lies past the end.
    QTest::newRow("L = 255 in a three-record file") << huge << "record 4 ligt voorbij het einde van het bestand"
                                                    << QStringList() << 2 << 0;
    const QByteArray hugeN = header(2, 0, 0, 0) + format(2, "A", "", 1, 1, 65535, 65535) + tier(2, 1, 1);
    QTest::newRow("n = 65535 with one tier") << hugeN << "record 4 ligt voorbij het einde van het bestand"
                                             << QStringList() << 0 << 0;
}

void TestPenF::damagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(QStringList, formats);
    QFETCH(int, locations);
    QFETCH(int, standaard);
    TPenFFile catalogue(QStringLiteral("/data/PenF.dat"), 0, 0);
    const QString message = load(catalogue, bytes);
    if (error.isEmpty()) {
        QCOMPARE(message, QString());
    } else {
        QVERIFY2(message.startsWith(QStringLiteral("/data/PenF.dat: ")), qPrintable(message));
        QVERIFY2(message.contains(error), qPrintable(message));
    }
    QCOMPARE(formatNames(catalogue), formats);
    QCOMPARE(catalogue.LocationCount(), locations);
    // After a failure the raw header value stays; no index outside the list is a default.
    QCOMPARE(catalogue.StandaardFormaat(), standaard);
    if (standaard >= catalogue.FormatCount())
        QCOMPARE(catalogue.DefaultFormatName(), QStringLiteral("Undefined"));
}

void TestPenF::missingFile()
{
    QTemporaryDir dir;
    TPenFFile catalogue(dir.filePath(QStringLiteral("PenF.dat")), 0, 0);
    catalogue.AddLocation(QString(), QStringLiteral("oud"));
    try {
        catalogue.LoadFromFile();
        QFAIL("no error for a missing file");
    } catch (const EInOutError &e) {
        QCOMPARE(e.fileName(), dir.filePath(QStringLiteral("PenF.dat")));
        QVERIFY(e.message().contains(QStringLiteral("Bestand bestaat niet")));
    }
    QCOMPARE(catalogue.LocationCount(), 0);

    QFile file(dir.filePath(QStringLiteral("echt.dat")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(nineRecords());
    file.close();
    catalogue.Open(file.fileName());
    QCOMPARE(catalogue.GetFileName(), file.fileName());
    QCOMPARE(catalogue.FormatCount(), 3);
}

void TestPenF::recordCountWrapsAt65536()
{
    // 65538 whole records: the count held in 16 bits is 2, so only the header and the first
    // format record are read, although every further record would read as a format.
    QByteArray bytes = header(0, 0, 0, 0) + format(0, "A", "", 10, 15, 0);
    bytes.append(QByteArray(qsizetype(65536) * 544, '\0'));
    TPenFFile catalogue(QString(), 0, 0);
    QCOMPARE(load(catalogue, bytes), QString());
    QCOMPARE(formatNames(catalogue), QStringList({"A"}));
}

void TestPenF::reloadStartsAfresh()
{
    TPenFFile catalogue(QString(), 0, 0);
    QCOMPARE(load(catalogue, nineRecords()), QString());
    const QByteArray plain = header(2, 0, 0, 0) + format(2, "Z", "", 10, 15, 0);
    QCOMPARE(load(catalogue, plain), QString());
    QCOMPARE(formatNames(catalogue), QStringList({"Z"}));
    QCOMPARE(catalogue.LocationCount(), 0);
    QVERIFY(!catalogue.HeeftSnelservice());
}

void TestPenF::addLocationCutsTexts()
{
    TPenFFile catalogue(QString(), 0, 0);
    const int index = catalogue.AddLocation(QString(150, u'h'), QString(300, u'n'), QString(), QString(), QString(40, u't'));
    QCOMPARE(index, 0);
    QCOMPARE(catalogue.Location(0).Host.text().size(), 100);
    QCOMPARE(catalogue.LocationName(0).size(), 255);
    QCOMPARE(catalogue.Location(0).Tekst3.text().size(), 25);
    catalogue.DeleteLocation(0);
    QCOMPARE(catalogue.LocationCount(), 0);
}

QTEST_GUILESS_MAIN(TestPenF)
#include "tst_penf.moc"
