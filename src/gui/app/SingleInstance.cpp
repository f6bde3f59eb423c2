#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {
const char *const kGuard = "{B102E665-3749-45CD-9205-945D424A18BE}";
const QByteArray kWake = "wake\n";
} // namespace

TSingleInstance::TSingleInstance(const QString &key, QObject *parent) : QObject(parent), m_key(key) {}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::DefaultKey()
{
    return QString::fromLatin1(kGuard) + QLatin1Char('-') + qEnvironmentVariable("USER", QStringLiteral("user"));
}

bool TSingleInstance::Claim()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_lock = std::make_unique<QLockFile>(dir + QLatin1Char('/') + m_key + QStringLiteral(".lock"));
    // A lock whose process is gone counts as stale at once.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(100)) {
        QLocalSocket socket;
        socket.connectToServer(m_key);
        if (socket.waitForConnected(1000)) {
            socket.write(kWake);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
        }
        return false;
    }
    // A socket name left behind by a crashed copy is removed before listening.
    QLocalServer::removeServer(m_key);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("wake"))
                    emit wakeUpRequested();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    m_server->listen(m_key);
    return true;
}
