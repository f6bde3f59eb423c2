// The client against kiekjesbode-lab on an ephemeral 127.0.0.1 port, and hostile clients
// against the server. Every wait is bounded.
#include "FakePeer.h"
#include "LabServer.h"
#include "LabSession.h"

#include "../catalogue/PenFBytes.h"

#include "app/DateTime.h"
#include "app/Errors.h"
#include "lab/UDataModule.h"
#include "lab/UMailFile.h"
#include "lab/Wire.h"
#include "order/TOrderItem.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

namespace {
constexpr TDateTime Now = 40015.25; // 21 July 2009, 06:00
const QByteArray CatalogueBytes = penfbytes::nineRecords(); // edition 3 of 1 December 2028
const QString CatalogueVersion = QStringLiteral("01122028-03");

// A client speaking raw bytes, for what a well-behaved client never sends.
class Raw {
public:
    explicit Raw(quint16 port)
    {
        m_s.connectToHost(QHostAddress::LocalHost, port);
        m_s.waitForConnected(5000);
    }
    void send(const QByteArray &b) { m_c.send(b); }
    QByteArray recv(qint64 n) { return m_c.recv(n); }
    QByteArray line() { return m_c.recvLine(); }
    // True when the server closes the connection within 5 s.
    bool closedByServer()
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            if (m_s.state() == QAbstractSocket::UnconnectedState)
                return true;
            m_s.waitForReadyRead(50);
            m_s.readAll();
        }
        return false;
    }
    void greet()
    {
        line();
        send(wire::greeting());
        QCOMPARE(line(), QByteArray("VERIFIED\r\n"));
    }
    void abort() { m_s.abort(); }

    // SENDMAILFILE with the container; the order number the server answers.
    int32_t sendContainer(const QByteArray &container)
    {
        send("SENDMAILFILE\r\n");
        if (recv(4) != wire::encodeInt(1))
            return 0;
        send(wire::encodeInt(int32_t(container.size())) + container);
        const QByteArray nr = recv(4);
        return nr.size() == 4 ? qFromBigEndian<int32_t>(nr.constData()) : 0;
    }

private:
    QTcpSocket m_s;
    FakePeer::Conn m_c{&m_s};
};

QByteArray be(int32_t v) { return wire::encodeInt(v); }

TLabConfig config(const QTemporaryDir &dir, bool withCatalogue = true)
{
    TLabConfig c;
    c.port = 0;
    c.dataFolder = dir.filePath(QStringLiteral("data"));
    if (withCatalogue) {
        c.catalogue = dir.filePath(QStringLiteral("PenF.dat"));
        QFile f(c.catalogue);
        f.open(QIODevice::WriteOnly);
        f.write(CatalogueBytes);
    }
    c.news = QStringLiteral("Nieuws van het lab");
    c.postage[0][1] = TCurrency::fromCents(395);
    c.postage[0][0] = TCurrency::fromCents(100);
    c.readyHours[0] = 72;
    c.readyHours[1] = 24;
    return c;
}

// An order of two photos on disk: the first twice (3 glossy of format A, 1 matte of B), the
// second once (2 glossy of A).
struct Order {
    TMailFile mail{QString()};
    QStringList photos;
    QByteArray container;
    Order(const QTemporaryDir &dir, const QString &tag, bool post = true, qint64 photoSize = 3000)
    {
        TKlantGegevens k;
        k.Titel = QStringLiteral("Dhr.");
        k.Achternaam = QStringLiteral("Klant ") + tag;
        k.Versturen = post;
        mail.SetCustomer(k);
        for (const char *name : {"a", "b"}) {
            const QString path = dir.filePath(tag + QLatin1String(name) + QStringLiteral(".jpg"));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            QByteArray bytes(photoSize, '\0');
            for (qint64 i = 0; i < photoSize; ++i)
                bytes[i] = char(i * 31 + name[0]);
            f.write(bytes);
            photos << path;
        }
        auto item = [](const QString &path, uint16_t n, const char *format, uint8_t glans) {
            TOrderItem i;
            i.Bestand = path;
            i.Aantal = n;
            i.Formaat = QLatin1String(format);
            i.Glans = glans;
            return i;
        };
        mail.AddOrderItem(item(photos[0], 3, "A", 1));
        mail.AddOrderItem(item(photos[0], 1, "B", 0));
        mail.AddOrderItem(item(photos[1], 2, "A", 1));
        container = mail.toBytes();
    }
};

// Runs sequence B on one connection; returns the order number (0 on failure).
int32_t upload(TDM &dm, Order &order, QStringList *calculation = nullptr)
{
    if (!dm.Connect(QString()))
        return 0;
    QByteArray c = order.container;
    QBuffer b(&c);
    b.open(QIODevice::ReadOnly);
    const int32_t nr = dm.SendFile(QString(), 0, b);
    QStringList lines;
    if (nr == 0 || !dm.CalculateOrder(TDM::OrderNumberText(nr), lines))
        return 0;
    if (calculation)
        *calculation = lines;
    for (const QString &path : order.photos) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        if (dm.SendFile(TDM::OrderNumberText(nr), order.mail.FileNumber(path), f) != nr)
            return 0;
    }
    return dm.Disconnect() ? nr : 0;
}

QStringList partialFiles(const QString &root)
{
    QStringList out;
    QDirIterator it(root, {QStringLiteral(".part-*")}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    return out;
}
} // namespace

class TstLabServer : public QObject {
    Q_OBJECT
private slots:
    void init() { datetime::setClockForTesting([] { return Now; }); }
    void cleanup() { datetime::setClockForTesting({}); }
    void everyCommand();
    void deleteOrder();
    void calculationByService();
    void catalogueReplaced();
    void numbersPersist();
    void oneServerPerFolder();
    void spoolRecovery();
    void catalogueDownload();
    void greetingReplies();
    void tryLater();
    void gracefulStop();
    void idleTimeOut();
    void ordersListing();
    void sessionAnswers_data();
    void sessionAnswers();
    void answersHeldBack();
    void staffLog();
    void clientNotReading();
    void overLongLine();
    void hugeBlockThenClose();
    void negativeLength();
    void unknownFileNumber();
    void otherConnectionsOrder();
    void outOfOrder();
    void damagedContainer();
    void manyShortConnections();
    void parallelUploads();
    void configuration();
};

void TstLabServer::everyCommand()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));
    TDM dm;
    dm.SetHost(QStringLiteral("127.0.0.1"));
    dm.SetPort(server.port());
    QVERIFY(dm.Connect(QString()));
    QCOMPARE(dm.GetNewsAndInfo(), QStringLiteral("Nieuws van het lab"));
    QString version;
    QVERIFY(dm.CheckPFVersion(CatalogueVersion, version));
    QVERIFY(dm.CheckPFVersion(CatalogueVersion.toLower(), version));
    QVERIFY(!dm.CheckPFVersion(QStringLiteral("30112028-02"), version));
    QCOMPARE(version, CatalogueVersion);

    Order order(dir, QStringLiteral("x"));
    QByteArray c = order.container;
    QBuffer b(&c);
    b.open(QIODevice::ReadOnly);
    const int32_t nr = dm.SendFile(QString(), 0, b);
    QCOMPARE(nr, TLabSpool::FirstOrderNumber);
    QStringList lines;
    QVERIFY(dm.CalculateOrder(TDM::OrderNumberText(nr), lines));
    QCOMPARE(lines, (QStringList{"A=5;0,29;1,45", "B=1;0,00;0,00", "Subtotaal=;;1,45", "Portokosten=;;3,95", "-=;;",
                                 "Totaal=;;5,40"}));
    for (const QString &path : order.photos) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(dm.SendFile(TDM::OrderNumberText(nr), order.mail.FileNumber(path), f), nr);
    }
    QCOMPARE(dm.GetReceiveDate(TDM::OrderNumberText(nr)), 40015.0);
    QCOMPARE(datetime::toQDateTime(dm.GetOrderReady(TDM::OrderNumberText(nr))),
             QDateTime(QDate(2009, 7, 24), QTime(6, 0)));
    QVERIFY(dm.Disconnect());

    // The spool holds the container and the photos by file number, nothing half-written.
    TLabSpool spool(dir.filePath(QStringLiteral("data")));
    const auto orders = spool.orders();
    QCOMPARE(orders.size(), size_t(1));
    QCOMPARE(orders[0].Number, nr);
    QVERIFY(orders[0].complete());
    QCOMPARE(orders[0].Files, 2);
    QFile stored(spool.orderFolder(nr) + QStringLiteral("/2"));
    QVERIFY(stored.open(QIODevice::ReadOnly));
    QFile original(order.photos[1]);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(stored.readAll(), original.readAll());
    QVERIFY(partialFiles(dir.path()).isEmpty());
}

void TstLabServer::deleteOrder()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    TDM dm;
    dm.SetHost(QStringLiteral("127.0.0.1"));
    dm.SetPort(server.port());
    QVERIFY(dm.Connect(QString()));
    Order order(dir, QStringLiteral("d"), false);
    QBuffer b(&order.container);
    b.open(QIODevice::ReadOnly);
    const int32_t nr = dm.SendFile(QString(), 0, b);
    QVERIFY(nr > 0);
    QStringList lines;
    QVERIFY(dm.CalculateOrder(TDM::OrderNumberText(nr), lines));
    QCOMPARE(lines.at(lines.size() - 3), QStringLiteral("Portokosten=;;1,00")); // collected
    dm.DeleteOrder(TDM::OrderNumberText(nr));
    QCOMPARE(dm.GetReceiveDate(TDM::OrderNumberText(nr)), 0.0);
    QCOMPARE(dm.GetOrderReady(TDM::OrderNumberText(nr)), 0.0);
    lines.clear();
    QVERIFY(!dm.CalculateOrder(TDM::OrderNumberText(nr), lines));
    dm.DeleteOrder(QStringLiteral("0"));
    QVERIFY(dm.Disconnect());
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("data/orders/%1").arg(nr))));
}

void TstLabServer::calculationByService()
{
    QTemporaryDir dir;
    TLabConfig c = config(dir);
    c.postage[1][0] = TCurrency::fromCents(50);
    TLabServerThread server(c);
    QVERIFY(server.start());
    TDM dm;
    dm.SetPort(server.port());
    QVERIFY(dm.Connect(QStringLiteral("127.0.0.1")));
    auto calculate = [&](TMailFile &mail) {
        QByteArray bytes = mail.toBytes();
        QBuffer b(&bytes);
        b.open(QIODevice::ReadOnly);
        const int32_t nr = dm.SendFile(QString(), 0, b);
        QStringList lines;
        dm.CalculateOrder(TDM::OrderNumberText(nr), lines);
        return lines;
    };
    // Fast service: fast prices, and collected even when posting was asked for.
    Order fast(dir, QStringLiteral("f"));
    TKlantGegevens k = fast.mail.Customer();
    k.Snelservice = true;
    k.Versturen = true;
    fast.mail.SetCustomer(k);
    QCOMPARE(calculate(fast.mail), (QStringList{"A=5;0,49;2,45", "B=1;0,00;0,00", "Subtotaal=;;2,45",
                                                "Portokosten=;;0,50", "-=;;", "Totaal=;;2,95"}));
    // A format the catalogue does not have: no calculation at all.
    TMailFile unknown{QString()};
    TOrderItem i;
    i.Bestand = fast.photos[0];
    i.Formaat = QStringLiteral("40x60");
    unknown.AddOrderItem(i);
    QCOMPARE(calculate(unknown), QStringList());
    QVERIFY(dm.Disconnect());
}

void TstLabServer::catalogueReplaced()
{
    QTemporaryDir dir;
    const TLabConfig c = config(dir);
    TLabServerThread server(c);
    QVERIFY(server.start());
    auto version = [&] {
        TDM dm;
        dm.SetPort(server.port());
        QString v;
        if (!dm.Connect(QStringLiteral("127.0.0.1")))
            return QStringLiteral("(not connected)");
        dm.CheckPFVersion(QString(), v);
        dm.Disconnect();
        return v;
    };
    QCOMPARE(version(), CatalogueVersion);
    auto replace = [&](const QByteArray &bytes) {
        QFile f(c.catalogue);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        // A different modification time even on a coarse clock.
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
    };
    // Half-copied: the version is empty and no download is offered.
    replace(CatalogueBytes.left(100));
    QCOMPARE(version(), QString());
    TDM update;
    update.SetPort(server.port());
    update.SetHost(QStringLiteral("127.0.0.1"));
    QCOMPARE(update.OpenUpdateConnection(), TDM::TUpdateGreeting::Go);
    QString v;
    QCOMPARE(update.AskCatalogueVersion(v), TDM::TVersionReply::Retry);
    update.CloseUpdateConnection();
    // In place: the new edition is reported.
    replace(penfbytes::header(2, 47100.0, 4, 0, 0) + penfbytes::format(2, "A", "Formaat A", 10, 15, 0, 0));
    QCOMPARE(version(), QStringLiteral("13122028-04"));
}

void TstLabServer::numbersPersist()
{
    QTemporaryDir dir;
    int32_t first = 0;
    for (int run = 0; run < 2; ++run) {
        TLabServerThread server(config(dir));
        QVERIFY(server.start());
        TDM dm;
        dm.SetHost(QStringLiteral("127.0.0.1"));
        dm.SetPort(server.port());
        Order order(dir, QStringLiteral("p%1").arg(run));
        const int32_t nr = upload(dm, order);
        QVERIFY(nr > 0);
        if (run == 0)
            first = nr;
        else
            QCOMPARE(nr, first + 1);
    }
}

void TstLabServer::spoolRecovery()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("data"));
    int32_t deleted = 0;
    {
        TLabSpool spool(root);
        Order order(dir, QStringLiteral("r"));
        QCOMPARE(spool.createOrder(order.container, Now), TLabSpool::FirstOrderNumber);
        deleted = spool.createOrder(order.container, Now);
        spool.deleteOrder(deleted);
        QVERIFY(!spool.exists(deleted));
        // What a crash half-way leaves behind.
        QFile part(spool.orderFolder(TLabSpool::FirstOrderNumber) + QStringLiteral("/.part-1-x"));
        QVERIFY(part.open(QIODevice::WriteOnly));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/staging/1003-y")));
    }
    TLabSpool spool(root);
    // Only looking (the orders listing) leaves everything as it is; recovering clears up.
    QCOMPARE(partialFiles(root).size(), 1);
    spool.recover();
    QVERIFY(partialFiles(root).isEmpty());
    QVERIFY(QDir(root + QStringLiteral("/staging")).isEmpty());
    QVERIFY(spool.exists(TLabSpool::FirstOrderNumber));
    QCOMPARE(spool.received(TLabSpool::FirstOrderNumber), std::optional<TDateTime>(Now));
    // A number once given out is never given again, not even after its order went.
    Order order(dir, QStringLiteral("r2"));
    QCOMPARE(spool.createOrder(order.container, Now), deleted + 1);
}

void TstLabServer::oneServerPerFolder()
{
    QTemporaryDir dir;
    TLabServerThread first(config(dir));
    QVERIFY(first.start());
    TLabServerThread second(config(dir));
    QString error;
    QVERIFY(!second.start(&error));
    QVERIFY2(error.contains(QStringLiteral("andere server")), qPrintable(error));
    first.stop();
    QVERIFY(second.start());
}

void TstLabServer::catalogueDownload()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    TDM dm;
    dm.SetHost(QStringLiteral("127.0.0.1"));
    dm.SetPort(server.port());
    QCOMPARE(dm.OpenUpdateConnection(), TDM::TUpdateGreeting::Go);
    QString version;
    QCOMPARE(dm.AskCatalogueVersion(version), TDM::TVersionReply::Version);
    QCOMPARE(version, CatalogueVersion);
    QByteArray got;
    QBuffer out(&got);
    out.open(QIODevice::WriteOnly);
    uint64_t announced = 0;
    qint64 received = 0;
    QVERIFY(dm.ReceiveCatalogue(out, announced, received));
    QCOMPARE(announced, uint64_t(CatalogueBytes.size()));
    QCOMPARE(got, CatalogueBytes);
    dm.ConfirmCatalogue(true);
    // Still usable after the confirmation.
    QCOMPARE(dm.AskCatalogueVersion(version), TDM::TVersionReply::Version);
    dm.CloseUpdateConnection();
}

void TstLabServer::greetingReplies()
{
    QTemporaryDir dir;
    {
        TLabConfig c = config(dir);
        c.blocked.insert(QStringLiteral("127.0.0.1"));
        TLabServerThread server(c);
        QVERIFY(server.start());
        TDM dm;
        dm.SetPort(server.port());
        QVERIFY(!dm.Connect(QStringLiteral("127.0.0.1")));
        QCOMPARE(dm.ErrorCode(), 207);
        QCOMPARE(dm.OpenUpdateConnection(), TDM::TUpdateGreeting::Blocked);
    }
    {
        QTemporaryDir empty;
        TLabServerThread server(config(empty, false));
        QVERIFY(server.start());
        TDM dm;
        dm.SetPort(server.port());
        QVERIFY(!dm.Connect(QStringLiteral("127.0.0.1")));
        QCOMPARE(dm.ErrorCode(), 203);
        QCOMPARE(dm.OpenUpdateConnection(), TDM::TUpdateGreeting::Unavailable);
    }
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    Raw raw(server.port());
    QCOMPARE(raw.line(), QByteArray("Kiekjesbode-lab gereed\r\n"));
    raw.send("QX2.7HwKTKiekjesbode - Studio Oud\r\n");
    QCOMPARE(raw.line(), QByteArray("REFUSED\r\n"));
    QVERIFY(raw.closedByServer());
}

void TstLabServer::tryLater()
{
    QTemporaryDir dir;
    TLabConfig c = config(dir);
    c.maxConnections = 1;
    TLabServerThread server(c);
    QVERIFY(server.start());
    TDM first, second;
    first.SetPort(server.port());
    second.SetPort(server.port());
    QVERIFY(first.Connect(QStringLiteral("127.0.0.1")));
    QVERIFY(!second.Connect(QStringLiteral("127.0.0.1")));
    QCOMPARE(second.ErrorCode(), 203);
    QVERIFY(first.Disconnect());
    // Once the first has gone, a new one is taken again (the server notices within a moment).
    bool ok = false;
    for (int i = 0; i < 50 && !ok; ++i) {
        ok = second.Connect(QStringLiteral("127.0.0.1"));
        if (!ok)
            QThread::msleep(20);
    }
    QVERIFY(ok);
    QVERIFY(second.Disconnect());
}

void TstLabServer::gracefulStop()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    TDM busy, late;
    busy.SetPort(server.port());
    late.SetPort(server.port());
    QVERIFY(busy.Connect(QStringLiteral("127.0.0.1")));
    server.beginShutdown();
    QVERIFY(!late.Connect(QStringLiteral("127.0.0.1")));
    QCOMPARE(late.ErrorCode(), 203);
    // The connection already open is served to its end.
    QCOMPARE(busy.GetNewsAndInfo(), QStringLiteral("Nieuws van het lab"));
    QVERIFY(busy.Disconnect());
}

void TstLabServer::idleTimeOut()
{
    QTemporaryDir dir;
    TLabConfig c = config(dir);
    c.idleSeconds = 1;
    TLabServerThread server(c);
    QVERIFY(server.start());
    Raw raw(server.port());
    raw.greet();
    QElapsedTimer t;
    t.start();
    QVERIFY(raw.closedByServer());
    QVERIFY(t.elapsed() >= 500);
}

void TstLabServer::ordersListing()
{
    QTemporaryDir dir;
    TLabConfig c = config(dir);
    int32_t done = 0, open = 0;
    {
        TLabServerThread server(c);
        QVERIFY(server.start());
        TDM dm;
        dm.SetHost(QStringLiteral("127.0.0.1"));
        dm.SetPort(server.port());
        Order complete(dir, QStringLiteral("l1"));
        done = upload(dm, complete);
        QVERIFY(done > 0);
        // A second order whose photos never come.
        QVERIFY(dm.Connect(QString()));
        Order partial(dir, QStringLiteral("l2"));
        QBuffer b(&partial.container);
        b.open(QIODevice::ReadOnly);
        open = dm.SendFile(QString(), 0, b);
        QVERIFY(open > done);
        QVERIFY(dm.Disconnect());
    }
    QFile json(dir.filePath(QStringLiteral("lab.json")));
    QVERIFY(json.open(QIODevice::WriteOnly));
    json.write(R"({"dataFolder": "data", "catalogue": "PenF.dat"})");
    json.close();
    QProcess p;
    p.start(QStringLiteral(KIEKJES_BINARY_DIR "/server/kiekjesbode-lab"),
            {QStringLiteral("orders"), QStringLiteral("--config"), json.fileName()});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[1].startsWith(QString::number(done)));
    QVERIFY(lines[1].contains(QStringLiteral("2/2")));
    QVERIFY(lines[1].contains(QStringLiteral("compleet")));
    QVERIFY(lines[1].contains(QStringLiteral("Klant l1")));
    QVERIFY(lines[2].startsWith(QString::number(open)));
    QVERIFY(lines[2].contains(QStringLiteral("0/2")));
    QVERIFY(lines[2].contains(QStringLiteral("onvolledig")));
}

void TstLabServer::sessionAnswers_data()
{
    QTest::addColumn<int>("admission");
    QTest::addColumn<bool>("shuttingDown");
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("reply");
    const QByteArray good = wire::greeting();
    QTest::newRow("verified") << int(TAdmission::Normal) << false << good << QByteArray("VERIFIED\r\n");
    QTest::newRow("LF only") << int(TAdmission::Normal) << false << good.left(good.size() - 2) + "\n"
                             << QByteArray("VERIFIED\r\n");
    QTest::newRow("shutting down") << int(TAdmission::Normal) << true << good << QByteArray("SHUTTING DOWN\r\n");
    QTest::newRow("too many") << int(TAdmission::TooMany) << false << good << QByteArray("TRYLATER\r\n");
    QTest::newRow("blocked") << int(TAdmission::Blocked) << false << good << QByteArray("BLOCKED IP\r\n");
    QTest::newRow("code only") << int(TAdmission::Normal) << false << QByteArray("QX2.7HwKT\r\n") << QByteArray("REFUSED\r\n");
    QTest::newRow("other code") << int(TAdmission::Normal) << false
                                << QByteArray("QX2.6HwKTKiekjesbode - Studio Meeuwenveld-Ros\r\n") << QByteArray("REFUSED\r\n");
}

void TstLabServer::sessionAnswers()
{
    QFETCH(int, admission);
    QFETCH(bool, shuttingDown);
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, reply);
    QTemporaryDir dir;
    const TLabConfig c = config(dir);
    TLabSpool spool(c.dataFolder);
    TPenFCatalogue catalogue(c.catalogue);
    TLabContext ctx{c, spool, catalogue, shuttingDown, {}};
    TLabSession session(ctx, TAdmission(admission));
    // Fed a byte at a time: piece boundaries do not matter.
    for (char ch : greeting)
        session.feed(QByteArrayView(&ch, 1));
    QCOMPARE(session.takeOutput(), reply);
    QCOMPARE(session.finished(), reply != "VERIFIED\r\n");
    if (!session.finished()) {
        session.feed("NEWSANDINFO\nP&F-VERSION\r\n");
        QCOMPARE(session.takeOutput(), "Nieuws van het lab\r\nVERSION\r\n" + wire::encodeLine(CatalogueVersion));
    }
}

void TstLabServer::answersHeldBack()
{
    QTemporaryDir dir;
    const TLabConfig c = config(dir);
    TLabSpool spool(c.dataFolder);
    TPenFCatalogue catalogue(c.catalogue);
    TLabContext ctx{c, spool, catalogue, false, {}};
    TLabSession session(ctx, TAdmission::Normal);
    session.feed(wire::greeting());
    session.takeOutput();
    // 30 bytes in, a whole catalogue out, many times over in one go.
    const QByteArray round = "WANT P&F-FILE\r\nVERIFIED\r\n";
    const int rounds = 2000;
    session.feed(round.repeated(rounds));
    const qint64 perRound = 9 + 8 + 4 + CatalogueBytes.size();
    qint64 total = 0;
    for (int i = 0; i < rounds; ++i) {
        const QByteArray out = session.takeOutput();
        QVERIFY(out.size() <= TLabSession::MaxPendingOutput + perRound);
        total += out.size();
        if (!session.hasBacklog())
            break;
        session.feed({});
    }
    QCOMPARE(total, perRound * rounds);
    QVERIFY(!session.hasBacklog());
}

void TstLabServer::staffLog()
{
    QTemporaryDir dir;
    const TLabConfig c = config(dir);
    TLabSpool spool(c.dataFolder);
    TPenFCatalogue catalogue(c.catalogue);
    QStringList log;
    TLabContext ctx{c, spool, catalogue, false, [&](const QString &l) { log << l; }};
    TLabSession session(ctx, TAdmission::Normal);
    Order order(dir, QStringLiteral("s"));
    session.feed(wire::greeting() + "SENDMAILFILE\r\n" + be(int32_t(order.container.size())) + order.container);
    for (int file : {1, 2})
        session.feed("SENDFILE\r\n1001\r\n" + be(file) + be(2) + "xy");
    session.feed("DELETEORDER\r\n1001\r\n");
    QCOMPARE(log, (QStringList{"order 1001: ontvangen, 2 foto's, Standaardservice, Klant s",
                               "order 1001: compleet (2 foto's)", "order 1001: verwijderd op verzoek van de klant"}));
}

void TstLabServer::clientNotReading()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    Raw raw(server.port());
    raw.greet();
    // Many commands sent before any answer is read, each answered with a whole catalogue:
    // the server holds back, and in the end every answer arrives, in order.
    const int rounds = 2000;
    raw.send(QByteArray("WANT P&F-FILE\r\nVERIFIED\r\n").repeated(rounds) + "NEWSANDINFO\r\n");
    const QByteArray one = "SENDING\r\n" + wire::encodeSize(uint64_t(CatalogueBytes.size()))
        + wire::encodeInt(int32_t(CatalogueBytes.size())) + CatalogueBytes;
    for (int i = 0; i < rounds; ++i)
        QCOMPARE(raw.recv(one.size()), one);
    QCOMPARE(raw.line(), QByteArray("Nieuws van het lab\r\n"));
}

void TstLabServer::overLongLine()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    Raw raw(server.port());
    raw.greet();
    raw.send(QByteArray(20000, 'A'));
    QVERIFY(raw.closedByServer());
}

void TstLabServer::hugeBlockThenClose()
{
    QTemporaryDir dir;
    TLabConfig c = config(dir);
    c.maxPhotoBytes = 2147483647;
    TLabServerThread server(c);
    QVERIFY(server.start());
    Order order(dir, QStringLiteral("h"));
    Raw raw(server.port());
    raw.greet();
    const int32_t nr = raw.sendContainer(order.container);
    QVERIFY(nr > 0);
    raw.send("SENDFILE\r\n" + QByteArray::number(nr) + "\r\n" + be(1));
    QCOMPARE(raw.recv(4), be(1));
    // Announces 2^31-1 bytes, sends a few and goes away.
    raw.send(be(2147483647) + QByteArray(100000, 'p'));
    QThread::msleep(100);
    raw.abort();
    const QString folder = dir.filePath(QStringLiteral("data/orders/%1").arg(nr));
    QElapsedTimer t;
    t.start();
    while (!partialFiles(folder).isEmpty() && t.elapsed() < 5000)
        QThread::msleep(20);
    QVERIFY(partialFiles(folder).isEmpty());
    QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/1")));
    // The server carries on.
    TDM dm;
    dm.SetPort(server.port());
    QVERIFY(dm.Connect(QStringLiteral("127.0.0.1")));
    QVERIFY(dm.Disconnect());

    // Beyond the container limit: refused with 0 and closed before any byte is taken.
    Raw big(server.port());
    big.greet();
    big.send("SENDMAILFILE\r\n");
    QCOMPARE(big.recv(4), be(1));
    big.send(be(2147483647));
    QCOMPARE(big.recv(4), be(0));
    QVERIFY(big.closedByServer());
}

void TstLabServer::negativeLength()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    Raw raw(server.port());
    raw.greet();
    raw.send("SENDMAILFILE\r\n");
    QCOMPARE(raw.recv(4), be(1));
    raw.send(be(-5));
    QCOMPARE(raw.recv(4), be(0));
    QVERIFY(raw.closedByServer());
}

void TstLabServer::unknownFileNumber()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    Order order(dir, QStringLiteral("u"));
    Raw raw(server.port());
    raw.greet();
    const int32_t nr = raw.sendContainer(order.container);
    QVERIFY(nr > 0);
    // File 3 is not in the container; file 0 and a negative one name nothing either.
    for (int32_t fileNr : {3, 0, -1, 65536 + 1}) {
        raw.send("SENDFILE\r\n" + QByteArray::number(nr) + "\r\n" + be(fileNr));
        QCOMPARE(raw.recv(8), be(0) + be(0));
    }
    // A well-formed one still works on the same connection.
    raw.send("SENDFILE\r\n" + QByteArray::number(nr) + "\r\n" + be(2));
    QCOMPARE(raw.recv(4), be(1));
    raw.send(be(3) + "abc");
    QCOMPARE(raw.recv(4), be(nr));
}

void TstLabServer::otherConnectionsOrder()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    TDM owner;
    owner.SetHost(QStringLiteral("127.0.0.1"));
    owner.SetPort(server.port());
    Order order(dir, QStringLiteral("o"));
    const int32_t nr = upload(owner, order);
    QVERIFY(nr > 0);
    // Another connection cannot touch it.
    Raw raw(server.port());
    raw.greet();
    raw.send("DELETEORDER\r\n" + QByteArray::number(nr) + "\r\nSENDFILE\r\n" + QByteArray::number(nr) + "\r\n" + be(1));
    QCOMPARE(raw.recv(8), be(0) + be(0));
    raw.send("GETRECEIVEDATE\r\n" + QByteArray::number(nr) + "\r\n");
    QCOMPARE(raw.recv(4), be(0));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("data/orders/%1/OrderFile").arg(nr))));
}

void TstLabServer::outOfOrder()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    {
        // A command before the greeting is a wrong greeting.
        Raw raw(server.port());
        raw.line();
        raw.send("NEWSANDINFO\r\n");
        QCOMPARE(raw.line(), QByteArray("REFUSED\r\n"));
        QVERIFY(raw.closedByServer());
    }
    for (const QByteArray &bad : {QByteArray("VERIFIED\r\n"), QByteArray("HELLO\r\n"), QByteArray("sendfile\r\n")}) {
        Raw raw(server.port());
        raw.greet();
        raw.send(bad);
        QVERIFY2(raw.closedByServer(), bad.constData());
    }
}

void TstLabServer::damagedContainer()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    Order order(dir, QStringLiteral("z"));
    QByteArray damaged = order.container;
    damaged[2 * 1632] = 3; // the first file record made an order entry
    TMailFile empty{QString()};
    for (const QByteArray &bytes : {damaged, empty.toBytes(), QByteArray(100, 'x')}) {
        TDM dm;
        dm.SetPort(server.port());
        QVERIFY(dm.Connect(QStringLiteral("127.0.0.1")));
        QByteArray copy = bytes;
        QBuffer b(&copy);
        b.open(QIODevice::ReadOnly);
        QCOMPARE(dm.SendFile(QString(), 0, b), 0);
        QVERIFY(dm.Disconnect());
    }
    QVERIFY(QDir(dir.filePath(QStringLiteral("data/orders"))).isEmpty());
}

void TstLabServer::manyShortConnections()
{
    QTemporaryDir dir;
    TLabServerThread server(config(dir));
    QVERIFY(server.start());
    TDM dm;
    dm.SetPort(server.port());
    for (int i = 0; i < 200; ++i) {
        QVERIFY2(dm.Connect(QStringLiteral("127.0.0.1")), qPrintable(QString::number(i)));
        QVERIFY(dm.Disconnect());
    }
}

void TstLabServer::parallelUploads()
{
    QTemporaryDir dir;
    TLabConfig c = config(dir);
    c.maxConnections = 32;
    TLabServerThread server(c);
    QVERIFY(server.start());
    constexpr int Clients = 20;
    std::vector<std::unique_ptr<Order>> orders;
    for (int i = 0; i < Clients; ++i)
        orders.push_back(std::make_unique<Order>(dir, QStringLiteral("c%1-").arg(i), true, 200000 + i));
    std::vector<int32_t> numbers(Clients, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < Clients; ++i)
        threads.emplace_back([&, i] {
            TDM dm;
            dm.SetHost(QStringLiteral("127.0.0.1"));
            dm.SetPort(server.port());
            try {
                numbers[size_t(i)] = upload(dm, *orders[size_t(i)]);
            } catch (const EKiekjesError &) {
            }
        });
    for (std::thread &t : threads)
        t.join();
    std::set<int32_t> distinct(numbers.begin(), numbers.end());
    QCOMPARE(int(distinct.size()), Clients);
    QVERIFY(!distinct.count(0));
    // Every order has its own photos: the bytes of its own client.
    TLabSpool spool(c.dataFolder);
    for (int i = 0; i < Clients; ++i) {
        QFile f(spool.orderFolder(numbers[size_t(i)]) + QStringLiteral("/1"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.size(), qint64(200000 + i));
    }
    for (const TSpoolOrder &o : spool.orders())
        QVERIFY(o.complete());
}

void TstLabServer::configuration()
{
    QString error;
    const auto sample = TLabConfig::load(QStringLiteral(KIEKJES_SOURCE_DIR "/data/demo/lab.json"), &error);
    QVERIFY2(sample, qPrintable(error));
    QCOMPARE(sample->port, quint16(4000));
    QCOMPARE(sample->address, QHostAddress(QHostAddress::LocalHost));
    QVERIFY(sample->catalogue.endsWith(QStringLiteral("build/release/PenF.dat")));

    const auto c = TLabConfig::fromJson(R"({"port": 4100, "news": "Hallo",
        "postage": {"standard": {"post": "4,50"}}, "readyHours": {"fast": 6},
        "limits": {"maxConnections": 3},
        "blocked": ["192.0.2.7"]})", QStringLiteral("/base"), &error);
    QVERIFY2(c, qPrintable(error));
    QCOMPARE(c->port, quint16(4100));
    QCOMPARE(c->postage[0][1], TCurrency::fromCents(450));
    QCOMPARE(c->readyHours[1], 6);
    QCOMPARE(c->maxConnections, 3);
    QVERIFY(c->blocked.contains(QStringLiteral("192.0.2.7")));
    QCOMPARE(c->dataFolder, QStringLiteral("/base/lab-data"));

    // --help documents every key.
    for (const QString &key : TLabConfig::keys())
        QVERIFY2(TLabConfig::helpText().contains('"' + key + '"'), qPrintable(key));

    for (const char *bad : {"[]", "{\"port\": 70000}", "{\"port\": \"4000\"}", "{\"postage\": {\"fast\": {\"post\": 3}}}",
                            "{\"blocked\": [\"not an address\"]}", "{\"limits\": {\"maxConnections\": 0}}", "{", "{\"prot\": 4000}"}) {
        error.clear();
        QVERIFY2(!TLabConfig::fromJson(bad, QStringLiteral("/base"), &error), bad);
        QVERIFY(!error.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TstLabServer)
#include "tst_labserver.moc"
