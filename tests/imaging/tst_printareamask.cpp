#include "imaging/PrintAreaMask.h"

#include <QTest>

Q_DECLARE_METATYPE(TPrintAreaBars::Kind)

class TestPrintAreaMask : public QObject {
    Q_OBJECT
private slots:
    void bars_data();
    void bars();
    void noMask_data();
    void noMask();
    void paint_data();
    void paint();
};

void TestPrintAreaMask::bars_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("breedte");
    QTest::addColumn<double>("lengte");
    QTest::addColumn<bool>("enlarged");
    QTest::addColumn<TPrintAreaBars::Kind>("kind");
    QTest::addColumn<int>("leading");
    QTest::addColumn<int>("trailingStart");
    const auto C = TPrintAreaBars::Columns;
    const auto R = TPrintAreaBars::Rows;
    // 1600 x 1200 on 10 x 15: 1800 > 1600; y = 1067, m = round(66.5) = 66 (half to even).
    QTest::newRow("1600x1200 10x15 main") << 1600 << 1200 << 10.0 << 15.0 << false << R << 66 << 1134;
    // Enlarged: c = (1201 - 1601 * 10 / 15) / 2 = 66.83: rows 0-66 and from round(1134.17).
    QTest::newRow("1600x1200 10x15 enlarged") << 1600 << 1200 << 10.0 << 15.0 << true << R << 67 << 1134;
    // Square on a square format: x = 1200, m = 0, nothing.
    QTest::newRow("1200x1200 13x13 main") << 1200 << 1200 << 13.0 << 13.0 << false << C << 0 << 1200;
    QTest::newRow("1200x1200 13x13 enlarged") << 1200 << 1200 << 13.0 << 13.0 << true << C << 0 << 1200;
    // Portrait twin: 1800 > 1600; x = round(1066.67) = 1067, m = round(66.5) = 66.
    QTest::newRow("1200x1600 10x15 main") << 1200 << 1600 << 10.0 << 15.0 << false << C << 66 << 1134;
    // c = (1200 - 1600 * 10 / 15) / 2 = 66.67: columns 0-66 and from round(1133.33).
    QTest::newRow("1200x1600 10x15 enlarged") << 1200 << 1600 << 10.0 << 15.0 << true << C << 67 << 1133;
    // Wider than the print: x = 1500, m = 750.
    QTest::newRow("3000x1000 10x15 main") << 3000 << 1000 << 10.0 << 15.0 << false << C << 750 << 2250;
    QTest::newRow("3000x1000 10x15 enlarged") << 3000 << 1000 << 10.0 << 15.0 << true << C << 750 << 2250;
    // Taller than the print: y = 1500, m = 750.
    QTest::newRow("1000x3000 10x15 main") << 1000 << 3000 << 10.0 << 15.0 << false << R << 750 << 2250;
    QTest::newRow("1000x3000 10x15 enlarged") << 1000 << 3000 << 10.0 << 15.0 << true << R << 750 << 2250;
    // Half a pixel to spare: the main window rounds m = 0.5 to 0, the enlarged view paints
    // ceil(0.5) = 1 column on the left and from round(1200.5) = 1200 on the right.
    QTest::newRow("1201x800 10x15 main") << 1201 << 800 << 10.0 << 15.0 << false << C << 0 << 1201;
    QTest::newRow("1201x800 10x15 enlarged") << 1201 << 800 << 10.0 << 15.0 << true << C << 1 << 1200;
}

void TestPrintAreaMask::bars()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, breedte);
    QFETCH(double, lengte);
    QFETCH(bool, enlarged);
    QFETCH(TPrintAreaBars::Kind, kind);
    QFETCH(int, leading);
    QFETCH(int, trailingStart);
    const TPrintAreaBars bars = enlarged ? EnlargedViewMaskBars(width, height, breedte, lengte)
                                         : MainWindowMaskBars(width, height, breedte, lengte);
    QCOMPARE(bars.kind, kind);
    QCOMPARE(bars.leading, leading);
    QCOMPARE(bars.trailingStart, trailingStart);
    QCOMPARE(bars.extent, kind == TPrintAreaBars::Columns ? width : height);
}

void TestPrintAreaMask::noMask_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("breedte");
    QTest::addColumn<double>("lengte");
    QTest::newRow("dynamic length 0") << 1600 << 1200 << 10.0 << 0.0;
    QTest::newRow("length 0.99") << 1600 << 1200 << 10.0 << 0.99;
    QTest::newRow("no picture") << 0 << 0 << 10.0 << 15.0;
    QTest::newRow("width 0 of the format") << 1600 << 1200 << 0.0 << 15.0;
    QTest::newRow("not a number") << 1600 << 1200 << qQNaN() << 15.0;
}

void TestPrintAreaMask::noMask()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(double, breedte);
    QFETCH(double, lengte);
    QVERIFY(MainWindowMaskBars(width, height, breedte, lengte).isEmpty());
    QVERIFY(EnlargedViewMaskBars(width, height, breedte, lengte).isEmpty());
}

void TestPrintAreaMask::paint_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("24-bit") << QImage::Format_BGR888;
    QTest::newRow("32-bit") << QImage::Format_RGB32;
}

void TestPrintAreaMask::paint()
{
    QFETCH(QImage::Format, format);
    // 16 x 8 on 10 x 15: 8 * 1.5 = 12 <= 16, x = 12, m = 2 columns on each side.
    QImage picture(16, 8, format);
    picture.fill(Qt::black);
    const TPrintAreaBars bars = MainWindowMaskBars(16, 8, 10.0, 15.0);
    QCOMPARE(bars.leading, 2);
    PaintPrintAreaMask(picture, bars);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            QCOMPARE(picture.pixel(x, y), (x < 2 || x >= 14) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));

    QImage tall(6, 20, format);
    tall.fill(Qt::black);
    // 6 x 20 on 10 x 15: 6 * 1.5 = 9 <= 20, y = 9, m = round(5.5) = 6 rows on each side.
    PaintPrintAreaMask(tall, MainWindowMaskBars(6, 20, 10.0, 15.0));
    for (int y = 0; y < 20; ++y)
        QCOMPARE(tall.pixel(3, y), (y < 6 || y >= 14) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
}

QTEST_GUILESS_MAIN(TestPrintAreaMask)
#include "tst_printareamask.moc"
