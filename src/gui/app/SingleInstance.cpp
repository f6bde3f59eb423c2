#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const char *const kGuard = "{B102E665-3749-45CD-9205-945D424A18BE}";
const QByteArray kWake = "wake\n";
} // namespace

TSingleInstance::TSingleInstance(const QString &key, QObject *parent) : QObject(parent), m_key(key) {}

TSingleInstance::~TSingleInstance()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString TSingleInstance::DefaultKey()
{
    return QString::fromLatin1(kGuard) + QLatin1Char('-') + qEnvironmentVariable("USER", QStringLiteral("user"));
}

bool TSingleInstance::Claim()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QByteArray lockPath = QFile::encodeName(dir + QLatin1Char('/') + m_key + QStringLiteral(".lock"));
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_lockFd = fd;
    } else {
        const bool taken = fd >= 0 && errno == EWOULDBLOCK;
        if (fd >= 0)
            ::close(fd);
        // A guard file that cannot even be opened does not keep the program from starting.
        if (taken) {
            QLocalSocket socket;
            socket.connectToServer(m_key);
            if (socket.waitForConnected(1000)) {
                socket.write(kWake);
                socket.waitForBytesWritten(1000);
                socket.disconnectFromServer();
            }
            return false;
        }
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
