#include "app/AnsiString.h"
#include "app/Definities.h"
#include "app/Errors.h"

#include <QTest>

class TestDefinities : public QObject {
    Q_OBJECT
private slots:
    void datumTekst_data();
    void datumTekst();
    void versieTekst_data();
    void versieTekst();
    void pakDatumDropsTime();
    void tijdstipValid_data();
    void tijdstipValid();
    void tijdstipRefused_data();
    void tijdstipRefused();
    void tijdstipInvalidDateRaises_data();
    void tijdstipInvalidDateRaises();
    void qualityNames();
    void valueSetTexts();
    void standardSettings();
    void shortStringsCut();
    void ansiRoundTrip();
    void ansiShortField();
};

void TestDefinities::datumTekst_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("d");
    QTest::addColumn<QString>("sep");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no separator") << 2008 << 12 << 9 << "" << "09122008";
    QTest::newRow("hyphen") << 2008 << 12 << 9 << "-" << "09-12-2008";
    QTest::newRow("full stop") << 2010 << 3 << 5 << "." << "05.03.2010";
    QTest::newRow("year below 100 keeps two digits") << 7 << 1 << 2 << "" << "020107";
}

void TestDefinities::datumTekst()
{
    QFETCH(int, y);
    QFETCH(int, m);
    QFETCH(int, d);
    QFETCH(QString, sep);
    QFETCH(QString, expected);
    QCOMPARE(DatumTekst(TDatum{uint8_t(d), uint8_t(m), uint16_t(y)}, sep), expected);
}

void TestDefinities::versieTekst_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("d");
    QTest::addColumn<int>("edition");
    QTest::addColumn<QString>("expected");
    QTest::newRow("edition 3") << 2008 << 12 << 9 << 3 << "09122008-03";
    QTest::newRow("edition 123") << 2008 << 12 << 9 << 123 << "09122008-123";
    QTest::newRow("edition 0") << 2009 << 1 << 1 << 0 << "01012009-00";
}

void TestDefinities::versieTekst()
{
    QFETCH(int, y);
    QFETCH(int, m);
    QFETCH(int, d);
    QFETCH(int, edition);
    QFETCH(QString, expected);
    // A time of day on the catalogue date does not change the text.
    const TDateTime date = datetime::encodeDate(y, m, d) + datetime::encodeTime(17, 45, 0);
    QCOMPARE(VersieTekst(uint8_t(edition), date), expected);
}

void TestDefinities::pakDatumDropsTime()
{
    const TDateTime t = datetime::encodeDate(2008, 12, 31) + datetime::encodeTime(23, 59, 59);
    QCOMPARE(PakDatum(t), (TDatum{31, 12, 2008}));
    // 1899-12-30 is day 0; the day count of a known date.
    QCOMPARE(datetime::encodeDate(1899, 12, 30), 0.0);
    QCOMPARE(datetime::encodeDate(2009, 7, 21), 40015.0);
    // A catalogue date from a damaged file: no undefined conversion, zeros in the text.
    QCOMPARE(VersieTekst(3, std::nan("")), QStringLiteral("000000-03"));
    QCOMPARE(VersieTekst(3, 1e300), QStringLiteral("000000-03"));
    QVERIFY(!datetime::toQDateTime(-std::numeric_limits<double>::infinity()).isValid());
}

void TestDefinities::tijdstipValid_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("example") << "143005 09122008" << QDateTime(QDate(2008, 12, 9), QTime(14, 30, 5));
    QTest::newRow("7th char ignored") << "235959x31122008" << QDateTime(QDate(2008, 12, 31), QTime(23, 59, 59));
    QTest::newRow("leading blank in a piece") << " 30005 09122008" << QDateTime(QDate(2008, 12, 9), QTime(3, 0, 5));
    QTest::newRow("plus sign") << "+30005 09122008" << QDateTime(QDate(2008, 12, 9), QTime(3, 0, 5));
    QTest::newRow("trailing text not read") << "000000 01012009zzz" << QDateTime(QDate(2009, 1, 1), QTime(0, 0));
}

void TestDefinities::tijdstipValid()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    TDateTime out = -1;
    QVERIFY(TijdstipUitTekst(text, out));
    QCOMPARE(datetime::toQDateTime(out), expected);
}

void TestDefinities::tijdstipRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("letters") << "12ab00 01012009";
    QTest::newRow("too short for the year") << "120000 010120";
    QTest::newRow("negative piece") << "-10000 01012009";
    QTest::newRow("blank piece") << "  0000 01012009";
}

void TestDefinities::tijdstipRefused()
{
    QFETCH(QString, text);
    TDateTime out = 1234.5;
    QVERIFY(!TijdstipUitTekst(text, out));
    QCOMPARE(out, 1234.5);
}

void TestDefinities::tijdstipInvalidDateRaises_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("day 32") << "120000 32012009";
    QTest::newRow("month 13") << "120000 01132009";
    QTest::newRow("hour 24") << "240000 01012009";
    QTest::newRow("all zeros") << "000000 00000000";
}

void TestDefinities::tijdstipInvalidDateRaises()
{
    QFETCH(QString, text);
    TDateTime out = 7.0;
    QVERIFY_THROWS_EXCEPTION(EConvertError, TijdstipUitTekst(text, out));
    QCOMPARE(out, 7.0);
}

void TestDefinities::qualityNames()
{
    const char *expected[] = {"Uitstekend", "Goed", "Aanvaardbaar", "Onvoldoende", "Slecht", "Onbekend"};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(QualityName(i), QString::fromLatin1(expected[i]));
    QVERIFY_THROWS_EXCEPTION(ERangeError, QualityName(6));
    QVERIFY_THROWS_EXCEPTION(ERangeError, QualityName(255));
    QVERIFY_THROWS_EXCEPTION(ERangeError, QualityName(-1));
}

void TestDefinities::valueSetTexts()
{
    QCOMPARE(ServiceName(false), QStringLiteral("Standaardservice"));
    QCOMPARE(ServiceName(true), QStringLiteral("Snelservice"));
    QCOMPARE(FormatInfoCaption(false), QStringLiteral("Informatie over de formaten (Budgetservice)"));
    QCOMPARE(FormatInfoCaption(true), QStringLiteral("Informatie over de formaten (Snelservice)"));
    QCOMPARE(PaperName(true), QStringLiteral("Glans"));
    QCOMPARE(PaperName(false), QStringLiteral("Mat"));
    QCOMPARE(PaperIndex(true), 0);
    QCOMPARE(PaperIndex(false), 1);
    QCOMPARE(AfwerkingListText(1), QStringLiteral("Z/W"));
    QCOMPARE(AfwerkingEditorText(2), QStringLiteral("Bruintoon"));
    QCOMPARE(AfwerkingSettingsText(1), QStringLiteral("Zwart/Wit (Grijstinten)"));
    QCOMPARE(AfwerkingSettingsText(2), QStringLiteral("Bruintoon (Sepia)"));
    QVERIFY_THROWS_EXCEPTION(ERangeError, AfwerkingListText(3));
}

void TestDefinities::standardSettings()
{
    const TInstellingen s = StandaardInstellingen(QStringLiteral("10 x 15"));
    QCOMPARE(s.Aantal, uint16_t(1));
    QCOMPARE(s.Formaat, QStringLiteral("10 x 15"));
    QCOMPARE(s.Glans, true);
    QCOMPARE(s.Afwerking, TAfwerking(0));
    QCOMPARE(s.UploadSpeed, uint16_t(56));
    QCOMPARE(s.VerhoogSnelheid, false);
    QVERIFY(!TKlantGegevens().isEntered());
}

void TestDefinities::shortStringsCut()
{
    TKlantGegevens k;
    k.PcLetters = QStringLiteral("ABC");
    QCOMPARE(k.PcLetters.text(), QStringLiteral("AB"));
    k.Afhaallocatie = QString(300, QLatin1Char('x'));
    QCOMPARE(k.Afhaallocatie.text().size(), 255);
}

void TestDefinities::ansiRoundTrip()
{
    const QString text = QStringLiteral("€ café – “Zoë” ƒ");
    bool lossless = false;
    const QByteArray b = ansi::encode(text, &lossless);
    QVERIFY(lossless);
    QCOMPARE(b, QByteArray("\x80 caf\xE9 \x96 \x93Zo\xEB\x94 \x83"));
    QCOMPARE(ansi::decode(b), text);
    QVERIFY(!ansi::fitsExactly(QStringLiteral("日本"), 255));
    QVERIFY(!ansi::fitsExactly(QString(256, QLatin1Char('a')), 255));
    QVERIFY(ansi::fitsExactly(QString(255, QLatin1Char('a')), 255));
    ansi::encode(QStringLiteral("a日"), &lossless);
    QVERIFY(!lossless);
}

void TestDefinities::ansiShortField()
{
    unsigned char field[4];
    ansi::writeShort(field, 3, QStringLiteral("abcdef"));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(field), 4), QByteArray("\x03" "abc"));
    ansi::writeShort(field, 3, QStringLiteral("é"));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(field), 4), QByteArray("\x01\xE9\0\0", 4));
    // A length byte past the capacity never leaves the field.
    const unsigned char damaged[4] = {255, 'x', 'y', 'z'};
    QCOMPARE(ansi::readShort(damaged, 3), QStringLiteral("xyz"));
}

QTEST_GUILESS_MAIN(TestDefinities)
#include "tst_definities.moc"
