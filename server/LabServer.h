#pragma once
// kiekjesbode-lab's listener: one event loop serves every connection, each a TLabSession
// fed from its socket, with an idle time-out and a maximum number of connections.

#include "LabConfig.h"
#include "LabPricing.h"
#include "LabSession.h"
#include "LabSpool.h"

#include <QLockFile>
#include <QObject>
#include <QTcpServer>
#include <QThread>
#include <memory>

class QTcpSocket;

class TLabServer : public QObject {
    Q_OBJECT
public:
    // Throws EInOutError when the data folder cannot be used or another server uses it.
    // Without a catalogue of its own the configured one is loaded.
    explicit TLabServer(TLabConfig config, std::unique_ptr<TLabCatalogue> catalogue = {}, QObject *parent = nullptr);
    ~TLabServer() override;

    bool listen(QString *error = nullptr);
    quint16 port() const { return m_server.serverPort(); }
    int connectionCount() const { return m_connections; }
    TLabCatalogue &catalogue() { return *m_catalogue; }

    // New greetings get "SHUTTING DOWN"; finished() follows when the last connection has
    // gone (at once when there is none).
    void beginShutdown();
    // One line per order event (received, complete, deleted).
    void setLog(std::function<void(const QString &)> log) { m_context.log = std::move(log); }

signals:
    void finished();

private:
    void accept();
    void serve(QTcpSocket *socket);

    TLabConfig m_config;
    std::unique_ptr<TLabCatalogue> m_catalogue;
    std::unique_ptr<QLockFile> m_lock; // one server per data folder
    TLabSpool m_spool;
    TLabContext m_context;
    QTcpServer m_server;
    int m_connections = 0;
};

// Runs a server on a thread of its own (tests and benchmarks; the client blocks its thread).
class TLabServerThread {
public:
    explicit TLabServerThread(TLabConfig config);
    ~TLabServerThread();
    // Starts and waits (at most 10 s) until the server listens; false with *error otherwise.
    bool start(QString *error = nullptr);
    quint16 port() const { return m_port; }
    // The server's graceful stop (see TLabServer::beginShutdown); the thread keeps running.
    void beginShutdown();
    void stop();

private:
    TLabConfig m_config;
    std::unique_ptr<QThread> m_thread;
    quint16 m_port = 0;
};
