#include "app/Geheugen.h"

#include <QTest>

class TestGeheugen : public QObject {
    Q_OBJECT
private slots:
    void kilobytes_data();
    void kilobytes();
    void belasting();
    void statusUitProc();
    void statusOnvolledig();
    void leesEchteStatus();
};

void TestGeheugen::kilobytes_data()
{
    QTest::addColumn<qulonglong>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("2 GiB") << 2147483648ull << "2.097.152 KB";
    QTest::newRow("zero") << 0ull << " KB";
    QTest::newRow("below half a kilobyte") << 511ull << " KB";
    QTest::newRow("half a kilobyte") << 512ull << "1 KB";
    QTest::newRow("999 KB") << 999ull * 1024 << "999 KB";
    QTest::newRow("1000 KB") << 1000ull * 1024 << "1.000 KB";
    QTest::newRow("4 GiB, past 32 bits") << 4294967296ull << "4.194.304 KB";
    QTest::newRow("128 TiB") << (1ull << 47) << "137.438.953.472 KB";
}

void TestGeheugen::kilobytes()
{
    QFETCH(qulonglong, bytes);
    QFETCH(QString, text);
    QCOMPARE(KilobyteTekst(bytes), text);
}

void TestGeheugen::belasting()
{
    QCOMPARE(BelastingTekst(45), QStringLiteral("45 %"));
    QCOMPARE(BelastingTekst(0), QStringLiteral("0 %"));
}

void TestGeheugen::statusUitProc()
{
    const QByteArray meminfo = "MemTotal:        2097152 kB\n"
                               "MemFree:          100000 kB\n"
                               "MemAvailable:     524288 kB\n"
                               "SwapCached:            0 kB\n"
                               "SwapTotal:       1048576 kB\n"
                               "SwapFree:         262144 kB\n";
    const QByteArray status = "Name:\tkiekjesbode\nVmPeak:\t  300000 kB\nVmSize:\t  204800 kB\n";
    const TGeheugenStatus s = GeheugenStatusUit(meminfo, status, 0);
    QCOMPARE(s.totaalFysiek, 2147483648ull);
    QCOMPARE(s.belasting, 75);
    QCOMPARE(s.totaalPagefile, 1073741824ull);
    QCOMPARE(s.vrijPagefile, 268435456ull);
    QCOMPARE(s.totaalVirtueel, UserAddressSpace);
    QCOMPARE(s.vrijVirtueel, UserAddressSpace - 204800ull * 1024);

    const TGeheugenStatus limited = GeheugenStatusUit(meminfo, status, 1ull << 30);
    QCOMPARE(limited.totaalVirtueel, 1ull << 30);
    QCOMPARE(limited.vrijVirtueel, (1ull << 30) - 204800ull * 1024);
}

void TestGeheugen::statusOnvolledig()
{
    // A limit below what is in use leaves nothing, never a wrapped-around figure; lines that
    // are missing or damaged give zero.
    const TGeheugenStatus s = GeheugenStatusUit("MemTotal: x kB\nSwapTotal: 10 kB\nSwapFree: 99 kB\n",
                                                "VmSize:\t 2048 kB\n", 1024);
    QCOMPARE(s.totaalFysiek, 0ull);
    QCOMPARE(s.belasting, 0);
    QCOMPARE(s.totaalPagefile, 10240ull);
    QCOMPARE(s.vrijPagefile, 10240ull);
    QCOMPARE(s.totaalVirtueel, 1024ull);
    QCOMPARE(s.vrijVirtueel, 0ull);
    QCOMPARE(GeheugenStatusUit({}, {}, 0).vrijVirtueel, UserAddressSpace);
}

void TestGeheugen::leesEchteStatus()
{
    const TGeheugenStatus s = LeesGeheugenStatus();
    QVERIFY(s.totaalFysiek > 0);
    QVERIFY(s.belasting >= 0 && s.belasting <= 100);
    QVERIFY(s.vrijVirtueel > 0 && s.vrijVirtueel < s.totaalVirtueel);
}

QTEST_GUILESS_MAIN(TestGeheugen)
#include "tst_geheugen.moc"
