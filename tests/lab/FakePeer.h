#pragma once
// A scripted order server on 127.0.0.1 (ephemeral port) running on a thread of its own, so
// a blocking client can talk to it from the test thread. Every wait is bounded.

#include <QByteArray>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <vector>
#include <mutex>
#include <thread>

class FakePeer {
public:
    class Conn {
    public:
        explicit Conn(QTcpSocket *s) : m_s(s) {}
        void send(const QByteArray &bytes)
        {
            m_s->write(bytes);
            while (m_s->bytesToWrite() > 0 && m_s->waitForBytesWritten(2000)) {
            }
        }
        // Waits (at most 5 s) for exactly n bytes; returns what arrived.
        QByteArray recv(qint64 n)
        {
            QElapsedTimer t;
            t.start();
            QByteArray out;
            while (out.size() < n && t.elapsed() < 5000) {
                if (m_s->bytesAvailable() == 0 && !m_s->waitForReadyRead(50)
                    && m_s->state() != QAbstractSocket::ConnectedState && m_s->bytesAvailable() == 0)
                    break;
                out += m_s->read(n - out.size());
            }
            m_all += out;
            return out;
        }
        // Reads up to and including the next LF (at most 5 s).
        QByteArray recvLine()
        {
            QByteArray out;
            while (!out.endsWith('\n')) {
                const QByteArray b = recv(1);
                if (b.isEmpty())
                    break;
                out += b;
            }
            return out;
        }
        // Reads whatever else comes until the client closes or `ms` pass.
        QByteArray drain(int ms = 1000)
        {
            QElapsedTimer t;
            t.start();
            QByteArray out;
            while (t.elapsed() < ms) {
                m_s->waitForReadyRead(20);
                out += m_s->readAll();
                if (m_s->state() != QAbstractSocket::ConnectedState && m_s->bytesAvailable() == 0)
                    break;
            }
            m_all += out;
            return out;
        }
        void close()
        {
            m_s->disconnectFromHost();
            if (m_s->state() != QAbstractSocket::UnconnectedState)
                m_s->waitForDisconnected(1000);
        }
        QByteArray received() const { return m_all; }
        QTcpSocket *socket() { return m_s; }

    private:
        QTcpSocket *m_s;
        QByteArray m_all;
    };

    using Script = std::function<void(Conn &)>;

    // Accepts one connection per script, in turn.
    explicit FakePeer(std::vector<Script> scripts) : m_scripts(std::move(scripts))
    {
        std::mutex m;
        std::condition_variable cv;
        bool ready = false;
        m_thread = std::thread([&, this] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            {
                std::lock_guard<std::mutex> lock(m);
                m_port = server.serverPort();
                ready = true;
            }
            cv.notify_one();
            for (Script &script : m_scripts) {
                if (!server.waitForNewConnection(5000))
                    break;
                QTcpSocket *s = server.nextPendingConnection();
                Conn c(s);
                script(c);
                c.drain(300);
                {
                    std::lock_guard<std::mutex> lock(m_lock);
                    m_received.push_back(c.received());
                }
                ++m_accepted;
                delete s;
            }
            // A connection beyond the scripts is noted, not served.
            if (server.waitForNewConnection(m_extraWaitMs))
                ++m_accepted;
        });
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return ready; });
    }
    FakePeer(Script script) : FakePeer(std::vector<Script>{std::move(script)}) {}
    ~FakePeer() { join(); }

    quint16 port() const { return m_port; }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    // Bytes each served connection received.
    QByteArray received(size_t i = 0)
    {
        join();
        std::lock_guard<std::mutex> lock(m_lock);
        return i < m_received.size() ? m_received[i] : QByteArray();
    }
    int accepted()
    {
        join();
        return m_accepted;
    }
    static inline int m_extraWaitMs = 200;

private:
    std::vector<Script> m_scripts;
    std::thread m_thread;
    quint16 m_port = 0;
    std::mutex m_lock;
    std::vector<QByteArray> m_received;
    std::atomic_int m_accepted{0};
};
