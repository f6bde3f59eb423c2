#include "lab/UDataModule.h"

#include "app/Definities.h"
#include "app/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QTcpSocket>

QString ConnectionStatusText(TConnectionState state)
{
    switch (state) {
    case TConnectionState::Resolving: return QStringLiteral("Zoeken naar server...");
    case TConnectionState::Connecting: return QStringLiteral("Verbinding maken...");
    case TConnectionState::Connected: return QStringLiteral("Verbonden");
    case TConnectionState::Disconnecting: return QStringLiteral("Verbinding wordt verbroken...");
    case TConnectionState::Disconnected: return QStringLiteral("Verbinding verbroken");
    case TConnectionState::Other: break;
    }
    return QStringLiteral("...");
}

QString SendProgressText(qint64 done, qint64 total)
{
    const int64_t kb = Round(double(done) / 1024.0);
    const int64_t percent = total > 0 ? Round(double(done) / double(total) * 100.0) : 100;
    return QStringLiteral("%1 kB (%2%)").arg(kb).arg(percent);
}

bool DeleteDirectory(const QString &dir)
{
    QDir d(dir);
    if (!QFileInfo(dir).isDir())
        throw EInOutError(QString(), QStringLiteral("Directory \"%1\" does not exist.").arg(dir));
    const QFileInfoList entries =
        d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString path = dir + QLatin1Char('/') + entry.fileName();
        // A link is removed itself; what it points to is never entered.
        if (entry.isDir() && !entry.isSymLink()) {
            if (!DeleteDirectory(path))
                throw EInOutError(QString(), QStringLiteral("Can not delete directory \"%1\".").arg(path));
        } else if (!QFile::remove(path)) {
            throw EInOutError(QString(), QStringLiteral("Can not delete file \"%1\".").arg(path));
        }
    }
    return QDir().rmdir(dir);
}

TDM::TDM(const TSettingsStore *store) : m_host(QStringLiteral(KIEKJES_DEFAULT_HOST))
{
    if (store) {
        // A damaged value keeps the module's own default.
        try {
            m_host = store->readHost(m_host);
        } catch (const EKiekjesError &) {
        }
        try {
            m_port = store->readPort(DefaultPort);
        } catch (const EKiekjesError &) {
        }
    }
}

TDM::~TDM()
{
    if (m_socket) {
        m_socket->disconnect();
        m_socket->abort();
    }
}

void TDM::SetFeedbackControls(TTextTarget *status1, TTextTarget *status2, TTextTarget *status3,
                              TProgressTarget *progressBar, TTextTarget *progressLabel)
{
    m_status[0] = status1;
    m_status[1] = status2;
    m_status[2] = status3;
    m_progressBar = progressBar;
    m_progressLabel = progressLabel;
}

void TDM::setStatus(TConnectionState state)
{
    const QString text = ConnectionStatusText(state);
    for (TTextTarget *t : m_status)
        if (t)
            t->setText(text);
}

void TDM::progress(qint64 done, qint64 total)
{
    if (m_progressBar) {
        const int max = m_progressBar->maximum();
        m_progressBar->setPosition(int(Round(double(max) * double(done) / double(total))));
    }
    if (m_progressLabel)
        m_progressLabel->setText(SendProgressText(done, total));
}

void TDM::openSocket()
{
    closeSocket();
    m_abort = false;
    m_socket = std::make_unique<QTcpSocket>();
    QObject::connect(m_socket.get(), &QAbstractSocket::stateChanged, [this](QAbstractSocket::SocketState s) {
        switch (s) {
        case QAbstractSocket::HostLookupState: setStatus(TConnectionState::Resolving); break;
        case QAbstractSocket::ConnectingState: setStatus(TConnectionState::Connecting); break;
        case QAbstractSocket::ConnectedState: setStatus(TConnectionState::Connected); break;
        case QAbstractSocket::ClosingState: setStatus(TConnectionState::Disconnecting); break;
        case QAbstractSocket::UnconnectedState: setStatus(TConnectionState::Disconnected); break;
        default: setStatus(TConnectionState::Other); break;
        }
    });
    m_wire = std::make_unique<wire::TWireSocket>(m_socket.get(), &m_abort, m_idle);
    m_wire->setSilenceLimit(m_silenceMs);
    m_socket->connectToHost(m_host, quint16(m_port), QIODevice::ReadWrite, QAbstractSocket::IPv4Protocol);
    // No time limit of our own: wait until connected, refused, or aborted.
    while (m_socket->state() != QAbstractSocket::ConnectedState) {
        if (m_abort.load())
            throw ENetworkError(QStringLiteral("Verbinding afgebroken"));
        if (m_socket->state() == QAbstractSocket::UnconnectedState)
            throw ENetworkError(m_socket->errorString());
        m_socket->waitForConnected(wire::SliceMs);
        if (m_idle)
            m_idle();
    }
    // Every exchange ends with a command or the tail of a block that waits for an answer: held
    // back for the acknowledgement of what went before (Nagle), that tail would sit in the
    // system for the peer's delayed-ACK time, once for every photo.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void TDM::closeSocket()
{
    m_wire.reset();
    if (m_socket) {
        if (m_socket->state() != QAbstractSocket::UnconnectedState)
            m_socket->abort();
        m_socket->disconnect();
        m_socket.reset();
    }
}

wire::TWireSocket &TDM::wireSocket()
{
    if (m_abort.load()) {
        if (m_socket)
            m_socket->abort();
        throw ENetworkError(QStringLiteral("Verbinding afgebroken"));
    }
    if (!m_wire || !m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        throw ENetworkError(QStringLiteral("Geen verbinding"));
    return *m_wire;
}

bool TDM::Connect(const QString &host)
{
    m_errorCode = 0;
    if (m_isConnected) {
        m_errorCode = ErrAlreadyConnected;
        return false;
    }
    if (!host.isEmpty())
        m_host = host;
    try {
        openSocket();
        wire::TWireSocket &w = wireSocket();
        w.readLineBytes(); // the opening line, whatever it says
        w.writeRaw(wire::greeting());
        const QByteArray reply = w.readLineBytes();
        if (reply == "VERIFIED") {
            m_isConnected = true;
            return true;
        }
        if (reply == "TRYLATER" || reply == "NO PENF AVAILABLE" || reply == "SHUTTING DOWN")
            m_errorCode = ErrTryLater;
        else if (reply == "REFUSED")
            m_errorCode = ErrRefused;
        else if (reply == "BLOCKED IP")
            m_errorCode = ErrBlockedIp;
        else
            m_errorCode = ErrUnknownReply;
    } catch (...) {
        // Connect never raises: every failure is a code.
        m_errorCode = ErrConnectFailed;
    }
    closeSocket();
    return false;
}

bool TDM::Disconnect()
{
    m_errorCode = 0;
    try {
        if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState && !m_abort.load()) {
            m_wire->writeLine(QStringLiteral("DISCONNECT"));
            m_wire->flush();
        }
    } catch (...) {
        closeSocket();
        return false;
    }
    if (m_socket) {
        m_socket->disconnectFromHost();
        if (m_socket->state() != QAbstractSocket::UnconnectedState)
            m_socket->abort();
        if (m_socket->state() != QAbstractSocket::UnconnectedState) {
            m_errorCode = ErrStillConnected;
            return false;
        }
    }
    closeSocket();
    m_isConnected = false;
    return true;
}

void TDM::AbortConnection() { m_abort = true; }

QString TDM::GetNewsAndInfo()
{
    wire::TWireSocket &w = wireSocket();
    w.writeLine(QStringLiteral("NEWSANDINFO"));
    return w.readLine();
}

bool TDM::CheckPFVersion(const QString &localVersion, QString &serverVersion)
{
    wire::TWireSocket &w = wireSocket();
    w.writeLine(QStringLiteral("P&FVERSION"));
    serverVersion = w.readLine();
    return localVersion.compare(serverVersion, Qt::CaseInsensitive) == 0;
}

int32_t TDM::SendFile(const QString &name, int32_t fileNr, QIODevice &data)
{
    m_lastSendAccepted = false;
    wire::TWireSocket &w = wireSocket();
    if (data.size() > std::numeric_limits<int32_t>::max())
        throw ENetworkError(QStringLiteral("Bestand te groot om te verzenden"));
    if (fileNr > 0) {
        w.writeLine(QStringLiteral("SENDFILE"));
        w.writeLine(name);
        w.writeInt(fileNr);
    } else {
        w.writeLine(QStringLiteral("SENDMAILFILE"));
    }
    const int32_t accept = w.readInt();
    if ((accept & 0xFF) != 0) {
        m_workMax = data.size();
        if (m_progressBar)
            m_progressBar->setPosition(m_progressBar->minimum());
        if (m_progressLabel)
            m_progressLabel->setText(SendProgressText(0, 1));
        w.writeBlock(data, [this](qint64 done, qint64 total) { progress(done, total); });
        if (m_progressBar)
            m_progressBar->setPosition(m_progressBar->maximum());
        if (m_progressLabel)
            m_progressLabel->setText(SendProgressText(m_workMax, m_workMax));
        m_lastSendAccepted = true;
    }
    return w.readInt();
}

bool TDM::CalculateOrder(const QString &orderNr, QStringList &lines)
{
    wire::TWireSocket &w = wireSocket();
    w.writeLine(QStringLiteral("CALCULATEORDER"));
    w.writeLine(orderNr);
    int32_t n = w.readInt();
    if (n <= 0)
        n = w.readInt();
    if (n > MaxCalculationLines) {
        m_socket->abort();
        throw ENetworkError(QStringLiteral("Ongeldige berekening van de server (%1 regels)").arg(n));
    }
    for (int32_t i = 0; i < n; ++i)
        lines << w.readLine();
    return !lines.isEmpty();
}

void TDM::DeleteOrder(const QString &orderNr)
{
    wire::TWireSocket &w = wireSocket();
    w.writeLine(QStringLiteral("DELETEORDER"));
    w.writeLine(orderNr);
}

TDateTime TDM::GetReceiveDate(const QString &orderNr)
{
    try {
        wire::TWireSocket &w = wireSocket();
        w.writeLine(QStringLiteral("GETRECEIVEDATE"));
        w.writeLine(orderNr);
        return TDateTime(w.readInt());
    } catch (...) {
        return 0;
    }
}

TDateTime TDM::GetOrderReady(const QString &orderNr)
{
    wire::TWireSocket &w = wireSocket();
    w.writeLine(QStringLiteral("ORDERREADY"));
    w.writeLine(orderNr);
    TDateTime when = 0;
    if (!TijdstipUitTekst(w.readLine(), when))
        return 0;
    return when;
}

QString TDM::OrderNumberText(int32_t orderNumber) { return QString::number(uint32_t(orderNumber)); }

TDM::TUpdateGreeting TDM::OpenUpdateConnection()
{
    try {
        openSocket();
        wire::TWireSocket &w = wireSocket();
        w.writeRaw(wire::greeting());
        w.readLineBytes(); // the opening line
        const QByteArray reply = w.readLineBytes();
        if (reply == "BLOCKED IP") {
            closeSocket();
            return TUpdateGreeting::Blocked;
        }
        if (reply == "NO PENF AVAILABLE" || reply == "SHUTTING DOWN") {
            closeSocket();
            return TUpdateGreeting::Unavailable;
        }
        return TUpdateGreeting::Go;
    } catch (const EKiekjesError &) {
        closeSocket();
        return TUpdateGreeting::Failed;
    }
}

void TDM::CloseUpdateConnection() { closeSocket(); }

TDM::TVersionReply TDM::AskCatalogueVersion(QString &serverVersion)
{
    wire::TWireSocket &w = wireSocket();
    w.writeLine(QStringLiteral("P&F-VERSION"));
    const QByteArray reply = w.readLineBytes();
    if (reply == "RETRY")
        return TVersionReply::Retry;
    if (reply != "VERSION")
        return TVersionReply::Other;
    serverVersion = w.readLine();
    return TVersionReply::Version;
}

bool TDM::ReceiveCatalogue(QIODevice &out, uint64_t &announced, qint64 &received,
                           const wire::TWireSocket::Progress &progress)
{
    wire::TWireSocket &w = wireSocket();
    w.writeLine(QStringLiteral("WANT P&F-FILE"));
    if (w.readLineBytes() != "SENDING")
        return false;
    announced = w.readSize();
    received = w.readBlockTo(out, MaxCatalogueSize, progress);
    return true;
}

void TDM::ConfirmCatalogue(bool verified)
{
    wire::TWireSocket &w = wireSocket();
    w.writeLine(verified ? QStringLiteral("VERIFIED") : QStringLiteral("ERROR"));
    w.flush();
}
