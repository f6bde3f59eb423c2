#include "app/InstellingRegels.h"

#include <QTest>

class TestInstellingRegels : public QObject {
    Q_OBJECT
private slots:
    void controle_data();
    void controle();
    void uploadSpeed_data();
    void uploadSpeed();
    void keuzes();
};

void TestInstellingRegels::controle_data()
{
    QTest::addColumn<bool>("formaat");
    QTest::addColumn<bool>("catalogus");
    QTest::addColumn<bool>("snelheid");
    QTest::addColumn<QString>("message");
    const QString kop = QStringLiteral("De volgende velden moeten ingevuld worden:\r");
    QTest::newRow("complete") << true << true << true << QString();
    QTest::newRow("no format, no catalogue file") << false << false << true << QString();
    QTest::newRow("no format with catalogue") << false << true << true << kop + " - Standaardformaat\r";
    QTest::newRow("no speed") << true << true << false << kop + " - Uploadsnelheid";
    QTest::newRow("neither") << false << true << false << kop + " - Standaardformaat\r - Uploadsnelheid";
    QTest::newRow("no speed, no catalogue file") << false << false << false << kop + " - Uploadsnelheid";
}

void TestInstellingRegels::controle()
{
    QFETCH(bool, formaat);
    QFETCH(bool, catalogus);
    QFETCH(bool, snelheid);
    QFETCH(QString, message);
    QCOMPARE(InstellingenControle(formaat, catalogus, snelheid), message);
}

void TestInstellingRegels::uploadSpeed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("speed");
    QTest::newRow("in list") << "1024" << 1024;
    QTest::newRow("empty") << "" << 56;
    QTest::newRow("not a number") << "snel" << 56;
    QTest::newRow("too large for the record") << "70000" << 56;
    QTest::newRow("negative") << "-5" << 56;
}

void TestInstellingRegels::uploadSpeed()
{
    QFETCH(QString, text);
    QFETCH(int, speed);
    QCOMPARE(int(UploadSpeedUitTekst(text)), speed);
}

void TestInstellingRegels::keuzes()
{
    QCOMPARE(UploadSpeedKeuzes(), (QStringList{"28", "56", "64", "128", "256", "384", "512", "768", "1024", "1536", "2048"}));
}

QTEST_GUILESS_MAIN(TestInstellingRegels)
#include "tst_instellingregels.moc"
