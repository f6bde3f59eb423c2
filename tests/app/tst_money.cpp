#include "app/DateTime.h"
#include "app/Errors.h"
#include "app/Money.h"

#include <QTest>

class TestMoney : public QObject {
    Q_OBJECT
private slots:
    void format_data();
    void format();
    void parse_data();
    void parse();
    void exactArithmetic();
    void checkedArithmetic();
    void roundHalfEven_data();
    void roundHalfEven();
};

void TestMoney::format_data()
{
    QTest::addColumn<qint64>("raw");
    QTest::addColumn<QString>("money");
    QTest::addColumn<QString>("amount");
    QTest::newRow("1,17") << qint64(11700) << "€ 1,17" << "1,17";
    QTest::newRow("thousands") << qint64(12345000) << "€ 1.234,50" << "1234,50";
    QTest::newRow("millions") << qint64(12345678900) << "€ 1.234.567,89" << "1234567,89";
    QTest::newRow("negative") << qint64(-11700) << "€ -1,17" << "-1,17";
    QTest::newRow("missing price") << qint64(-10000) << "€ -1,00" << "-1,00";
    QTest::newRow("zero") << qint64(0) << "€ 0,00" << "0,00";
    QTest::newRow("half cent rounds away from zero") << qint64(50) << "€ 0,01" << "0,01";
    QTest::newRow("negative half cent") << qint64(-50) << "€ -0,01" << "-0,01";
    QTest::newRow("below half cent") << qint64(49) << "€ 0,00" << "0,00";
    QTest::newRow("0,295 rounds up") << qint64(2950) << "€ 0,30" << "0,30";
    QTest::newRow("largest amount") << std::numeric_limits<qint64>::max() << "€ 922.337.203.685.477,58"
                                    << "922337203685477,58";
    QTest::newRow("smallest amount") << std::numeric_limits<qint64>::min() << "€ -922.337.203.685.477,58"
                                     << "-922337203685477,58";
}

void TestMoney::format()
{
    QFETCH(qint64, raw);
    QFETCH(QString, money);
    QFETCH(QString, amount);
    QCOMPARE(money::formatMoney(TCurrency::fromRaw(raw)), money);
    QCOMPARE(money::formatAmount(TCurrency::fromRaw(raw)), amount);
}

void TestMoney::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("comma") << "12,50" << true << qint64(125000);
    QTest::newRow("whole") << "3" << true << qint64(30000);
    QTest::newRow("negative") << "-0,5" << true << qint64(-5000);
    QTest::newRow("blanks") << "  7,25 " << true << qint64(72500);
    QTest::newRow("four decimals") << "0,2950" << true << qint64(2950);
    QTest::newRow("fifth decimal rounds") << "0,00005" << true << qint64(1);
    QTest::newRow("full stop without comma") << "1.5" << true << qint64(15000);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("letters") << "12,a0" << false << qint64(0);
    QTest::newRow("two commas") << "1,2,3" << false << qint64(0);
    QTest::newRow("sign only") << "-" << false << qint64(0);
    QTest::newRow("overflow") << "99999999999999999999" << false << qint64(0);
}

void TestMoney::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, raw);
    const auto v = money::parseAmount(text);
    QCOMPARE(v.has_value(), ok);
    if (ok)
        QCOMPARE(v->raw(), raw);
}

void TestMoney::exactArithmetic()
{
    // 0.29 * 55 is exactly 15.95: no binary fraction creeps in.
    const TCurrency p = TCurrency::fromRaw(2900);
    QCOMPARE((p * 55).raw(), qint64(159500));
    QCOMPARE(money::formatMoney(p * 30 + p * 25), QStringLiteral("€ 15,95"));
    QCOMPARE(TCurrency::missing().raw(), qint64(-10000));
}

void TestMoney::checkedArithmetic()
{
    const TCurrency p = TCurrency::fromRaw(2900);
    QCOMPARE(p.checkedMul(55).raw(), qint64(159500));
    QCOMPARE(p.checkedAdd(p).raw(), qint64(5800));
    const TCurrency huge = TCurrency::fromRaw(std::numeric_limits<qint64>::max() / 2);
    QVERIFY_THROWS_EXCEPTION(EIntOverflow, huge.checkedMul(3));
    QVERIFY_THROWS_EXCEPTION(EIntOverflow, TCurrency::fromRaw(-5404319552844592300).checkedMul(3));
    QVERIFY_THROWS_EXCEPTION(EIntOverflow, huge.checkedAdd(huge).checkedAdd(huge));
}

void TestMoney::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("0.5") << 0.5 << qint64(0);
    QTest::newRow("1.5") << 1.5 << qint64(2);
    QTest::newRow("2.5") << 2.5 << qint64(2);
    QTest::newRow("-2.5") << -2.5 << qint64(-2);
    QTest::newRow("2.6") << 2.6 << qint64(3);
}

void TestMoney::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QCOMPARE(Round(value), expected);
}

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
