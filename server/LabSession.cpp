#include "LabSession.h"

#include "app/Definities.h"
#include "app/Errors.h"
#include "lab/UMailFile.h"
#include "lab/Wire.h"

#include "app/Bytes.h"

#include <cmath>

TLabSession::TLabSession(TLabContext &context, TAdmission admission) : m_ctx(context), m_admission(admission) {}

TLabSession::~TLabSession() = default;

QByteArray TLabSession::openingLine() { return wire::encodeLine(QStringLiteral("Kiekjesbode-lab gereed")); }

void TLabSession::sendLine(const QString &text) { m_out += wire::encodeLine(text); }
void TLabSession::sendInt(int32_t value) { m_out += wire::encodeInt(value); }

QByteArray TLabSession::takeOutput()
{
    QByteArray out;
    out.swap(m_out);
    return out;
}

void TLabSession::feed(QByteArrayView data)
{
    if (m_state == State::Closed)
        return;
    // Block bytes go straight through when nothing is waiting in front of them.
    while (m_state == State::BlockData && m_in.isEmpty() && !data.isEmpty()) {
        const qint64 n = std::min<qint64>(m_blockLeft, data.size());
        takeBlockBytes(data.data(), n);
        data = data.sliced(n);
    }
    m_in.append(data);
    while (m_state != State::Closed && m_out.size() < MaxPendingOutput && step()) {
    }
    m_backlog = m_out.size() >= MaxPendingOutput && !m_in.isEmpty();
    if (m_state == State::Closed)
        m_in.clear();
}

int32_t TLabSession::parseOrderNumber(const QByteArray &line)
{
    // Decimal digits of an unsigned 32-bit number; anything else names no order.
    if (line.isEmpty() || line.size() > 10)
        return 0;
    for (char c : line)
        if (c < '0' || c > '9')
            return 0;
    const qulonglong v = line.toULongLong();
    return v > 0xFFFFFFFFull ? 0 : int32_t(uint32_t(v));
}

// Takes what the current state needs from the input; false when more bytes are needed.
bool TLabSession::step()
{
    QByteArray line;
    auto takeLine = [&]() {
        switch (m_in.takeLine(line)) {
        case wire::LineResult::Line: return true;
        case wire::LineResult::TooLong: close(); return false;
        case wire::LineResult::NeedMore: return false;
        }
        return false;
    };
    auto takeInt = [&](int32_t &v) {
        if (m_in.size() < 4)
            return false;
        v = bytes::getI32BE(bytes::u(m_in.data()));
        m_in.consume(4);
        return true;
    };

    switch (m_state) {
    case State::Greeting: {
        if (!takeLine())
            return false;
        m_ctx.catalogue.refresh();
        QString reply = QStringLiteral("VERIFIED");
        if (m_admission == TAdmission::Blocked)
            reply = QStringLiteral("BLOCKED IP");
        else if (m_ctx.shuttingDown)
            reply = QStringLiteral("SHUTTING DOWN");
        else if (m_admission == TAdmission::TooMany)
            reply = QStringLiteral("TRYLATER");
        else if (line != wire::greetingLine())
            reply = QStringLiteral("REFUSED");
        else if (!m_ctx.catalogue.available())
            reply = QStringLiteral("NO PENF AVAILABLE");
        sendLine(reply);
        if (reply == QLatin1String("VERIFIED"))
            m_state = State::Command;
        else
            close();
        return true;
    }
    case State::Command:
        if (!takeLine())
            return false;
        command(line);
        return true;
    case State::OrderArgument:
        if (!takeLine())
            return false;
        m_state = State::Command;
        orderCommand(parseOrderNumber(line));
        return true;
    case State::SendFileOrder:
        if (!takeLine())
            return false;
        m_order = parseOrderNumber(line);
        m_state = State::SendFileNumber;
        return true;
    case State::SendFileNumber: {
        int32_t nr = 0;
        if (!takeInt(nr))
            return false;
        bool ok = owns(m_order) && nr > 0 && nr <= 65535;
        if (ok) {
            const auto mail = m_ctx.spool.container(m_order);
            ok = mail && mail->IndexOfFileNumber(uint16_t(nr)) >= 0;
        }
        if (!ok) {
            sendInt(0); // not accepted: no block follows
            sendInt(0);
            m_state = State::Command;
            return true;
        }
        m_fileNumber = uint16_t(nr);
        m_blockKind = Block::Photo;
        sendInt(1);
        m_state = State::BlockLength;
        return true;
    }
    case State::BlockLength: {
        int32_t n = 0;
        if (!takeInt(n))
            return false;
        const qint64 max = m_blockKind == Block::Photo ? m_ctx.config.maxPhotoBytes : m_ctx.config.maxContainerBytes;
        if (n < 0 || n > max) {
            // The client is about to send more than may be taken in: refuse and hang up.
            sendInt(0);
            close();
            return true;
        }
        m_blockLeft = n;
        if (m_blockKind == Block::Container) {
            m_block.clear();
            m_block.reserve(n);
        } else {
            m_photo = m_ctx.spool.beginPhoto(m_order, m_fileNumber);
            m_photoOk = m_photo != nullptr;
        }
        m_state = State::BlockData;
        if (n == 0)
            blockDone();
        return true;
    }
    case State::BlockData: {
        if (m_in.isEmpty())
            return false;
        const qint64 n = std::min<qint64>(m_blockLeft, m_in.size());
        takeBlockBytes(m_in.data(), n);
        m_in.consume(n);
        return true;
    }
    case State::CatalogueConfirm:
        if (!takeLine())
            return false;
        // "VERIFIED" or "ERROR": nothing to answer either way.
        if (line == "VERIFIED" || line == "ERROR")
            m_state = State::Command;
        else
            close();
        return true;
    case State::Closed:
        return false;
    }
    return false;
}

void TLabSession::takeBlockBytes(const char *p, qint64 n)
{
    if (m_blockKind == Block::Container)
        m_block.append(p, n);
    else if (m_photoOk)
        m_photoOk = m_photo->write(p, n);
    m_blockLeft -= n;
    if (m_blockLeft == 0)
        blockDone();
}

void TLabSession::blockDone()
{
    m_state = State::Command;
    if (m_blockKind == Block::Photo) {
        const bool ok = m_photoOk && m_photo && m_photo->commit();
        m_photo.reset();
        sendInt(ok ? m_order : 0);
        if (!ok) {
            note(QStringLiteral("order %1: foto %2 kon niet worden opgeslagen").arg(m_order).arg(m_fileNumber));
        } else if (const auto mail = m_ctx.spool.container(m_order)) {
            int arrived = 0;
            for (const TMailPhoto &p : mail->Photos())
                arrived += m_ctx.spool.hasPhoto(m_order, p.FileNumber) ? 1 : 0;
            if (arrived == mail->FileCount())
                note(QStringLiteral("order %1: compleet (%2 foto's)").arg(m_order).arg(arrived));
        }
        return;
    }
    QByteArray bytes;
    bytes.swap(m_block);
    const auto mail = TMailFile::fromBytes(bytes);
    if (!mail || mail->FileCount() == 0 || m_created >= MaxOrdersPerConnection) {
        sendInt(0);
        return;
    }
    try {
        const int32_t number = m_ctx.spool.createOrder(bytes, datetime::now());
        m_orders.insert(number);
        ++m_created;
        sendInt(number);
        const TKlantGegevens k = mail->Customer();
        note(QStringLiteral("order %1: ontvangen, %2 foto's, %3, %4").arg(number).arg(mail->FileCount())
                 .arg(ServiceName(k.Snelservice), QStringList{k.Voornaam, k.Tussenvoegsel, k.Achternaam}.join(' ').simplified()));
    } catch (const EKiekjesError &e) {
        sendInt(0);
        note(QStringLiteral("order kon niet worden opgeslagen: %1").arg(e.message()));
    }
}

void TLabSession::command(const QByteArray &line)
{
    if (line == "NEWSANDINFO") {
        sendLine(m_ctx.config.news);
    } else if (line == "P&FVERSION") {
        m_ctx.catalogue.refresh();
        sendLine(m_ctx.catalogue.versionText());
    } else if (line == "SENDMAILFILE") {
        if (m_created >= MaxOrdersPerConnection) {
            sendInt(0);
            sendInt(0);
            return;
        }
        m_blockKind = Block::Container;
        sendInt(1);
        m_state = State::BlockLength;
    } else if (line == "SENDFILE") {
        m_state = State::SendFileOrder;
    } else if (line == "CALCULATEORDER" || line == "DELETEORDER" || line == "GETRECEIVEDATE" || line == "ORDERREADY") {
        m_pending = line;
        m_state = State::OrderArgument;
    } else if (line == "DISCONNECT") {
        close();
    } else if (line == "P&F-VERSION") {
        m_ctx.catalogue.refresh();
        const QString version = m_ctx.catalogue.versionText();
        if (!m_ctx.catalogue.available() || version.isEmpty()) {
            sendLine(QStringLiteral("RETRY"));
        } else {
            sendLine(QStringLiteral("VERSION"));
            sendLine(version);
        }
    } else if (line == "WANT P&F-FILE") {
        const QByteArray file = m_ctx.catalogue.fileBytes();
        if (!m_ctx.catalogue.available() || m_ctx.catalogue.versionText().isEmpty()) {
            sendLine(QStringLiteral("RETRY"));
            return;
        }
        sendLine(QStringLiteral("SENDING"));
        m_out += wire::encodeSize(uint64_t(file.size()));
        sendInt(int32_t(file.size()));
        m_out += file;
        m_state = State::CatalogueConfirm;
    } else {
        // Unknown or out of order: the rest of the stream cannot be trusted.
        close();
    }
}

void TLabSession::orderCommand(int32_t order)
{
    const bool mine = owns(order);
    if (m_pending == "CALCULATEORDER") {
        const auto mail = mine ? m_ctx.spool.container(order) : std::nullopt;
        const QStringList lines = mail ? CalculationLines(m_ctx.catalogue, m_ctx.config, *mail) : QStringList();
        sendInt(int32_t(lines.size()));
        if (lines.isEmpty())
            sendInt(0);
        for (const QString &l : lines)
            sendLine(l);
    } else if (m_pending == "DELETEORDER") {
        if (mine) {
            m_ctx.spool.deleteOrder(order);
            m_orders.erase(order);
            note(QStringLiteral("order %1: verwijderd op verzoek van de klant").arg(order));
        }
    } else if (m_pending == "GETRECEIVEDATE") {
        const auto when = mine ? m_ctx.spool.received(order) : std::nullopt;
        sendInt(when ? int32_t(std::floor(*when)) : 0);
    } else if (m_pending == "ORDERREADY") {
        const auto when = mine ? m_ctx.spool.received(order) : std::nullopt;
        if (!when) {
            sendLine(QString());
            return;
        }
        const auto mail = m_ctx.spool.container(order);
        const bool fast = mail && mail->Customer().Snelservice;
        // Whole seconds, so the text never shows a second too early.
        const TDateTime ready =
            std::round((*when + m_ctx.config.readyHours[fast ? 1 : 0] / 24.0) * 86400.0) / 86400.0;
        sendLine(datetime::toQDateTime(ready).toString(QStringLiteral("hhmmss ddMMyyyy")));
    }
}
