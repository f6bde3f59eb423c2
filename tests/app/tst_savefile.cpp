// Whole-file writes on a full disk: the previous file must survive byte for byte, the
// failure must be reported, and the write must work again once there is room. Runs on a
// small tmpfs of its own (tests/common/volle_schijf.sh names it in KIEKJES_VOLLE_SCHIJF);
// skipped, with the reason, where that cannot be mounted.
#include "VolleSchijf.h"
#include "app/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

class TestSaveFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();

private:
    QString m_disk;
};

namespace {

const QByteArray OldBytes = "de vorige, goede inhoud";

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes `bytes` whole to `path` in the way under test; the error text when it failed.
using Writer = QString (*)(const QString &path, const QByteArray &bytes);

QString throughSaveFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return f.errorString();
    f.write(bytes);
    QString why;
    return FlushAndCommit(f, why) ? QString() : why;
}

// The catalogue tool building a catalogue file; `bytes` is ignored (the JSON decides).
QString throughPenfTool(const QString &path, const QByteArray &)
{
    QProcess p;
    p.start(QStringLiteral(KIEKJES_BINARY_DIR "/tools/kiekjesbode-penf"),
            {QStringLiteral("build"), QStringLiteral(KIEKJES_SOURCE_DIR "/data/demo/catalogue.json"), QStringLiteral("-o"), path});
    if (!p.waitForFinished(30000)) {
        p.kill();
        return QStringLiteral("hangt");
    }
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return QString();
    const QString err = QString::fromUtf8(p.readAllStandardError()).trimmed();
    return err.isEmpty() ? QStringLiteral("mislukt zonder melding") : err;
}

} // namespace

void TestSaveFile::initTestCase()
{
    if (!volleschijf::Unavailable().isEmpty())
        QSKIP(qPrintable(QStringLiteral("geen kleine tmpfs: ") + volleschijf::Unavailable()));
    m_disk = volleschijf::Folder();
    if (m_disk.isEmpty())
        QSKIP("alleen op een kleine tmpfs (tst_savefile_volle_schijf)");
    QVERIFY2(volleschijf::IsSmallTmpfs(m_disk), qPrintable(m_disk + QStringLiteral(" is geen kleine tmpfs")));
}

void TestSaveFile::init()
{
    QVERIFY(volleschijf::Empty(m_disk));
}

void TestSaveFile::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<void *>("writer");
    QTest::addColumn<QByteArray>("newBytes");
    // A few bytes stay in the save file's buffer until the end: exactly the case the
    // toolkit's commit reports as a success.
    QTest::newRow("kleine inhoud") << reinterpret_cast<void *>(&throughSaveFile) << QByteArray("nieuw");
    QTest::newRow("grote inhoud") << reinterpret_cast<void *>(&throughSaveFile) << QByteArray(200 * 1024, 'n');
    QTest::newRow("catalogusprogramma") << reinterpret_cast<void *>(&throughPenfTool) << QByteArray();
}

void TestSaveFile::fullDiskKeepsTheOldFile()
{
    QFETCH(void *, writer);
    QFETCH(QByteArray, newBytes);
    const auto write = reinterpret_cast<Writer>(writer);
    const QString path = m_disk + QStringLiteral("/bestand.dat");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(OldBytes), OldBytes.size());
    }
    QVERIFY(volleschijf::Fill(m_disk));

    const QString why = write(path, newBytes);
    QVERIFY2(!why.isEmpty(), "a write on a full disk was reported as done");
    QCOMPARE(readAll(path), OldBytes);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(m_disk).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("bestand.dat"), QStringLiteral("vulling")}));

    QVERIFY(volleschijf::Free(m_disk));
    QCOMPARE(write(path, newBytes), QString());
    if (!newBytes.isEmpty())
        QCOMPARE(readAll(path), newBytes);
    else
        QVERIFY(readAll(path).size() > OldBytes.size());
}

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
