#pragma once
// One running copy per user. The first copy holds a lock file and listens on a local socket
// named after the program's guard; a second copy finds the lock taken, asks the first to come
// to the front through the socket, and ends without showing anything. A lock left behind by a
// copy that crashed is taken over (the lock records the process that holds it).

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the guard; tests give their own so they never meet a real copy.
    explicit TSingleInstance(const QString &key = DefaultKey(), QObject *parent = nullptr);
    ~TSingleInstance() override;

    static QString DefaultKey();

    // True for the first copy (it now holds the guard and listens); false for a second copy,
    // which has told the first one to wake up.
    bool Claim();

signals:
    void wakeUpRequested();

private:
    QString m_key;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
