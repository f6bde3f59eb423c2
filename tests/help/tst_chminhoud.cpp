#include "help/ChmInhoud.h"

#include <QTest>

namespace {

QByteArray Le16(int v)
{
    QByteArray b(2, '\0');
    b[0] = char(v & 0xff);
    b[1] = char((v >> 8) & 0xff);
    return b;
}

// One "#SYSTEM" record: code, length, data.
QByteArray SystemRecord(int code, const QByteArray &data)
{
    return Le16(code) + Le16(int(data.size())) + data;
}

} // namespace

class TestChmInhoud : public QObject {
    Q_OBJECT
private slots:
    void normalPath_data();
    void normalPath();
    void contentsFromSitemap();
    void contentsFromBrokenSitemap();
    void systemRecords();
};

void TestChmInhoud::normalPath_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("path");
    QTest::newRow("relative") << "index.html" << "/index.html";
    QTest::newRow("absolute") << "/index.html" << "/index.html";
    QTest::newRow("fragment") << "verzenden.html#tip" << "/verzenden.html";
    QTest::newRow("backslash") << "afbeeldingen\\foto.png" << "/afbeeldingen/foto.png";
    QTest::newRow("dot-dot stays inside") << "../../etc/passwd" << "/etc/passwd";
    QTest::newRow("inner dot-dot") << "a/../b.html" << "/b.html";
    QTest::newRow("only fragment") << "#boven" << "";
    QTest::newRow("empty") << "" << "";
}

void TestChmInhoud::normalPath()
{
    QFETCH(QString, local);
    QFETCH(QString, path);
    QCOMPARE(chm::NormalPath(local), path);
}

void TestChmInhoud::contentsFromSitemap()
{
    const QByteArray hhc =
        "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"ImageType\" value=\"Folder\"></OBJECT>\n"
        "<UL>\n"
        "<LI> <OBJECT type=\"text/sitemap\">\n"
        "  <param name=\"Name\" value=\"Begin &amp; overzicht\">\n"
        "  <param name=\"Local\" value=\"index.html\">\n"
        "  </OBJECT>\n"
        "<UL>\n"
        "  <LI><object type='text/sitemap'><param name='Name' value='Foto&#39;s'><param name=Local value=fotos.html></object>\n"
        "  <LI><object type=\"text/sitemap\"><param name=\"Name\" value=\"Kop\"></object>\n"
        "</UL>\n"
        "<LI><object type=\"text/sitemap\"><param name=\"Local\" value=\"naamloos.html\"></object>\n"
        "<LI><object type=\"text/sitemap\"><param name=\"Name\" value=\"Verzenden\"><param name=\"Local\" value=\"verzenden.html#stap\"></object>\n"
        "</UL></BODY></HTML>";
    const QList<TChmOnderwerp> topics = chm::ParseContents(hhc);
    QCOMPARE(topics.size(), 4); // the entry without a name is left out
    QCOMPARE(topics[0].naam, QStringLiteral("Begin & overzicht"));
    QCOMPARE(topics[0].pagina, QStringLiteral("/index.html"));
    QCOMPARE(topics[0].niveau, 0);
    QCOMPARE(topics[1].naam, QStringLiteral("Foto's"));
    QCOMPARE(topics[1].pagina, QStringLiteral("/fotos.html"));
    QCOMPARE(topics[1].niveau, 1);
    QCOMPARE(topics[2].naam, QStringLiteral("Kop"));
    QVERIFY(topics[2].pagina.isEmpty());
    QCOMPARE(topics[3].naam, QStringLiteral("Verzenden"));
    QCOMPARE(topics[3].pagina, QStringLiteral("/verzenden.html"));
    QCOMPARE(topics[3].niveau, 0);
}

void TestChmInhoud::contentsFromBrokenSitemap()
{
    // Unbalanced lists, an unclosed object and stray bytes: no crash, no negative depth.
    const QByteArray hhc = "</ul></ul><ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"A\">"
                           "</object></ul></ul></ul><object type=\"text/sitemap\"><param name=\"Name\" value=\"B\">"
                           "\xff\xfe<param name=\"Local\" value=\"b.html\"><ul";
    const QList<TChmOnderwerp> topics = chm::ParseContents(hhc);
    QCOMPARE(topics.size(), 1);
    QCOMPARE(topics[0].naam, QStringLiteral("A"));
    QCOMPARE(topics[0].niveau, 0);
    QVERIFY(chm::ParseContents(QByteArray()).isEmpty());
}

void TestChmInhoud::systemRecords()
{
    QByteArray system = QByteArray::fromHex("03000000");
    system += SystemRecord(0, QByteArray("inhoud.hhc\0", 11));
    system += SystemRecord(9, QByteArray("chmcmd\0", 7));
    system += SystemRecord(2, QByteArray("index.html\0", 11));
    system += SystemRecord(3, QByteArray("Kiekjesbode - Help\0", 19));
    chm::TSysteem s = chm::ParseSystem(system);
    QCOMPARE(s.contents, QStringLiteral("inhoud.hhc"));
    QCOMPARE(s.defaultTopic, QStringLiteral("index.html"));
    QCOMPARE(s.title, QStringLiteral("Kiekjesbode - Help"));

    // A record that claims more bytes than there are ends the list; earlier records stay.
    QByteArray truncated = QByteArray::fromHex("03000000") + SystemRecord(3, QByteArray("Titel\0", 6));
    truncated += Le16(2) + Le16(500) + QByteArray("kort");
    s = chm::ParseSystem(truncated);
    QCOMPARE(s.title, QStringLiteral("Titel"));
    QVERIFY(s.defaultTopic.isEmpty());
    QVERIFY(chm::ParseSystem(QByteArray::fromHex("0300")).title.isEmpty());
}

QTEST_GUILESS_MAIN(TestChmInhoud)
#include "tst_chminhoud.moc"
