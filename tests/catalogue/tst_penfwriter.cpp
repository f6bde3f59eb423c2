#include "PenFBytes.h"

#include "app/Errors.h"
#include "catalogue/UPenF.h"
#include "catalogue/UPenFJson.h"
#include "catalogue/UPenFWriter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace penfbytes;

namespace {

TCurrency raw(qint64 r) { return TCurrency::fromRaw(r); }

std::unique_ptr<TFormaat> makeFormat(const QString &name, const QString &description, double width, double length,
                                     uint8_t glossyMatte, TPrijsLijst tiers, TPrijsLijst fast = {},
                                     QList<int> at = {})
{
    auto f = std::make_unique<TFormaat>();
    f->Naam = name;
    f->Omschrijving = description;
    f->Breedte = width;
    f->Lengte = length;
    f->GlansMatKeuze = glossyMatte;
    f->Prijzen = std::move(tiers);
    f->SnelPrijzen = std::move(fast);
    for (int k : at)
        f->Beschikbaar[size_t(k)] = 1;
    return f;
}

// The catalogue of the 9-record file, B and C without tiers.
std::unique_ptr<TPenFFile> nineRecordCatalogue()
{
    auto c = std::make_unique<TPenFFile>(QString(), 47088.0, 3);
    c->AddLocation(QStringLiteral("lab.example"), QStringLiteral("Veldmeer"));
    c->AddLocation(QString(), QStringLiteral("Amstelrade"));
    c->AddFormat(makeFormat("A", "Formaat A", 10, 15, 1, {{1, raw(2900)}, {50, raw(2500)}}, {{1, raw(4900)}}, {0}));
    c->AddFormat(makeFormat("B", "Formaat B", 13, 18, 0, {}));
    c->AddFormat(makeFormat("C", "Formaat C", 9, 13, 0, {}));
    c->SetDefaultFormat(1);
    return c;
}

QString writeError(const TPenFFile &catalogue, int version)
{
    try {
        penfwriter::Write(catalogue, version);
    } catch (const EKiekjesError &e) {
        return e.message();
    }
    return QString();
}

QString jsonError(const QByteArray &json)
{
    try {
        penfjson::FromJson(json);
    } catch (const EKiekjesError &e) {
        return e.message();
    }
    return QString();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString demoCatalogue = QStringLiteral(KIEKJES_SOURCE_DIR "/data/demo/catalogue.json");
const QString tool = QStringLiteral(KIEKJES_BINARY_DIR "/tools/kiekjesbode-penf");

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runTool(const QStringList &args)
{
    QProcess p;
    p.start(tool, args);
    Run r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

class TestPenFWriter : public QObject {
    Q_OBJECT
private slots:
    void writesTheRecordTables();
    void olderVersions_data();
    void olderVersions();
    void refusesWhatTheFileCannotHold_data();
    void refusesWhatTheFileCannotHold();
    void prices_data();
    void prices();
    void exactAmount_data();
    void exactAmount();
    void jsonErrors_data();
    void jsonErrors();
    void jsonRoundTrip();
    void toolBuildAndDumpDemo();
    void toolReportsBadInput_data();
    void toolReportsBadInput();
};

void TestPenFWriter::writesTheRecordTables()
{
    const auto catalogue = nineRecordCatalogue();
    QCOMPARE(penfwriter::Write(*catalogue, 2), nineRecords());
}

void TestPenFWriter::olderVersions_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("version 0") << 0
                               << header(0, 45000.0, 1, 0) + format(0, "10 x 15", "Standaard", 10, 15, 2)
                                      + tier(0, 1, 2900) + tier(0, 50, 2500);
    QTest::newRow("version 1") << 1
                               << header(1, 45000.0, 1, 0) + format(1, "10 x 15", "Standaard", 10, 15, 2, 0, 1)
                                      + tier(1, 1, 2900) + tier(1, 50, 2500);
}

void TestPenFWriter::olderVersions()
{
    QFETCH(int, version);
    QFETCH(QByteArray, expected);
    TPenFFile catalogue(QString(), 45000.0, 1);
    catalogue.AddFormat(makeFormat("10 x 15", "Standaard", 10, 15, version == 1 ? 1 : 0, {{1, raw(2900)}, {50, raw(2500)}}));
    catalogue.SetDefaultFormat(0);
    QCOMPARE(penfwriter::Write(catalogue, version), expected);
}

void TestPenFWriter::refusesWhatTheFileCannotHold_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("error");
    QTest::newRow("name over 255 bytes") << 0 << 2 << "formaat 1 (\"NNNNN";
    QTest::newRow("name outside Windows-1252") << 1 << 2 << "naam bevat tekens buiten Windows-1252";
    QTest::newRow("repeated name") << 2 << 2 << "formaat 2 (\"a\"): de naam komt al eerder voor";
    QTest::newRow("256 locations") << 3 << 2 << "256 afhaallocaties";
    QTest::newRow("location text 3 over 25 bytes") << 4 << 2 << "tekst 3 is langer dan 25 bytes";
    QTest::newRow("locations in version 1") << 5 << 1 << "bestandsversie 1 kan geen afhaallocaties bevatten";
    QTest::newRow("fast tiers in version 1") << 6 << 1 << "bestandsversie 1 kan geen snelservicetreden bevatten";
    QTest::newRow("paper choice in version 0") << 7 << 0 << "bestandsversie 0 kan de keuze glans/mat niet bevatten";
    QTest::newRow("65536 records") << 8 << 2 << "65536 records";
    QTest::newRow("file version 3") << 9 << 3 << "bestandsversie 3 bestaat niet";
}

void TestPenFWriter::refusesWhatTheFileCannotHold()
{
    QFETCH(int, kind);
    QFETCH(int, version);
    QFETCH(QString, error);
    TPenFFile c(QString(), 0, 0);
    switch (kind) {
    case 0: c.AddFormat(makeFormat(QString(256, u'N'), "", 1, 1, 0, {})); break;
    case 1: c.AddFormat(makeFormat(QStringLiteral("10 x 15 ✓"), "", 1, 1, 0, {})); break;
    case 2:
        c.AddFormat(makeFormat("A", "", 1, 1, 0, {}));
        c.AddFormat(makeFormat("a", "", 1, 1, 0, {}));
        break;
    case 3:
        for (int i = 0; i < 256; ++i)
            c.AddLocation(QString(), QString::number(i));
        break;
    case 4:
        // AddLocation cuts to size; the check guards locations changed by other means too.
        c.AddLocation(QString(), QStringLiteral("L"));
        const_cast<TAfhaallocatie &>(c.Location(0)).Tekst3 = QString(25, u't');
        QVERIFY(writeError(c, version).isEmpty());
        QCOMPARE(penfwriter::TextProblem(QString(26, u't'), 25), QStringLiteral("is langer dan 25 bytes"));
        return;
    case 5: c.AddLocation(QString(), QStringLiteral("L")); break;
    case 6: c.AddFormat(makeFormat("A", "", 1, 1, 0, {}, {{1, raw(1)}})); break;
    case 7: c.AddFormat(makeFormat("A", "", 1, 1, 1, {})); break;
    case 8: {
        // Header, one format record and 65534 tiers: 65536 records.
        TPrijsLijst tiers(65534, TPrijsTrede{1, raw(1)});
        c.AddFormat(makeFormat("A", "", 1, 1, 0, tiers));
        break;
    }
    case 9: break;
    }
    const QString message = writeError(c, version);
    QVERIFY2(message.contains(error), qPrintable(message));
}

void TestPenFWriter::prices_data()
{
    QTest::addColumn<QByteArray>("price");
    QTest::addColumn<qint64>("raw"); // -1: refused
    QTest::newRow("comma text") << QByteArray("\"0,29\"") << qint64(2900);
    QTest::newRow("four decimals") << QByteArray("\"0,2950\"") << qint64(2950);
    QTest::newRow("full stop text") << QByteArray("\"1.5\"") << qint64(15000);
    QTest::newRow("negative text") << QByteArray("\"-1,00\"") << qint64(-10000);
    QTest::newRow("number") << QByteArray("0.29") << qint64(2900);
    QTest::newRow("whole number") << QByteArray("6") << qint64(60000);
    QTest::newRow("five decimals text") << QByteArray("\"0,29999\"") << qint64(-1);
    QTest::newRow("five decimals number") << QByteArray("0.12345") << qint64(-1);
    QTest::newRow("letters") << QByteArray("\"0,2a\"") << qint64(-1);
    QTest::newRow("euro sign") << QByteArray("\"€ 0,29\"") << qint64(-1);
    QTest::newRow("boolean") << QByteArray("true") << qint64(-1);
}

void TestPenFWriter::prices()
{
    QFETCH(QByteArray, price);
    QFETCH(qint64, raw);
    const QByteArray json = R"({"date": "2026-12-01", "edition": 1, "formats": [
        {"name": "10 x 15", "width": 10, "length": 15, "tiers": [{"from": 1, "price": )"
        + price + "}]}]}";
    if (raw == -1) {
        const QString message = jsonError(json);
        QVERIFY2(message.contains(QStringLiteral("veld \"formats[0].tiers[0].price\" (formaat \"10 x 15\")")),
                 qPrintable(message));
        return;
    }
    const penfjson::TParsed parsed = penfjson::FromJson(json);
    QCOMPARE(parsed.catalogue->Format(0).Prijzen.first().Prijs.raw(), raw);
}

void TestPenFWriter::exactAmount_data()
{
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("cents") << qint64(2900) << "0,29";
    QTest::newRow("tenth of a cent") << qint64(2950) << "0,295";
    QTest::newRow("four decimals") << qint64(12345) << "1,2345";
    QTest::newRow("whole") << qint64(60000) << "6,00";
    QTest::newRow("negative") << qint64(-10000) << "-1,00";
    QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << "-922337203685477,5808";
}

void TestPenFWriter::exactAmount()
{
    QFETCH(qint64, raw);
    QFETCH(QString, text);
    QCOMPARE(penfjson::ExactAmount(raw), text);
}

void TestPenFWriter::jsonErrors_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");
    QTest::newRow("syntax") << QByteArray("{\n  \"date\": \"2026-12-01\",\n  \"edition\" 1\n}")
                            << "geen geldige JSON op regel 3";
    QTest::newRow("not an object") << QByteArray("[1]") << "moet een object zijn";
    QTest::newRow("missing formats") << QByteArray(R"({"date": "2026-12-01", "edition": 1})")
                                     << "veld \"formats\": ontbreekt";
    QTest::newRow("bad date") << QByteArray(R"({"date": "1-12-2026", "edition": 1, "formats": []})")
                              << "veld \"date\": moet een datum zijn";
    QTest::newRow("day count past 9999") << QByteArray(R"({"date": 1e300, "edition": 1, "formats": []})")
                                         << "veld \"date\": moet een datum zijn";
    QTest::newRow("edition 256") << QByteArray(R"({"date": "2026-12-01", "edition": 256, "formats": []})")
                                 << "veld \"edition\": moet een geheel getal van 0 tot en met 255 zijn";
    QTest::newRow("misspelt field")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "formats": [
               {"name": "9 x 13", "width": 9, "length": 13, "tiers": []},
               {"name": "10 x 15", "widht": 10, "length": 15, "tiers": []}]})")
        << "veld \"formats[1].widht\" (formaat \"10 x 15\"): onbekend veld";
    QTest::newRow("width as text")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "formats": [
               {"name": "10 x 15", "width": "10", "length": 15, "tiers": []}]})")
        << "veld \"formats[0].width\" (formaat \"10 x 15\"): moet een getal zijn";
    QTest::newRow("tier from 70000")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "formats": [
               {"name": "10 x 15", "width": 10, "length": 15, "tiers": [{"from": 70000, "price": "1,00"}]}]})")
        << "veld \"formats[0].tiers[0].from\" (formaat \"10 x 15\"): moet een geheel getal van 0 tot en met 65535";
    QTest::newRow("unknown fast location")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "locations": [{"name": "Veldmeer"}], "formats": [
               {"name": "10 x 15", "width": 10, "length": 15, "tiers": [], "fastLocations": ["Elders"]}]})")
        << "veld \"formats[0].fastLocations[0]\" (formaat \"10 x 15\"): afhaallocatie \"Elders\" staat niet in";
    QTest::newRow("fast location index 128")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "formats": [
               {"name": "10 x 15", "width": 10, "length": 15, "tiers": [], "fastLocations": [128]}]})")
        << "snelservice is alleen mogelijk bij de eerste 128";
    QTest::newRow("repeated format")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "formats": [
               {"name": "10 x 15", "width": 10, "length": 15, "tiers": []},
               {"name": "10 X 15", "width": 10, "length": 15, "tiers": []}]})")
        << "veld \"formats[1].name\" (formaat \"10 X 15\"): dit formaat komt al eerder voor";
    QTest::newRow("unknown default format")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "defaultFormat": "13 x 18", "formats": []})")
        << "veld \"defaultFormat\": formaat \"13 x 18\" staat niet in \"formats\"";
    QTest::newRow("host over 100 bytes")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "formats": [], "locations": [{"name": "Veldmeer", "host": ")"
                      + QByteArray(101, 'h') + "\"}]}")
        << "veld \"locations[0].host\" (afhaallocatie \"Veldmeer\"): is langer dan 100 bytes";
    QTest::newRow("location without name")
        << QByteArray(R"({"date": "2026-12-01", "edition": 1, "formats": [], "locations": [{"host": "x"}]})")
        << "veld \"locations[0].name\" (afhaallocatie \"\"): ontbreekt";
}

void TestPenFWriter::jsonErrors()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    const QString message = jsonError(json);
    QVERIFY2(message.contains(error), qPrintable(message));
}

void TestPenFWriter::jsonRoundTrip()
{
    // JSON -> file -> catalogue -> JSON -> file: the same bytes both times, and the second
    // JSON document equals the first dump.
    const penfjson::TParsed parsed = penfjson::FromJson(readAll(demoCatalogue));
    QCOMPARE(parsed.fileVersion, -1);
    const QByteArray file = penfwriter::Write(*parsed.catalogue, 2);
    TPenFFile loaded(QString(), 0, 0);
    loaded.LoadFromBytes(file);
    const QByteArray dumped = penfjson::ToJson(loaded);
    const penfjson::TParsed again = penfjson::FromJson(dumped);
    QCOMPARE(again.fileVersion, 2);
    QCOMPARE(penfwriter::Write(*again.catalogue, 2), file);
    TPenFFile reloaded(QString(), 0, 0);
    reloaded.LoadFromBytes(file);
    QCOMPARE(penfjson::ToJson(reloaded), dumped);

    // The 9-record file from the tables: B and C come back with their tier {0, 0}.
    TPenFFile nine(QString(), 0, 0);
    nine.LoadFromBytes(nineRecords());
    const penfjson::TParsed nineParsed = penfjson::FromJson(penfjson::ToJson(nine));
    QCOMPARE(nineParsed.catalogue->Format(1).Prijzen, (TPrijsLijst{{0, TCurrency()}}));
    QCOMPARE(nineParsed.catalogue->LocationHost(QStringLiteral("Veldmeer")), QStringLiteral("lab.example"));
    QCOMPARE(nineParsed.catalogue->Versiedatum(), 47088.0);
    QCOMPARE(nineParsed.catalogue->DefaultFormatName(), QStringLiteral("B"));
}

void TestPenFWriter::toolBuildAndDumpDemo()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("PenF.dat"));
    const QString second = dir.filePath(QStringLiteral("again.dat"));
    const QString json = dir.filePath(QStringLiteral("dump.json"));
    QCOMPARE(runTool({"build", demoCatalogue, "-o", first}).exitCode, 0);
    const Run dump = runTool({"dump", first});
    QCOMPARE(dump.exitCode, 0);
    QFile out(json);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(dump.out);
    out.close();
    QCOMPARE(runTool({"build", json, "-o", second}).exitCode, 0);
    QCOMPARE(readAll(second), readAll(first));

    TPenFFile catalogue(first, 0, 0);
    catalogue.LoadFromFile();
    QCOMPARE(int(catalogue.Bestandsversie()), 2);
    QVERIFY(catalogue.IndexOfLocation(QStringLiteral("Veldmeer")) >= 0);
    QVERIFY(catalogue.HeeftSnelservice());
    QCOMPARE(catalogue.DefaultFormatName(), QStringLiteral("10 x 15"));

    // A damaged file: the reader's error, naming the file, and a failing exit code.
    QFile cut(second);
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(readAll(first).left(1000));
    cut.close();
    const Run damaged = runTool({"dump", second});
    QCOMPARE(damaged.exitCode, 1);
    QVERIFY2(damaged.err.contains(second.toLocal8Bit() + ": Bestand is te kort"), damaged.err.constData());
    QVERIFY(damaged.out.isEmpty());

    // --file-version wins over the document's own "fileVersion".
    const Run refused = runTool({"build", json, "-o", second, "--file-version", "1"});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains("bestandsversie 1 kan geen afhaallocaties bevatten"), refused.err.constData());
}

void TestPenFWriter::toolReportsBadInput_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("bad JSON") << QByteArray("{\"date\": ") << QStringList() << 1 << QByteArray("geen geldige JSON");
    QTest::newRow("bad field") << QByteArray(R"({"date": "2026-12-01", "edition": 1, "formats": [{"name": "A"}]})")
                               << QStringList() << 1 << QByteArray("veld \"formats[0].width\" (formaat \"A\"): ontbreekt");
    QTest::newRow("bad version option") << QByteArray("{}") << QStringList({"--file-version", "3"}) << 2
                                        << QByteArray("--file-version moet 0, 1 of 2 zijn");
}

void TestPenFWriter::toolReportsBadInput()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, extra);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, error);
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("in.json"));
    const QString output = dir.filePath(QStringLiteral("PenF.dat"));
    QFile f(input);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(json);
    f.close();
    const Run r = runTool(QStringList({"build", input, "-o", output}) + extra);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(error), r.err.constData());
    QVERIFY(!QFile::exists(output));
}

QTEST_GUILESS_MAIN(TestPenFWriter)
#include "tst_penfwriter.moc"
