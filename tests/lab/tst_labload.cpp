// kiekjesbode-lab under load: fifty clients upload at once on 127.0.0.1 while hostile
// clients push at the server's limits. Afterwards every completed order must hold exactly
// its own client's container and photos, every client must have a clear outcome, no photo
// half received may remain, and the process's memory must stay bounded. Every loop and every
// wait has a limit.
#include "FakePeer.h"
#include "LabServer.h"
#include "LabSpool.h"

#include "../catalogue/PenFBytes.h"

#include "app/Errors.h"
#include "lab/UDataModule.h"
#include "lab/UMailFile.h"
#include "lab/Wire.h"
#include "order/TOrderItem.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <latch>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

#ifdef __SANITIZE_ADDRESS__
// From the AddressSanitizer runtime (GCC installs no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "../common/ProcStatus.h"

namespace {
constexpr int Clients = 50;
constexpr int PhotosPerClient = 3;
constexpr int MaxAttempts = 40;       // connections a client tries before it gives up
constexpr int MaxConnections = 12;    // small, so that the limit is certainly reached
constexpr int IdleSeconds = 3;
constexpr int RunLimitMs = 60000;     // every client and hostile thread stops by then

// The memory this process holds in kB: its resident size from /proc (0 when unknown).
// Under AddressSanitizer the resident size mostly shows the sanitizer's own shadow memory and
// the freed blocks it keeps back in quarantine, so there the heap bytes still in use count.
qint64 memoryKb()
{
#ifdef __SANITIZE_ADDRESS__
    return qint64(__sanitizer_get_current_allocated_bytes() / 1024);
#endif
    return ProcStatusBytes("VmRSS:") / 1024;
}

// Bytes that differ for every client and photo (a small linear congruential stream).
QByteArray photoBytes(int client, int photo)
{
    const qsizetype size = 20000 + client * 997 + photo * 4099;
    QByteArray b(size, Qt::Uninitialized);
    uint32_t x = uint32_t(client * 7919 + photo * 104729 + 1);
    for (qsizetype i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        b[i] = char(x >> 24);
    }
    return b;
}

QString customerName(int client) { return QStringLiteral("Klant %1").arg(client); }

// One client's order: a container naming its photos (paths that exist only on the wire).
struct ClientOrder {
    TMailFile mail{QString()};
    QStringList paths;
    std::vector<QByteArray> photos;
    QByteArray container;
    explicit ClientOrder(int client)
    {
        TKlantGegevens k;
        k.Achternaam = customerName(client);
        k.Versturen = client % 2 == 0;
        mail.SetCustomer(k);
        for (int p = 0; p < PhotosPerClient; ++p) {
            TOrderItem item;
            item.Bestand = QStringLiteral("C:/klant%1/foto%2.jpg").arg(client).arg(p);
            item.Aantal = uint16_t(1 + p);
            item.Formaat = QStringLiteral("A");
            mail.AddOrderItem(item);
            paths << item.Bestand;
            photos.push_back(photoBytes(client, p));
        }
        container = mail.toBytes();
    }
};

enum class Outcome { None, Completed, Refused, Failed };

struct ClientResult {
    Outcome outcome = Outcome::None;
    int32_t order = 0;
    int tryLater = 0;   // TRYLATER answers received
    int dropped = 0;    // connections closed before any greeting (far beyond the limit)
    QString failure;
};

// One upload on a connection that has been greeted; the order number, or 0 with *why.
int32_t uploadOrder(TDM &dm, ClientOrder &order, QString *why)
{
    QByteArray c = order.container;
    QBuffer b(&c);
    b.open(QIODevice::ReadOnly);
    const int32_t nr = dm.SendFile(QString(), 0, b);
    if (nr == 0) {
        *why = QStringLiteral("container refused");
        return 0;
    }
    QStringList lines;
    if (!dm.CalculateOrder(TDM::OrderNumberText(nr), lines)) {
        *why = QStringLiteral("no calculation");
        return 0;
    }
    for (int p = 0; p < PhotosPerClient; ++p) {
        QBuffer photo(&order.photos[size_t(p)]);
        photo.open(QIODevice::ReadOnly);
        if (dm.SendFile(TDM::OrderNumberText(nr), order.mail.FileNumber(order.paths[p]), photo) != nr) {
            *why = QStringLiteral("photo %1 refused").arg(p);
            return 0;
        }
    }
    if (!dm.Disconnect()) {
        *why = QStringLiteral("disconnect failed");
        return 0;
    }
    return nr;
}

void runClient(quint16 port, ClientOrder &order, ClientResult &result, const QDeadlineTimer &deadline)
{
    TDM dm;
    dm.SetHost(QStringLiteral("127.0.0.1"));
    dm.SetPort(port);
    dm.SetSilenceLimit(15000); // a server that stops answering fails the client, never hangs it
    for (int attempt = 0; attempt < MaxAttempts && !deadline.hasExpired(); ++attempt) {
        if (attempt > 0)
            QThread::msleep(20 + QRandomGenerator::global()->bounded(80));
        if (!dm.Connect(QString())) {
            if (dm.ErrorCode() == TDM::ErrTryLater)
                ++result.tryLater;
            else if (dm.ErrorCode() == TDM::ErrConnectFailed)
                ++result.dropped;
            else {
                result.outcome = Outcome::Failed;
                result.failure = QStringLiteral("connect error %1").arg(dm.ErrorCode());
                return;
            }
            result.outcome = Outcome::Refused;
            continue;
        }
        try {
            QString why;
            result.order = uploadOrder(dm, order, &why);
            result.outcome = result.order ? Outcome::Completed : Outcome::Failed;
            result.failure = why;
        } catch (const EKiekjesError &e) {
            result.outcome = Outcome::Failed;
            result.failure = e.message();
        }
        return;
    }
}

// A raw connection for the hostile clients. Its waits are bounded.
class Raw {
public:
    explicit Raw(quint16 port)
    {
        m_s.connectToHost(QHostAddress::LocalHost, port);
        m_s.waitForConnected(5000);
    }
    bool connected() const { return m_s.state() == QAbstractSocket::ConnectedState; }
    QTcpSocket &socket() { return m_s; }
    void send(const QByteArray &b) { m_c.send(b); }
    QByteArray recv(qint64 n) { return m_c.recv(n); }
    QByteArray line() { return m_c.recvLine(); }
    bool greet()
    {
        line();
        send(wire::greeting());
        return line() == "VERIFIED\r\n";
    }
    // True when the server closes the connection within `ms`.
    bool closedByServer(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (m_s.state() == QAbstractSocket::UnconnectedState)
                return true;
            m_s.waitForReadyRead(50);
            m_s.readAll();
        }
        return false;
    }
    void abort() { m_s.abort(); }

private:
    QTcpSocket m_s;
    FakePeer::Conn m_c{&m_s};
};

// What the hostile clients saw that a sound server never does.
struct HostileLog {
    std::mutex m;
    QStringList problems;
    std::atomic_int greeted{0};
    void problem(const QString &text)
    {
        std::lock_guard l(m);
        problems << text;
    }
};

// A hostile connection: greeted (retrying while the server is full) or just opened; nothing
// when it could not be had in time.
std::unique_ptr<Raw> openRaw(quint16 port, HostileLog &log, const QDeadlineTimer &deadline, bool greeted = true)
{
    for (int i = 0; i < MaxAttempts && !deadline.hasExpired(); ++i) {
        auto raw = std::make_unique<Raw>(port);
        if (raw->connected() && (!greeted || raw->greet())) {
            log.greeted += greeted ? 1 : 0;
            return raw;
        }
        QThread::msleep(20 + QRandomGenerator::global()->bounded(80));
    }
    return nullptr;
}

void overLongLine(quint16 port, HostileLog &log, const QDeadlineTimer &deadline)
{
    const auto raw = openRaw(port, log, deadline);
    if (!raw)
        return;
    raw->send(QByteArray(wire::MaxLineLength * 4, 'x'));
    if (!raw->closedByServer(10000))
        log.problem(QStringLiteral("over-long line: connection kept open"));
}

void hugeBlockLength(quint16 port, HostileLog &log, const QDeadlineTimer &deadline)
{
    const auto raw = openRaw(port, log, deadline);
    if (!raw)
        return;
    raw->send("SENDMAILFILE\r\n");
    if (raw->recv(4) != wire::encodeInt(1))
        return log.problem(QStringLiteral("huge block: no acceptance"));
    raw->send(wire::encodeInt(0x7FFFFFFF) + QByteArray(4096, 'z'));
    if (raw->recv(4) != wire::encodeInt(0))
        log.problem(QStringLiteral("huge block: not refused"));
    if (!raw->closedByServer(10000))
        log.problem(QStringLiteral("huge block: connection kept open"));
}

// An order whose photo is announced large, sent half and then cut off: nothing of it may stay.
void photoCutOff(quint16 port, HostileLog &log, const QDeadlineTimer &deadline, int seed)
{
    const auto raw = openRaw(port, log, deadline);
    if (!raw)
        return;
    ClientOrder order(1000 + seed);
    raw->send("SENDMAILFILE\r\n");
    if (raw->recv(4) != wire::encodeInt(1))
        return log.problem(QStringLiteral("cut-off photo: no acceptance"));
    raw->send(wire::encodeInt(int32_t(order.container.size())) + order.container);
    const QByteArray nr = raw->recv(4);
    if (nr.size() != 4 || qFromBigEndian<int32_t>(nr.constData()) == 0)
        return log.problem(QStringLiteral("cut-off photo: container refused"));
    const int32_t number = qFromBigEndian<int32_t>(nr.constData());
    raw->send("SENDFILE\r\n" + QByteArray::number(number) + "\r\n" + wire::encodeInt(1));
    if (raw->recv(4) != wire::encodeInt(1))
        return log.problem(QStringLiteral("cut-off photo: photo not accepted"));
    raw->send(wire::encodeInt(40 * 1024 * 1024) + QByteArray(300000, char(seed)));
    raw->abort();
}

// Offers photos to the orders of others (the numbers the crowd is given): none may be taken.
void foreignOrders(quint16 port, HostileLog &log, const QDeadlineTimer &deadline)
{
    for (int round = 0; round < 5 && !deadline.hasExpired(); ++round) {
        const auto raw = openRaw(port, log, deadline);
        if (!raw)
            return;
        QByteArray asks;
        for (int32_t nr = TLabSpool::FirstOrderNumber; nr < TLabSpool::FirstOrderNumber + 2 * Clients; ++nr)
            asks += "SENDFILE\r\n" + QByteArray::number(nr) + "\r\n" + wire::encodeInt(1);
        raw->send(asks);
        const QByteArray refusals = wire::encodeInt(0) + wire::encodeInt(0);
        for (int i = 0; i < 2 * Clients; ++i)
            if (raw->recv(8) != refusals)
                return log.problem(QStringLiteral("a photo was taken for the order of another connection"));
        raw->send("DISCONNECT\r\n");
        QThread::msleep(200);
    }
}

void garbage(quint16 port, HostileLog &log, const QDeadlineTimer &deadline, int seed, bool afterGreeting)
{
    const auto raw = openRaw(port, log, deadline, afterGreeting);
    if (!raw)
        return;
    QByteArray junk(20000, Qt::Uninitialized);
    uint32_t x = uint32_t(seed) * 2654435761u + 7;
    for (char &c : junk) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 23);
    }
    junk[0] = '\x01'; // never a known command
    raw->send(junk);
    if (!raw->closedByServer(10000))
        log.problem(QStringLiteral("garbage: connection kept open"));
}

// Sends commands and never reads a reply until the server's idle time-out or our own limit.
void neverReads(quint16 port, HostileLog &log, const QDeadlineTimer &deadline)
{
    const auto raw = openRaw(port, log, deadline);
    if (!raw)
        return;
    QTcpSocket &s = raw->socket();
    s.setReadBufferSize(4096); // what we do not read stays in the system
    QByteArray commands;
    for (int i = 0; i < 4096; ++i)
        commands += "NEWSANDINFO\r\n";
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 4000 && s.state() == QAbstractSocket::ConnectedState) {
        if (s.bytesToWrite() < 256 * 1024)
            s.write(commands);
        s.waitForBytesWritten(50);
    }
    raw->abort();
}

void idle(quint16 port, HostileLog &log, bool greeted, const QDeadlineTimer &deadline)
{
    const auto raw = openRaw(port, log, deadline, greeted);
    if (!raw)
        return;
    if (!raw->closedByServer((IdleSeconds + 10) * 1000))
        log.problem(QStringLiteral("idle: connection kept open"));
}

void shortConnections(quint16 port, const QDeadlineTimer &deadline)
{
    for (int i = 0; i < 150 && !deadline.hasExpired(); ++i) {
        Raw raw(port);
        if (i % 3 == 0)
            raw.send(wire::greeting());
        if (i % 5 == 0)
            raw.line();
        raw.abort();
    }
}
} // namespace

class TstLabLoad : public QObject {
    Q_OBJECT
private slots:
    void uploadsUnderLoad();
};

void TstLabLoad::uploadsUnderLoad()
{
    QTemporaryDir dir;
    TLabConfig c;
    c.port = 0;
    c.dataFolder = dir.filePath(QStringLiteral("data"));
    c.catalogue = dir.filePath(QStringLiteral("PenF.dat"));
    {
        QFile f(c.catalogue);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(penfbytes::nineRecords());
    }
    c.maxConnections = MaxConnections;
    c.idleSeconds = IdleSeconds;
    c.maxPhotoBytes = 48LL * 1024 * 1024;

    std::vector<std::unique_ptr<ClientOrder>> orders;
    for (int i = 0; i < Clients; ++i)
        orders.push_back(std::make_unique<ClientOrder>(i));

    const qint64 rssBefore = memoryKb();
    std::atomic<qint64> rssPeak{rssBefore};
    TLabServerThread server(c);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    const quint16 port = server.port();
    const QDeadlineTimer deadline(RunLimitMs);

    std::vector<ClientResult> results(Clients);
    HostileLog log;
    std::latch go(Clients + 1);
    std::vector<std::thread> threads;
    for (int i = 0; i < Clients; ++i)
        threads.emplace_back([&, i] {
            go.arrive_and_wait();
            runClient(port, *orders[size_t(i)], results[size_t(i)], deadline);
        });
    std::vector<std::function<void()>> hostile;
    for (int k = 0; k < 2; ++k) {
        hostile.push_back([&] { overLongLine(port, log, deadline); });
        hostile.push_back([&] { hugeBlockLength(port, log, deadline); });
        hostile.push_back([&, k] { photoCutOff(port, log, deadline, k); });
        hostile.push_back([&, k] { garbage(port, log, deadline, k, k == 0); });
        hostile.push_back([&] { neverReads(port, log, deadline); });
        hostile.push_back([&, k] { idle(port, log, k == 0, deadline); });
        hostile.push_back([&] { shortConnections(port, deadline); });
        hostile.push_back([&] { foreignOrders(port, log, deadline); });
    }
    for (auto &h : hostile)
        threads.emplace_back(h);
    std::atomic_bool running{true};
    std::thread watch([&] {
        while (running.load()) {
            rssPeak = std::max(rssPeak.load(), memoryKb());
            QThread::msleep(100);
        }
    });
    go.arrive_and_wait();
    for (std::thread &t : threads)
        t.join();
    running = false;
    watch.join();

    // Every client has a clear outcome; both completions and refusals at the limit happened.
    int completed = 0;
    int refusals = 0;
    for (int i = 0; i < Clients; ++i) {
        const ClientResult &r = results[size_t(i)];
        QVERIFY2(r.outcome == Outcome::Completed || r.outcome == Outcome::Refused,
                 qPrintable(QStringLiteral("client %1: %2").arg(i).arg(r.failure)));
        completed += r.outcome == Outcome::Completed ? 1 : 0;
        refusals += r.tryLater;
    }
    int dropped = 0;
    for (const ClientResult &r : results)
        dropped += r.dropped;
    qInfo("%d of %d clients completed; %d TRYLATER answers, %d connections closed unanswered, %d hostile greeted",
          completed, Clients, refusals, dropped, log.greeted.load());
    QVERIFY(completed > 0);
    QVERIFY2(refusals > 0, "the connection limit was never reached");
    {
        std::lock_guard l(log.m);
        QVERIFY2(log.problems.isEmpty(), qPrintable(log.problems.join(QStringLiteral("; "))));
    }
    QVERIFY(log.greeted > 0);

    // The server is still well: a plain client is served once the crowd has gone.
    QTRY_VERIFY_WITH_TIMEOUT([&] {
        TDM dm;
        dm.SetHost(QStringLiteral("127.0.0.1"));
        dm.SetPort(port);
        dm.SetSilenceLimit(5000);
        const bool ok = dm.Connect(QString()) && !dm.GetNewsAndInfo().isNull();
        dm.Disconnect();
        return ok;
    }(), 10000);
    server.stop();

    // Each completed order holds its own client's container and photos, byte for byte.
    TLabSpool spool(c.dataFolder);
    std::set<int32_t> numbers;
    for (int i = 0; i < Clients; ++i) {
        const ClientResult &r = results[size_t(i)];
        if (r.outcome != Outcome::Completed)
            continue;
        QVERIFY2(numbers.insert(r.order).second, "one order number for two clients");
        const ClientOrder &order = *orders[size_t(i)];
        QFile stored(spool.orderFolder(r.order) + QStringLiteral("/OrderFile"));
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), order.container);
        const auto mail = spool.container(r.order);
        QVERIFY(mail);
        QCOMPARE(mail->Customer().Achternaam, customerName(i));
        for (int p = 0; p < PhotosPerClient; ++p) {
            QFile f(spool.orderFolder(r.order) + QLatin1Char('/') + QString::number(order.mail.FileNumber(order.paths[p])));
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
            QVERIFY2(f.readAll() == order.photos[size_t(p)], qPrintable(QStringLiteral("client %1 photo %2").arg(i).arg(p)));
        }
    }
    // Nothing else was completed, and no photo half received is left anywhere.
    for (const TSpoolOrder &o : spool.orders())
        if (o.complete())
            QVERIFY2(numbers.count(o.Number), qPrintable(QStringLiteral("order %1 of nobody").arg(o.Number)));
    QDirIterator it(c.dataFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        QVERIFY2(!QFileInfo(f).fileName().startsWith(QStringLiteral(".part-")), qPrintable(f));
    }

    // Memory stays bounded: the hostile clients together offered far more than this.
    const qint64 growthKb = std::max(memoryKb(), rssPeak.load()) - rssBefore;
    qInfo("memory grew by %lld kB at most", growthKb);
    QVERIFY2(growthKb < 256 * 1024, qPrintable(QStringLiteral("%1 kB more").arg(growthKb)));
}

QTEST_GUILESS_MAIN(TstLabLoad)
#include "tst_labload.moc"
