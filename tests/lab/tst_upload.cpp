// The upload job end to end: TUploadThread against kiekjesbode-lab on an ephemeral 127.0.0.1
// port, against scripted peers for the answers the lab never gives, and through a relay
// that cuts the connection at a chosen step. A scripted front end answers; every wait is
// bounded.
#include "FakePeer.h"
#include "LabServer.h"
#include "Relay.h"
#include "UploadFixture.h"

#include "app/DateTime.h"
#include "catalogue/UPenF.h"
#include "lab/UDataModule.h"
#include "lab/UMailFile.h"
#include "lab/Verzenden.h"
#include "lab/Wire.h"
#include "order/TOrderItem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <mutex>

namespace {
constexpr TDateTime Now = 40015.25; // 21 July 2009, 06:00

// Answers and records what the upload shows; called from the upload thread.
class ScriptedFrontEnd : public IUploadFrontEnd {
public:
    int calculationAnswer = mrYes;
    QList<int> askAnswers;                           // taken in turn; then mrCancel
    std::function<void(int)> onFileProgress;         // runs on the upload thread
    std::function<void(const QString &)> onAsk;

    QStringList messages() const { std::lock_guard l(m); return m_messages; }
    QStringList questions() const { std::lock_guard l(m); return m_questions; }
    QStringList sizeTexts() const { std::lock_guard l(m); return m_sizes; }
    QStringList timeTexts() const { std::lock_guard l(m); return m_times; }
    QList<int> orderProgress() const { std::lock_guard l(m); return m_orderProgress; }
    QString news() const { std::lock_guard l(m); return m_news; }
    QString serverVersion() const { std::lock_guard l(m); return m_serverVersion; }
    QString orderValue() const { std::lock_guard l(m); return m_orderValue; }
    QString calculation() const { std::lock_guard l(m); return m_calculation; }
    int closedWith() const { std::lock_guard l(m); return m_closed; }
    bool startEnabled() const { std::lock_guard l(m); return m_start; }
    bool progressShowing() const { std::lock_guard l(m); return m_progressShowing; }
    QStringList captions() const { std::lock_guard l(m); return m_captions; }
    bool done = false; // main thread only
    bool runUpdate = false;

    void ShowMsg(const QString &text) override { std::lock_guard l(m); m_messages << text; }
    int AskMsg(const QString &text, TMsgType, unsigned, int) override
    {
        {
            std::lock_guard l(m);
            m_questions << text;
        }
        if (onAsk)
            onAsk(text);
        std::lock_guard l(m);
        return askAnswers.isEmpty() ? int(mrCancel) : askAnswers.takeFirst();
    }
    int ConfirmCalculation(const QString &text, const std::vector<TCalculationRow> &) override
    {
        std::lock_guard l(m);
        m_calculation = text;
        return calculationAnswer;
    }
    void ShowNews(const QString &news) override { std::lock_guard l(m); m_news = news; }
    void ShowServerVersion(const QString &v) override { std::lock_guard l(m); m_serverVersion = v; }
    void ShowOrderValue(const QString &t) override { std::lock_guard l(m); m_orderValue = t; }
    void ShowSizeAndTime(const QString &size, const QString &time) override
    {
        std::lock_guard l(m);
        m_sizes << size;
        m_times << time;
    }
    void ShowOrderProgress(int p) override { std::lock_guard l(m); m_orderProgress << p; }
    void ShowInfoText(const QString &) override {}
    void ShowFileProgress(int p) override
    {
        if (onFileProgress)
            onFileProgress(p);
    }
    void SetStartEnabled(bool e) override { std::lock_guard l(m); m_start = e; }
    void SetProgress(int, const QString &, const QString &caption) override
    {
        std::lock_guard l(m);
        m_progressShowing = true;
        if (m_captions.isEmpty() || m_captions.last() != caption)
            m_captions << caption;
    }
    void HideProgress() override { std::lock_guard l(m); m_progressShowing = false; }
    void CloseDialog(int r) override { std::lock_guard l(m); m_closed = r; }
    void UploadDone(bool update) override
    {
        // The window thread: the dialog forgets the thread and Start is usable again.
        QVERIFY(QThread::currentThread() == QCoreApplication::instance()->thread());
        std::lock_guard l(m);
        m_start = true;
        runUpdate = update;
        done = true;
    }

private:
    mutable std::mutex m;
    QStringList m_messages, m_questions, m_sizes, m_times, m_captions;
    QList<int> m_orderProgress;
    QString m_news, m_serverVersion, m_orderValue, m_calculation;
    int m_closed = -1;
    bool m_start = true;
    bool m_progressShowing = false;
};

// One order in a temporary folder: photos, catalogue, data folder.
struct Setup {
    QTemporaryDir dir;
    QString dataDir = dir.filePath(QStringLiteral("data"));
    std::unique_ptr<TPenFFile> catalogue;
    TUploadOrder order;
    QStringList photos;

    explicit Setup(QList<qint64> sizes = {3000, 5000})
    {
        QDir().mkpath(dataDir);
        const QString penf = dir.filePath(QStringLiteral("PenF.dat"));
        QFile f(penf);
        f.open(QIODevice::WriteOnly);
        f.write(penfbytes::nineRecords());
        f.close();
        catalogue = std::make_unique<TPenFFile>(penf, 0, 0);
        catalogue->LoadFromFile();
        order.Catalogue = catalogue.get();
        order.LocalVersion = fixture::CatalogueVersion;
        order.UploadSpeed = 56;
        order.ShortDateFormat = QStringLiteral("d-M-yyyy");
        order.Customer.Achternaam = QStringLiteral("Klant");
        order.Customer.Afhaallocatie = QStringLiteral("Amstelrade");
        for (int i = 0; i < sizes.size(); ++i) {
            photos << fixture::writePhoto(dir, QStringLiteral("foto%1.jpg").arg(i), sizes[i], i + 1);
            addItem(i, 1 + i);
        }
    }
    void addItem(int photo, uint16_t count, const char *format = "A")
    {
        TOrderItem item;
        item.Bestand = photos[photo];
        item.Aantal = count;
        item.Formaat = QLatin1String(format);
        item.Grootte = QFileInfo(photos[photo]).size();
        order.Items.push_back(item);
    }
    QString journal() const { return dataDir + QStringLiteral("/OrderFile"); }
    QString orderData() const { return dataDir + QStringLiteral("/OrderData"); }
    std::optional<TMailFile> readJournal() const
    {
        QFile f(journal());
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        return TMailFile::fromBytes(f.readAll());
    }
};

// Runs one upload to its end (UploadDone included); false when it did not end in time.
bool runUpload(Setup &s, TDM &dm, ScriptedFrontEnd &fe, TUploadThread **thread = nullptr)
{
    TUploadThread *t = TUploadThread::Start(s.dataDir, s.order, dm, fe);
    if (thread)
        *thread = t;
    if (!t)
        return true;
    QPointer<TUploadThread> guard(t);
    QElapsedTimer timer;
    timer.start();
    while ((!fe.done || guard) && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return fe.done && !guard;
}

// A connection aimed at a port of 127.0.0.1.
struct Connection : TDM {
    explicit Connection(quint16 port)
    {
        SetHost(QStringLiteral("127.0.0.1"));
        SetPort(port);
    }
};

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Server side of a scripted peer up to the container: greeting, news, version.
void greetAndVersion(FakePeer::Conn &c, const QByteArray &version = "01122028-03")
{
    c.send("Welkom\r\n");
    c.recvLine();
    c.send("VERIFIED\r\n");
    c.recvLine(); // NEWSANDINFO
    c.send("Nieuws\r\n");
    c.recvLine(); // P&FVERSION
    c.send(version + "\r\n");
}
// Reads a block (length and bytes) sent by the client.
QByteArray recvBlock(FakePeer::Conn &c)
{
    const QByteArray n = c.recv(4);
    if (n.size() != 4)
        return {};
    return c.recv(qFromBigEndian<int32_t>(n.constData()));
}
// Takes the container, files it as order 77 and answers the calculation with one line.
void numberAndCalculation(FakePeer::Conn &c)
{
    greetAndVersion(c);
    c.recvLine(); // SENDMAILFILE
    c.send(wire::encodeInt(1));
    recvBlock(c);
    c.send(wire::encodeInt(77));
    c.recvLine(); // CALCULATEORDER
    c.recvLine();
    c.send(wire::encodeInt(1) + "Totaal=;;1,17\r\n");
}
} // namespace

class TstUpload : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        datetime::setClockForTesting([] { return Now; });
        TUploadThread::MissingRetryMs = 10;
    }
    void cleanup() { datetime::setClockForTesting({}); }
    void helpers();
    void fullUpload_data();
    void fullUpload();
    void pickupHost();
    void calculationDeclined();
    void containerRefused();
    void wrongNumberThenRight();
    void blockRefused();
    void catalogueVersion_data();
    void catalogueVersion();
    void missingPhoto();
    void noPhotosLeft();
    void notConnected();
    void faults_data();
    void faults();
    void stopMidPhoto();
    void photoFolderInUse();
};

void TstUpload::helpers()
{
    QCOMPARE(EstimateSeconds(1000000, 56), std::optional<int64_t>(140));
    QCOMPARE(UploadTimeText(140, 56), QStringLiteral("00:02:20 (hh:mm:ss) (56 kb/s)"));
    QCOMPARE(UploadTimeText(3 * 3600 + 61, 8), QStringLiteral("03:01:01 (hh:mm:ss) (8 kb/s)"));
    QCOMPARE(EstimateSeconds(1000, 0), std::nullopt);
    QCOMPARE(SizeText(2048000), QStringLiteral("2000 kB"));
    QCOMPARE(ConnectionErrorMessage(207), QStringLiteral("Uw IP-adres is geblokkeerd."));
    QCOMPARE(ConnectionErrorMessage(204), QStringLiteral("Onbekende fout opgetreden."));
    QCOMPARE(ConnectionErrorMessage(0), QStringLiteral("Onbekende fout opgetreden."));
    QVERIFY(ConnectionErrorMessage(202).startsWith(QStringLiteral("Uw toepassing is mogelijk verouderd.\rKijk op \"")));

    // A file whose reported size is not what it holds is a failed copy.
    QTemporaryDir dir;
    QVERIFY(!CopyFileChecked(QStringLiteral("/proc/self/status"), dir.filePath(QStringLiteral("c"))));
    const QString photo = fixture::writePhoto(dir, QStringLiteral("p"), 100000, 3);
    QVERIFY(CopyFileChecked(photo, dir.filePath(QStringLiteral("c"))));
    QCOMPARE(fileBytes(dir.filePath(QStringLiteral("c"))), fileBytes(photo));
    QVERIFY_THROWS_EXCEPTION(EInOutError, CopyFileChecked(dir.filePath(QStringLiteral("none")), dir.filePath(QStringLiteral("d"))));

    // The three endings of the final message.
    TMailFile mail{QString()};
    TKlantGegevens k;
    k.Afhaallocatie = QStringLiteral("Veldmeer");
    mail.SetCustomer(k);
    mail.SetOrderNumber(1234);
    mail.SetOrderDate(datetime::encodeDate(2007, 12, 24));
    const TDateTime ready = datetime::encodeDate(2007, 12, 27) + datetime::encodeTime(14, 5, 0);
    const QString head = QStringLiteral("Uw order is geplaatst op 24-12-2007.\r\rHet volgende nummer dient als "
                                        "referentie.\r\rOrdernummer: 1234\r\r");
    QCOMPARE(CompletionMessage(mail, k, ready, QStringLiteral("d-M-yyyy"), QString()),
             head + QStringLiteral("U kunt de foto's op 27-12-2007 afhalen in Veldmeer."));
    k.Versturen = true;
    QCOMPARE(CompletionMessage(mail, k, ready, QStringLiteral("d-M-yyyy"), QString()),
             head + QStringLiteral("U kunt de foto's voor of op 27-12-2007 thuis verwachten."));
    k.Snelservice = true;
    QCOMPARE(CompletionMessage(mail, k, ready, QStringLiteral("d-M-yyyy"), QString()),
             head + QStringLiteral("U kunt de foto's op 27-12-2007 om 14:05:00 afhalen in Veldmeer\r (gedurende de "
                                   "openingstijden of anders na 10 uur 's ochtends)."));
    mail.SetOrderDate(0);
    QVERIFY(CompletionMessage(mail, k, ready, QStringLiteral("d-M-yyyy"), QString())
                .startsWith(QStringLiteral("Uw order is geplaatst op 30-12-1899.")));
}

void TstUpload::fullUpload_data()
{
    QTest::addColumn<bool>("samePhotoTwice");
    QTest::newRow("two photos") << false;
    QTest::newRow("two items for one photo") << true;
}

void TstUpload::fullUpload()
{
    QFETCH(bool, samePhotoTwice);
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Setup s;
    if (samePhotoTwice)
        s.addItem(0, 2, "B");
    Connection dm(server.port());
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));

    QCOMPARE(fe.messages().size(), 1);
    QCOMPARE(fe.closedWith(), int(mrOk));
    QVERIFY(fe.startEnabled());
    QVERIFY(!fe.progressShowing());
    QCOMPARE(fe.captions(), QStringList{QStringLiteral("Kiekjes Bode - Samenstellen")});
    QCOMPARE(fe.news(), QStringLiteral("Nieuws van het lab"));
    QCOMPARE(fe.serverVersion(), fixture::CatalogueVersion);
    QCOMPARE(fe.sizeTexts().first(), QStringLiteral("8 kB")); // 8000 bytes, each photo once
    // The estimate at 56 kbit/s, then after each photo at the measured speed (no whole second
    // has passed on the test clock: as if one had): 5000 bytes left at 3000 a second, then none.
    QCOMPARE(fe.timeTexts(), (QStringList{QStringLiteral("00:00:01 (hh:mm:ss) (56 kb/s)"),
                                          QStringLiteral("00:00:02 (hh:mm:ss) (23 kb/s)"),
                                          QStringLiteral("00:00:00 (hh:mm:ss) (62 kb/s)")}));
    QCOMPARE(fe.orderProgress(), (QList<int>{0, 33, 67, 100}));
    QVERIFY(fe.calculation().contains(QStringLiteral("\r\nTotaal=")));
    QVERIFY(fe.orderValue().endsWith(QStringLiteral(" (inclusief evt. porto)")));

    const auto journal = s.readJournal();
    QVERIFY(journal);
    const int32_t nr = journal->OrderNumber();
    QCOMPARE(nr, TLabSpool::FirstOrderNumber);
    QCOMPARE(journal->OrderDate(), 40015.0);
    QVERIFY(journal->AllSent());
    QCOMPARE(journal->FileCount(), uint16_t(2));
    QVERIFY(!QFileInfo::exists(s.orderData()));
    QCOMPARE(fe.messages().first(),
             QStringLiteral("Uw order is geplaatst op 21-7-2009.\r\rHet volgende nummer dient als referentie.\r\r"
                            "Ordernummer: 1001\r\rU kunt de foto's op 24-7-2009 afhalen in Amstelrade."));

    TLabSpool spool(labDir.filePath(QStringLiteral("lab")));
    const auto orders = spool.orders();
    QCOMPARE(orders.size(), size_t(1));
    QVERIFY(orders[0].complete());
    QCOMPARE(orders[0].Files, 2);
    for (const QString &photo : s.photos)
        QCOMPARE(fileBytes(spool.orderFolder(nr) + QLatin1Char('/') + QString::number(journal->FileNumber(photo))),
                 fileBytes(photo));
    QVERIFY(!dm.IsConnected());
    QCOMPARE(dm.Host(), QStringLiteral("127.0.0.1"));
}

void TstUpload::pickupHost()
{
    // The pickup location's own host is used; the default host comes back afterwards.
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Setup s({1000});
    s.catalogue->AddLocation(QStringLiteral("127.0.0.1"), QStringLiteral("Lablokaal"));
    s.order.Customer.Afhaallocatie = QStringLiteral("Lablokaal");
    TDM dm;
    dm.SetHost(QString()); // the default host cannot be reached
    dm.SetPort(server.port());
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));
    QCOMPARE(fe.closedWith(), int(mrOk));
    QCOMPARE(dm.Host(), QString());
}

void TstUpload::calculationDeclined()
{
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Setup s;
    Connection dm(server.port());
    ScriptedFrontEnd fe;
    fe.calculationAnswer = mrNo;
    QVERIFY(runUpload(s, dm, fe));
    QVERIFY(fe.messages().isEmpty());
    QCOMPARE(fe.closedWith(), -1);
    QCOMPARE(s.readJournal()->OrderNumber(), TLabSpool::FirstOrderNumber);
    // The server withdrew the order.
    // The withdrawal reaches the server after the client has gone on.
    QTRY_VERIFY_WITH_TIMEOUT(TLabSpool(labDir.filePath(QStringLiteral("lab"))).orders().empty(), 5000);
    QVERIFY(QFileInfo::exists(s.orderData()));
}

void TstUpload::containerRefused()
{
    FakePeer peer([](FakePeer::Conn &c) {
        greetAndVersion(c);
        c.recvLine(); // SENDMAILFILE
        c.send(wire::encodeInt(1));
        recvBlock(c);
        c.send(wire::encodeInt(0));
    });
    Setup s;
    Connection dm(peer.port());
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));
    QCOMPARE(fe.messages(), QStringList{QStringLiteral("Fout opgetreden bij het versturen van het orderbestand.")});
    QVERIFY(peer.received().endsWith("DELETEORDER\r\n0\r\nDISCONNECT\r\n"));
    QCOMPARE(s.readJournal()->OrderNumber(), 0);
}

void TstUpload::wrongNumberThenRight()
{
    // The photo is filed under another order number twice, then under the right one.
    FakePeer peer([](FakePeer::Conn &c) {
        numberAndCalculation(c);
        for (int32_t answer : {78, 79, 77}) {
            c.recvLine(); // SENDFILE
            c.recvLine();
            c.recv(4);
            c.send(wire::encodeInt(1));
            recvBlock(c);
            c.send(wire::encodeInt(answer));
        }
        c.recvLine(); // GETRECEIVEDATE
        c.recvLine();
        c.send(wire::encodeInt(40015));
        c.recvLine(); // ORDERREADY
        c.recvLine();
        c.send("060000 24072009\r\n");
    });
    Setup s({2000});
    Connection dm(peer.port());
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));
    const QString notArrived = QStringLiteral("Bestand \"") + s.photos[0] + QStringLiteral("\" is niet goed aan gekomen!");
    const QStringList messages = fe.messages();
    QCOMPARE(messages.size(), 5);
    QCOMPARE(messages.mid(0, 4), (QStringList{QStringLiteral("OrderNr (local): 77\rOrderNr (received): 78"), notArrived,
                                              QStringLiteral("OrderNr (local): 77\rOrderNr (received): 79"), notArrived}));
    QVERIFY(messages[4].contains(QStringLiteral("Ordernummer: 77")));
    QCOMPARE(fe.closedWith(), int(mrOk));
    QVERIFY(s.readJournal()->AllSent());
    QVERIFY(fe.calculation() == QStringLiteral("Totaal=;;1,17"));
}

void TstUpload::blockRefused()
{
    // The server refuses the photo's block but answers the right number: never marked sent.
    FakePeer peer([](FakePeer::Conn &c) {
        numberAndCalculation(c);
        c.recvLine(); // SENDFILE
        c.recvLine();
        c.recv(4);
        c.send(wire::encodeInt(0) + wire::encodeInt(77));
    });
    Setup s({2000});
    Connection dm(peer.port());
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));
    QCOMPARE(fe.messages(),
             QStringList{QStringLiteral("Bestand \"") + s.photos[0] + QStringLiteral("\" is niet goed aan gekomen!")});
    QCOMPARE(fe.closedWith(), -1);
    bool sent = true;
    QVERIFY(s.readJournal()->GetSent(s.photos[0], sent));
    QVERIFY(!sent);
    QVERIFY(peer.received().contains("DELETEORDER\r\n77\r\n"));
}

void TstUpload::catalogueVersion_data()
{
    QTest::addColumn<QByteArray>("serverVersion");
    QTest::addColumn<QString>("localVersion");
    QTest::addColumn<bool>("update");
    QTest::addColumn<QString>("text");
    QTest::newRow("differs") << QByteArray("02122028-04") << fixture::CatalogueVersion << true
                             << QStringLiteral("Uw P&&F-bestand is verouderd.\rU wordt nu gevraagd om een nieuw P&&F-"
                                               "bestand te downloaden.\rKlik op [Start] in het volgende venster.\r"
                                               "Hierna kunt u de order opnieuw verzenden.");
    QTest::newRow("letter case only") << QByteArray("01122028-0A") << QStringLiteral("01122028-0a") << false
                                      << QString();
    QTest::newRow("empty") << QByteArray() << fixture::CatalogueVersion << false
                           << QStringLiteral("Er wordt een nieuw bestand op de server\rgeïnstalleerd.\rProbeer het "
                                             "over enkele ogenblikken nogmaals.");
}

void TstUpload::catalogueVersion()
{
    QFETCH(QByteArray, serverVersion);
    QFETCH(QString, localVersion);
    QFETCH(bool, update);
    QFETCH(QString, text);
    FakePeer peer([serverVersion](FakePeer::Conn &c) {
        greetAndVersion(c, serverVersion);
        // An equal version goes on with the container, which this peer refuses.
        if (c.recvLine() == "SENDMAILFILE\r\n")
            c.send(wire::encodeInt(0) + wire::encodeInt(0));
    });
    Setup s({1000});
    s.order.LocalVersion = localVersion;
    Connection dm(peer.port());
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));
    QCOMPARE(fe.runUpdate, update);
    const QByteArray got = peer.received();
    if (text.isEmpty()) {
        QVERIFY(got.contains("SENDMAILFILE"));
    } else {
        QVERIFY(!got.contains("SENDMAILFILE"));
        QCOMPARE(update ? fe.questions() : fe.messages(), QStringList{text});
    }
    QCOMPARE(dm.Host(), QStringLiteral("127.0.0.1"));
}

void TstUpload::missingPhoto()
{
    // One photo is missing: Retry once (still missing), then Cancel; the order goes without it.
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Setup s;
    const QString gone = s.photos[1];
    QFile::remove(gone);
    Connection dm(server.port());
    ScriptedFrontEnd fe;
    fe.askAnswers = {mrRetry, mrCancel};
    QVERIFY(runUpload(s, dm, fe));
    const QString q = QStringLiteral("Het bestand \"") + gone +
                      QStringLiteral("\" kon niet worden gevonden. Heeft u de bron verwijderd en wilt u de afbeelding "
                                     "alsnog laden, of wilt u de afbeelding uit de order verwijderen?");
    QCOMPARE(fe.questions(), (QStringList{q, q}));
    QCOMPARE(fe.closedWith(), int(mrOk));
    const auto journal = s.readJournal();
    QCOMPARE(journal->FileCount(), uint16_t(1));
    QVERIFY(journal->AllSent());
}

void TstUpload::noPhotosLeft()
{
    FakePeer::m_extraWaitMs = 300;
    FakePeer peer(std::vector<FakePeer::Script>{});
    Setup s({1000});
    QFile::remove(s.photos[0]);
    Connection dm(peer.port());
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));
    QCOMPARE(fe.messages(), QStringList{QStringLiteral("De order bevat geen foto's meer en wordt niet verzonden.")});
    QCOMPARE(peer.accepted(), 0); // nothing was sent
    FakePeer::m_extraWaitMs = 200;
}

void TstUpload::notConnected()
{
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    Setup s({1000});
    Connection dm(port);
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));
    QCOMPARE(fe.messages(), QStringList{ConnectionErrorMessage(201)});
    QVERIFY(QFileInfo::exists(s.orderData() + QStringLiteral("/1")));
    QCOMPARE(s.readJournal()->OrderNumber(), 0);
}

void TstUpload::faults_data()
{
    QTest::addColumn<QByteArray>("marker");
    QTest::addColumn<qint64>("extra");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("allSent");
    QTest::newRow("after the greeting") << QByteArray("NEWSANDINFO\r\n") << qint64(-13) << false << false;
    QTest::newRow("mid-container") << QByteArray("SENDMAILFILE\r\n") << qint64(800) << false << false;
    QTest::newRow("after the order number") << QByteArray("CALCULATEORDER\r\n") << qint64(-16) << true << false;
    QTest::newRow("mid-photo") << QByteArray("SENDFILE\r\n") << qint64(3000) << true << false;
    QTest::newRow("before the ready date") << QByteArray("ORDERREADY\r\n") << qint64(-12) << true << true;
}

void TstUpload::faults()
{
    QFETCH(QByteArray, marker);
    QFETCH(qint64, extra);
    QFETCH(bool, numbered);
    QFETCH(bool, allSent);
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Setup s({40000, 50000});
    {
        Relay relay(server.port(), marker, extra);
        Connection dm(relay.port());
        ScriptedFrontEnd fe;
        QVERIFY(runUpload(s, dm, fe));
        QVERIFY(relay.cut());
        QCOMPARE(fe.messages().size(), 1);
        QCOMPARE(fe.closedWith(), -1);
        QVERIFY(fe.startEnabled());
        QVERIFY(!dm.IsConnected());
        const auto journal = s.readJournal();
        QVERIFY(journal);
        QCOMPARE(journal->OrderNumber() != 0, numbered);
        QCOMPARE(journal->AllSent(), allSent);
        // The photos still wait in the photo folder.
        QVERIFY(QFileInfo::exists(s.orderData() + QStringLiteral("/1")));
    }
    // A second upload straight to the server works.
    Connection dm(server.port());
    ScriptedFrontEnd fe;
    QVERIFY(runUpload(s, dm, fe));
    QCOMPARE(fe.closedWith(), int(mrOk));
    QVERIFY(s.readJournal()->AllSent());
}

void TstUpload::stopMidPhoto()
{
    QTemporaryDir labDir;
    TLabServerThread server(fixture::labConfig(labDir));
    QVERIFY(server.start());
    Setup s({6 * 1024 * 1024, 1000});
    Connection dm(server.port());
    ScriptedFrontEnd fe;
    std::atomic<TUploadThread *> thread{nullptr};
    std::atomic_bool stopped{false};
    std::atomic_int calls{0};
    fe.onFileProgress = [&](int p) {
        // The container's block goes first; stop halfway through the first photo.
        if (p == 0)
            ++calls;
        if (calls.load() >= 2 && p >= 10 && thread.load() && !stopped.exchange(true)) {
            thread.load()->RequestStop();
            dm.AbortConnection();
        }
    };
    TUploadThread *t = TUploadThread::Start(s.dataDir, s.order, dm, fe);
    thread = t;
    QPointer<TUploadThread> guard(t);
    QTRY_VERIFY_WITH_TIMEOUT(fe.done && !guard, 10000);
    QVERIFY(stopped);
    QVERIFY(fe.messages().isEmpty());
    QCOMPARE(fe.closedWith(), -1);
    const auto journal = s.readJournal();
    QVERIFY(journal->OrderNumber() != 0);
    QVERIFY(!journal->AllSent());
    // The second photo was never sent.
    const QString folder = TLabSpool(labDir.filePath(QStringLiteral("lab"))).orderFolder(journal->OrderNumber());
    QVERIFY(!QFileInfo::exists(folder + QLatin1Char('/') + QString::number(journal->FileNumber(s.photos[1]))));
}

void TstUpload::photoFolderInUse()
{
    // The photo folder cannot be made (a file has its name): reported, no thread, Start usable.
    Setup s({1000});
    QFile blocker(s.orderData());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Connection dm(1);
    ScriptedFrontEnd fe;
    QVERIFY(!TUploadThread::Start(s.dataDir, s.order, dm, fe));
    QCOMPARE(fe.messages().size(), 1);
    QVERIFY(fe.messages().first().startsWith(s.orderData()));
    QVERIFY(fe.startEnabled());
    QVERIFY(!fe.done);
}

QTEST_GUILESS_MAIN(TstUpload)
#include "tst_upload.moc"
