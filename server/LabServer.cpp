#include "LabServer.h"

#include "app/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QSemaphore>
#include <QTcpSocket>
#include <QTimer>

namespace {
std::unique_ptr<QLockFile> lockDataFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw EInOutError(folder, QStringLiteral("map kan niet worden gemaakt"));
    auto lock = std::make_unique<QLockFile>(folder + QStringLiteral("/.lock"));
    lock->setStaleLockTime(0); // a lock of a server that died is taken over
    if (!lock->tryLock(0))
        throw EInOutError(folder, QStringLiteral("wordt al door een andere server gebruikt"));
    return lock;
}

constexpr qint64 ReadChunk = 256 * 1024;
// Written but not yet sent bytes above which a connection's input is left waiting.
constexpr qint64 OutputHighWater = 4 * 1024 * 1024;
}

TLabServer::TLabServer(TLabConfig config, std::unique_ptr<TLabCatalogue> catalogue, QObject *parent)
    : QObject(parent),
      m_config(std::move(config)),
      m_catalogue(catalogue ? std::move(catalogue) : std::make_unique<TPenFCatalogue>(m_config.catalogue)),
      m_lock(lockDataFolder(m_config.dataFolder)),
      m_spool(m_config.dataFolder),
      m_context{m_config, m_spool, *m_catalogue, false, {}}
{
    m_spool.recover();
    m_server.setMaxPendingConnections(64);
    connect(&m_server, &QTcpServer::newConnection, this, &TLabServer::accept);
}

TLabServer::~TLabServer() = default;

bool TLabServer::listen(QString *error)
{
    if (m_server.listen(m_config.address, m_config.port))
        return true;
    if (error)
        *error = m_server.errorString();
    return false;
}

void TLabServer::beginShutdown()
{
    m_context.shuttingDown = true;
    if (m_connections == 0)
        emit finished();
}

void TLabServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        // Far beyond the limit nobody is even greeted.
        if (m_connections >= 2 * m_config.maxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        serve(socket);
    }
}

void TLabServer::serve(QTcpSocket *socket)
{
    TAdmission admission = TAdmission::Normal;
    QHostAddress peer = socket->peerAddress();
    bool v4 = false;
    const quint32 address = peer.toIPv4Address(&v4);
    if (v4)
        peer = QHostAddress(address); // an IPv4-mapped IPv6 address counts as the IPv4 one
    if (m_config.blocked.contains(peer.toString()))
        admission = TAdmission::Blocked;
    else if (m_connections >= m_config.maxConnections)
        admission = TAdmission::TooMany;
    ++m_connections;

    socket->setParent(this);
    socket->setReadBufferSize(4 * ReadChunk);
    // Answers are small and awaited at once (the end of a catalogue too): sent as they are,
    // not held back for the client's acknowledgement of earlier bytes.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    auto session = std::make_shared<TLabSession>(m_context, admission);
    auto idle = new QTimer(socket);
    idle->setSingleShot(true);
    idle->setInterval(m_config.idleSeconds * 1000);
    connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
    idle->start();

    auto buffer = std::make_shared<QByteArray>(ReadChunk, Qt::Uninitialized);
    // Reads only while the answers already written are taken up by the client: one that
    // sends commands without reading the replies is held back by its own socket.
    auto pump = [socket, session, idle, buffer] {
        if (session->finished())
            return;
        idle->start();
        auto flushOutput = [&] {
            const QByteArray out = session->takeOutput();
            if (!out.isEmpty())
                socket->write(out);
        };
        if (session->hasBacklog()) {
            session->feed({});
            flushOutput();
        }
        while (socket->bytesAvailable() > 0 && !session->finished() && !session->hasBacklog()
               && socket->bytesToWrite() <= OutputHighWater) {
            const qint64 n = socket->read(buffer->data(), ReadChunk);
            if (n <= 0)
                break;
            session->feed(QByteArrayView(buffer->constData(), n));
            flushOutput();
        }
        if (session->finished())
            socket->disconnectFromHost();
    };
    connect(socket, &QTcpSocket::readyRead, this, pump);
    // Replies going out count as activity too (a large catalogue over a slow line), and once
    // they have drained the reading goes on.
    connect(socket, &QTcpSocket::bytesWritten, socket, [socket, idle, pump] {
        idle->start();
        if (socket->bytesToWrite() <= OutputHighWater)
            pump();
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket, session]() mutable {
        session.reset(); // a photo cut off half-way is removed here
        socket->deleteLater();
        --m_connections;
        if (m_context.shuttingDown && m_connections == 0)
            emit finished();
    });
    socket->write(TLabSession::openingLine());
}

namespace {
class TServerRunner : public QThread {
public:
    TServerRunner(const TLabConfig &config) : m_config(config) {}
    QSemaphore ready;
    bool ok = false;
    QString why;
    quint16 port = 0;
    TLabServer *server = nullptr; // valid while the thread runs its loop

protected:
    void run() override
    {
        std::unique_ptr<TLabServer> server;
        try {
            server = std::make_unique<TLabServer>(m_config);
            ok = server->listen(&why);
            port = server->port();
        } catch (const EKiekjesError &e) {
            why = e.message();
        }
        this->server = server.get();
        ready.release();
        if (ok)
            exec();
        this->server = nullptr;
        server.reset();
    }

private:
    TLabConfig m_config;
};
} // namespace

TLabServerThread::TLabServerThread(TLabConfig config) : m_config(std::move(config)) {}

TLabServerThread::~TLabServerThread() { stop(); }

bool TLabServerThread::start(QString *error)
{
    auto runner = std::make_unique<TServerRunner>(m_config);
    runner->start();
    QString why = QStringLiteral("server did not start in time");
    bool ok = false;
    if (runner->ready.tryAcquire(1, 10000)) {
        ok = runner->ok;
        why = runner->why;
        m_port = runner->port;
    }
    m_thread = std::move(runner);
    if (error)
        *error = why;
    return ok;
}

void TLabServerThread::beginShutdown()
{
    auto *runner = static_cast<TServerRunner *>(m_thread.get());
    if (runner && runner->server)
        QMetaObject::invokeMethod(runner->server, &TLabServer::beginShutdown, Qt::BlockingQueuedConnection);
}

void TLabServerThread::stop()
{
    if (!m_thread)
        return;
    m_thread->quit();
    m_thread->wait(10000);
    m_thread.reset();
}
