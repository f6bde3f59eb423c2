// TDM against a scripted peer on 127.0.0.1: the exact bytes of every exchange, the reply
// matching of Connect, the broken and hostile replies, the abort from another thread.
#include "FakePeer.h"

#include "app/DateTime.h"
#include "app/Errors.h"
#include "app/SettingsStore.h"
#include "lab/UDataModule.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QByteArray Greeting = QByteArray("QX2.7HwKTKiekjesbode - Studio Meeuwenveld-Ros\r\n");

// The server's side of a successful greeting.
void greet(FakePeer::Conn &c, const QByteArray &reply = "VERIFIED\r\n")
{
    c.send("Welkom\r\n");
    c.recv(Greeting.size());
    c.send(reply);
}

struct Texts : TTextTarget {
    QStringList seen;
    void setText(const QString &t) override { seen << t; }
};
struct Bar : TProgressTarget {
    QList<int> seen;
    int minimum() const override { return 0; }
    int maximum() const override { return 1000; }
    void setPosition(int p) override { seen << p; }
};

// Runs a blocking call that never completes by itself and aborts it from another thread
// after 250 ms. Returns the milliseconds from the abort until the call failed; -1 when it
// did not fail with a network error.
qint64 abortDuring(TDM &dm, const std::function<void()> &call)
{
    QElapsedTimer t;
    std::atomic_bool started{false};
    std::thread aborter([&] {
        QThread::msleep(250);
        t.start();
        started = true;
        dm.AbortConnection();
    });
    bool failed = false;
    try {
        call();
    } catch (const ENetworkError &) {
        failed = true;
    }
    const qint64 ended = started ? t.elapsed() : -1;
    aborter.join();
    return failed ? ended : -1;
}

void connectTo(TDM &dm, const FakePeer &peer)
{
    dm.SetPort(peer.port());
    QVERIFY(dm.Connect(QStringLiteral("127.0.0.1")));
}
} // namespace

class TstDataModule : public QObject {
    Q_OBJECT
private slots:
    void connectReplies_data();
    void connectReplies();
    void greetingIsOneLine();
    void secondConnectSendsNothing();
    void connectRefusedPort();
    void emptyHostKeepsHost();
    void hostAndPortFromStore();
    void statusTexts();
    void disconnectSendsLine();
    void sendFileExample();
    void acceptLowByteOnly_data();
    void acceptLowByteOnly();
    void emptyBlockAndProgress();
    void progressTexts_data();
    void progressTexts();
    void blockInPieces();
    void calculateOrder_data();
    void calculateOrder();
    void hostileReplies_data();
    void hostileReplies();
    void receiveDate();
    void orderReady_data();
    void orderReady();
    void shortCommands();
    void idleHookBetweenSlices();
    void abortFromOtherThread();
    void abortPendingWrite();
    void streamTooLong();
    void catalogueDownload();
    void deleteDirectory();
};

void TstDataModule::connectReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("code");
    QTest::newRow("VERIFIED CR LF") << QByteArray("VERIFIED\r\n") << true << 0;
    QTest::newRow("VERIFIED LF") << QByteArray("VERIFIED\n") << true << 0;
    QTest::newRow("trailing space") << QByteArray("VERIFIED \r\n") << false << 200;
    QTest::newRow("lower case") << QByteArray("verified\r\n") << false << 200;
    QTest::newRow("REFUSED") << QByteArray("REFUSED\r\n") << false << 202;
    QTest::newRow("TRYLATER") << QByteArray("TRYLATER\r\n") << false << 203;
    QTest::newRow("NO PENF") << QByteArray("NO PENF AVAILABLE\r\n") << false << 203;
    QTest::newRow("SHUTTING DOWN") << QByteArray("SHUTTING DOWN\n") << false << 203;
    QTest::newRow("BLOCKED IP") << QByteArray("BLOCKED IP\r\n") << false << 207;
    QTest::newRow("closed before reply") << QByteArray() << false << 201;
    QTest::newRow("reply too long") << QByteArray(20000, 'V') << false << 201;
}

void TstDataModule::connectReplies()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(int, code);
    FakePeer peer([&](FakePeer::Conn &c) {
        greet(c, reply);
        if (reply.isEmpty() || reply.size() > 100)
            c.close();
    });
    TDM dm;
    dm.SetPort(peer.port());
    QCOMPARE(dm.Connect(QStringLiteral("127.0.0.1")), ok);
    QCOMPARE(dm.ErrorCode(), code);
    QCOMPARE(dm.IsConnected(), ok);
    if (ok)
        QVERIFY(dm.Disconnect());
}

void TstDataModule::greetingIsOneLine()
{
    FakePeer peer([](FakePeer::Conn &c) {
        c.send("hallo\r\n");
        // One line: code and identity text with nothing between them.
        QCOMPARE(c.recvLine(), QByteArray("QX2.7HwKTKiekjesbode - Studio Meeuwenveld-Ros\r\n"));
        c.send("VERIFIED\r\n");
    });
    TDM dm;
    connectTo(dm, peer);
    QVERIFY(dm.Disconnect());
}

void TstDataModule::secondConnectSendsNothing()
{
    FakePeer peer([](FakePeer::Conn &c) { greet(c); });
    TDM dm;
    connectTo(dm, peer);
    QVERIFY(!dm.Connect(QStringLiteral("127.0.0.1")));
    QCOMPARE(dm.ErrorCode(), 206);
    QVERIFY(dm.IsConnected());
    QVERIFY(dm.Disconnect());
    QCOMPARE(peer.received(), Greeting + "DISCONNECT\r\n");
    QCOMPARE(peer.accepted(), 1);
}

void TstDataModule::connectRefusedPort()
{
    // A port that was just free: nobody listens there.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    TDM dm;
    dm.SetPort(port);
    QVERIFY(!dm.Connect(QStringLiteral("127.0.0.1")));
    QCOMPARE(dm.ErrorCode(), 201);
    QVERIFY(!dm.IsConnected());
}

void TstDataModule::emptyHostKeepsHost()
{
    FakePeer peer([](FakePeer::Conn &c) { greet(c); });
    TDM dm;
    dm.SetHost(QStringLiteral("127.0.0.1"));
    dm.SetPort(peer.port());
    QVERIFY(dm.Connect(QString()));
    QCOMPARE(dm.Host(), QStringLiteral("127.0.0.1"));
    QVERIFY(dm.Disconnect());
}

void TstDataModule::hostAndPortFromStore()
{
    QTemporaryDir dir;
    TSettingsStore store(dir.filePath(QStringLiteral("k.ini")));
    {
        TDM dm(&store);
        QCOMPARE(dm.Host(), QStringLiteral(KIEKJES_DEFAULT_HOST));
        QCOMPARE(dm.Port(), 4000);
    }
    store.writeServerAddress(QStringLiteral("127.0.0.1"), 4123);
    TDM dm(&store);
    QCOMPARE(dm.Host(), QStringLiteral("127.0.0.1"));
    QCOMPARE(dm.Port(), 4123);
}

void TstDataModule::statusTexts()
{
    FakePeer peer([](FakePeer::Conn &c) { greet(c); });
    TDM dm;
    Texts s1, s3;
    dm.SetFeedbackControls(&s1, nullptr, &s3, nullptr, nullptr);
    connectTo(dm, peer);
    QVERIFY(dm.Disconnect());
    QVERIFY(s1.seen.contains(QStringLiteral("Verbinding maken...")));
    QCOMPARE(s1.seen.count(QStringLiteral("Verbonden")), 1);
    QCOMPARE(s1.seen.last(), QStringLiteral("Verbinding verbroken"));
    QCOMPARE(s3.seen, s1.seen);
    QCOMPARE(ConnectionStatusText(TConnectionState::Resolving), QStringLiteral("Zoeken naar server..."));
    QCOMPARE(ConnectionStatusText(TConnectionState::Disconnecting), QStringLiteral("Verbinding wordt verbroken..."));
    QCOMPARE(ConnectionStatusText(TConnectionState::Other), QStringLiteral("..."));
}

void TstDataModule::disconnectSendsLine()
{
    FakePeer peer([](FakePeer::Conn &c) { greet(c); });
    TDM dm;
    connectTo(dm, peer);
    QVERIFY(dm.Disconnect());
    QCOMPARE(dm.ErrorCode(), 0);
    QVERIFY(!dm.IsConnected());
    QCOMPARE(peer.received(), Greeting + "DISCONNECT\r\n");
    // Nothing left to close: still true, and operations now fail.
    QVERIFY(dm.Disconnect());
    QVERIFY_THROWS_EXCEPTION(ENetworkError, dm.GetNewsAndInfo());
}

void TstDataModule::sendFileExample()
{
    FakePeer peer([](FakePeer::Conn &c) {
        greet(c);
        c.recv(10 + 6 + 4);
        c.send(QByteArray::fromHex("00000001"));
        c.recv(4 + 5);
        c.send(QByteArray::fromHex("000004D2"));
    });
    TDM dm;
    connectTo(dm, peer);
    QByteArray photo("ABCDE");
    QBuffer data(&photo);
    data.open(QIODevice::ReadOnly);
    data.seek(3); // rewound before sending
    QCOMPARE(dm.SendFile(QStringLiteral("1234"), 2, data), 1234);
    QVERIFY(dm.Disconnect());
    QCOMPARE(peer.received(), Greeting + QByteArray("SENDFILE\r\n1234\r\n") + QByteArray::fromHex("00000002")
                                  + QByteArray::fromHex("00000005") + "ABCDE" + "DISCONNECT\r\n");
}

void TstDataModule::acceptLowByteOnly_data()
{
    QTest::addColumn<QByteArray>("accept");
    QTest::addColumn<bool>("sent");
    QTest::newRow("256 refuses") << QByteArray::fromHex("00000100") << false;
    QTest::newRow("1 accepts") << QByteArray::fromHex("00000001") << true;
    QTest::newRow("0 refuses") << QByteArray::fromHex("00000000") << false;
    QTest::newRow("-1 accepts") << QByteArray::fromHex("FFFFFFFF") << true;
}

void TstDataModule::acceptLowByteOnly()
{
    QFETCH(QByteArray, accept);
    QFETCH(bool, sent);
    FakePeer peer([&](FakePeer::Conn &c) {
        greet(c);
        c.recv(14);
        c.send(accept);
        if (sent)
            c.recv(4 + 3);
        c.send(QByteArray::fromHex("00000457"));
    });
    TDM dm;
    connectTo(dm, peer);
    QByteArray container("xyz");
    QBuffer data(&container);
    data.open(QIODevice::ReadOnly);
    QCOMPARE(dm.SendFile(QStringLiteral("ignored"), 0, data), 1111);
    QVERIFY(dm.Disconnect());
    const QByteArray expected = Greeting + "SENDMAILFILE\r\n"
        + (sent ? QByteArray::fromHex("00000003") + "xyz" : QByteArray()) + "DISCONNECT\r\n";
    QCOMPARE(peer.received(), expected);
}

void TstDataModule::emptyBlockAndProgress()
{
    FakePeer peer([](FakePeer::Conn &c) {
        greet(c);
        c.recv(14);
        c.send(QByteArray::fromHex("00000001"));
        c.recv(4);
        c.send(QByteArray::fromHex("00000009"));
    });
    TDM dm;
    Texts label;
    Bar bar;
    dm.SetFeedbackControls(nullptr, nullptr, nullptr, &bar, &label);
    connectTo(dm, peer);
    QBuffer data;
    data.open(QIODevice::ReadOnly);
    QCOMPARE(dm.SendFile(QString(), 0, data), 9);
    QVERIFY(dm.Disconnect());
    QCOMPARE(peer.received(), Greeting + "SENDMAILFILE\r\n" + QByteArray::fromHex("00000000") + "DISCONNECT\r\n");
    QCOMPARE(label.seen, (QStringList{"0 kB (0%)", "0 kB (100%)"}));
    QCOMPARE(bar.seen, (QList<int>{0, 1000}));
    QCOMPARE(dm.WorkMax(), 0);
}

void TstDataModule::progressTexts_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << qint64(5000) << "0 kB (0%)";
    QTest::newRow("half kB rounds to even 0") << qint64(512) << qint64(1024000) << "0 kB (0%)";
    QTest::newRow("1.5 kB rounds to even 2") << qint64(1536) << qint64(1024000) << "2 kB (0%)";
    QTest::newRow("2.5 kB rounds to even 2") << qint64(2560) << qint64(1024000) << "2 kB (0%)";
    QTest::newRow("12.5% rounds to 12") << qint64(1) << qint64(8) << "0 kB (12%)";
    QTest::newRow("37.5% rounds to 38") << qint64(3) << qint64(8) << "0 kB (38%)";
    QTest::newRow("end") << qint64(65536) << qint64(65536) << "64 kB (100%)";
}

void TstDataModule::progressTexts()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    QCOMPARE(SendProgressText(done, total), text);
}

void TstDataModule::blockInPieces()
{
    // 70000 bytes: pieces of 32768, 32768 and 4464; progress after each.
    const qint64 size = 70000;
    FakePeer peer([&](FakePeer::Conn &c) {
        greet(c);
        c.recv(14);
        c.send(QByteArray::fromHex("00000001"));
        c.recv(4 + size);
        c.send(QByteArray::fromHex("00000001"));
    });
    TDM dm;
    Texts label;
    Bar bar;
    dm.SetFeedbackControls(nullptr, nullptr, nullptr, &bar, &label);
    connectTo(dm, peer);
    QByteArray bytes(size, '\0');
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(i * 7);
    QBuffer data(&bytes);
    data.open(QIODevice::ReadOnly);
    QCOMPARE(dm.SendFile(QString(), 0, data), 1);
    QVERIFY(dm.Disconnect());
    QCOMPARE(peer.received().mid(Greeting.size() + 14 + 4, size), bytes);
    QCOMPARE(peer.received().mid(Greeting.size() + 14, 4), QByteArray::fromHex("00011170"));
    QCOMPARE(label.seen, (QStringList{"0 kB (0%)", "32 kB (47%)", "64 kB (94%)", "68 kB (100%)", "68 kB (100%)"}));
    QCOMPARE(bar.seen, (QList<int>{0, 468, 936, 1000, 1000}));
    QCOMPARE(dm.WorkMax(), size);
}

void TstDataModule::calculateOrder_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("N=2") << (QByteArray::fromHex("00000002") + "a=1;2;3\r\nTotaal=;;3,00\n") << true
                         << QStringList{"a=1;2;3", "Totaal=;;3,00"};
    QTest::newRow("N=0 then M=2") << (QByteArray::fromHex("0000000000000002") + "x=1;1;1,00\r\ny\r\n") << true
                                  << QStringList{"x=1;1;1,00", "y"};
    QTest::newRow("N=0 M=0") << QByteArray::fromHex("0000000000000000") << false << QStringList{};
    QTest::newRow("N=-5 then M=1") << (QByteArray::fromHex("FFFFFFFB00000001") + "z\r\n") << true << QStringList{"z"};
    QTest::newRow("N=0 M=-1") << QByteArray::fromHex("00000000FFFFFFFF") << false << QStringList{};
    QTest::newRow("one empty line") << (QByteArray::fromHex("00000001") + "\r\n") << true << QStringList{""};
}

void TstDataModule::calculateOrder()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, result);
    QFETCH(QStringList, lines);
    FakePeer peer([&](FakePeer::Conn &c) {
        greet(c);
        c.recv(16 + 6);
        c.send(reply);
    });
    TDM dm;
    connectTo(dm, peer);
    QStringList got;
    QCOMPARE(dm.CalculateOrder(QStringLiteral("1234"), got), result);
    QCOMPARE(got, lines);
    QVERIFY(dm.Disconnect());
    QCOMPARE(peer.received(), Greeting + "CALCULATEORDER\r\n1234\r\nDISCONNECT\r\n");
}

void TstDataModule::hostileReplies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("huge N") << QByteArray::fromHex("7FFFFFFF");
    QTest::newRow("huge M") << QByteArray::fromHex("00000000 7FFFFFFF");
    QTest::newRow("line too long") << (QByteArray::fromHex("00000001") + QByteArray(16385, 'x') + "\r\n");
    QTest::newRow("closed mid-int") << QByteArray::fromHex("0000");
    QTest::newRow("closed mid-line") << (QByteArray::fromHex("00000002") + "eerste\r\ntwee");
}

void TstDataModule::hostileReplies()
{
    QFETCH(QByteArray, reply);
    FakePeer peer([&](FakePeer::Conn &c) {
        greet(c);
        c.recv(22);
        c.send(reply);
        c.close();
    });
    TDM dm;
    connectTo(dm, peer);
    QStringList got;
    QElapsedTimer t;
    t.start();
    QVERIFY_THROWS_EXCEPTION(ENetworkError, dm.CalculateOrder(QStringLiteral("1234"), got));
    QVERIFY(t.elapsed() < 5000);
    dm.Disconnect();
    QVERIFY(!dm.IsConnected());
}

void TstDataModule::receiveDate()
{
    FakePeer peer(std::vector<FakePeer::Script>{
        [](FakePeer::Conn &c) {
            greet(c);
            c.recv(16 + 6);
            c.send(QByteArray::fromHex("00009C4F"));
        },
        [](FakePeer::Conn &c) {
            greet(c);
            c.recv(16 + 6);
            c.send(QByteArray::fromHex("00"));
            c.close();
        }});
    TDM dm;
    connectTo(dm, peer);
    const TDateTime d = dm.GetReceiveDate(QStringLiteral("1234"));
    QCOMPARE(d, 40015.0);
    QCOMPARE(datetime::toQDateTime(d), QDateTime(QDate(2009, 7, 21), QTime(0, 0)));
    QVERIFY(dm.Disconnect());
    // A broken connection gives 0, never an error.
    QVERIFY(dm.Connect(QString()));
    QCOMPARE(dm.GetReceiveDate(QStringLiteral("1234")), 0.0);
    dm.Disconnect();
    QCOMPARE(dm.GetReceiveDate(QStringLiteral("1234")), 0.0);
}

void TstDataModule::orderReady_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<double>("expected"); // -1: raises
    QTest::newRow("example") << QByteArray("143000 24122007\r\n")
                             << datetime::fromQDateTime(QDateTime(QDate(2007, 12, 24), QTime(14, 30)));
    QTest::newRow("zeros raise") << QByteArray("000000 00000000\r\n") << -1.0;
    QTest::newRow("month 13 raises") << QByteArray("143000 24132007\r\n") << -1.0;
    QTest::newRow("empty") << QByteArray("\r\n") << 0.0;
    QTest::newRow("letters") << QByteArray("abcdef ghijklmn\n") << 0.0;
    QTest::newRow("cut short") << QByteArray("143000 241220\r\n") << 0.0;
}

void TstDataModule::orderReady()
{
    QFETCH(QByteArray, reply);
    QFETCH(double, expected);
    FakePeer peer([&](FakePeer::Conn &c) {
        greet(c);
        c.recv(12 + 6);
        c.send(reply);
    });
    TDM dm;
    connectTo(dm, peer);
    if (expected < 0)
        QVERIFY_THROWS_EXCEPTION(EConvertError, dm.GetOrderReady(QStringLiteral("1234")));
    else
        QCOMPARE(dm.GetOrderReady(QStringLiteral("1234")), expected);
    QVERIFY(dm.Disconnect());
    QCOMPARE(peer.received(), Greeting + "ORDERREADY\r\n1234\r\nDISCONNECT\r\n");
}

void TstDataModule::shortCommands()
{
    FakePeer peer([](FakePeer::Conn &c) {
        greet(c);
        c.recv(13);
        c.send("Nieuws \xE9\xE9n\r\n");
        c.recv(12);
        c.send("01122009-05\n");
        c.recv(13 + 12);
    });
    TDM dm;
    connectTo(dm, peer);
    QCOMPARE(dm.GetNewsAndInfo(), QStringLiteral("Nieuws één"));
    QString server;
    QVERIFY(dm.CheckPFVersion(QStringLiteral("01122009-05"), server));
    QCOMPARE(server, QStringLiteral("01122009-05"));
    dm.DeleteOrder(TDM::OrderNumberText(-1));
    QVERIFY(dm.Disconnect());
    QCOMPARE(peer.received(),
             Greeting + "NEWSANDINFO\r\nP&FVERSION\r\nDELETEORDER\r\n4294967295\r\nDISCONNECT\r\n");
}

void TstDataModule::idleHookBetweenSlices()
{
    FakePeer peer([](FakePeer::Conn &c) {
        greet(c);
        c.recv(13);
        QThread::msleep(300);
        c.send("later\r\n");
    });
    TDM dm;
    int calls = 0;
    dm.SetIdleHook([&] { ++calls; });
    connectTo(dm, peer);
    const int beforeRead = calls;
    QCOMPARE(dm.GetNewsAndInfo(), QStringLiteral("later"));
    // The hook ran while the read was waiting for the late reply.
    QVERIFY(calls > beforeRead);
    QVERIFY(dm.Disconnect());
}

void TstDataModule::abortFromOtherThread()
{
    std::atomic_bool release{false};
    FakePeer peer([&](FakePeer::Conn &c) {
        greet(c);
        // Never answers; waits (bounded) until the test is done.
        for (int i = 0; i < 200 && !release; ++i)
            QThread::msleep(20);
    });
    TDM dm;
    connectTo(dm, peer);
    const qint64 ended = abortDuring(dm, [&] { dm.GetNewsAndInfo(); });
    release = true;
    QVERIFY2(ended >= 0 && ended < 100, qPrintable(QString::number(ended)));
    // Every later call fails as well.
    QVERIFY_THROWS_EXCEPTION(ENetworkError, dm.GetNewsAndInfo());
    QByteArray b;
    QBuffer data(&b);
    data.open(QIODevice::ReadOnly);
    QVERIFY_THROWS_EXCEPTION(ENetworkError, dm.SendFile(QStringLiteral("1"), 1, data));
    QVERIFY(dm.Disconnect());
}

void TstDataModule::abortPendingWrite()
{
    std::atomic_bool release{false};
    FakePeer peer([&](FakePeer::Conn &c) {
        greet(c);
        c.recv(14);
        c.send(QByteArray::fromHex("00000001"));
        // Reads nothing more: the client's writes back up.
        for (int i = 0; i < 250 && !release; ++i)
            QThread::msleep(20);
        c.socket()->abort();
    });
    TDM dm;
    connectTo(dm, peer);
    QByteArray big(64 * 1024 * 1024, 'x');
    QBuffer data(&big);
    data.open(QIODevice::ReadOnly);
    const qint64 ended = abortDuring(dm, [&] { dm.SendFile(QString(), 0, data); });
    release = true;
    QVERIFY2(ended >= 0 && ended < 100, qPrintable(QString::number(ended)));
    QVERIFY(dm.Disconnect());
}

// A device claiming more bytes than a block length can carry.
class HugeDevice : public QIODevice {
public:
    HugeDevice() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return false; }
    qint64 size() const override { return 2147483648LL; }
protected:
    qint64 readData(char *data, qint64 n) override
    {
        std::memset(data, 0, size_t(n));
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
};

void TstDataModule::streamTooLong()
{
    FakePeer peer([](FakePeer::Conn &c) { greet(c); });
    TDM dm;
    connectTo(dm, peer);
    HugeDevice huge;
    QVERIFY_THROWS_EXCEPTION(ENetworkError, dm.SendFile(QStringLiteral("1"), 1, huge));
    QVERIFY(dm.Disconnect());
    // Nothing of the command went out.
    QCOMPARE(peer.received(), Greeting + "DISCONNECT\r\n");
}

void TstDataModule::catalogueDownload()
{
    const QByteArray catalogue(100000, 'C');
    FakePeer peer(std::vector<FakePeer::Script>{
        [&](FakePeer::Conn &c) {
            // The update client greets first, then reads the opening line and the reply.
            c.recv(Greeting.size());
            c.send("Welkom\r\nVERIFIED\r\n");
            c.recv(13);
            c.send("VERSION\r\n02012010-07\r\n");
            c.recv(15);
            c.send(QByteArray("SENDING\r\n") + QByteArray::fromHex("00000000000186A0") + QByteArray::fromHex("000186A0")
                   + catalogue);
            c.recvLine();
        },
        [&](FakePeer::Conn &c) {
            c.recv(Greeting.size());
            c.send("Welkom\r\nBLOCKED IP\r\n");
        },
        [&](FakePeer::Conn &c) {
            c.recv(Greeting.size());
            c.send("Welkom\r\nREFUSED\r\n");
            c.recv(13);
            c.send("RETRY\r\n");
        }});
    TDM dm;
    dm.SetHost(QStringLiteral("127.0.0.1"));
    dm.SetPort(peer.port());
    QCOMPARE(dm.OpenUpdateConnection(), TDM::TUpdateGreeting::Go);
    QString version;
    QCOMPARE(dm.AskCatalogueVersion(version), TDM::TVersionReply::Version);
    QCOMPARE(version, QStringLiteral("02012010-07"));
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("PenF.dat")));
    QVERIFY(out.open(QIODevice::WriteOnly));
    uint64_t announced = 0;
    qint64 received = 0;
    QVERIFY(dm.ReceiveCatalogue(out, announced, received));
    out.close();
    QCOMPARE(announced, uint64_t(100000));
    QCOMPARE(received, qint64(100000));
    QCOMPARE(out.size(), qint64(100000));
    dm.ConfirmCatalogue(out.size() == qint64(announced));
    dm.CloseUpdateConnection();

    QCOMPARE(dm.OpenUpdateConnection(), TDM::TUpdateGreeting::Blocked);
    QCOMPARE(dm.OpenUpdateConnection(), TDM::TUpdateGreeting::Go);
    QCOMPARE(dm.AskCatalogueVersion(version), TDM::TVersionReply::Retry);
    dm.CloseUpdateConnection();
    // The update client never sends DISCONNECT.
    QCOMPARE(peer.received(0), Greeting + "P&F-VERSION\r\nWANT P&F-FILE\r\nVERIFIED\r\n");
    QCOMPARE(peer.received(2), Greeting + "P&F-VERSION\r\n");
}

void TstDataModule::deleteDirectory()
{
    QTemporaryDir tmp;
    const QString root = tmp.filePath(QStringLiteral("OrderData"));
    QVERIFY(QDir().mkpath(root + "/sub/deeper"));
    for (const QString &f : {root + "/1", root + "/.hidden", root + "/sub/2", root + "/sub/deeper/3"}) {
        QFile file(f);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    // A link to a folder outside is removed itself; what it points to stays.
    QVERIFY(QDir().mkpath(tmp.filePath("outside")));
    QFile keep(tmp.filePath("outside/keep"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();
    QVERIFY(QFile::link(tmp.filePath("outside"), root + "/link"));
    QVERIFY(DeleteDirectory(root));
    QVERIFY(!QFileInfo::exists(root));
    QVERIFY(QFileInfo::exists(tmp.filePath("outside/keep")));
    try {
        DeleteDirectory(root);
        QFAIL("no error for a missing folder");
    } catch (const EInOutError &e) {
        QCOMPARE(e.message(), QStringLiteral("Directory \"%1\" does not exist.").arg(root));
    }
}

QTEST_GUILESS_MAIN(TstDataModule)
#include "tst_datamodule.moc"
