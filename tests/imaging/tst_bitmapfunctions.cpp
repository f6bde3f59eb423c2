#include "imaging/UBitmapFunctions.h"

#include <QTest>
#include <vector>

namespace {

QImage onePixel(uint8_t blue, uint8_t green, uint8_t red)
{
    QImage picture(1, 1, QImage::Format_BGR888);
    uint8_t *p = picture.scanLine(0);
    p[0] = blue; p[1] = green; p[2] = red;
    return picture;
}

QList<int> bgrOf(const QImage &picture, int x = 0, int y = 0)
{
    const uint8_t *p = picture.constScanLine(y) + x * 3;
    return {p[0], p[1], p[2]};
}

// A picture whose every pixel differs, so any misplaced pixel shows.
QImage numbered(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *p = picture.scanLine(y) + x * 3;
            p[0] = uint8_t(x); p[1] = uint8_t(y); p[2] = uint8_t(x * 7 + y * 13);
        }
    return picture;
}

// The turn as a pixel-by-pixel copy through the pixel getter and setter.
QImage rotatedPixelByPixel(const QImage &source, bool clockwise)
{
    const int w = source.width(), h = source.height();
    QImage result(h, w, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (clockwise)
                result.setPixel(h - 1 - y, x, source.pixel(x, y));
            else
                result.setPixel(y, w - 1 - x, source.pixel(x, y));
        }
    return result;
}

} // namespace

class TestBitmapFunctions : public QObject {
    Q_OBJECT
private slots:
    void grayscale_data();
    void grayscale();
    void finishPreview_data();
    void finishPreview();
    void adjustOutOfRangeChangesNothing_data();
    void adjustOutOfRangeChangesNothing();
    void clampColor_data();
    void clampColor();
    void keepsFormatOfSource();
    void rotateFourByTwo_data();
    void rotateFourByTwo();
    void rotateBack_data();
    void rotateBack();
    void rotateLikePixelByPixel_data();
    void rotateLikePixelByPixel();
    void rotateProgress();
    void rotateEmptyLeavesDestination();
};

void TestBitmapFunctions::grayscale_data()
{
    QTest::addColumn<QList<int>>("bgr");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("mean 0 stays (1,1,0)") << QList<int>{1, 1, 0} << QList<int>{1, 1, 0};
    QTest::newRow("mean 0 stays (2,0,0)") << QList<int>{2, 0, 0} << QList<int>{2, 0, 0};
    QTest::newRow("black stays") << QList<int>{0, 0, 0} << QList<int>{0, 0, 0};
    QTest::newRow("(30,60,90)") << QList<int>{30, 60, 90} << QList<int>{60, 60, 60};
    QTest::newRow("integer division (1,1,2)") << QList<int>{1, 1, 2} << QList<int>{1, 1, 1};
    QTest::newRow("white") << QList<int>{255, 255, 255} << QList<int>{255, 255, 255};
    QTest::newRow("no overflow (255,255,254)") << QList<int>{255, 255, 254} << QList<int>{254, 254, 254};
}

void TestBitmapFunctions::grayscale()
{
    QFETCH(QList<int>, bgr);
    QFETCH(QList<int>, expected);
    QImage grey;
    MakeGrayscale(onePixel(uint8_t(bgr[0]), uint8_t(bgr[1]), uint8_t(bgr[2])), grey);
    QCOMPARE(bgrOf(grey), expected);
}

void TestBitmapFunctions::finishPreview_data()
{
    QTest::addColumn<int>("afwerking");
    QTest::addColumn<QList<int>>("bgr");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("sepia of white") << 2 << QList<int>{255, 255, 255} << QList<int>{245, 255, 255};
    QTest::newRow("sepia of (30,60,90)") << 2 << QList<int>{30, 60, 90} << QList<int>{50, 60, 97};
    QTest::newRow("sepia of black") << 2 << QList<int>{0, 0, 0} << QList<int>{0, 0, 37};
    QTest::newRow("sepia clamps blue at 0") << 2 << QList<int>{3, 3, 3} << QList<int>{0, 3, 40};
    QTest::newRow("black and white") << 1 << QList<int>{30, 60, 90} << QList<int>{60, 60, 60};
    QTest::newRow("colour") << 0 << QList<int>{30, 60, 90} << QList<int>{30, 60, 90};
    QTest::newRow("no selection") << -1 << QList<int>{30, 60, 90} << QList<int>{30, 60, 90};
}

void TestBitmapFunctions::finishPreview()
{
    QFETCH(int, afwerking);
    QFETCH(QList<int>, bgr);
    QFETCH(QList<int>, expected);
    QImage shown = onePixel(uint8_t(bgr[0]), uint8_t(bgr[1]), uint8_t(bgr[2]));
    ApplyFinishPreview(shown, afwerking);
    QCOMPARE(bgrOf(shown), expected);
}

void TestBitmapFunctions::adjustOutOfRangeChangesNothing_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<bool>("applied");
    QTest::newRow("red 101") << 101 << 0 << 0 << false;
    QTest::newRow("green -101") << 0 << -101 << 0 << false;
    QTest::newRow("blue 101") << 0 << 0 << 101 << false;
    QTest::newRow("at the limits") << 100 << -100 << 0 << true;
    QTest::newRow("inside") << 37 << 0 << -10 << true;
}

void TestBitmapFunctions::adjustOutOfRangeChangesNothing()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(bool, applied);
    const QImage source = onePixel(100, 100, 100);
    QImage destination = onePixel(1, 2, 3);
    AdjustRGB(source, destination, red, green, blue);
    const QList<int> expected = applied ? QList<int>{100 + blue, 100 + green, 100 + red} : QList<int>{1, 2, 3};
    QCOMPARE(bgrOf(destination), expected);
}

void TestBitmapFunctions::clampColor_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("expected");
    QTest::newRow("inside") << 100 << 37 << 137;
    QTest::newRow("exactly 255") << 218 << 37 << 255;
    QTest::newRow("above") << 255 << 37 << 255;
    QTest::newRow("exactly 0") << 10 << -10 << 0;
    QTest::newRow("below") << 5 << -10 << 0;
    QTest::newRow("large delta") << 0 << 100000 << 255;
}

void TestBitmapFunctions::clampColor()
{
    QFETCH(int, value);
    QFETCH(int, delta);
    QFETCH(int, expected);
    QCOMPARE(int(ClampColor(uint8_t(value), delta)), expected);
}

void TestBitmapFunctions::keepsFormatOfSource()
{
    QImage source(3, 2, QImage::Format_RGB32);
    source.fill(qRgb(90, 60, 30));  // red 90, green 60, blue 30
    QImage grey, shifted, turned;
    MakeGrayscale(source, grey);
    AdjustRGB(source, shifted, 10, 0, -10);
    RotateBitmap90(source, turned, true);
    QCOMPARE(grey.format(), QImage::Format_RGB32);
    QCOMPARE(grey.pixel(2, 1), qRgb(60, 60, 60));
    QCOMPARE(shifted.format(), QImage::Format_RGB32);
    QCOMPARE(shifted.pixel(0, 0), qRgb(100, 60, 20));
    QCOMPARE(turned.format(), QImage::Format_RGB32);
    QCOMPARE(turned.size(), QSize(2, 3));
    QCOMPARE(turned.pixel(1, 2), qRgb(90, 60, 30));
}

void TestBitmapFunctions::rotateFourByTwo_data()
{
    // Source 4 x 2, pixels named by their blue byte:
    //   1 2 3 4
    //   5 6 7 8
    QTest::addColumn<bool>("clockwise");
    QTest::addColumn<QList<int>>("expected");  // 2 x 4, row by row
    // Clockwise: top-left (1) ends at the top-right, bottom-left (5) at the top-left.
    QTest::newRow("clockwise") << true << QList<int>{5, 1, 6, 2, 7, 3, 8, 4};
    // Counter-clockwise: top-left (1) ends at the bottom-left, top-right (4) at the top-left.
    QTest::newRow("counter-clockwise") << false << QList<int>{4, 8, 3, 7, 2, 6, 1, 5};
}

void TestBitmapFunctions::rotateFourByTwo()
{
    QFETCH(bool, clockwise);
    QFETCH(QList<int>, expected);
    QImage source(4, 2, QImage::Format_BGR888);
    source.fill(Qt::black);
    for (int i = 0; i < 8; ++i)
        source.scanLine(i / 4)[(i % 4) * 3] = uint8_t(i + 1);
    QImage turned;
    RotateBitmap90(source, turned, clockwise);
    QCOMPARE(turned.size(), QSize(2, 4));
    QList<int> blues;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            blues << turned.constScanLine(y)[x * 3];
    QCOMPARE(blues, expected);
}

void TestBitmapFunctions::rotateBack_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("1 x 1") << QSize(1, 1);
    QTest::newRow("4 x 2") << QSize(4, 2);
    QTest::newRow("odd, across bands 37 x 70") << QSize(37, 70);
    QTest::newRow("one row") << QSize(50, 1);
    QTest::newRow("wider than 10922 pixels") << QSize(11000, 3);
    QTest::newRow("shared among threads 1031 x 1029") << QSize(1031, 1029);
}

void TestBitmapFunctions::rotateBack()
{
    QFETCH(QSize, size);
    const QImage start = numbered(size.width(), size.height());
    QImage a = start, b;
    for (int turn = 0; turn < 4; ++turn) {
        RotateBitmap90(a, b, true);
        a = b;
    }
    QCOMPARE(a, start);
    RotateBitmap90(start, a, true);
    RotateBitmap90(a, b, false);
    QCOMPARE(b, start);
}

void TestBitmapFunctions::rotateLikePixelByPixel_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("clockwise");
    QTest::newRow("67 x 45 clockwise") << QSize(67, 45) << true;
    QTest::newRow("67 x 45 counter-clockwise") << QSize(67, 45) << false;
    QTest::newRow("5 x 97 clockwise") << QSize(5, 97) << true;
    QTest::newRow("5 x 97 counter-clockwise") << QSize(5, 97) << false;
    QTest::newRow("1031 x 1029 clockwise") << QSize(1031, 1029) << true;
    QTest::newRow("1031 x 1029 counter-clockwise") << QSize(1031, 1029) << false;
}

void TestBitmapFunctions::rotateLikePixelByPixel()
{
    QFETCH(QSize, size);
    QFETCH(bool, clockwise);
    const QImage source = numbered(size.width(), size.height());
    QImage turned;
    RotateBitmap90(source, turned, clockwise);
    QCOMPARE(turned, rotatedPixelByPixel(source, clockwise));
}

void TestBitmapFunctions::rotateProgress()
{
    std::vector<int> positions;
    QImage turned;
    // Large enough to be shared out among threads; the reports still come in order.
    RotateBitmap90(numbered(1100, 1000), turned, true, [&](int p) { positions.push_back(p); });
    QVERIFY(positions.size() >= 2);
    QCOMPARE(positions.front(), 0);
    QCOMPARE(positions.back(), 100);
    QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    QVERIFY(std::all_of(positions.begin(), positions.end(), [](int p) { return p >= 0 && p <= 100; }));
}

void TestBitmapFunctions::rotateEmptyLeavesDestination()
{
    QImage destination = onePixel(1, 2, 3);
    bool reported = false;
    RotateBitmap90(QImage(), destination, true, [&](int) { reported = true; });
    QCOMPARE(bgrOf(destination), (QList<int>{1, 2, 3}));
    QVERIFY(!reported);
}

QTEST_GUILESS_MAIN(TestBitmapFunctions)
#include "tst_bitmapfunctions.moc"
