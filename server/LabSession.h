#pragma once
// One client connection of the lab server as a state machine over bytes: received bytes go
// in through feed(), the answer bytes come out through takeOutput(). It never builds a path
// from client text, bounds every line, block and container, and touches only the orders it
// created itself.

#include "LabConfig.h"
#include "LabPricing.h"
#include "LabSpool.h"

#include "lab/Wire.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>
#include <memory>
#include <set>

struct TLabContext {
    const TLabConfig &config;
    TLabSpool &spool;
    TLabCatalogue &catalogue;
    bool shuttingDown = false;
    // Receives one line per event the lab's staff may want to see (may be empty).
    std::function<void(const QString &)> log;
};

enum class TAdmission { Normal, TooMany, Blocked };

class TLabSession {
public:
    static constexpr int MaxOrdersPerConnection = 16;
    static constexpr qint64 MaxPendingOutput = 1024 * 1024;

    TLabSession(TLabContext &context, TAdmission admission);
    ~TLabSession();

    static QByteArray openingLine();

    // Takes received bytes (none: goes on with what is left over). Commands stop being
    // taken while more than MaxPendingOutput bytes of answers wait in takeOutput().
    void feed(QByteArrayView data);
    // Input is left over because the answers were not taken yet.
    bool hasBacklog() const { return m_state != State::Closed && m_backlog; }
    QByteArray takeOutput();
    // True when the connection is to be closed once the output has gone out.
    bool finished() const { return m_state == State::Closed; }

private:
    enum class State {
        Greeting, Command, SendFileOrder, SendFileNumber, BlockLength, BlockData,
        OrderArgument, CatalogueConfirm, Closed
    };
    enum class Block { Container, Photo };

    bool step();
    void command(const QByteArray &line);
    void orderCommand(int32_t order);
    void takeBlockBytes(const char *p, qint64 n);
    void blockDone();
    void close() { m_state = State::Closed; m_photo.reset(); m_block.clear(); }
    void sendLine(const QString &text);
    void sendInt(int32_t value);
    void note(const QString &text) const
    {
        if (m_ctx.log)
            m_ctx.log(text);
    }
    bool owns(int32_t order) const { return m_orders.count(order) != 0; }
    static int32_t parseOrderNumber(const QByteArray &line);

    TLabContext &m_ctx;
    TAdmission m_admission;
    State m_state = State::Greeting;
    wire::TInputBuffer m_in;
    QByteArray m_out;
    QByteArray m_pending;  // the command waiting for its order number line
    Block m_blockKind = Block::Container;
    qint64 m_blockLeft = 0;
    QByteArray m_block;    // a container being received
    std::unique_ptr<TLabSpool::TIncomingPhoto> m_photo;
    bool m_photoOk = true;
    int32_t m_order = 0;
    uint16_t m_fileNumber = 0;
    std::set<int32_t> m_orders;
    int m_created = 0;
    bool m_backlog = false;
};
