// File writes that fail, through the main window: saving the order, the journal and photo
// folder of an upload, the catalogue download and the settings written at close. Each write
// fails in one of two ways:
//  - a failing path, which fails for root too: a folder that is a regular file, or a folder
//    replaced by a file between two steps;
//  - a full disk: a small tmpfs named by KIEKJES_VOLLE_SCHIJF, filled until the next write
//    hits ENOSPC. The CTest tst_schrijffouten_volle_schijf mounts it in a private mount
//    namespace (volle_schijf.sh) and runs only those rows.
// Every case checks that a Dutch message was shown, that what was saved before is byte for
// byte as it was, and that the next action works once the disk has room again. The lab's
// order server runs on 127.0.0.1; every wait is bounded.
#include "CatalogueFixture.h"
#include "LabFixture.h"
#include "VolleSchijf.h"
#include "app/HoofdVenster.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "catalogue/UPenFWriter.h"
#include "dialogs/DialogKit.h"
#include "lab/UpdatenDlg.h"
#include "lab/VerzendenDlg.h"
#include "order/TOrderModel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using labfixture::approve;
using labfixture::filesUnder;

namespace {

enum class Way { FailingPath, FullDisk };

QByteArray catalogue(int edition)
{
    TPenFFile cat(QString(), datetime::encodeDate(2026, 12, 1), uint8_t(edition));
    cat.AddFormat(MakeFormat(QStringLiteral("10 x 15"), 10, 15, true, {{1, 39}}));
    cat.AddFormat(MakeFormat(QStringLiteral("13 x 18"), 13, 18, true, {{1, 59}}));
    cat.SetDefaultFormat(0);
    cat.AddLocation(QString(), QStringLiteral("Veldmeer"));
    return penfwriter::Write(cat, 2);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A message the user can read: Dutch words, not only a path and the system's reason.
bool dutch(const QString &text)
{
    static const QRegularExpression words(
        QStringLiteral("\\b(de|het|een|niet|geen|kan|van|wordt|bestand|mislukt|fout|onmogelijk)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return words.match(text).hasMatch();
}

// Replaces a folder by a regular file; the folder's content is kept under `aside`.
bool replaceFolderByFile(const QString &folder, const QString &aside)
{
    return QDir().rename(folder, aside) && WriteFile(folder, QByteArrayLiteral("geen map"));
}

bool putFolderBack(const QString &folder, const QString &aside)
{
    return QFile::remove(folder) && QDir().rename(aside, folder);
}

} // namespace

Q_DECLARE_METATYPE(Way)

class TestSchrijffouten : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void orderSave_data();
    void orderSave();
    void sendWithFailingWrites_data();
    void sendWithFailingWrites();
    void catalogueDownload_data();
    void catalogueDownload();
    void settingsAtClose_data();
    void settingsAtClose();

private:
    // Whether this run makes writes fail that way: the full-disk rows run only on the tmpfs,
    // the others only without it.
    bool runs(Way way) const { return (way == Way::FullDisk) == !m_fullDisk.isEmpty(); }
    // Adds the rows of the ways this run makes writes fail.
    void addRows(const QList<QPair<QString, Way>> &rows);
    // Where the files that are to fail live: on the tmpfs for the full disk, else in the
    // test's own folder.
    QString place(Way way, const QString &name);
    // Fills the tmpfs so that no more than `leaveFree` bytes can still be written.
    bool fillDisk(qint64 leaveFree = 0);
    void freeDisk();
    std::unique_ptr<TMainForm> window(const QString &dataFolder, const QString &ini, const QByteArray &clientCatalogue);
    bool startLab(const QByteArray &labCatalogue);
    QString photo(const QString &name, int w = 1200, int h = 800);
    QString shown() const { return TMessageBox::shownTexts().join(QLatin1String(" | ")); }

    QString m_fullDisk; // the tmpfs, when this run has one
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TLabServerThread> m_lab;
    TLabConfig m_config;
};

void TestSchrijffouten::initTestCase()
{
    TMessageBox::setTesting(true);
    if (!volleschijf::Unavailable().isEmpty())
        QSKIP(qPrintable(QStringLiteral("geen kleine tmpfs: ") + volleschijf::Unavailable()));
    m_fullDisk = volleschijf::Folder();
    if (!m_fullDisk.isEmpty())
        QVERIFY2(volleschijf::IsSmallTmpfs(m_fullDisk), qPrintable(m_fullDisk + QStringLiteral(" is geen kleine tmpfs")));
}

void TestSchrijffouten::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    TMessageBox::clearShown();
    TModal::ClearHandlers();
    if (!m_fullDisk.isEmpty())
        QVERIFY(volleschijf::Empty(m_fullDisk));
}

void TestSchrijffouten::cleanup()
{
    if (m_lab)
        m_lab->stop();
    m_lab.reset();
    TModal::ClearHandlers();
    if (!m_fullDisk.isEmpty())
        freeDisk();
}

void TestSchrijffouten::addRows(const QList<QPair<QString, Way>> &rows)
{
    for (const auto &[tag, way] : rows) {
        if (runs(way))
            QTest::newRow(qPrintable(tag)) << way;
    }
}

QString TestSchrijffouten::place(Way way, const QString &name)
{
    const QString folder = way == Way::FullDisk ? m_fullDisk : m_dir->path();
    return folder + QLatin1Char('/') + name;
}

bool TestSchrijffouten::fillDisk(qint64 leaveFree) { return volleschijf::Fill(m_fullDisk, leaveFree); }

void TestSchrijffouten::freeDisk() { volleschijf::Free(m_fullDisk); }


std::unique_ptr<TMainForm> TestSchrijffouten::window(const QString &dataFolder, const QString &ini,
                                                     const QByteArray &clientCatalogue)
{
    return labfixture::openWindow(dataFolder, ini, clientCatalogue, m_lab.get());
}

bool TestSchrijffouten::startLab(const QByteArray &labCatalogue)
{
    m_lab = labfixture::startLab(*m_dir, labCatalogue, m_config);
    return m_lab != nullptr;
}

QString TestSchrijffouten::photo(const QString &name, int w, int h)
{
    return labfixture::photo(*m_dir, name, w, h);
}

// ---------------------------------------------------------------------------------------
// Saving the order

void TestSchrijffouten::orderSave_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<bool>("saveAs");
    const QList<QPair<QString, Way>> ways{{QStringLiteral("map vervangen door een bestand"), Way::FailingPath},
                                          {QStringLiteral("volle schijf"), Way::FullDisk}};
    for (const bool saveAs : {false, true}) {
        for (const auto &[tag, way] : ways) {
            if (runs(way))
                QTest::newRow(qPrintable((saveAs ? QStringLiteral("opslaan als, ") : QStringLiteral("opslaan, ")) + tag))
                << way << saveAs;
        }
    }
}

void TestSchrijffouten::orderSave()
{
    QFETCH(Way, way);
    QFETCH(bool, saveAs);
    auto w = window(m_dir->filePath(QStringLiteral("client/")), m_dir->filePath(QStringLiteral("settings.ini")),
                    catalogue(3));
    // The good file: two photos, saved where the fault will strike (a plain Save), or in
    // the test's own folder (Save as to a new place).
    const QString orders = saveAs ? m_dir->filePath(QStringLiteral("orders")) : place(way, QStringLiteral("orders"));
    QVERIFY(QDir().mkpath(orders));
    const QString good = orders + QStringLiteral("/mijn order.obn");
    TFileDialog::setNextFileNames({photo(QStringLiteral("a.jpg")), photo(QStringLiteral("b.jpg"))});
    w->ActToevoegen->trigger();
    TFileDialog::setNextFileName(good);
    QVERIFY(w->OpslaanAlsExecute());
    const QByteArray saved = readAll(good);
    QCOMPARE(saved.size(), 3 * 816);
    TFileDialog::setNextFileNames({photo(QStringLiteral("c.jpg"))});
    w->ActToevoegen->trigger();
    QCOMPARE(w->Model().Count(), 3);
    QVERIFY(w->Modified());
    TMessageBox::clearShown();

    // The fault.
    const QString aside = orders + QStringLiteral("-bewaard");
    QString target = good;
    if (saveAs) {
        if (way == Way::FailingPath) {
            QVERIFY(WriteFile(m_dir->filePath(QStringLiteral("geenmap")), QByteArrayLiteral("x")));
            target = m_dir->filePath(QStringLiteral("geenmap/nieuw.obn"));
        } else {
            target = place(way, QStringLiteral("nieuw.obn"));
            QVERIFY(fillDisk());
        }
    } else if (way == Way::FailingPath) {
        QVERIFY(replaceFolderByFile(orders, aside));
    } else {
        QVERIFY(fillDisk());
    }
    if (saveAs) {
        TFileDialog::setNextFileName(target);
        QVERIFY(!w->OpslaanAlsExecute());
        QCOMPARE(w->StatusText(0), QStringLiteral("Mislukt"));
    } else {
        QVERIFY(!w->OpslaanExecute());
    }

    // A Dutch message; the order and the document state as before; the good file untouched.
    const QStringList texts = TMessageBox::shownTexts();
    QVERIFY2(!texts.isEmpty() && std::all_of(texts.begin(), texts.end(), dutch), qPrintable(shown()));
    QCOMPARE(w->Model().Count(), 3);
    QVERIFY(w->Modified());
    QVERIFY(w->HasFile());
    QCOMPARE(w->CurrentFileName(), good);
    QCOMPARE(w->windowTitle(), QStringLiteral("Kiekjesbode - mijn order"));
    const QString goodNow = (!saveAs && way == Way::FailingPath) ? aside + QStringLiteral("/mijn order.obn") : good;
    QCOMPARE(readAll(goodNow), saved);
    QVERIFY(!QFileInfo::exists(target) || target == good);
    // Nothing half written is left next to it.
    QCOMPARE(QDir(QFileInfo(goodNow).path()).entryList(QDir::Files), QStringList{QStringLiteral("mijn order.obn")});

    // Room again: a plain Save writes the order to its own file (a failed Save as did not
    // make the failed target the order's file), and it loads back whole.
    if (way == Way::FailingPath && !saveAs)
        QVERIFY(putFolderBack(orders, aside));
    if (way == Way::FullDisk)
        freeDisk();
    TMessageBox::clearShown();
    QVERIFY2(w->OpslaanExecute(), qPrintable(shown()));
    QVERIFY(!w->Modified());
    QCOMPARE(readAll(good).size(), 4 * 816);
    TFileDialog::setNextFileName(good);
    w->ActOpenen->trigger();
    QCOMPARE(w->Model().Count(), 3);
}

// ---------------------------------------------------------------------------------------
// Sending: the journal and the private photo folder

void TestSchrijffouten::sendWithFailingWrites_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("blocked"); // the file or folder whose write fails
    QTest::addColumn<qint64>("leaveFree");
    if (m_fullDisk.isEmpty()) {
        QTest::newRow("journal is een map") << Way::FailingPath << QStringLiteral("OrderFile") << qint64(0);
        QTest::newRow("fotomap is een bestand") << Way::FailingPath << QStringLiteral("OrderData") << qint64(0);
    } else {
        QTest::newRow("journal, volle schijf") << Way::FullDisk << QStringLiteral("OrderFile") << qint64(0);
        // Room for the journal, not for the copy of the photo.
        QTest::newRow("kopie van de foto, volle schijf") << Way::FullDisk << QStringLiteral("OrderData/1") << qint64(12 * 1024);
    }
}

void TestSchrijffouten::sendWithFailingWrites()
{
    QFETCH(Way, way);
    QFETCH(QString, blocked);
    QFETCH(qint64, leaveFree);
    const QByteArray cat = catalogue(3);
    QVERIFY(startLab(cat));
    const QString data = place(way, QStringLiteral("client/"));
    auto w = window(data, m_dir->filePath(QStringLiteral("settings.ini")), cat);
    // A photo bigger than the room left, small enough for the tmpfs once it is free.
    const QString picture = photo(QStringLiteral("a.jpg"), 640, 480);
    QVERIFY(QFileInfo(picture).size() > 4 * leaveFree);
    QVERIFY(QFileInfo(picture).size() < 512 * 1024);
    TFileDialog::setNextFileNames({picture});
    w->ActToevoegen->trigger();
    QCOMPARE(w->Model().Count(), 1);
    const QString order = m_dir->filePath(QStringLiteral("order.obn"));
    TFileDialog::setNextFileName(order);
    QVERIFY(w->OpslaanAlsExecute());
    const QByteArray savedOrder = readAll(order);
    const QByteArray savedCatalogue = readAll(data + QStringLiteral("PenF.dat"));

    // The fault.
    const QString blockedPath = data + blocked;
    if (way == Way::FailingPath) {
        if (blocked == QLatin1String("OrderFile"))
            QVERIFY(QDir().mkpath(blockedPath));
        else
            QVERIFY(WriteFile(blockedPath, QByteArrayLiteral("geen map")));
    } else {
        QVERIFY(fillDisk(leaveFree));
    }
    auto undo = [&] {
        if (way == Way::FullDisk)
            freeDisk();
        else if (QFileInfo(blockedPath).isDir())
            QDir(blockedPath).removeRecursively();
        else
            QFile::remove(blockedPath);
    };

    bool startAgain = false;
    bool stayedOpen = false;
    int labFilesAfterFailure = -1;
    QStringList failureTexts;
    int result = -1;
    TModal::SetNextHandler([&](QDialog &d) {
        auto &send = static_cast<TVerzendenDlg &>(d);
        clickButton(&d, "BtnStart");
        QTRY_VERIFY_WITH_TIMEOUT(!send.Uploading(), 30000);
        startAgain = send.BtnStart->isEnabled();
        stayedOpen = d.isVisible();
        failureTexts = TMessageBox::shownTexts();
        labFilesAfterFailure = filesUnder(m_config.dataFolder);
        // Room again: the same dialog sends the order.
        undo();
        TMessageBox::clearShown();
        TModal::ClearHandlers();
        TModal::SetNextHandler(approve);
        TModal::SetNextHandler(approve);
        clickButton(&d, "BtnStart");
        QTRY_VERIFY2_WITH_TIMEOUT(!d.isVisible(), qPrintable(shown() + QLatin1String(" / ") + send.StTxtInfo->text()), 60000);
        result = d.result();
    });
    TModal::SetNextHandler(approve); // name and address
    w->ActVerzenden->trigger();

    // The failed attempt: a Dutch message naming what could not be written, no success
    // claimed, nothing at the lab, the dialog usable.
    QVERIFY2(!failureTexts.isEmpty(), "no message");
    QVERIFY2(std::all_of(failureTexts.begin(), failureTexts.end(), dutch), qPrintable(failureTexts.join(" | ")));
    QVERIFY2(failureTexts.join(QLatin1Char('|')).contains(blocked.section(QLatin1Char('/'), 0, 0)),
             qPrintable(failureTexts.join(" | ")));
    QVERIFY(std::none_of(failureTexts.begin(), failureTexts.end(),
                         [](const QString &t) { return t.startsWith(QStringLiteral("Uw order is geplaatst")); }));
    QCOMPARE(labFilesAfterFailure, 0);
    QVERIFY(stayedOpen);
    QVERIFY(startAgain);
    // The next send worked.
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY2(!TMessageBox::shownTexts().isEmpty()
                 && TMessageBox::shownTexts().last().startsWith(QStringLiteral("Uw order is geplaatst op ")),
             qPrintable(shown()));
    QVERIFY(filesUnder(m_config.dataFolder) >= 2);
    // The order and what was saved before are as they were.
    QCOMPARE(w->Model().Count(), 1);
    QVERIFY(!w->Modified());
    QCOMPARE(readAll(order), savedOrder);
    QCOMPARE(readAll(data + QStringLiteral("PenF.dat")), savedCatalogue);
}

// ---------------------------------------------------------------------------------------
// The catalogue download

void TestSchrijffouten::catalogueDownload_data()
{
    QTest::addColumn<Way>("way");
    addRows({{QStringLiteral("reservekopie is een map"), Way::FailingPath},
             {QStringLiteral("volle schijf"), Way::FullDisk}});
}

void TestSchrijffouten::catalogueDownload()
{
    QFETCH(Way, way);
    QVERIFY(startLab(catalogue(9))); // the lab has a newer catalogue
    const QString data = place(way, QStringLiteral("client/"));
    auto w = window(data, m_dir->filePath(QStringLiteral("settings.ini")), catalogue(3));
    const QString penf = data + QStringLiteral("PenF.dat");
    const QByteArray old = readAll(penf);
    QVERIFY(!old.isEmpty());
    const QString backup = data + QStringLiteral("PenFold");
    if (way == Way::FailingPath)
        QVERIFY(QDir().mkpath(backup)); // the old file cannot be put aside
    else
        QVERIFY(fillDisk());

    TModal::SetNextHandler([](QDialog &d) {
        clickButton(&d, "BtnStart"); // Yes to the download is the default answer
        if (d.isVisible())
            clickButton(&d, "BtnAnnuleren");
    });
    w->ActBijwerken->trigger();
    QCOMPARE(TModal::Pending(), 0);
    const QStringList texts = TMessageBox::shownTexts();
    QVERIFY2(!texts.isEmpty() && std::all_of(texts.begin(), texts.end(), dutch), qPrintable(shown()));
    // Not the connection's fault, and not a damaged file: the write failed.
    QVERIFY2(std::none_of(texts.begin(), texts.end(),
                          [](const QString &t) { return t.contains(QStringLiteral("verbinding")) || t.contains(QStringLiteral("beschadigd")); }),
             qPrintable(shown()));
    // The old catalogue: the same bytes, still loaded and shown.
    QCOMPARE(readAll(penf), old);
    QCOMPARE(w->StatusText(3), QStringLiteral("P&F-versie: 01122026-03"));
    QCOMPARE(w->CbxFormaat->count(), 2);
    QVERIFY(w->BtnAdd->isEnabled());
    if (way == Way::FullDisk)
        QVERIFY(!QFileInfo::exists(backup));

    // Room again: the next update replaces it.
    if (way == Way::FullDisk)
        freeDisk();
    else
        QVERIFY(QDir(backup).removeRecursively());
    TMessageBox::clearShown();
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BtnStart"); });
    w->ActBijwerken->trigger();
    QCOMPARE(w->StatusText(3), QStringLiteral("P&F-versie: 01122026-09"));
    QCOMPARE(readAll(penf), readAll(m_config.catalogue));
    QVERIFY(!QFileInfo::exists(backup));
}

// ---------------------------------------------------------------------------------------
// The settings written at close

void TestSchrijffouten::settingsAtClose_data()
{
    QTest::addColumn<Way>("way");
    addRows({{QStringLiteral("map vervangen door een bestand"), Way::FailingPath},
             {QStringLiteral("volle schijf"), Way::FullDisk}});
}

void TestSchrijffouten::settingsAtClose()
{
    QFETCH(Way, way);
    const QString folder = place(way, QStringLiteral("instellingen"));
    QVERIFY(QDir().mkpath(folder));
    const QString ini = folder + QStringLiteral("/settings.ini");
    const QString aside = folder + QStringLiteral("-bewaard");
    {
        auto w = window(m_dir->filePath(QStringLiteral("client/")), ini, catalogue(3));
        QCoreApplication::processEvents(); // the start's own writes reach the file
        w->Store().sync();
        const QByteArray saved = readAll(ini);
        QVERIFY(saved.contains("Jansen"));
        TInstellingen s = w->Settings();
        s.UploadSpeed = 512;
        w->SetSettings(s);
        TKlantGegevens k = w->Customer();
        k.Achternaam = QStringLiteral("de Vries");
        w->SetCustomer(k);

        if (way == Way::FailingPath)
            QVERIFY(replaceFolderByFile(folder, aside));
        else
            QVERIFY(fillDisk());
        TMessageBox::clearShown();
        TMessageBox::setNextAnswer(QMessageBox::Ok); // "Weet u zeker dat u af wilt sluiten?"
        QVERIFY(w->close());                        // closes all the same
        const QStringList texts = TMessageBox::shownTexts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], QStringLiteral("Weet u zeker dat u af wilt sluiten?"));
        QVERIFY2(dutch(texts[1]) && texts[1].contains(QStringLiteral("instellingen")), qPrintable(texts[1]));
        QCOMPARE(readAll(way == Way::FailingPath ? aside + QStringLiteral("/settings.ini") : ini), saved);
        w.reset();
        QCOMPARE(readAll(way == Way::FailingPath ? aside + QStringLiteral("/settings.ini") : ini), saved);
    }
    // The next start has the settings saved before. (A copy: this process still holds the
    // unsaved values of the old path in the settings cache, a new run does not.)
    if (way == Way::FailingPath)
        QVERIFY(putFolderBack(folder, aside));
    else
        freeDisk();
    const QString nextRun = m_dir->filePath(QStringLiteral("volgende-start.ini"));
    QVERIFY(QFile::copy(ini, nextRun));
    TMessageBox::clearShown();
    auto w = window(m_dir->filePath(QStringLiteral("client/")), nextRun, QByteArray());
    QCOMPARE(w->Customer().Achternaam, QStringLiteral("Jansen"));
    QCOMPARE(w->Settings().UploadSpeed, quint16(56));
    QVERIFY(TMessageBox::shownTexts().isEmpty());
}

QTEST_MAIN(TestSchrijffouten)
#include "tst_schrijffouten.moc"
