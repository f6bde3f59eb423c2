#include "app/KlantRegels.h"

#include <QTest>

Q_DECLARE_METATYPE(TKlantInvoer)

class TestKlantRegels : public QObject {
    Q_OBJECT
private slots:
    void controle_data();
    void controle();
    void toetsfilter_data();
    void toetsfilter();
    void afhalenKeuze();
    void naamRegel_data();
    void naamRegel();
    void adresRegels();
    void ophalenTekst();
};

namespace {
TKlantInvoer volledig()
{
    TKlantInvoer i;
    i.titelGekozen = true;
    i.achternaam = QStringLiteral("Jansen");
    i.straat = QStringLiteral("Dorpsstraat");
    i.pcCijfers = QStringLiteral("1234");
    i.pcLetters = QStringLiteral("AB");
    i.plaats = QStringLiteral("Veldmeer");
    i.halenGekozen = true;
    return i;
}
const QString Kop = QStringLiteral("De volgende verplichte velden hebt u niet ingevuld:\r");
const QString Slot = QStringLiteral("Deze gegevens moeten ingevuld worden!");
} // namespace

void TestKlantRegels::controle_data()
{
    QTest::addColumn<TKlantInvoer>("invoer");
    QTest::addColumn<QString>("message");

    QTest::newRow("complete") << volledig() << QString();
    QTest::newRow("everything missing")
        << TKlantInvoer{}
        << Kop + " - Titel\r - Achternaam\r - Straat\r - Postcode\r - Woonplaats\r - Afhalen/Bezorgen\r" + Slot;
    TKlantInvoer i = volledig();
    i.pcCijfers = QStringLiteral("123");
    QTest::newRow("three digits") << i << Kop + " - Postcode\r" + Slot;
    i = volledig();
    i.pcLetters = QStringLiteral("A");
    QTest::newRow("one letter") << i << Kop + " - Postcode\r" + Slot;
    i = volledig();
    i.pcCijfers = QStringLiteral("12a4");
    QTest::newRow("pasted non-digits") << i << Kop + " - Postcode\r" + Slot;
    i = volledig();
    i.achternaam = QStringLiteral("   ");
    i.straat = QStringLiteral(" ");
    QTest::newRow("spaces count as filled") << i << QString();
    i = volledig();
    i.plaats.clear();
    i.titelGekozen = false;
    QTest::newRow("title and town, in order") << i << Kop + " - Titel\r - Woonplaats\r" + Slot;
}

void TestKlantRegels::controle()
{
    QFETCH(TKlantInvoer, invoer);
    QFETCH(QString, message);
    QCOMPARE(KlantControle(invoer), message);
}

void TestKlantRegels::toetsfilter_data()
{
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<QString>("pass");
    QTest::addColumn<QString>("refused");
    const QString controls = QString(QChar(0)) + QChar(8) + QChar(9) + QChar(13);
    QTest::newRow("digits") << toetsfilter::Cijfers << "0123456789" + controls << "a-. /";
    QTest::newRow("letters") << toetsfilter::Letters << "azAZ" + controls << "1-é ";
    QTest::newRow("telephone") << toetsfilter::Telefoon << "09-" + controls << "x/. +";
}

void TestKlantRegels::toetsfilter()
{
    QFETCH(QString, allowed);
    QFETCH(QString, pass);
    QFETCH(QString, refused);
    for (QChar c : pass)
        QVERIFY2(toetsfilter::Toegestaan(c, allowed), qPrintable(QString::number(c.unicode())));
    for (QChar c : refused)
        QVERIFY2(!toetsfilter::Toegestaan(c, allowed), qPrintable(QString(c)));
    QVERIFY(!toetsfilter::Toegestaan(QChar(14), allowed));
}

void TestKlantRegels::afhalenKeuze()
{
    QCOMPARE(AfhalenKeuzeTekst(QStringLiteral("Veldmeer")), QStringLiteral("Ik kom de foto's afhalen in Veldmeer"));
    QCOMPARE(AfhalenKeuzeTekst(QString()), QStringLiteral("Ik kom de foto's afhalen in ..."));
}

void TestKlantRegels::naamRegel_data()
{
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QString>("line");
    QTest::newRow("no prefix") << QStringList{"Dhr.", "Jan", "", "Jansen"} << "Dhr. Jan Jansen";
    QTest::newRow("all four") << QStringList{"Mevr.", "Els", "van der", "Berg"} << "Mevr. Els van der Berg";
    QTest::newRow("no first name") << QStringList{"Fam.", "", "de", "Vries"} << "Fam. de Vries";
    QTest::newRow("no surname") << QStringList{"Dhr.", "Jan", "", ""} << "Dhr. Jan";
}

void TestKlantRegels::naamRegel()
{
    QFETCH(QStringList, parts);
    QFETCH(QString, line);
    TKlantGegevens k;
    k.Titel = parts[0];
    k.Voornaam = parts[1];
    k.Tussenvoegsel = parts[2];
    k.Achternaam = parts[3];
    QCOMPARE(NaamRegel(k), line);
}

void TestKlantRegels::adresRegels()
{
    TKlantGegevens k;
    k.Straat = QStringLiteral("Dorpsstraat");
    k.Nummer = QStringLiteral("12a");
    k.PcCijfers = 123;
    k.PcLetters = QStringLiteral("AB");
    k.Plaats = QStringLiteral("Veldmeer");
    QCOMPARE(AdresRegels(k), QStringLiteral("Dorpsstraat 12a\r0123 AB  Veldmeer"));
}

void TestKlantRegels::ophalenTekst()
{
    TKlantGegevens k;
    k.Afhaallocatie = QStringLiteral("Veldmeer");
    QCOMPARE(OphalenTekst(k), QStringLiteral("Ik kom de foto's afhalen in Veldmeer (Standaardservice)."));
    k.Snelservice = true;
    QCOMPARE(OphalenTekst(k), QStringLiteral("Ik kom de foto's afhalen in Veldmeer (Snelservice)."));
}

QTEST_GUILESS_MAIN(TestKlantRegels)
#include "tst_klantregels.moc"
