#pragma once
// The bytes of the order server protocol, shared by the program and the lab server:
// text lines (CR LF out; LF with an optional CR in), 4-byte big-endian integers, the 8-byte
// catalogue size, data blocks (a 4-byte length and that many bytes, written in pieces),
// and the greeting. Plus a blocking reader/writer over a QTcpSocket whose waits are sliced
// so that an idle hook runs between slices and an abort flag ends any wait.

#include "app/Errors.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

class QIODevice;
class QTcpSocket;

// A read or write on the connection failed: broken, closed, aborted, or a reply that
// breaks the protocol's rules (a line that is too long, a block length out of range).
class ENetworkError : public EKiekjesError {
public:
    explicit ENetworkError(const QString &message) : EKiekjesError(message) {}
};

namespace wire {

constexpr int MaxLineLength = 16384;  // longest received line, without its line end
constexpr int MaxPiece = 32768;       // largest piece a block is written in
constexpr int SliceMs = 25;           // length of one wait slice

inline constexpr char GreetingCode[] = "QX2.7HwKT";
inline constexpr char IdentityText[] = "Kiekjesbode - Studio Meeuwenveld-Ros";

// Text as it goes on the wire (Windows-1252 bytes) followed by CR LF.
QByteArray encodeLine(const QString &text);
QByteArray encodeLineBytes(QByteArrayView bytes);
QByteArray encodeInt(int32_t value);
QByteArray encodeSize(uint64_t value);
// The greeting code directly followed by the identity line: one line at the receiver.
QByteArray greeting();
// The line the server expects as greeting (without line end).
QByteArray greetingLine();

// Takes one received line from the front of `buffer`.
enum class LineResult { NeedMore, Line, TooLong };
LineResult takeLine(QByteArray &buffer, QByteArray &line);

// Received bytes not yet taken. Taking from the front only moves a position, so many small
// lines in one large piece cost no more than the piece itself.
class TInputBuffer {
public:
    qsizetype size() const { return m_data.size() - m_pos; }
    bool isEmpty() const { return size() == 0; }
    const char *data() const { return m_data.constData() + m_pos; }
    void append(QByteArrayView bytes);
    void consume(qsizetype n);
    void clear();
    LineResult takeLine(QByteArray &line);

private:
    QByteArray m_data;
    qsizetype m_pos = 0;
};

// Blocking protocol access to a connected socket, for the thread that owns the socket.
// Every wait is cut into slices of SliceMs; between slices the idle hook runs and the abort
// flag is checked. A set abort flag closes the socket and fails the operation.
class TWireSocket {
public:
    using IdleHook = std::function<void()>;
    // Called after each piece of a block written: bytes so far, block size.
    using Progress = std::function<void(qint64 done, qint64 total)>;

    explicit TWireSocket(QTcpSocket *socket, const std::atomic_bool *abortFlag = nullptr,
                         IdleHook idle = {});

    // A read that waits this long without a single byte arriving fails (0: waits without
    // end, the default).
    void setSilenceLimit(int ms) { m_silenceMs = ms; }

    void writeRaw(QByteArrayView bytes);
    void writeLine(const QString &text) { writeRaw(encodeLine(text)); }
    void writeInt(int32_t value) { writeRaw(encodeInt(value)); }
    // The device's whole content from its first byte, preceded by its length. A device
    // longer than 2147483647 bytes fails before anything is written.
    void writeBlock(QIODevice &data, const Progress &progress = {});
    // Waits until everything written has left the socket's buffer.
    void flush();

    QByteArray readLineBytes();
    QString readLine();
    int32_t readInt();
    uint64_t readSize();
    QByteArray readExact(qint64 count);
    // Reads a block (length and bytes) into `out`, piece by piece. A negative length or one
    // above maxLength fails before any byte of the block is read. Returns the length.
    // `progress` hears (0, length) once the length is known, then the bytes so far after
    // each piece.
    qint64 readBlockTo(QIODevice &out, qint64 maxLength, const Progress &progress = {});

    // Bytes already received and not yet taken.
    qint64 buffered() const { return m_buffer.size(); }

private:
    void check();
    void waitForData();
    void fill(qint64 want);
    // Waits until at most `pending` written bytes are still in the socket's buffer.
    void drainTo(qint64 pending);

    QTcpSocket *m_socket;
    const std::atomic_bool *m_abort;
    IdleHook m_idle;
    int m_silenceMs = 0;
    TInputBuffer m_buffer;
};

} // namespace wire
