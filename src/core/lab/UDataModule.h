#pragma once
// TDM: the program's shared connection to the order server, one operation per command.
// Every operation runs its exchange on the calling thread and returns when it is complete.
// The socket belongs to the thread that last called Connect (it is made there), so the
// upload thread owns it while it runs; AbortConnection is the one call another thread may
// make: it raises a flag that the sliced waits see, so a pending read or write ends within
// one slice and fails, and so does every later call until the next Connect.

#include "app/DateTime.h"
#include "lab/Wire.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

class QIODevice;
class QTcpSocket;
class TSettingsStore;

// Feedback targets (labels, a progress bar). Implementations that are window controls
// deliver the update to the window thread themselves.
class TTextTarget {
public:
    virtual ~TTextTarget() = default;
    virtual void setText(const QString &text) = 0;
};

class TProgressTarget {
public:
    virtual ~TProgressTarget() = default;
    virtual int minimum() const = 0;
    virtual int maximum() const = 0;
    virtual void setPosition(int position) = 0;
};

// The states the connection reports, and their status texts.
enum class TConnectionState { Resolving, Connecting, Connected, Disconnecting, Disconnected, Other };
QString ConnectionStatusText(TConnectionState state);

// The send progress text "%d kB (%d%%)" for `done` of `total` bytes (Round half to even).
QString SendProgressText(qint64 done, qint64 total);

// Removes a folder with everything in it; raises EInOutError with the texts of the
// program when the folder is missing or an entry cannot be removed.
bool DeleteDirectory(const QString &dir);

class TDM {
public:
    static constexpr int DefaultPort = 4000;
    // The most lines a calculation may have; a larger count is a broken reply.
    static constexpr int MaxCalculationLines = 10000;
    // The largest catalogue the download accepts.
    static constexpr qint64 MaxCatalogueSize = 256LL * 1024 * 1024;

    // Error codes of Connect and Disconnect.
    enum : int {
        ErrUnknownReply = 200,
        ErrConnectFailed = 201,
        ErrRefused = 202,
        ErrTryLater = 203,
        ErrStillConnected = 204,
        ErrAlreadyConnected = 206,
        ErrBlockedIp = 207,
    };

    // Host KIEKJES_DEFAULT_HOST and port 4000; then "Host" and "Port" of the store replace
    // them when present and valid.
    explicit TDM(const TSettingsStore *store = nullptr);
    ~TDM();
    TDM(const TDM &) = delete;
    TDM &operator=(const TDM &) = delete;

    QString Host() const { return m_host; }
    void SetHost(const QString &host) { m_host = host; }
    int Port() const { return m_port; }
    void SetPort(int port) { m_port = port; }

    int ErrorCode() const { return m_errorCode; }
    bool IsConnected() const { return m_isConnected; }
    qint64 WorkMax() const { return m_workMax; }

    // Runs between wait slices on the calling thread (the window thread processes its
    // events here). Empty: nothing runs.
    void SetIdleHook(wire::TWireSocket::IdleHook hook) { m_idle = std::move(hook); }
    // Reads that wait longer than this without a byte fail (0, the default: no limit). Takes
    // effect at the next connection.
    void SetSilenceLimit(int ms) { m_silenceMs = ms; }

    void SetFeedbackControls(TTextTarget *status1, TTextTarget *status2, TTextTarget *status3,
                             TProgressTarget *progressBar, TTextTarget *progressLabel);

    bool Connect(const QString &host);
    bool Disconnect();
    void AbortConnection();

    QString GetNewsAndInfo();
    bool CheckPFVersion(const QString &localVersion, QString &serverVersion);
    int32_t SendFile(const QString &name, int32_t fileNr, QIODevice &data);
    // Whether the last SendFile's block was accepted and sent (the peer may refuse it).
    bool LastSendAccepted() const { return m_lastSendAccepted; }
    bool CalculateOrder(const QString &orderNr, QStringList &lines);
    void DeleteOrder(const QString &orderNr);
    TDateTime GetReceiveDate(const QString &orderNr);
    TDateTime GetOrderReady(const QString &orderNr);

    // The order number as it goes on the wire: unsigned 32-bit decimal.
    static QString OrderNumberText(int32_t orderNumber);

    // The catalogue download's exchange, for the update job to sequence. The connection
    // closes without sending anything.
    enum class TUpdateGreeting { Failed, Go, Blocked, Unavailable };
    TUpdateGreeting OpenUpdateConnection();
    void CloseUpdateConnection();
    enum class TVersionReply { Retry, Version, Other };
    TVersionReply AskCatalogueVersion(QString &serverVersion);
    // "WANT P&F-FILE"; on "SENDING" reads the announced size and the block into `out`
    // (streamed) and returns true; any other reply returns false.
    bool ReceiveCatalogue(QIODevice &out, uint64_t &announced, qint64 &received,
                          const wire::TWireSocket::Progress &progress = {});
    // "VERIFIED" when the byte count matches the announced size, else "ERROR".
    void ConfirmCatalogue(bool verified);

private:
    void openSocket();
    void closeSocket();
    wire::TWireSocket &wireSocket();
    void setStatus(TConnectionState state);
    void progress(qint64 done, qint64 total);

    QString m_host;
    int m_port = DefaultPort;
    int m_errorCode = 0;
    bool m_isConnected = false;
    qint64 m_workMax = 0;
    int m_silenceMs = 0;
    bool m_lastSendAccepted = false;
    std::atomic_bool m_abort{false};
    wire::TWireSocket::IdleHook m_idle;
    std::unique_ptr<QTcpSocket> m_socket;
    std::unique_ptr<wire::TWireSocket> m_wire;

    TTextTarget *m_status[3] = {nullptr, nullptr, nullptr};
    TProgressTarget *m_progressBar = nullptr;
    TTextTarget *m_progressLabel = nullptr;
};
