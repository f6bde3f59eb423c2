// The calculation lines of the server: field splitting, the confirmation table's rows and
// the order total.
#include "app/Errors.h"
#include "catalogue/UBerekening.h"

#include <QtTest>

class TstBerekening : public QObject {
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
    void rows_data();
    void rows();
    void badRows_data();
    void badRows();
    void total_data();
    void total();
};

void TstBerekening::fields_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("plain") << "3;0,39;1,17" << QStringList{"3", "0,39", "1,17"};
    QTest::newRow("empty fields") << ";;1,17" << QStringList{"", "", "1,17"};
    QTest::newRow("space splits") << "3 stuks;0,39;1,17" << QStringList{"3", "stuks", "0,39", "1,17"};
    QTest::newRow("leading blanks") << "  \t3;4;5" << QStringList{"3", "4", "5"};
    QTest::newRow("blanks around ;") << "3 ; 4 ;5" << QStringList{"3", "4", "5"};
    QTest::newRow("quoted") << "\"3 stuks; los\";0,39;1,17" << QStringList{"3 stuks; los", "0,39", "1,17"};
    QTest::newRow("doubled quote") << "\"a\"\"b\";;" << QStringList{"a\"b", "", ""};
    QTest::newRow("open quote") << "\"abc;d" << QStringList{"abc;d"};
    QTest::newRow("final ;") << "1;2;" << QStringList{"1", "2", ""};
    QTest::newRow("separator value") << ";;" << QStringList{"", "", ""};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("nul ends") << QString::fromUtf8("1;2\0;3", 6) << QStringList{"1", "2"};
}

void TstBerekening::fields()
{
    QFETCH(QString, value);
    QFETCH(QStringList, fields);
    QCOMPARE(SplitCalculationFields(value), fields);
}

using Rows = std::vector<TCalculationRow>;
Q_DECLARE_METATYPE(Rows)

void TstBerekening::rows_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<Rows>("rows");
    QTest::newRow("order, separator, total")
        << QStringList{"10x15 glans=3;0,39;1,17", "-=", "Totaal=;;1,17"}
        << Rows{{"10x15 glans", "3 × 0,39 = € 1,17"}, {"", "_____________"}, {"Totaal", "€ 1,17"}};
    QTest::newRow("postage as text") << QStringList{"Portokosten=;;gratis"} << Rows{{"Portokosten", "gratis"}};
    QTest::newRow("amount from the shifted field")
        << QStringList{"A=3 stuks;0,39;1,17"} << Rows{{"A", "3 × stuks = € 0,39"}};
    QTest::newRow("first = splits") << QStringList{"a=b=1;2;3,5"} << Rows{{"a", "b=1 × 2 = € 3,50"}};
    QTest::newRow("thousands") << QStringList{"Subtotaal=;;1234,5"} << Rows{{"Subtotaal", "€ 1.234,50"}};
    QTest::newRow("empty") << QStringList{} << Rows{};
}

void TstBerekening::rows()
{
    QFETCH(QStringList, lines);
    QFETCH(Rows, rows);
    QCOMPARE(CalculationRows(lines), rows);
}

void TstBerekening::badRows_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("amount not a number") << QStringList{"Afdrukken=3;0,39;abc"};
    QTest::newRow("two fields") << QStringList{"Afdrukken=3;0,39"};
    QTest::newRow("total of one field") << QStringList{"Totaal=1,17"};
    QTest::newRow("no =") << QStringList{"Afdrukken"};
}

void TstBerekening::badRows()
{
    QFETCH(QStringList, lines);
    try {
        CalculationRows(lines);
        QFAIL("no error");
    } catch (const EConvertError &e) {
        QVERIFY(!e.message().isEmpty());
    }
}

void TstBerekening::total_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("server lines") << QStringList{"A=5;0,29;1,45", "Subtotaal=;;1,45", "Portokosten=;;3,95", "-=;;",
                                                 "Totaal=;;5,40"}
                                  << qint64(54000);
    QTest::newRow("no total") << QStringList{"A=5;0,29;1,45"} << qint64(0);
    QTest::newRow("too few fields") << QStringList{"Totaal=5,40"} << qint64(0);
    QTest::newRow("not a number") << QStringList{"Totaal=;;veel"} << qint64(0);
    QTest::newRow("quoted semicolon") << QStringList{"Totaal=\"x;y\";;7,25"} << qint64(72500);
    QTest::newRow("unquoted semicolon") << QStringList{"Totaal=x;y;;7,25"} << qint64(0);
    QTest::newRow("name in another case") << QStringList{"totaal=;;5,40"} << qint64(0);
}

void TstBerekening::total()
{
    QFETCH(QStringList, lines);
    QFETCH(qint64, raw);
    QCOMPARE(OrderTotal(lines).raw(), raw);
}

QTEST_APPLESS_MAIN(TstBerekening)
#include "tst_berekening.moc"
