#include "lab/Wire.h"

#include "app/AnsiString.h"
#include "app/Bytes.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QTcpSocket>
#include <limits>

namespace wire {

namespace {
// How much written data may wait in the socket's buffer before a block writer waits.
constexpr qint64 WriteHighWater = 256 * 1024;
// Largest amount taken from the socket in one go.
constexpr qint64 ReadChunk = 64 * 1024;
} // namespace

QByteArray encodeLineBytes(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + 2);
    out.append(bytes.data(), bytes.size());
    out.append("\r\n", 2);
    return out;
}

QByteArray encodeLine(const QString &text) { return encodeLineBytes(ansi::encode(text)); }

QByteArray encodeInt(int32_t value)
{
    QByteArray out(4, '\0');
    bytes::putI32BE(bytes::u(out.data()), value);
    return out;
}

QByteArray encodeSize(uint64_t value)
{
    QByteArray out(8, '\0');
    bytes::putU64BE(bytes::u(out.data()), value);
    return out;
}

QByteArray greetingLine() { return QByteArray(GreetingCode) + QByteArray(IdentityText); }

QByteArray greeting()
{
    // The code goes out with no line end of its own; the identity line follows at once.
    return QByteArray(GreetingCode) + encodeLineBytes(IdentityText);
}

namespace {
// Finds the line at the front of `in`: its length without line end and the bytes it takes.
LineResult scanLine(QByteArrayView in, qsizetype &length, qsizetype &used)
{
    // A CR may stand in front of the LF, so the LF of a line of full length can be at
    // MaxLineLength + 1.
    const qsizetype lf = in.first(std::min<qsizetype>(in.size(), MaxLineLength + 2)).indexOf('\n');
    if (lf < 0)
        return in.size() > MaxLineLength + 1 ? LineResult::TooLong : LineResult::NeedMore;
    qsizetype end = lf;
    if (end > 0 && in.at(end - 1) == '\r')
        --end;
    if (end > MaxLineLength)
        return LineResult::TooLong;
    length = end;
    used = lf + 1;
    return LineResult::Line;
}
} // namespace

LineResult takeLine(QByteArray &buffer, QByteArray &line)
{
    qsizetype length = 0, used = 0;
    const LineResult r = scanLine(buffer, length, used);
    if (r == LineResult::Line) {
        line = buffer.left(length);
        buffer.remove(0, used);
    }
    return r;
}

void TInputBuffer::append(QByteArrayView bytes)
{
    if (m_pos > 0) {
        m_data.remove(0, m_pos);
        m_pos = 0;
    }
    m_data.append(bytes.data(), bytes.size());
}

void TInputBuffer::consume(qsizetype n)
{
    m_pos += n;
    if (m_pos >= m_data.size())
        clear();
}

void TInputBuffer::clear()
{
    m_data.clear();
    m_pos = 0;
}

LineResult TInputBuffer::takeLine(QByteArray &line)
{
    qsizetype length = 0, used = 0;
    const LineResult r = scanLine(QByteArrayView(data(), size()), length, used);
    if (r == LineResult::Line) {
        line = QByteArray(data(), length);
        consume(used);
    }
    return r;
}

TWireSocket::TWireSocket(QTcpSocket *socket, const std::atomic_bool *abortFlag, IdleHook idle)
    : m_socket(socket), m_abort(abortFlag), m_idle(std::move(idle))
{
}

void TWireSocket::check()
{
    if (m_abort && m_abort->load()) {
        m_socket->abort();
        throw ENetworkError(QStringLiteral("Verbinding afgebroken"));
    }
}

void TWireSocket::waitForData()
{
    QElapsedTimer silent;
    silent.start();
    for (;;) {
        check();
        if (m_socket->bytesAvailable() > 0)
            return;
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            throw ENetworkError(QStringLiteral("Verbinding verbroken"));
        if (m_silenceMs > 0 && silent.elapsed() >= m_silenceMs) {
            m_socket->abort();
            throw ENetworkError(QStringLiteral("De server antwoordt niet meer"));
        }
        m_socket->waitForReadyRead(SliceMs);
        if (m_idle)
            m_idle();
    }
}

void TWireSocket::fill(qint64 want)
{
    while (m_buffer.size() < want) {
        waitForData();
        m_buffer.append(m_socket->read(std::min(ReadChunk, want - m_buffer.size())));
    }
}

void TWireSocket::writeRaw(QByteArrayView bytes)
{
    check();
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        throw ENetworkError(QStringLiteral("Geen verbinding"));
    if (m_socket->write(bytes.data(), bytes.size()) != bytes.size())
        throw ENetworkError(QStringLiteral("Schrijven naar de verbinding mislukt"));
    drainTo(WriteHighWater);
}

void TWireSocket::drainTo(qint64 pending)
{
    while (m_socket->bytesToWrite() > pending) {
        check();
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            throw ENetworkError(QStringLiteral("Verbinding verbroken"));
        m_socket->waitForBytesWritten(SliceMs);
        if (m_idle)
            m_idle();
    }
}

void TWireSocket::flush() { drainTo(0); }

void TWireSocket::writeBlock(QIODevice &data, const Progress &progress)
{
    const qint64 total = data.size();
    if (total > std::numeric_limits<int32_t>::max())
        throw ENetworkError(QStringLiteral("Bestand te groot om te verzenden"));
    if (!data.seek(0))
        throw ENetworkError(QStringLiteral("Gegevens kunnen niet worden gelezen"));
    writeInt(int32_t(total));
    QByteArray piece(MaxPiece, Qt::Uninitialized);
    qint64 done = 0;
    while (done < total) {
        const qint64 want = std::min<qint64>(MaxPiece, total - done);
        const qint64 got = data.read(piece.data(), want);
        if (got != want) {
            // The length is out already; the peer can no longer find the next command.
            m_socket->abort();
            throw ENetworkError(QStringLiteral("Gegevens kunnen niet worden gelezen"));
        }
        writeRaw(QByteArrayView(piece.constData(), got));
        done += got;
        if (progress)
            progress(done, total);
    }
}

QByteArray TWireSocket::readLineBytes()
{
    QByteArray line;
    for (;;) {
        switch (m_buffer.takeLine(line)) {
        case LineResult::Line:
            return line;
        case LineResult::TooLong:
            throw ENetworkError(QStringLiteral("Regel van de server is te lang"));
        case LineResult::NeedMore:
            break;
        }
        waitForData();
        m_buffer.append(m_socket->read(ReadChunk));
    }
}

QString TWireSocket::readLine() { return ansi::decode(readLineBytes()); }

QByteArray TWireSocket::readExact(qint64 count)
{
    fill(count);
    QByteArray out(m_buffer.data(), count);
    m_buffer.consume(count);
    return out;
}

int32_t TWireSocket::readInt()
{
    const QByteArray b = readExact(4);
    return bytes::getI32BE(bytes::u(b.constData()));
}

uint64_t TWireSocket::readSize()
{
    const QByteArray b = readExact(8);
    return bytes::getU64BE(bytes::u(b.constData()));
}

qint64 TWireSocket::readBlockTo(QIODevice &out, qint64 maxLength, const Progress &progress)
{
    const qint64 length = readInt();
    if (length < 0 || length > maxLength)
        throw ENetworkError(QStringLiteral("Ongeldige bloklengte %1").arg(length));
    if (progress)
        progress(0, length);
    qint64 left = length;
    auto put = [&](const char *p, qint64 n) {
        if (out.write(p, n) != n)
            throw EInOutError(QString(), QStringLiteral("Schrijven mislukt"));
        left -= n;
        if (progress && n > 0)
            progress(length - left, length);
    };
    if (!m_buffer.isEmpty()) {
        const qint64 n = std::min<qint64>(left, m_buffer.size());
        put(m_buffer.data(), n);
        m_buffer.consume(n);
    }
    QByteArray chunk(ReadChunk, Qt::Uninitialized);
    while (left > 0) {
        waitForData();
        const qint64 n = m_socket->read(chunk.data(), std::min(left, ReadChunk));
        if (n < 0)
            throw ENetworkError(QStringLiteral("Lezen van de verbinding mislukt"));
        put(chunk.constData(), n);
    }
    return length;
}

} // namespace wire
