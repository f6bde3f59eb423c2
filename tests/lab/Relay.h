#pragma once
// A relay on 127.0.0.1 (ephemeral port) between one client and a server, on a thread of its
// own, that cuts both connections at a chosen point of the client's bytes: when `marker` has
// passed and `extra` bytes after it. Every wait is bounded.

#include <QByteArray>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class Relay {
public:
    Relay(quint16 serverPort, QByteArray marker, qint64 extra) : m_marker(std::move(marker)), m_extra(extra)
    {
        std::mutex m;
        std::condition_variable cv;
        bool ready = false;
        m_thread = std::thread([&, serverPort, this] {
            QTcpServer listener;
            listener.listen(QHostAddress::LocalHost, 0);
            {
                std::lock_guard<std::mutex> lock(m);
                m_port = listener.serverPort();
                ready = true;
            }
            cv.notify_one();
            if (!listener.waitForNewConnection(10000))
                return;
            QTcpSocket *client = listener.nextPendingConnection();
            QTcpSocket server;
            server.connectToHost(QHostAddress::LocalHost, serverPort);
            if (!server.waitForConnected(5000)) {
                delete client;
                return;
            }
            pump(*client, server);
            client->abort();
            server.abort();
            delete client;
        });
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return ready; });
    }
    ~Relay()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    quint16 port() const { return m_port; }
    bool cut() const { return m_cut; }

private:
    void pump(QTcpSocket &client, QTcpSocket &server)
    {
        QElapsedTimer t;
        t.start();
        QByteArray seen;
        qint64 forwarded = 0;
        qint64 cutAt = -1;
        while (t.elapsed() < 20000) {
            client.waitForReadyRead(5);
            const QByteArray up = client.readAll();
            if (!up.isEmpty()) {
                seen += up;
                if (cutAt < 0) {
                    const qsizetype at = seen.indexOf(m_marker);
                    if (at >= 0)
                        cutAt = at + m_marker.size() + m_extra;
                }
                const qint64 allowed = cutAt < 0 ? seen.size() : std::min<qint64>(cutAt, seen.size());
                if (allowed > forwarded) {
                    server.write(seen.constData() + forwarded, allowed - forwarded);
                    forwarded = allowed;
                    while (server.bytesToWrite() > 0 && server.waitForBytesWritten(1000)) {
                    }
                }
                if (cutAt >= 0 && forwarded >= cutAt) {
                    m_cut = true;
                    return;
                }
                // Only the unforwarded tail matters from here on.
                if (cutAt < 0 && seen.size() > m_marker.size() + (1 << 20)) {
                    const qint64 keep = m_marker.size();
                    forwarded -= seen.size() - keep;
                    seen = seen.right(keep);
                }
            }
            server.waitForReadyRead(5);
            const QByteArray down = server.readAll();
            if (!down.isEmpty()) {
                client.write(down);
                while (client.bytesToWrite() > 0 && client.waitForBytesWritten(1000)) {
                }
            }
            if (client.state() != QAbstractSocket::ConnectedState || server.state() != QAbstractSocket::ConnectedState)
                return;
        }
    }

    QByteArray m_marker;
    qint64 m_extra;
    std::thread m_thread;
    quint16 m_port = 0;
    std::atomic_bool m_cut{false};
};
