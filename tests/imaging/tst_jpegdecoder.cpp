#include "imaging/JpegDecoder.h"

#include "JpegWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TJpegKind)
Q_DECLARE_METATYPE(TImageErrorKind)
Q_DECLARE_METATYPE(TDecodeScale)

namespace {

TDecodeResult decodeBytes(const QByteArray &bytes, TDecodeOptions options = {})
{
    return DecodeJpegData(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()), options);
}

// A baseline header written out by hand: SOI, a frame of `width` x `height` with one
// component, and the start of a scan; no tables and no data.
QByteArray handWrittenHeader(int width, int height)
{
    QByteArray b = QByteArray::fromHex("ffd8"           // SOI
                                       "ffc0000b08");   // SOF0, length 11, 8-bit samples
    b.append(char(height >> 8)).append(char(height & 0xff));
    b.append(char(width >> 8)).append(char(width & 0xff));
    b.append(QByteArray::fromHex("01" "011100"          // one component: id 1, 1x1, table 0
                                 "ffda0008" "01" "0100" "003f00")); // SOS: 1 component, tables 0/0, 0..63
    return b;
}

} // namespace

class TestJpegDecoder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void variants_data();
    void variants();
    void errors_data();
    void errors();
    void fileErrors();
    void refusesAbsurdSizeBeforeAllocating_data();
    void refusesAbsurdSizeBeforeAllocating();
    void tooManyScans();
    void progressReachesHundred();
    void previewScale_data();
    void previewScale();

private:
    QTemporaryDir m_dir;
    QByteArray m_sample;  // a small valid photo
};

void TestJpegDecoder::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_sample = WriteJpeg(PhotoLikePicture(64, 48));
}

void TestJpegDecoder::variants_data()
{
    QTest::addColumn<TJpegKind>("kind");
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("arithmetic");
    QTest::addColumn<int>("lumaH");
    QTest::addColumn<int>("lumaV");
    QTest::addColumn<TDecodeScale>("scale");
    const TDecodeScale F = TDecodeScale::Full, E = TDecodeScale::Eighth;
    for (TDecodeScale s : {F, E}) {
        const char *at = s == F ? " full" : " eighth";
        QTest::newRow(QByteArray("colour 4:2:0").append(at)) << TJpegKind::Colour << false << false << 2 << 2 << s;
        QTest::newRow(QByteArray("colour 4:4:4").append(at)) << TJpegKind::Colour << false << false << 1 << 1 << s;
        QTest::newRow(QByteArray("colour 4:2:2").append(at)) << TJpegKind::Colour << false << false << 2 << 1 << s;
        QTest::newRow(QByteArray("progressive").append(at)) << TJpegKind::Colour << true << false << 2 << 2 << s;
        QTest::newRow(QByteArray("arithmetic").append(at)) << TJpegKind::Colour << false << true << 2 << 2 << s;
        QTest::newRow(QByteArray("greyscale").append(at)) << TJpegKind::Grey << false << false << 1 << 1 << s;
        QTest::newRow(QByteArray("greyscale progressive").append(at)) << TJpegKind::Grey << true << false << 1 << 1 << s;
        QTest::newRow(QByteArray("CMYK").append(at)) << TJpegKind::Cmyk << false << false << 1 << 1 << s;
        QTest::newRow(QByteArray("YCCK progressive").append(at)) << TJpegKind::Ycck << true << false << 2 << 2 << s;
    }
}

void TestJpegDecoder::variants()
{
    QFETCH(TJpegKind, kind);
    QFETCH(bool, progressive);
    QFETCH(bool, arithmetic);
    QFETCH(int, lumaH);
    QFETCH(int, lumaV);
    QFETCH(TDecodeScale, scale);
    // 37 x 23 is no multiple of a block: the eighth size rounds up to 5 x 3.
    const bool grey = kind == TJpegKind::Grey;
    TJpegWriteOptions write;
    write.kind = kind;
    write.progressive = progressive;
    write.arithmetic = arithmetic;
    write.lumaH = lumaH;
    write.lumaV = lumaV;
    const QByteArray bytes = WriteJpeg(SolidPicture(37, 23, 40, 120, 200), write);
    TDecodeOptions options;
    options.scale = scale;
    const TDecodeResult result = decodeBytes(bytes, options);
    QVERIFY2(result.ok(), qPrintable(result.message));
    QCOMPARE(result.imageWidth, 37);
    QCOMPARE(result.imageHeight, 23);
    QCOMPARE(result.picture.format(), QImage::Format_BGR888);
    QCOMPARE(result.picture.size(), scale == TDecodeScale::Full ? QSize(37, 23) : QSize(5, 3));
    // Rows hold blue, green, red; a grey photo holds the mean (40 + 120 + 200) / 3 = 120.
    const uint8_t *p = result.picture.constScanLine(1) + 3 * 2;
    const int expected[3] = {grey ? 120 : 40, 120, grey ? 120 : 200};
    for (int c = 0; c < 3; ++c)
        QVERIFY2(qAbs(p[c] - expected[c]) <= 4, qPrintable(QStringLiteral("channel %1 is %2").arg(c).arg(p[c])));
}

void TestJpegDecoder::errors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TImageErrorKind>("kind");
    const TImageErrorKind bad = TImageErrorKind::InvalidPicture;
    const QByteArray sample = WriteJpeg(PhotoLikePicture(64, 48));
    QTest::newRow("zero bytes") << QByteArray() << bad;
    QTest::newRow("text") << QByteArray("Dit is geen foto.\n") << bad;
    QTest::newRow("PNG signature") << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452") << bad;
    QTest::newRow("start marker only") << QByteArray::fromHex("ffd8") << bad;
    QTest::newRow("header without tables") << handWrittenHeader(16, 16) << bad;
    QTest::newRow("height 0") << handWrittenHeader(16, 0) << bad;
    QTest::newRow("cut in the header") << sample.left(100) << bad;
    QTest::newRow("cut in the data") << sample.left(sample.size() / 2) << bad;
    QTest::newRow("end marker missing") << sample.left(sample.size() - 2) << bad;
    QTest::newRow("bytes after the end marker") << sample + QByteArray(1000, 'x') << TImageErrorKind::None;
    QTest::newRow("whole") << sample << TImageErrorKind::None;
}

void TestJpegDecoder::errors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TImageErrorKind, kind);
    for (TDecodeScale scale : {TDecodeScale::Full, TDecodeScale::Eighth}) {
        TDecodeOptions options;
        options.scale = scale;
        const TDecodeResult result = decodeBytes(bytes, options);
        QCOMPARE(result.error, kind);
        QCOMPARE(result.picture.isNull(), kind != TImageErrorKind::None);
        QCOMPARE(result.message.isEmpty(), kind == TImageErrorKind::None);
    }
}

void TestJpegDecoder::fileErrors()
{
    const QString missing = m_dir.filePath("ontbreekt.jpg");
    QCOMPARE(DecodeJpegFile(missing).error, TImageErrorKind::Other);
    QCOMPARE(DecodeJpegFile(m_dir.path()).error, TImageErrorKind::Other);
    const QString empty = m_dir.filePath("leeg.jpg");
    QVERIFY(WriteFile(empty, QByteArray()));
    QCOMPARE(DecodeJpegFile(empty).error, TImageErrorKind::InvalidPicture);
    const QString good = m_dir.filePath("goed.jpg");
    QVERIFY(WriteFile(good, m_sample));
    const TDecodeResult result = DecodeJpegFile(good);
    QVERIFY(result.ok());
    QCOMPARE(result.picture.size(), QSize(64, 48));
    // Same pixels whether read from a file or from memory.
    QCOMPARE(result.picture, decodeBytes(m_sample).picture);
}

void TestJpegDecoder::refusesAbsurdSizeBeforeAllocating_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<qint64>("limit");
    QTest::newRow("65000 x 65000 under the standard limit") << 65000 << 65000 << qint64(200'000'000);
    QTest::newRow("just over a small limit") << 1001 << 1000 << qint64(1'000'000);
}

void TestJpegDecoder::refusesAbsurdSizeBeforeAllocating()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(qint64, limit);
    TDecodeOptions options;
    options.maxPixels = limit;
    const TDecodeResult result = decodeBytes(handWrittenHeader(width, height), options);
    QCOMPARE(result.error, TImageErrorKind::InvalidPicture);
    QVERIFY(result.message.contains("too large"));
    QCOMPARE(result.imageWidth, width);
    QCOMPARE(result.imageHeight, height);
}

void TestJpegDecoder::tooManyScans()
{
    // A progressive photo whose first scan is repeated far beyond any real photo's count.
    TJpegWriteOptions write;
    write.progressive = true;
    const QByteArray bytes = WriteJpeg(PhotoLikePicture(16, 16), write);
    const qsizetype first = bytes.indexOf(QByteArray::fromHex("ffda"));
    const qsizetype second = bytes.indexOf(QByteArray::fromHex("ffda"), first + 2);
    QVERIFY(first > 0 && second > first);
    QByteArray bomb = bytes.left(second);
    const QByteArray scan = bytes.mid(first, second - first);
    for (int i = 0; i < MaxScans + 10; ++i)
        bomb += scan;
    bomb += bytes.mid(second);
    const TDecodeResult result = decodeBytes(bomb);
    QCOMPARE(result.error, TImageErrorKind::InvalidPicture);
    QVERIFY2(result.message.contains("scans"), qPrintable(result.message));
}

void TestJpegDecoder::progressReachesHundred()
{
    QList<int> seen;
    TDecodeOptions options;
    options.progress = [&](int p) { seen << p; };
    QVERIFY(decodeBytes(WriteJpeg(PhotoLikePicture(64, 256)), options).ok());
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last(), 100);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
}

void TestJpegDecoder::previewScale_data()
{
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<int>("shownWidth");
    QTest::newRow("2,048,000 bytes: full size") << qint64(2'048'000) << 64;
    QTest::newRow("2,048,001 bytes: one eighth") << qint64(2'048'001) << 8;
    QTest::newRow("a small photo") << qint64(m_sample.size()) << 64;
}

void TestJpegDecoder::previewScale()
{
    QFETCH(qint64, fileSize);
    QFETCH(int, shownWidth);
    // The photo padded after its end marker to the exact size.
    const QString name = m_dir.filePath(QStringLiteral("grootte-%1.jpg").arg(fileSize));
    QVERIFY(WriteFile(name, m_sample + QByteArray(fileSize - m_sample.size(), '\0')));
    const qint64 grootte = QFileInfo(name).size();
    QCOMPARE(grootte, fileSize);
    TDecodeOptions options;
    options.scale = MainPreviewScale(grootte);
    const TDecodeResult result = DecodeJpegFile(name, options);
    QVERIFY2(result.ok(), qPrintable(result.message));
    QCOMPARE(result.picture.width(), shownWidth);
}

QTEST_GUILESS_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
