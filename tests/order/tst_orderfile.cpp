#include "app/AnsiString.h"
#include "app/Bytes.h"
#include "app/Errors.h"
#include "order/Exporteren.h"
#include "order/PrintRater.h"
#include "order/UOrderFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "TestHooks.h"

namespace {


// A catalogue of two formats and a rating that counts its calls.
struct StubRater : IPrintRater {
    int rated = 0;
    bool FindFormat(const QString &name, TFormatDims &dims) const override
    {
        if (name.compare(QLatin1String("10 x 15"), Qt::CaseInsensitive) == 0) {
            dims = {10.0, 15.0, true};
            return true;
        }
        if (name.compare(QLatin1String("Panorama"), Qt::CaseInsensitive) == 0) {
            dims = {10.0, 0.0, false};
            return true;
        }
        return false;
    }
    TRating Rate(const QString &, double lengte, double) override
    {
        ++rated;
        return {1, lengte < 1.0 ? 30.0 : lengte, 0};
    }
    TPhotoCheck CheckPhoto(const QString &, const TFormatDims *) override { return {true, {}}; }
    QString ErrorText(int code) const override { return QStringLiteral("fout %1").arg(code); }
};

// A record written straight from the item table, without TOrderItem's own writer.
QByteArray handItem(const QByteArray &bestand, const QByteArray &formaat, quint8 afwerking, quint8 glans,
                    quint16 aantal, quint8 kwaliteit, qint64 prijsRaw, double lengte, qint64 grootte)
{
    QByteArray r(816, '\0');
    auto *p = bytes::u(r.data());
    p[0] = 3;
    std::memcpy(p + 1, "old", 3); // Naam: ignored by the loader
    p[256] = quint8(bestand.size());
    std::memcpy(p + 257, bestand.constData(), size_t(bestand.size()));
    p[513] = quint8(formaat.size());
    std::memcpy(p + 514, formaat.constData(), size_t(formaat.size()));
    p[769] = afwerking;
    p[770] = glans;
    bytes::putU16LE(p + 772, aantal);
    p[774] = kwaliteit;
    bytes::putI64LE(p + 776, prijsRaw);
    bytes::putF64LE(p + 792, lengte);
    bytes::putI64LE(p + 800, grootte);
    p[808] = 0;
    return r;
}

QByteArray handHeader(const QByteArray &versie, const QByteArray &penf = "09122008-", qint32 reserve = 0)
{
    QByteArray r(816, '\0');
    auto *p = bytes::u(r.data());
    p[513] = quint8(versie.size());
    std::memcpy(p + 514, versie.constData(), size_t(versie.size()));
    p[518] = quint8(penf.size());
    std::memcpy(p + 519, penf.constData(), size_t(penf.size()));
    bytes::putI32LE(p + 528, reserve);
    return r;
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace

class TestOrderFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void itemRecordMatchesTable();
    void versionCheck_data();
    void versionCheck();
    void versionCheckCopiesHeader();
    void emptyOrderIsHeaderOnly();
    void loadRechecksPhotos();
    void missingPhotoQuestion_data();
    void missingPhotoQuestion();
    void damagedFiles_data();
    void damagedFiles();
    void progressOfOneItem();
    void largestOrder();
    void failedSaveKeepsPreviousFile();
    void failedSaveAsKeepsFileName();
    void exportBytes();
    void exportSeparators_data();
    void exportSeparators();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompter m_prompter;
    RecordingProgress m_progress;
    TOperationHooks m_hooks;
};

void TestOrderFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prompter = ScriptedPrompter();
    m_progress = RecordingProgress();
    m_hooks = TOperationHooks{&m_prompter, &m_progress, {}};
}

void TestOrderFile::itemRecordMatchesTable()
{
    const QByteArray hand = handItem("/foto's/Zo\xEB.jpg", "10 x 15", 2, 1, 12, 3, 34800, 15.0, 123456789);
    const TOrderItem item = TOrderItem::fromRecord(bytes::u(hand.constData()));
    QCOMPARE(item.Bestand, QStringLiteral("/foto's/Zoë.jpg"));
    QCOMPARE(item.Formaat, QStringLiteral("10 x 15"));
    QCOMPARE(item.Afwerking, TAfwerking(2));
    QCOMPARE(item.Glans, quint8(1));
    QCOMPARE(item.Aantal, quint16(12));
    QCOMPARE(item.Kwaliteit, TQuality(3));
    QCOMPARE(item.Prijs.raw(), qint64(34800));
    QCOMPARE(item.Lengte, 15.0);
    QCOMPARE(item.Grootte, qint64(123456789));
    // Writing the same fields gives the table's bytes again.
    TOrderItem copy = item;
    copy.Naam = QStringLiteral("old");
    QCOMPARE(copy.toRecord(), hand);
}

void TestOrderFile::versionCheck_data()
{
    QTest::addColumn<QByteArray>("headerVersie");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1.6.") << QByteArray("1.6.") << true;
    QTest::newRow("1.5.") << QByteArray("1.5.") << true;
    QTest::newRow("1.7.") << QByteArray("1.7.") << false;
    QTest::newRow("0.X") << QByteArray("0.X") << true;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("2") << QByteArray("2") << false;
}

void TestOrderFile::versionCheck()
{
    QFETCH(QByteArray, headerVersie);
    QFETCH(bool, accepted);
    writeFile(path("a.obn"), handHeader(headerVersie));
    TOrderFile of;
    of.SetOrderFileHeader(path("a.obn"), QString(), QString(), 0);
    QCOMPARE(of.CheckOrderFileVersion(OrderFileVersion()), accepted);
}

void TestOrderFile::versionCheckCopiesHeader()
{
    writeFile(path("a.obn"), handHeader("1.5.", "01012009-", 77));
    TOrderFile of;
    of.SetOrderFileHeader(path("a.obn"), QStringLiteral("1.6.1.5"), QStringLiteral("09122008-03"), 0);
    QVERIFY(of.CheckOrderFileVersion(OrderFileVersion()));
    QCOMPARE(of.HeaderVersie(), QStringLiteral("1.5."));
    QCOMPARE(of.HeaderPenFVersie(), QStringLiteral("01012009-"));
    QCOMPARE(of.HeaderReserve(), 77);
    // A plain save writes the opened header back unchanged.
    QVERIFY(of.SaveOrderFile(QString(), {}, m_hooks));
    QCOMPARE(readFile(path("a.obn")), handHeader("1.5.", "01012009-", 77));

    TOrderFile missing;
    missing.SetOrderFileHeader(path("none.obn"), QString(), QString(), 0);
    QVERIFY(!missing.CheckOrderFileVersion(OrderFileVersion()));
    writeFile(path("short.obn"), QByteArray(815, '\0'));
    missing.SetOrderFileHeader(path("short.obn"), QString(), QString(), 0);
    QVERIFY(!missing.CheckOrderFileVersion(OrderFileVersion()));
}

void TestOrderFile::emptyOrderIsHeaderOnly()
{
    TOrderFile of;
    QVERIFY(of.SaveOrderAs(path("leeg.obn"), QStringLiteral("09122008-03"), {}, m_hooks));
    // The version is cut to four characters and the catalogue version to nine.
    QCOMPARE(readFile(path("leeg.obn")), handHeader("1.6.", "09122008-", 0));
    QList<TOrderItem> items;
    StubRater rater;
    QVERIFY(of.LoadOrderFile(path("leeg.obn"), OrderFileVersion(), items, rater, true, m_hooks));
    QVERIFY(items.isEmpty());
}

void TestOrderFile::loadRechecksPhotos()
{
    const QByteArray photo(1000, 'x');
    writeFile(path("same.jpg"), photo);
    writeFile(path("grown.jpg"), photo + photo);
    writeFile(path("grown-gone.jpg"), photo + photo);
    writeFile(path("pano.jpg"), photo + "y");
    const QByteArray file = handHeader("1.6.")
        // unchanged size: keeps a format that left the catalogue and its stored level
        + handItem(path("same.jpg").toLocal8Bit(), "13 x 13", 1, 0, 4, 2, 11600, 13.0, 1000)
        // grown: rated again for its fixed length
        + handItem(path("grown.jpg").toLocal8Bit(), "10 X 15", 0, 1, 1, 4, 2900, 0.0, 1000)
        // grown and its format left the catalogue: empty format, "Onbekend"
        + handItem(path("grown-gone.jpg").toLocal8Bit(), "13 x 13", 0, 1, 1, 0, 2900, 13.0, 1000)
        // grown, dynamic length: the rating writes the long side back
        + handItem(path("pano.jpg").toLocal8Bit(), "Panorama", 0, 1, 1, 0, 2900, 0.0, 1000)
        // a quality level past the table: dropped silently
        + handItem(path("same.jpg").toLocal8Bit(), "10 x 15", 0, 1, 1, 6, 2900, 15.0, 1000);
    writeFile(path("order.obn"), file);

    TOrderFile of;
    StubRater rater;
    QList<TOrderItem> items;
    QVERIFY(of.LoadOrderFile(path("order.obn"), OrderFileVersion(), items, rater, false, m_hooks));
    QCOMPARE(items.size(), 4);
    QCOMPARE(rater.rated, 2);
    QVERIFY(m_prompter.messages.isEmpty());

    QCOMPARE(items[0].Naam, QStringLiteral("same"));
    QCOMPARE(items[0].Formaat, QStringLiteral("13 x 13"));
    QCOMPARE(items[0].Kwaliteit, TQuality(2));
    QCOMPARE(items[0].Grootte, qint64(1000));
    QCOMPARE(items[0].Prijs.raw(), qint64(11600));
    QCOMPARE(items[0].RowTexts(), (QStringList{"4", "13 x 13", "Mat", "Z/W", "Aanvaardbaar", "1,16"}));

    QCOMPARE(items[1].Grootte, qint64(2000));
    QCOMPARE(items[1].Kwaliteit, TQuality(1));
    QCOMPARE(items[1].Lengte, 15.0);

    QCOMPARE(items[2].Formaat, QString());
    QCOMPARE(items[2].Kwaliteit, QualityUnknown);
    QCOMPARE(items[2].RowTexts().at(4), QStringLiteral("Onbekend"));

    QCOMPARE(items[3].Lengte, 30.0);
}

void TestOrderFile::missingPhotoQuestion_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("itemsAfter");
    QTest::newRow("Yes drops the photo") << true << true << 2;
    QTest::newRow("No stops loading") << false << false << 1;
}

void TestOrderFile::missingPhotoQuestion()
{
    QFETCH(bool, answer);
    QFETCH(bool, result);
    QFETCH(int, itemsAfter);
    writeFile(path("a.jpg"), "abc");
    const QByteArray file = handHeader("1.6.") + handItem(path("a.jpg").toLocal8Bit(), "10 x 15", 0, 1, 1, 0, 0, 15, 3)
        + handItem(path("weg.jpg").toLocal8Bit(), "10 x 15", 0, 1, 1, 0, 0, 15, 3)
        + handItem(path("a.jpg").toLocal8Bit(), "10 x 15", 0, 1, 1, 0, 0, 15, 3);
    writeFile(path("order.obn"), file);
    m_prompter.answers = {answer};
    TOrderFile of;
    StubRater rater;
    QList<TOrderItem> items;
    QCOMPARE(of.LoadOrderFile(path("order.obn"), OrderFileVersion(), items, rater, true, m_hooks), result);
    QCOMPARE(items.size(), itemsAfter);
    QCOMPARE(m_prompter.questions,
             QStringList{QStringLiteral("Bestand \"%1\" kan niet gevonden worden!\rDoorgaan?").arg(path("weg.jpg"))});
    QVERIFY(!m_progress.IsShowing());
}

void TestOrderFile::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("items");
    const QByteArray good = handHeader("1.6.");
    QTest::newRow("0-byte file") << QByteArray() << false << 0;
    QTest::newRow("header only") << good << true << 0;
    QTest::newRow("trailing partial record ignored") << good + QByteArray(400, 'z') << true << 0;
    // Length bytes of 255 followed by garbage: the path is cut to its field, no such photo.
    QByteArray garbage(816, char(0xFF));
    QTest::newRow("length byte 255 and garbage") << good + garbage << true << 0;
    QByteArray zeroes(816, '\0');
    QTest::newRow("empty path") << good + zeroes << true << 0;
}

void TestOrderFile::damagedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, result);
    QFETCH(int, items);
    writeFile(path("damaged.obn"), content);
    m_prompter.answers = {true, true, true};
    TOrderFile of;
    StubRater rater;
    QList<TOrderItem> list;
    QCOMPARE(of.LoadOrderFile(path("damaged.obn"), OrderFileVersion(), list, rater, true, m_hooks), result);
    QCOMPARE(list.size(), items);
}

void TestOrderFile::progressOfOneItem()
{
    writeFile(path("a.jpg"), "abc");
    writeFile(path("one.obn"), handHeader("1.6.") + handItem(path("a.jpg").toLocal8Bit(), "10 x 15", 0, 1, 1, 0, 0, 15, 3));
    TOrderFile of;
    StubRater rater;
    QList<TOrderItem> list;
    QVERIFY(of.LoadOrderFile(path("one.obn"), OrderFileVersion(), list, rater, true, m_hooks));
    QCOMPARE(m_progress.positions, (QList<int>{0, 5, 1, 990, 1000}));
    QCOMPARE(m_progress.texts,
             (QStringList{"Laden van orderbestand\rControleren van de versie", "Laden van orderbestand",
                          "Laden van orderbestand\r0 van 1", "Laden van orderbestand\r1 van 1 geladen",
                          "Laden van orderbestand voltooid"}));
    QVERIFY(!m_progress.IsShowing());
}

void TestOrderFile::largestOrder()
{
    writeFile(path("a.jpg"), "abc");
    TOrderItem item;
    item.Bestand = path("a.jpg");
    item.Naam = QStringLiteral("a");
    item.Formaat = QStringLiteral("10 x 15");
    item.Kwaliteit = 0;
    item.Grootte = 3;
    QList<TOrderItem> items(TOrderFile::MaxItems, item);
    items.last().Aantal = 7;
    TOrderFile of;
    QVERIFY(of.SaveOrderAs(path("big.obn"), QStringLiteral("09122008-03"), items, m_hooks));
    QCOMPARE(QFileInfo(path("big.obn")).size(), qint64(816) * (TOrderFile::MaxItems + 1));
    QList<TOrderItem> loaded;
    StubRater rater;
    QVERIFY(of.LoadOrderFile(path("big.obn"), OrderFileVersion(), loaded, rater, true, m_hooks));
    QCOMPARE(loaded.size(), TOrderFile::MaxItems);
    QCOMPARE(loaded.last().Aantal, quint16(7));
    QCOMPARE(rater.rated, 0);
}

void TestOrderFile::failedSaveKeepsPreviousFile()
{
    TOrderItem item;
    item.Bestand = QStringLiteral("/x.jpg");
    TOrderFile of;
    QVERIFY(of.SaveOrderAs(path("keep.obn"), QStringLiteral("09122008-03"), {item}, m_hooks));
    const QByteArray before = readFile(path("keep.obn"));
    // One item more than a file can hold: the save fails after it has started writing.
    QList<TOrderItem> tooMany(TOrderFile::MaxItems + 1, item);
    QVERIFY(!of.SaveOrderFile(QString(), tooMany, m_hooks));
    QCOMPARE(m_prompter.messages.size(), 1);
    QVERIFY(m_prompter.messages[0].startsWith(QStringLiteral("De volgende fout is opgetreden:\r")));
    QCOMPARE(readFile(path("keep.obn")), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"keep.obn"});
    // A folder that does not exist cannot take the file at all: the error reaches the caller.
    QVERIFY_THROWS_EXCEPTION(EInOutError, of.SaveOrderFile(path("nope/x.obn"), {}, m_hooks));
}

void TestOrderFile::failedSaveAsKeepsFileName()
{
    TOrderFile of;
    QVERIFY(of.SaveOrderAs(path("first.obn"), QStringLiteral("09122008-03"), {}, m_hooks));
    TOrderItem item;
    QList<TOrderItem> tooMany(TOrderFile::MaxItems + 1, item);
    QVERIFY(!of.SaveOrderAs(path("second.obn"), QStringLiteral("01012010-01"), tooMany, m_hooks));
    QCOMPARE(of.OrderFileName(), path("first.obn"));
    QCOMPARE(of.HeaderPenFVersie(), QStringLiteral("09122008-"));
    QVERIFY(!QFile::exists(path("second.obn")));
    QVERIFY_THROWS_EXCEPTION(EInOutError, of.SaveOrderAs(path("nope/x.obn"), QString(), {}, m_hooks));
    QCOMPARE(of.OrderFileName(), path("first.obn"));
}

void TestOrderFile::exportBytes()
{
    TOrderItem a;
    a.Naam = QStringLiteral("Zoë");
    a.Bestand = QStringLiteral("/home/k/Zoë.jpg");
    a.Formaat = QStringLiteral("10 x 15");
    a.Aantal = 2;
    a.Glans = 0;
    a.Afwerking = 2;
    a.Kwaliteit = 0;
    a.Prijs = TCurrency::fromRaw(5800);
    QCOMPARE(ExportOrderBytes(QStringLiteral(";"), {}),
             QByteArray("Naam;Bestandslocatie;Aantal;Formaat;G/M;Kl/ZW/Se;Kwaliteit;Prijs;\r\n"));
    QCOMPARE(ExportOrderBytes(QStringLiteral(";"), {a}),
             QByteArray("Naam;Bestandslocatie;Aantal;Formaat;G/M;Kl/ZW/Se;Kwaliteit;Prijs;\r\n"
                        "Zo\xEB;/home/k/Zo\xEB.jpg;2;10 x 15;Mat;Sepia;Uitstekend;0,58;\r\n"));
    QVERIFY(ExportOrderText(path("e.txt"), QStringLiteral("|"), {a}, m_hooks));
    QVERIFY(readFile(path("e.txt")).endsWith("Zo\xEB|/home/k/Zo\xEB.jpg|2|10 x 15|Mat|Sepia|Uitstekend|0,58|\r\n"));
    QVERIFY(!ExportOrderText(path("nope/e.txt"), QStringLiteral(";"), {a}, m_hooks));
    QCOMPARE(m_prompter.messages.size(), 1);
    QVERIFY(m_prompter.messages[0].startsWith(QStringLiteral("Er is een fout opgetreden:\r")));
}

void TestOrderFile::exportSeparators_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("own");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("fieldsInRow");
    // The header has 8 fields; the comma inside "1,17" and the space inside a name are not escaped.
    QTest::newRow("Puntkomma") << 0 << "" << ";" << 8;
    QTest::newRow("Komma") << 1 << "" << "," << 9;
    QTest::newRow("Spatie") << 2 << "" << " " << 10;
    QTest::newRow("Anders |") << 3 << "|x" << "|" << 8;
}

void TestOrderFile::exportSeparators()
{
    QFETCH(int, choice);
    QFETCH(QString, own);
    QFETCH(QString, separator);
    QFETCH(int, fieldsInRow);
    QCOMPARE(ExportSeparator(choice, own), separator);
    TOrderItem a;
    a.Naam = QStringLiteral("mijn foto");
    a.Bestand = QStringLiteral("/f/mijn foto.jpg");
    a.Formaat = QStringLiteral("10x15");
    a.Kwaliteit = 1;
    a.Prijs = TCurrency::fromRaw(11700);
    const QList<QByteArray> lines = ExportOrderBytes(separator, {a}).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[1].count(separator.toLatin1()), fieldsInRow);
}

QTEST_GUILESS_MAIN(TestOrderFile)
#include "tst_orderfile.moc"
