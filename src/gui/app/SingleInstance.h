#pragma once
// One running copy per user. The first copy holds an advisory lock (flock) on a file named
// after the program's guard and listens on a local socket of the same name; a second copy
// finds the lock taken, asks the first to come to the front through the socket, and ends
// without showing anything. The system releases the lock when its process ends in any way,
// so a copy that crashed never blocks the next start, and taking it writes nothing to disk.

#include <QObject>
#include <QString>

class QLocalServer;

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
    int m_lockFd = -1;
    QLocalServer *m_server = nullptr;
};
