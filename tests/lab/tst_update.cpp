// The catalogue update exchange against kiekjesbode-lab on an ephemeral 127.0.0.1 port and
// against scripted peers that cut, stall or damage the download. Every wait is bounded.
#include "FakePeer.h"
#include "LabServer.h"
#include "UploadFixture.h"

#include "app/SettingsStore.h"
#include "catalogue/UPenF.h"
#include "lab/Updaten.h"
#include "lab/Wire.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {
// Edition 2 of 30 November 2028: older than the lab's.
QByteArray oldCatalogue()
{
    using namespace penfbytes;
    return header(2, 47087.0, 2, 0, 0) + format(2, "A", "Formaat A", 10, 15, 0, 0);
}

// A later edition, as a download would have written it: two locations, format A with its
// price tiers, B and C.
QByteArray newCatalogue() { return penfbytes::nineRecords(); }

class ScriptedUpdateFrontEnd : public IUpdateFrontEnd {
public:
    bool answer = true;
    std::function<void()> onEvents;
    QStringList messages, questions, statuses, received, sizes;
    QString localVersion, serverVersion;
    int progress = -1;
    bool startEnabled = true, cancelEnabled = true;

    void ShowMessage(const QString &text) override { messages << text; }
    bool AskYesNo(const QString &text) override
    {
        questions << text;
        return answer;
    }
    void SetButtonsEnabled(bool start, bool cancel) override
    {
        startEnabled = start;
        cancelEnabled = cancel;
    }
    void SetStatusText(const QString &text) override { statuses << text; }
    void SetLocalVersion(const QString &text) override { localVersion = text; }
    void SetServerVersion(const QString &text) override { serverVersion = text; }
    void SetSizeText(const QString &text) override { sizes << text; }
    void SetReceivedText(const QString &text) override { received << text; }
    void SetProgress(int position) override { progress = position; }
    void ProcessEvents() override
    {
        if (onEvents)
            onEvents();
    }
};

struct Local {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("PenF.dat"));
    QString backup = dir.filePath(QStringLiteral("PenFold"));
    TSettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
    std::unique_ptr<TPenFFile> catalogue;
    explicit Local(quint16 port, bool withFile = true)
    {
        if (withFile) {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(oldCatalogue());
            f.close();
        }
        catalogue = std::make_unique<TPenFFile>(path, 0, 0);
        if (withFile)
            catalogue->LoadFromFile();
        store.writeServerAddress(QStringLiteral("127.0.0.1"), port);
    }
    QByteArray bytes() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// The server's side up to the version reply.
void greet(FakePeer::Conn &c)
{
    c.send("Welkom\r\n");
    c.recvLine();
    c.send("VERIFIED\r\n");
}
void offerVersion(FakePeer::Conn &c)
{
    greet(c);
    c.recvLine(); // P&F-VERSION
    c.send("VERSION\r\n01122028-03\r\n");
}
} // namespace

class TstUpdate : public QObject {
    Q_OBJECT
private slots:
    void backupName();
    void download();
    void noLocalFile();
    void alreadyCurrent();
    void declined();
    void sizeMismatch();
    void leftoverBackup();
    void interruptedDownloadAtStart_data();
    void interruptedDownloadAtStart();
    void notSending();
    void cuts_data();
    void cuts();
    void silentServer();
    void cancelled();
    void greetingReplies_data();
    void greetingReplies();
};

void TstUpdate::backupName()
{
    QCOMPARE(TUpdateExchange::BackupName(QStringLiteral("/a/b/PenF.dat")), QStringLiteral("/a/b/PenFold"));
    QCOMPARE(TUpdateExchange::BackupName(QStringLiteral("/a.b/PenF")), QStringLiteral("/a.b/PenFold"));
    QCOMPARE(TUpdateExchange::BackupName(QStringLiteral("/a/x.y.dat")), QStringLiteral("/a/x.yold"));
}

void TstUpdate::download()
{
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Local local(server.port());
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::Replaced));
    QVERIFY(fe.messages.isEmpty());
    QCOMPARE(fe.questions, QStringList{QStringLiteral("Wilt u het nieuwe P&&F-bestand downloaden?")});
    QCOMPARE(local.bytes(), penfbytes::nineRecords());
    QVERIFY(!QFileInfo::exists(local.backup));
    QCOMPARE(fe.serverVersion, fixture::CatalogueVersion);
    QCOMPARE(fe.localVersion, fixture::CatalogueVersion);
    QCOMPARE(local.catalogue->Versienummer(), uint8_t(3));
    QCOMPARE(local.catalogue->FormatCount(), 3);
    const qint64 size = penfbytes::nineRecords().size();
    QCOMPARE(fe.sizes.last(), QStringLiteral("%1 kB").arg(qRound(size / 1024.0)));
    QCOMPARE(fe.received.first(), QStringLiteral("0 kB (0%)"));
    QCOMPARE(fe.received.last(), QStringLiteral("%1 kB (100%)").arg(qRound(size / 1024.0)));
    QCOMPARE(fe.progress, 100);
    QVERIFY(fe.statuses.contains(QStringLiteral("Verbonden")));
    QVERIFY(fe.startEnabled && fe.cancelEnabled);
}

void TstUpdate::noLocalFile()
{
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Local local(server.port(), false);
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::Replaced));
    QCOMPARE(local.bytes(), penfbytes::nineRecords());
    QVERIFY(!QFileInfo::exists(local.backup));
}

void TstUpdate::alreadyCurrent()
{
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir, oldCatalogue()));
    QVERIFY(server.start());
    Local local(server.port());
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::AlreadyCurrent));
    QCOMPARE(fe.messages, QStringList{QStringLiteral("Uw P&&F-versie hoeft niet bijgwerkt te worden.")});
    QVERIFY(fe.questions.isEmpty());
    QCOMPARE(local.bytes(), oldCatalogue());
}

void TstUpdate::declined()
{
    FakePeer peer([](FakePeer::Conn &c) { offerVersion(c); });
    Local local(peer.port());
    ScriptedUpdateFrontEnd fe;
    fe.answer = false;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::NotDone));
    QVERIFY(fe.messages.isEmpty());
    QVERIFY(peer.received().endsWith("P&F-VERSION\r\n")); // nothing more
    QCOMPARE(local.bytes(), oldCatalogue());
    QVERIFY(fe.startEnabled && fe.cancelEnabled);
}

void TstUpdate::sizeMismatch()
{
    FakePeer peer([](FakePeer::Conn &c) {
        offerVersion(c);
        c.recvLine(); // WANT P&F-FILE
        c.send("SENDING\r\n" + wire::encodeSize(100000) + wire::encodeInt(99999) + QByteArray(99999, 'x'));
        c.recvLine();
    });
    Local local(peer.port());
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::NotDone));
    QCOMPARE(fe.messages, QStringList{QStringLiteral("Bestand is beschadigd!\rProbeer het later nog eens.")});
    QVERIFY(peer.received().endsWith("WANT P&F-FILE\r\nERROR\r\n"));
    QCOMPARE(local.bytes(), oldCatalogue());
    QVERIFY(!QFileInfo::exists(local.backup));
    QCOMPARE(fe.sizes, (QStringList{QStringLiteral("98 kB"), QStringLiteral("98 kB")}));
}

void TstUpdate::leftoverBackup()
{
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Local local(server.port());
    QFile stale(local.backup);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::FileInUse));
    QCOMPARE(fe.messages, QStringList{QStringLiteral("Bijwerken onmogelijk:\rBestand in gebruik.")});
    QCOMPARE(local.bytes(), oldCatalogue());
}

void TstUpdate::interruptedDownloadAtStart_data()
{
    QTest::addColumn<int>("current"); // bytes of the new catalogue left; -1: none, -2: whole
    QTest::addColumn<bool>("withBackup");
    QTest::addColumn<bool>("recovered");
    // Cut inside the price tiers format A announces, and inside the header. (A cut between
    // whole format records cannot be told from a shorter catalogue: that file stays.)
    QTest::newRow("afgebroken in de prijstrappen") << 1152 * 4 + 600 << true << true;
    QTest::newRow("afgebroken in de kop") << 100 << true << true;
    QTest::newRow("nieuw bestand ontbreekt") << -1 << true << true;
    // A good download whose clean-up failed: left for the update to report.
    QTest::newRow("opruimen mislukt") << -2 << true << false;
    QTest::newRow("geen reservekopie") << 1152 * 4 + 600 << false << false;
}

void TstUpdate::interruptedDownloadAtStart()
{
    QFETCH(int, current);
    QFETCH(bool, withBackup);
    QFETCH(bool, recovered);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PenF.dat"));
    const QString backup = TUpdateExchange::BackupName(path);
    const QByteArray fresh = newCatalogue();
    auto write = [](const QString &p, const QByteArray &b) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(b);
    };
    if (withBackup)
        write(backup, oldCatalogue());
    if (current != -1)
        write(path, current == -2 ? fresh : fresh.left(current));
    const QByteArray before = current == -1 ? QByteArray() : (current == -2 ? fresh : fresh.left(current));

    QCOMPARE(TUpdateExchange::RecoverInterruptedDownload(path), recovered);
    auto bytes = [](const QString &p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    if (recovered) {
        QCOMPARE(bytes(path), oldCatalogue());
        QVERIFY(!QFileInfo::exists(backup));
    } else {
        QCOMPARE(bytes(path), before);
        QCOMPARE(QFileInfo::exists(backup), withBackup);
    }
}

void TstUpdate::notSending()
{
    FakePeer peer([](FakePeer::Conn &c) {
        offerVersion(c);
        c.recvLine();
        c.send("RETRY\r\n");
    });
    Local local(peer.port());
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::NotDone));
    QCOMPARE(fe.messages, QStringList{QStringLiteral("Er wordt een nieuwe bestand op de server \rgeïnstalleerd.\r"
                                                     "Probeer het over enkele ogenblikken nogmaals.")});
    QCOMPARE(local.bytes(), oldCatalogue()); // the backup was put back
    QVERIFY(!QFileInfo::exists(local.backup));
}

void TstUpdate::cuts_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("after the greeting") << 0;
    QTest::newRow("after the version") << 1;
    QTest::newRow("after SENDING") << 2;
    QTest::newRow("mid-block") << 3;
}

void TstUpdate::cuts()
{
    QFETCH(int, step);
    FakePeer peer([step](FakePeer::Conn &c) {
        greet(c);
        if (step == 0)
            return c.close();
        c.recvLine();
        c.send("VERSION\r\n01122028-03\r\n");
        if (step == 1)
            return c.close();
        c.recvLine();
        c.send("SENDING\r\n");
        if (step == 2)
            return c.close();
        c.send(wire::encodeSize(50000) + wire::encodeInt(50000) + QByteArray(20000, 'x'));
        c.close();
    });
    Local local(peer.port());
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::NotDone));
    QCOMPARE(fe.messages.size(), 1);
    QCOMPARE(local.bytes(), oldCatalogue());
    QVERIFY(!QFileInfo::exists(local.backup));
    QCOMPARE(local.catalogue->Versienummer(), uint8_t(2));
    QVERIFY(fe.startEnabled && fe.cancelEnabled);
}

void TstUpdate::silentServer()
{
    // The server stops sending in the middle of the block and keeps the connection open.
    FakePeer peer([](FakePeer::Conn &c) {
        offerVersion(c);
        c.recvLine();
        c.send("SENDING\r\n" + wire::encodeSize(50000) + wire::encodeInt(50000) + QByteArray(20000, 'x'));
        c.drain(3000); // until the client gives up
    });
    Local local(peer.port());
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    x.SetSilenceLimit(500);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::NotDone));
    QCOMPARE(fe.messages,
             QStringList{QStringLiteral("De verbinding met de server is verbroken.\rProbeer het later nog eens.")});
    QCOMPARE(local.bytes(), oldCatalogue());
    QVERIFY(fe.startEnabled && fe.cancelEnabled);
}

void TstUpdate::cancelled()
{
    // Annuleren while the download stalls.
    FakePeer peer([](FakePeer::Conn &c) {
        offerVersion(c);
        c.recvLine();
        c.send("SENDING\r\n" + wire::encodeSize(50000) + wire::encodeInt(50000) + QByteArray(20000, 'x'));
        c.drain(3000);
    });
    Local local(peer.port());
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    fe.onEvents = [&] {
        if (fe.cancelEnabled && !fe.received.isEmpty())
            x.Cancel();
    };
    QCOMPARE(x.Updaten(), int(TUpdateExchange::NotDone));
    QCOMPARE(fe.messages, QStringList{QStringLiteral("Het bijwerken is geannuleerd.")});
    QCOMPARE(local.bytes(), oldCatalogue());
    QVERIFY(!x.Running());
}

void TstUpdate::greetingReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("message");
    QTest::newRow("blocked") << QByteArray("BLOCKED IP") << QByteArray()
                             << QStringLiteral("Uw IP-adres is geblokkeerd.\rNeem contact op met \"Lichtvonk Nu\".");
    QTest::newRow("no catalogue") << QByteArray("NO PENF AVAILABLE") << QByteArray()
                                  << QStringLiteral("Er kan momenteel niet gecontroleerd worden\rop een nieuwe "
                                                    "versie.\rProbeer het later nog eens.");
    QTest::newRow("retry") << QByteArray("TRYLATER") << QByteArray("RETRY")
                           << QStringLiteral("Er wordt een nieuw bestand op de server \rgeïnstalleerd.\rProbeer het "
                                             "over enkele ogenblikken nogmaals.");
    QTest::newRow("other") << QByteArray("REFUSED") << QByteArray("WHAT")
                           << QStringLiteral("Bijwerken momenteel niet mogelijk.\rProbeert u het later nog eens.");
}

void TstUpdate::greetingReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, version);
    QFETCH(QString, message);
    FakePeer peer([reply, version](FakePeer::Conn &c) {
        c.send("Welkom\r\n");
        c.recvLine();
        c.send(reply + "\r\n");
        if (!version.isEmpty() && c.recvLine() == "P&F-VERSION\r\n")
            c.send(version + "\r\n");
    });
    Local local(peer.port());
    ScriptedUpdateFrontEnd fe;
    TUpdateExchange x(*local.catalogue, &local.store, fe);
    QCOMPARE(x.Updaten(), int(TUpdateExchange::NotDone));
    QCOMPARE(fe.messages, QStringList{message});
    QCOMPARE(local.bytes(), oldCatalogue());
}

QTEST_GUILESS_MAIN(TstUpdate)
#include "tst_update.moc"
