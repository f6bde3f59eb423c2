#include "imaging/UQuality.h"

#include "app/Errors.h"
#include "JpegWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <unistd.h>

namespace {

// The rating as it reads when the photo is decoded at full size with the fast DCT and its
// width and height are taken from the decoded picture.
struct TReferenceRating {
    TQuality level;
    uint16_t error;
    double lengte;
};

TReferenceRating ratedByFullDecode(const QString &fileName, double lengte, double breedte)
{
    const QFileInfo info(fileName);
    if (!info.exists() || info.isDir())
        return {3, QualityErrorFileMissing, lengte};
    if (breedte < 1.0)
        return {3, QualityErrorWidth, lengte};
    TDecodeOptions options;
    options.scale = TDecodeScale::Full;
    options.dct = TDctMethod::Fast;
    const TDecodeResult decoded = DecodeJpegFile(fileName, options);
    if (!decoded.ok())
        return {3, QualityErrorOfKind(decoded.error), lengte};
    const int w = decoded.picture.width(), h = decoded.picture.height();
    const TQuality level = RatePixelSides(qMin(w, h), qMax(w, h), lengte, breedte);
    return {level, QualityErrorNone, lengte};
}

} // namespace

class TestQuality : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void workedExamples_data();
    void workedExamples();
    void errorIsReadOnce();
    void errorTexts_data();
    void errorTexts();
    void errorIsPerThread();
    void unreadableFileIsOtherError();
    void sameAsFullDecodeOverCorpus();
    void poolGivesSameResults();
    void photoCheckForAdding();

private:
    QString photo(int width, int height);
    void buildCorpus();
    QStringList m_corpus;
    QTemporaryDir m_dir;
    QHash<QString, QString> m_photos;
};

void TestQuality::initTestCase()
{
    QVERIFY(m_dir.isValid());
    buildCorpus();
}

// A plain photo of that many pixels, written once per run.
QString TestQuality::photo(int width, int height)
{
    const QString name = m_dir.filePath(QStringLiteral("foto-%1x%2.jpg").arg(width).arg(height));
    if (!QFileInfo::exists(name))
        WriteFile(name, WriteJpeg(SolidPicture(width, height, 90, 140, 190)));
    return name;
}

void TestQuality::workedExamples_data()
{
    QTest::addColumn<QString>("file");      // "WxH", a path relative to the work folder, or ""
    QTest::addColumn<double>("breedte");
    QTest::addColumn<double>("lengte");
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("lengteAfter");
    QTest::addColumn<int>("error");
    // 2000 / (10 / 2.54) = 508 and 3000 / (15 / 2.54) = 508.
    QTest::newRow("508 ppi") << "3000x2000" << 10.0 << 15.0 << 0 << 15.0 << 0;
    QTest::newRow("254 ppi") << "3000x2000" << 20.0 << 30.0 << 1 << 30.0 << 0;
    // d = 169.3, e = 190.5: the smaller counts.
    QTest::newRow("169.3 ppi") << "3000x2000" << 30.0 << 40.0 << 2 << 40.0 << 0;
    QTest::newRow("portrait twin 508") << "2000x3000" << 10.0 << 15.0 << 0 << 15.0 << 0;
    QTest::newRow("portrait twin 169.3") << "2000x3000" << 30.0 << 40.0 << 2 << 40.0 << 0;
    // The long side decides: 3000 / (30 / 2.54) = 254 < 2000 / (10 / 2.54) = 508.
    QTest::newRow("long side smaller") << "3000x2000" << 10.0 << 30.0 << 1 << 30.0 << 0;
    QTest::newRow("dynamic length") << "3000x2000" << 10.0 << 0.0 << 0 << 15.0 << 0;
    QTest::newRow("dynamic length portrait") << "2000x3000" << 10.0 << 0.5 << 0 << 15.0 << 0;
    // On a 2.54 cm side the density is the pixel count itself.
    QTest::newRow("exactly 320") << "320x480" << 2.54 << 2.54 << 0 << 2.54 << 0;
    QTest::newRow("just below 320") << "319x480" << 2.54 << 2.54 << 1 << 2.54 << 0;
    QTest::newRow("exactly 220") << "220x480" << 2.54 << 2.54 << 1 << 2.54 << 0;
    QTest::newRow("just below 220") << "219x480" << 2.54 << 2.54 << 2 << 2.54 << 0;
    QTest::newRow("exactly 128") << "128x480" << 2.54 << 2.54 << 2 << 2.54 << 0;
    QTest::newRow("just below 128") << "127x480" << 2.54 << 2.54 << 3 << 2.54 << 0;
    QTest::newRow("exactly 96") << "96x144" << 2.54 << 2.54 << 3 << 2.54 << 0;
    QTest::newRow("just below 96") << "95x144" << 2.54 << 2.54 << 4 << 2.54 << 0;
    QTest::newRow("missing path") << "ontbreekt.jpg" << 10.0 << 15.0 << 3 << 15.0 << 1;
    QTest::newRow("empty path") << "" << 10.0 << 15.0 << 3 << 15.0 << 1;
    QTest::newRow("a folder") << "." << 10.0 << 15.0 << 3 << 15.0 << 1;
    QTest::newRow("width 0.5") << "3000x2000" << 0.5 << 15.0 << 3 << 15.0 << 2;
    QTest::newRow("width 0.5, dynamic") << "3000x2000" << 0.5 << 0.0 << 3 << 0.0 << 2;
    QTest::newRow("not a JPEG") << "tekst.jpg" << 10.0 << 15.0 << 3 << 15.0 << 3;
    QTest::newRow("zero bytes") << "leeg.jpg" << 10.0 << 15.0 << 3 << 15.0 << 3;
}

void TestQuality::workedExamples()
{
    QFETCH(QString, file);
    QFETCH(double, breedte);
    QFETCH(double, lengte);
    QFETCH(int, level);
    QFETCH(double, lengteAfter);
    QFETCH(int, error);
    WriteFile(m_dir.filePath("tekst.jpg"), "Dit is geen foto.\n");
    WriteFile(m_dir.filePath("leeg.jpg"), QByteArray());
    QString path;
    const QStringList size = file.split('x');
    if (size.size() == 2 && size[0].toInt() > 0)
        path = photo(size[0].toInt(), size[1].toInt());
    else if (!file.isEmpty())
        path = m_dir.filePath(file);
    GetQualityError();
    double side = lengte;
    QCOMPARE(int(GetPrintQuality(path, side, breedte)), level);
    QCOMPARE(side, lengteAfter);
    QCOMPARE(int(GetQualityError()), error);
}

void TestQuality::errorIsReadOnce()
{
    double side = 15.0;
    GetPrintQuality(m_dir.filePath("ontbreekt.jpg"), side, 10.0);
    QCOMPARE(int(GetQualityError()), 1);
    QCOMPARE(int(GetQualityError()), 0);
    // A good rating clears an error left unread.
    GetPrintQuality(m_dir.filePath("ontbreekt.jpg"), side, 10.0);
    GetPrintQuality(photo(96, 144), side, 10.0);
    QCOMPARE(int(GetQualityError()), 0);
}

void TestQuality::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "Geen fouten opgetreden";
    QTest::newRow("1") << 1 << "Bestand bestaat niet";
    QTest::newRow("2") << 2 << "Breedte is 0 of kleiner";
    QTest::newRow("3") << 3 << "Ongeldige afbeelding";
    QTest::newRow("4") << 4 << "Ongeldige bewerking op een afbeelding";
    QTest::newRow("5") << 5 << "Onbekende fout";
}

void TestQuality::errorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(QualityErrorText(code), text);
    QVERIFY_THROWS_EXCEPTION(ERangeError, QualityErrorText(6));
    QVERIFY_THROWS_EXCEPTION(ERangeError, QualityErrorText(-1));
    QCOMPARE(CmToInch(25.4), 10.0);
}

void TestQuality::errorIsPerThread()
{
    double side = 15.0;
    GetPrintQuality(m_dir.filePath("ontbreekt.jpg"), side, 10.0);
    int onWorker = -1;
    QThread *worker = QThread::create([&] {
        double s = 15.0;
        GetPrintQuality(photo(96, 144), s, 0.5);
        onWorker = GetQualityError();
    });
    worker->start();
    QVERIFY(worker->wait(30000));
    delete worker;
    QCOMPARE(onWorker, 2);
    QCOMPARE(int(GetQualityError()), 1);
}

void TestQuality::unreadableFileIsOtherError()
{
    if (::geteuid() == 0)
        QSKIP("root reads every file");
    const QString name = m_dir.filePath("geslotenfoto.jpg");
    QVERIFY(WriteFile(name, WriteJpeg(SolidPicture(8, 8, 1, 2, 3))));
    QFile::setPermissions(name, QFileDevice::Permissions());
    double side = 15.0;
    QCOMPARE(int(GetPrintQuality(name, side, 10.0)), 3);
    QCOMPARE(int(GetQualityError()), 5);
    QFile::setPermissions(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Photos in every variant the decoder meets, each also cut, bit-flipped and otherwise damaged.
void TestQuality::buildCorpus()
{
    QDir corpus(m_dir.filePath("corpus"));
    QVERIFY(QDir().mkpath(corpus.path()));
    struct TVariant { const char *name; TJpegWriteOptions options; int width, height; };
    std::vector<TVariant> variants;
    const auto add = [&](const char *name, TJpegKind kind, bool progressive, bool arithmetic, int h, int v,
                         int restart, int width, int height) {
        TJpegWriteOptions o;
        o.kind = kind; o.progressive = progressive; o.arithmetic = arithmetic;
        o.lumaH = h; o.lumaV = v; o.restartRows = restart;
        variants.push_back({name, o, width, height});
    };
    add("baseline420", TJpegKind::Colour, false, false, 2, 2, 0, 203, 157);
    add("baseline444", TJpegKind::Colour, false, false, 1, 1, 0, 157, 203);
    add("baseline422", TJpegKind::Colour, false, false, 2, 1, 0, 99, 260);
    add("restarts", TJpegKind::Colour, false, false, 2, 2, 1, 203, 157);
    add("progressive", TJpegKind::Colour, true, false, 2, 2, 0, 203, 157);
    add("arithmetic", TJpegKind::Colour, false, true, 2, 2, 0, 160, 120);
    add("grey", TJpegKind::Grey, false, false, 1, 1, 0, 211, 100);
    add("greyprogressive", TJpegKind::Grey, true, false, 1, 1, 0, 100, 211);
    add("cmyk", TJpegKind::Cmyk, false, false, 1, 1, 0, 120, 90);
    add("ycck", TJpegKind::Ycck, true, false, 2, 2, 0, 90, 120);

    QStringList &files = m_corpus;
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        const QString path = corpus.filePath(name);
        QVERIFY(WriteFile(path, bytes));
        files << path;
    };
    write("leeg.jpg", QByteArray());
    write("tekst.jpg", "Dit is geen foto.\n");
    write("soi.jpg", QByteArray::fromHex("ffd8ffd9"));
    uint32_t state = 12345;
    for (const TVariant &variant : variants) {
        const QByteArray good = WriteJpeg(PhotoLikePicture(variant.width, variant.height, 7), variant.options);
        const QString base = QString::fromLatin1(variant.name);
        write(base + ".jpg", good);
        for (int cut : {2, 20, 100, 300})
            write(QStringLiteral("%1-cut%2.jpg").arg(base).arg(cut), good.left(cut));
        for (int part = 1; part < 8; ++part)
            write(QStringLiteral("%1-cut%2of8.jpg").arg(base).arg(part), good.left(good.size() * part / 8));
        write(base + "-noeoi.jpg", good.left(good.size() - 2));
        write(base + "-tail.jpg", good + QByteArray(777, '\x5a'));
        for (int flip = 0; flip < 12; ++flip) {
            QByteArray damaged = good;
            state = state * 1664525u + 1013904223u;
            const qsizetype at = qsizetype(state % uint32_t(good.size()));
            damaged[at] = char(damaged[at] ^ char(1 << (flip % 8)));
            write(QStringLiteral("%1-flip%2.jpg").arg(base).arg(flip), damaged);
        }
        QByteArray zeroed = good;  // a run of zeros over the middle of the data
        zeroed.replace(good.size() / 2, 64, QByteArray(64, '\0'));
        write(base + "-zeros.jpg", zeroed);
        QByteArray noFrame = good;  // the frame marker made into an unknown one
        const qsizetype sof = good.indexOf(QByteArray::fromHex(variant.options.progressive ? "ffc2"
                                                               : variant.options.arithmetic ? "ffc9" : "ffc0"));
        QVERIFY(sof > 0);
        noFrame[sof + 1] = char(0xcf);
        write(base + "-sof.jpg", noFrame);
        QByteArray noWidth = good;
        noWidth[sof + 7] = 0; noWidth[sof + 8] = 0;
        write(base + "-width0.jpg", noWidth);
    }

}

// The rating reads the photo once at one eighth; it must agree with the full-size fast-DCT
// decode on every level, error code and written length, damaged photos included.
void TestQuality::sameAsFullDecodeOverCorpus()
{
    const QStringList &files = m_corpus;
    int good = 0, bad = 0;
    for (const QString &file : files) {
        for (const auto &[breedte, lengte] : {std::pair{10.0, 15.0}, std::pair{2.54, 0.0}, std::pair{0.5, 15.0}}) {
            double side = lengte;
            GetQualityError();
            const TQuality level = GetPrintQuality(file, side, breedte);
            const uint16_t error = GetQualityError();
            const TReferenceRating expected = ratedByFullDecode(file, lengte, breedte);
            const QByteArray where = QFileInfo(file).fileName().toLatin1();
            QVERIFY2(level == expected.level, where.constData());
            QVERIFY2(error == expected.error, where.constData());
            QVERIFY2(side == expected.lengte, where.constData());
            if (breedte == 10.0)
                (error == 0 ? good : bad)++;
        }
        // A photo accepted when added can be shown later, at either preview scale.
        if (CheckAndRatePhoto(file, 15.0, 10.0).readable) {
            TDecodeOptions eighth;
            eighth.scale = TDecodeScale::Eighth;
            const QByteArray where = QFileInfo(file).fileName().toLatin1();
            QVERIFY2(DecodeJpegFile(file).ok(), where.constData());
            QVERIFY2(DecodeJpegFile(file, eighth).ok(), where.constData());
        }
    }
    qInfo("%d readable and %d refused photos of %d files", good, bad, int(files.size()));
    // The damaged files are a real test: many are refused, some survive with warnings.
    QVERIFY(good >= 20);
    QVERIFY(bad >= 100);
}

// The add-photo check on a pool of threads gives what it gives on one thread.
void TestQuality::poolGivesSameResults()
{
    const QStringList &files = m_corpus;
    std::vector<TAddPhotoCheck> sequential, pooled(size_t(files.size()));
    for (const QString &file : files)
        sequential.push_back(CheckAndRatePhoto(file, 0.0, 10.0));
    QThreadPool pool;
    pool.setMaxThreadCount(4);
    for (qsizetype i = 0; i < files.size(); ++i)
        pool.start([&, i] { pooled[size_t(i)] = CheckAndRatePhoto(files[i], 0.0, 10.0); });
    QVERIFY(pool.waitForDone(120000));
    for (size_t i = 0; i < sequential.size(); ++i) {
        const QByteArray where = QFileInfo(files[qsizetype(i)]).fileName().toLatin1();
        QVERIFY2(pooled[i].readable == sequential[i].readable, where.constData());
        QVERIFY2(pooled[i].kwaliteit == sequential[i].kwaliteit, where.constData());
        QVERIFY2(pooled[i].qualityError == sequential[i].qualityError, where.constData());
        QVERIFY2(pooled[i].lengte == sequential[i].lengte, where.constData());
        QVERIFY2(pooled[i].message == sequential[i].message, where.constData());
    }
}

// One decode gives the proof for adding and the rating; an accepted photo is showable.
void TestQuality::photoCheckForAdding()
{
    const QString good = photo(320, 480);
    const TAddPhotoCheck check = CheckAndRatePhoto(good, 2.54, 2.54);
    QVERIFY(check.readable);
    QCOMPARE(check.width, 320);
    QCOMPARE(check.height, 480);
    QCOMPARE(int(check.kwaliteit), 0);
    QCOMPARE(int(check.qualityError), 0);
    QCOMPARE(check.lengte, 2.54);
    QVERIFY(DecodeJpegFile(good).ok());

    const TAddPhotoCheck dynamic = CheckAndRatePhoto(good, 0.0, 2.0);
    QCOMPARE(dynamic.lengte, 3.0);

    const TAddPhotoCheck narrow = CheckAndRatePhoto(good, 15.0, 0.5);
    QVERIFY(narrow.readable);
    QCOMPARE(int(narrow.kwaliteit), 3);
    QCOMPARE(int(narrow.qualityError), 2);

    WriteFile(m_dir.filePath("tekst.jpg"), "Dit is geen foto.\n");
    const TAddPhotoCheck text = CheckAndRatePhoto(m_dir.filePath("tekst.jpg"), 15.0, 10.0);
    QVERIFY(!text.readable);
    QCOMPARE(text.kind, TImageErrorKind::InvalidPicture);
    QVERIFY(!text.message.isEmpty());
    QVERIFY(!CheckAndRatePhoto(m_dir.filePath("ontbreekt.jpg"), 15.0, 10.0).readable);
}

QTEST_GUILESS_MAIN(TestQuality)
#include "tst_quality.moc"
