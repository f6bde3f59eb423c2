// The upload container against records built by hand from the record tables.
#include "app/DateTime.h"
#include "app/Errors.h"
#include "catalogue/UPenF.h"
#include "lab/UMailFile.h"
#include "order/TOrderItem.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

namespace {
// A record of 1632 zero bytes with its kind.
QByteArray record(int kind)
{
    QByteArray r(1632, '\0');
    r[0] = char(kind);
    return r;
}
void text(QByteArray &r, int offset, const QByteArray &chars)
{
    r[offset] = char(chars.size());
    std::memcpy(r.data() + offset + 1, chars.constData(), size_t(chars.size()));
}
void u16(QByteArray &r, int offset, int v)
{
    r[offset] = char(v & 0xFF);
    r[offset + 1] = char((v >> 8) & 0xFF);
}
void f64(QByteArray &r, int offset, double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
        r[offset + i] = char((bits >> (8 * i)) & 0xFF);
}
void i32(QByteArray &r, int offset, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        r[offset + i] = char((uint32_t(v) >> (8 * i)) & 0xFF);
}
const QByteArray Mark = "{E7A8782D-735B-4159-8BC8-0783C20BBE9E}";

QByteArray header(double orderDate, int files, int orderNumber = 0, double catDate = 0, int edition = 0)
{
    QByteArray h = record(0);
    text(h, 4, Mark);
    f64(h, 48, orderDate);
    i32(h, 56, orderNumber);
    f64(h, 64, catDate);
    h[72] = char(edition);
    u16(h, 74, files);
    return h;
}
QByteArray fileRecord(const QByteArray &path, int number, int entries, int sent = 0)
{
    QByteArray f = record(2);
    text(f, 4, path);
    u16(f, 260, number);
    u16(f, 262, entries);
    f[264] = char(sent);
    return f;
}
QByteArray entry(int aantal, const QByteArray &formaat, int glans, int afwerking)
{
    QByteArray e = record(3);
    u16(e, 4, aantal);
    text(e, 6, formaat);
    e[262] = char(glans);
    e[263] = char(afwerking);
    return e;
}
TOrderItem item(const QString &path, uint16_t aantal, const QString &formaat, uint8_t glans = 1, TAfwerking af = 0)
{
    TOrderItem i;
    i.Bestand = path;
    i.Aantal = aantal;
    i.Formaat = formaat;
    i.Glans = glans;
    i.Afwerking = af;
    return i;
}
constexpr double Now = 40015.5;
} // namespace

class TstMailFile : public QObject {
    Q_OBJECT
private slots:
    void init() { datetime::setClockForTesting([] { return Now; }); }
    void cleanup() { datetime::setClockForTesting({}); }
    void freshContainer();
    void catalogueStamp();
    void customerRecord();
    void fastServiceIsCollected();
    void twoItemsThenOther();
    void insertBehindLastEntry();
    void caseInsensitivePath();
    void removeThenNumber();
    void fileNameBounds();
    void sentFlags();
    void unknownPath();
    void saveToFileAtomic();
    void numberRange();
    void parseValid();
    void parseDamaged_data();
    void parseDamaged();
};

void TstMailFile::freshContainer()
{
    TMailFile m(QStringLiteral("OrderFile"));
    const QByteArray bytes = m.toBytes();
    QCOMPARE(bytes.size(), 3264);
    QCOMPARE(bytes.at(0), '\0');
    QCOMPARE(bytes.at(4), char(38));
    QCOMPARE(bytes.mid(5, 38), Mark);
    QCOMPARE(bytes.at(1632), '\1');
    QCOMPARE(bytes, header(Now, 0) + record(1));
    QCOMPARE(m.OrderNumber(), 0);
    QVERIFY(!m.AllSent());
}

void TstMailFile::catalogueStamp()
{
    const TPenFFile catalogue(QStringLiteral("PenF.dat"), 40100.25, 7);
    TMailFile m(QString(), &catalogue);
    m.SetOrderNumber(1234);
    QCOMPARE(m.toBytes(), header(Now, 0, 1234, 40100.25, 7) + record(1));
    TMailFile none(QString(), static_cast<const TPenFFile *>(nullptr));
    QCOMPARE(none.toBytes(), header(Now, 0) + record(1));
}

void TstMailFile::customerRecord()
{
    TKlantGegevens k;
    k.Titel = QStringLiteral("Mevr.");
    k.Voornaam = QStringLiteral("Anna");
    k.Tussenvoegsel = QStringLiteral("van");
    k.Achternaam = QStringLiteral("Dijk");
    k.Straat = QStringLiteral("Dorpsstraat");
    k.Nummer = QStringLiteral("12a");
    k.PcCijfers = 1234;
    k.PcLetters = QStringLiteral("AB");
    k.Plaats = QStringLiteral("Zaandam");
    k.Telefoon = QStringLiteral("0612345678");
    k.Email = QStringLiteral("anna@voorbeeld.nl");
    k.Versturen = true;
    k.Snelservice = false;
    k.Afhaallocatie = QStringLiteral("Café");
    k.Titel = QString(12, 'T'); // cut to 10
    TMailFile m{QString()};
    m.SetCustomer(k);
    QByteArray c = record(1);
    text(c, 4, QByteArray(10, 'T'));
    text(c, 15, "Anna");
    text(c, 271, "van");
    text(c, 292, "Dijk");
    text(c, 548, "Dorpsstraat");
    text(c, 804, "12a");
    u16(c, 826, 1234);
    text(c, 828, "AB");
    text(c, 831, "Zaandam");
    text(c, 1087, "0612345678");
    text(c, 1108, "anna@voorbeeld.nl");
    c[1364] = 1;
    c[1365] = 0;
    text(c, 1366, "Caf\xE9");
    QCOMPARE(m.toBytes().mid(1632), c);
    QCOMPARE(m.PickupLocation(), QStringLiteral("Café"));
    QCOMPARE(m.Customer().Achternaam, QStringLiteral("Dijk"));
}

void TstMailFile::fastServiceIsCollected()
{
    TKlantGegevens k;
    k.Versturen = true;
    k.Snelservice = true;
    TMailFile m{QString()};
    m.SetCustomer(k);
    const QByteArray b = m.toBytes();
    QCOMPARE(b.at(1632 + 1364), '\0');
    QCOMPARE(b.at(1632 + 1365), '\1');
}

void TstMailFile::twoItemsThenOther()
{
    TMailFile m{QString()};
    QCOMPARE(m.AddOrderItem(item("C:\\foto\\a.jpg", 2, "10x15")), uint16_t(1));
    QCOMPARE(m.AddOrderItem(item("C:\\foto\\a.jpg", 1, "13x18", 0, 1)), uint16_t(1));
    QCOMPARE(m.AddOrderItem(item("C:\\foto\\b.jpg", 3, "10x15", 1, 2)), uint16_t(2));
    QCOMPARE(m.FileCount(), uint16_t(2));
    const QByteArray expected = header(Now, 2) + record(1) + fileRecord("C:\\foto\\a.jpg", 1, 2)
        + entry(2, "10x15", 1, 0) + entry(1, "13x18", 0, 1) + fileRecord("C:\\foto\\b.jpg", 2, 1)
        + entry(3, "10x15", 1, 2);
    QCOMPARE(m.toBytes(), expected);
    QCOMPARE(m.RecordCount(), 7);
}

void TstMailFile::insertBehindLastEntry()
{
    TMailFile m{QString()};
    m.AddOrderItem(item("a", 1, "F1"));
    m.AddOrderItem(item("b", 1, "F2"));
    QCOMPARE(m.AddOrderItem(item("a", 5, "F3")), uint16_t(1));
    const QByteArray expected = header(Now, 2) + record(1) + fileRecord("a", 1, 2) + entry(1, "F1", 1, 0)
        + entry(5, "F3", 1, 0) + fileRecord("b", 2, 1) + entry(1, "F2", 1, 0);
    QCOMPARE(m.toBytes(), expected);
}

void TstMailFile::caseInsensitivePath()
{
    TMailFile m{QString()};
    QCOMPARE(m.AddFile(QStringLiteral("C:\\Foto\\A.JPG")), uint16_t(1));
    QCOMPARE(m.AddFile(QStringLiteral("c:\\foto\\a.jpg")), uint16_t(1));
    QCOMPARE(m.FileCount(), uint16_t(1));
    QCOMPARE(m.FileNumber(QStringLiteral("C:\\FOTO\\a.jpg")), uint16_t(1));
}

void TstMailFile::removeThenNumber()
{
    TMailFile m{QString()};
    m.AddOrderItem(item("a", 1, "F"));
    m.AddOrderItem(item("b", 1, "F"));
    QVERIFY(m.RemoveFile(QStringLiteral("a")));
    QCOMPARE(m.FileCount(), uint16_t(1));
    QCOMPARE(m.AddFile(QStringLiteral("c")), uint16_t(3));
    QCOMPARE(m.toBytes(), header(Now, 2) + record(1) + fileRecord("b", 2, 1) + entry(1, "F", 1, 0) + fileRecord("c", 3, 0));
}

void TstMailFile::fileNameBounds()
{
    TMailFile m{QString()};
    QCOMPARE(m.FileName(0), QString());
    m.AddFile(QStringLiteral("a"));
    m.AddFile(QStringLiteral("b"));
    QCOMPARE(m.FileName(0), QStringLiteral("a"));
    QCOMPARE(m.FileName(1), QStringLiteral("b"));
    QCOMPARE(m.FileName(2), QString());
    QCOMPARE(m.FileName(-1), QString());
}

void TstMailFile::sentFlags()
{
    TMailFile m{QString()};
    m.AddFile(QStringLiteral("a"));
    m.AddFile(QStringLiteral("b"));
    QVERIFY(m.SetSent(QStringLiteral("b"), true));
    QVERIFY(!m.AllSent());
    QVERIFY(m.SetSent(QStringLiteral("A"), true));
    QVERIFY(m.AllSent());
    QVERIFY(m.SetSent(QStringLiteral("a"), false));
    bool sent = true;
    QVERIFY(m.GetSent(QStringLiteral("a"), sent));
    QVERIFY(!sent);
    QVERIFY(m.AllSent()); // never set back
    QCOMPARE(m.toBytes(), [] {
        QByteArray h = header(Now, 2);
        h[76] = 1;
        return h;
    }() + record(1) + fileRecord("a", 1, 0, 0) + fileRecord("b", 2, 0, 1));
}

void TstMailFile::unknownPath()
{
    TMailFile m{QString()};
    m.AddOrderItem(item("a", 1, "F"));
    const QByteArray before = m.toBytes();
    bool sent = true;
    QVERIFY(!m.SetSent(QStringLiteral("x"), true));
    QVERIFY(!m.GetSent(QStringLiteral("x"), sent));
    QVERIFY(sent);
    QCOMPARE(m.FileNumber(QStringLiteral("x")), uint16_t(0));
    QVERIFY(!m.RemoveFile(QStringLiteral("x")));
    QCOMPARE(m.IndexOfFileNumber(0), -1);
    QCOMPARE(m.toBytes(), before);
}

void TstMailFile::saveToFileAtomic()
{
    QTemporaryDir dir;
    TMailFile m{QString()};
    QVERIFY(!m.SaveToFile());
    const QString path = dir.filePath(QStringLiteral("OrderFile"));
    m.AddFile(QStringLiteral("a"));
    QVERIFY(m.SaveToFile(path));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), m.toBytes());
    f.close();
    // A failed save leaves the old journal whole.
    m.AddFile(QStringLiteral("b"));
    QVERIFY_THROWS_EXCEPTION(EInOutError, m.SaveToFile(dir.filePath(QStringLiteral("missing/OrderFile"))));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.size(), qint64(3 * 1632));
}

void TstMailFile::numberRange()
{
    // The last file has number 65535: the next one does not fit.
    auto mail = TMailFile::fromBytes(header(Now, 1) + record(1) + fileRecord("a", 65535, 0));
    QVERIFY(mail);
    QVERIFY_THROWS_EXCEPTION(ERangeError, mail->AddFile(QStringLiteral("b")));
    QCOMPARE(mail->FileCount(), uint16_t(1));
    // Through AddOrderItem the failure is shown and 0 returned; nothing changes.
    QStringList shown;
    mail->setMessageSink([&](const QString &t) { shown << t; });
    const QByteArray before = mail->toBytes();
    QCOMPARE(mail->AddOrderItem(item("b", 1, "F")), uint16_t(0));
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].startsWith(QStringLiteral("Exception occured while adding an order to a file.\r")));
    QCOMPARE(mail->toBytes(), before);
    // An existing path still gets its entry.
    QCOMPARE(mail->AddOrderItem(item("A", 2, "F")), uint16_t(65535));
    QCOMPARE(mail->RecordCount(), 4);
}

void TstMailFile::parseValid()
{
    const QByteArray bytes = header(Now, 2, 77) + record(1) + fileRecord("a", 1, 2, 1) + entry(2, "10x15", 1, 0)
        + entry(1, "13x18", 0, 2) + fileRecord("b", 5, 0);
    QString error;
    const auto m = TMailFile::fromBytes(bytes, &error);
    QVERIFY2(m, qPrintable(error));
    QCOMPARE(m->OrderNumber(), 77);
    QCOMPARE(m->FileCount(), uint16_t(2));
    const auto photos = m->Photos();
    QCOMPARE(photos.size(), size_t(2));
    QCOMPARE(photos[0].Entries.size(), size_t(2));
    QCOMPARE(photos[0].Entries[1].Formaat, QStringLiteral("13x18"));
    QCOMPARE(photos[0].Entries[1].Afwerking, TAfwerking(2));
    QVERIFY(photos[0].Sent);
    QCOMPARE(photos[1].FileNumber, uint16_t(5));
    QCOMPARE(m->IndexOfFileNumber(5), 5);
}

void TstMailFile::parseDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray base = header(Now, 1) + record(1);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("header only") << header(Now, 0);
    QTest::newRow("not a multiple") << (base + fileRecord("a", 1, 0)).left(3 * 1632 - 1);
    QTest::newRow("wrong mark") << [] {
        QByteArray b = header(Now, 0) + record(1);
        b[10] = 'X';
        return b;
    }();
    QTest::newRow("kinds swapped") << (record(1) + header(Now, 0));
    QTest::newRow("entry without file") << (header(Now, 0) + record(1) + entry(1, "F", 1, 0));
    QTest::newRow("entries missing") << (base + fileRecord("a", 1, 3) + entry(1, "F", 1, 0));
    QTest::newRow("file number 0") << (base + fileRecord("a", 0, 0));
    QTest::newRow("duplicate numbers") << (header(Now, 2) + record(1) + fileRecord("a", 1, 0) + fileRecord("b", 1, 0));
    QTest::newRow("file count wrong") << (header(Now, 3) + record(1) + fileRecord("a", 1, 0));
    QTest::newRow("count 65535 entries") << (base + fileRecord("a", 1, 65535));
}

void TstMailFile::parseDamaged()
{
    QFETCH(QByteArray, bytes);
    QString error;
    QVERIFY(!TMailFile::fromBytes(bytes, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TstMailFile)
#include "tst_mailfile.moc"
