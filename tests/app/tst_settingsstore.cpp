// The settings store on a temporary INI file: defaults, types, ranges, per-value errors.
#include "app/Errors.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TstSettingsStore : public QObject {
    Q_OBJECT
private slots:
    void defaultsWhenAbsent();
    void roundTrip();
    void booleansAsIntegers();
    void badValues_data();
    void badValues();
    void groupReadKeepsDefaultsOfBadValues();
    void serverAddress();
    void serverAddressRewrittenOnlyWhenItDiffers_data();
    void serverAddressRewrittenOnlyWhenItDiffers();

private:
    QTemporaryDir m_dir;
    QString ini(const QString &name) { return m_dir.filePath(name); }
};

void TstSettingsStore::defaultsWhenAbsent()
{
    TSettingsStore store(ini(QStringLiteral("empty.ini")));
    TInstellingen s = StandaardInstellingen(QStringLiteral("10x15"));
    QString pickup = QStringLiteral("x");
    bool fast = true;
    QVERIFY(store.readSettings(s, pickup, fast).isEmpty());
    QCOMPARE(s, StandaardInstellingen(QStringLiteral("10x15")));
    QCOMPARE(s.Aantal, uint16_t(1));
    QVERIFY(s.Glans);
    QCOMPARE(s.UploadSpeed, uint16_t(56));
    QCOMPARE(pickup, QString());
    QVERIFY(!fast);
    TKlantGegevens k;
    k.Titel = QStringLiteral("Dhr.");
    QVERIFY(store.readCustomer(k).isEmpty());
    QCOMPARE(k, TKlantGegevens());
    QVERIFY(!store.readMaximized());
}

void TstSettingsStore::roundTrip()
{
    const QString file = ini(QStringLiteral("round.ini"));
    TInstellingen s{7, QStringLiteral("13x18"), false, AfwerkingSepia, 512, true};
    TKlantGegevens k;
    k.Titel = QStringLiteral("Mevr.");
    k.Voornaam = QStringLiteral("Eva");
    k.Achternaam = QStringLiteral("de Wit");
    k.PcCijfers = 9999;
    k.PcLetters = QStringLiteral("ZZ");
    k.Email = QStringLiteral("eva@voorbeeld.nl");
    k.Versturen = true;
    {
        TSettingsStore store(file);
        store.writeSettings(s, QStringLiteral("Centrum"), true);
        store.writeCustomer(k);
        store.writeMaximized(true);
        store.sync();
        QCOMPARE(store.status(), QSettings::NoError);
    }
    TSettingsStore store(file);
    TInstellingen r = StandaardInstellingen();
    QString pickup;
    bool fast = false;
    QVERIFY(store.readSettings(r, pickup, fast).isEmpty());
    QCOMPARE(r, s);
    QCOMPARE(pickup, QStringLiteral("Centrum"));
    QVERIFY(fast);
    TKlantGegevens c;
    QVERIFY(store.readCustomer(c).isEmpty());
    QCOMPARE(c, k);
    QVERIFY(store.readMaximized());
}

void TstSettingsStore::booleansAsIntegers()
{
    const QString file = ini(QStringLiteral("bool.ini"));
    {
        TSettingsStore store(file);
        store.writeSettings(StandaardInstellingen(), QString(), true);
    }
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains("[Settings]"));
    QVERIFY(text.contains("FastService=1"));
    QVERIFY(text.contains("Glossy=1"));
    QVERIFY(text.contains("SpeedUp=0"));
    // Any non-zero integer reads as true.
    QSettings raw(file, QSettings::IniFormat);
    raw.setValue(QStringLiteral("Settings/SpeedUp"), 7);
    raw.sync();
    TSettingsStore store(file);
    QVERIFY(store.readBool(QStringLiteral("Settings"), QStringLiteral("SpeedUp"), false));
}

void TstSettingsStore::badValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("range"); // ERangeError rather than EConvertError
    QTest::newRow("count not a number") << "Settings/Count" << "veel" << false;
    QTest::newRow("count too big") << "Settings/Count" << "65536" << true;
    QTest::newRow("count negative") << "Settings/Count" << "-1" << true;
    QTest::newRow("speed too big") << "Settings/UploadSpeed" << "100000" << true;
    QTest::newRow("boolean text") << "Settings/Glossy" << "ja" << false;
    QTest::newRow("zip digits") << "Customer/ZipCodeDigits" << "1234AB" << false;
    QTest::newRow("beyond 32 bits") << "Settings/Color" << "4294967296" << false;
}

void TstSettingsStore::badValues()
{
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(bool, range);
    const QString file = ini(QStringLiteral("bad-%1.ini").arg(QTest::currentDataTag()).replace(' ', '-'));
    {
        QSettings raw(file, QSettings::IniFormat);
        raw.setValue(key, text);
    }
    TSettingsStore store(file);
    const QString group = key.section('/', 0, 0), name = key.section('/', 1);
    const int max = name == QLatin1String("Color") || name == QLatin1String("Glossy") ? INT32_MAX : 65535;
    const int min = max == INT32_MAX ? INT32_MIN : 0;
    try {
        store.readInt(group, name, 0, min, max);
        QFAIL("no error");
    } catch (const ERangeError &) {
        QVERIFY(range);
    } catch (const EConvertError &) {
        QVERIFY(!range);
    }
}

void TstSettingsStore::groupReadKeepsDefaultsOfBadValues()
{
    const QString file = ini(QStringLiteral("mixed.ini"));
    {
        QSettings raw(file, QSettings::IniFormat);
        raw.setValue(QStringLiteral("Settings/Count"), QStringLiteral("70000"));
        raw.setValue(QStringLiteral("Settings/UploadSpeed"), 128);
        raw.setValue(QStringLiteral("Settings/Color"), 0x102); // low byte used
        raw.setValue(QStringLiteral("Settings/Size"), QStringList{"a", "b"});
        raw.setValue(QStringLiteral("Customer/ZipCodeChars"), QStringLiteral("ABCD"));
        raw.setValue(QStringLiteral("Customer/SendMe"), QStringLiteral("x"));
        raw.setValue(QStringLiteral("Customer/Town"), QStringLiteral("Edam"));
    }
    TSettingsStore store(file);
    TInstellingen s = StandaardInstellingen(QStringLiteral("10x15"));
    QString pickup;
    bool fast = false;
    QCOMPARE(store.readSettings(s, pickup, fast), (QStringList{"Count", "Size"}));
    QCOMPARE(s.Aantal, uint16_t(1));
    QCOMPARE(s.Formaat, QStringLiteral("10x15"));
    QCOMPARE(s.UploadSpeed, uint16_t(128));
    QCOMPARE(s.Afwerking, TAfwerking(2));
    TKlantGegevens k;
    QCOMPARE(store.readCustomer(k), QStringList{"SendMe"});
    QCOMPARE(k.PcLetters.text(), QStringLiteral("AB"));
    QCOMPARE(k.Plaats, QStringLiteral("Edam"));
    QVERIFY(!k.Versturen);
}

void TstSettingsStore::serverAddress()
{
    const QString file = ini(QStringLiteral("server.ini"));
    TSettingsStore store(file);
    QCOMPARE(store.readHost(QStringLiteral("standaard")), QStringLiteral("standaard"));
    QCOMPARE(store.readPort(), 4000);
    store.writeServerAddress(QStringLiteral("lab.voorbeeld.nl"));
    QCOMPARE(store.readHost(QString()), QStringLiteral("lab.voorbeeld.nl"));
    QCOMPARE(store.readPort(), 4000);
    store.writeInt(QString(), QStringLiteral("Port"), 70000);
    QVERIFY_THROWS_EXCEPTION(ERangeError, store.readPort());
}

void TstSettingsStore::serverAddressRewrittenOnlyWhenItDiffers_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("rewritten");
    // Keys in an order the store never writes them in, so a rewrite shows in the bytes.
    QTest::newRow("gelijk") << QByteArray("[General]\nPort=4000\nHost=localhost\n") << false;
    QTest::newRow("andere poort") << QByteArray("[General]\nPort=4001\nHost=localhost\n") << true;
    QTest::newRow("andere host") << QByteArray("[General]\nPort=4000\nHost=elders\n") << true;
    QTest::newRow("host als lijst") << QByteArray("[General]\nPort=4000\nHost=localhost, x\n") << true;
    QTest::newRow("poort ontbreekt") << QByteArray("[General]\nHost=localhost\n") << true;
}

void TstSettingsStore::serverAddressRewrittenOnlyWhenItDiffers()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, rewritten);
    const QString file = ini(QStringLiteral("adres-%1.ini").arg(QTest::currentDataTag()));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(stored);
    }
    {
        TSettingsStore store(file);
        store.writeServerAddress(QStringLiteral("localhost"), 4000);
        store.sync();
        QCOMPARE(store.readHost(QString()), QStringLiteral("localhost"));
        QCOMPARE(store.readPort(), 4000);
    }
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll() != stored, rewritten);
}

QTEST_GUILESS_MAIN(TstSettingsStore)
#include "tst_settingsstore.moc"
