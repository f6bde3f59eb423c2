#pragma once
// TMailFile: the upload container. A list of 1632-byte records: the header, the customer
// record, then per photo file its file record followed by one order entry per print line.
// Built in memory, written whole to the journal file or a stream, and read back from bytes
// (the lab server parses the container it receives).

#include "app/DateTime.h"
#include "app/Definities.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QIODevice;
class TPenFFile;
struct TOrderItem;

// Date and edition of the catalogue an order was priced with.
struct TCatalogueStamp {
    TDateTime Date = 0;
    uint8_t Edition = 0;
};

// One order entry as stored.
struct TMailEntry {
    uint16_t Aantal = 0;
    QString Formaat;
    bool Glans = false;
    TAfwerking Afwerking = AfwerkingKleur;
};

// One photo file with its entries as stored.
struct TMailPhoto {
    QString Path;
    uint16_t FileNumber = 0;
    bool Sent = false;
    std::vector<TMailEntry> Entries;
};

class TMailFile {
public:
    static constexpr int RecordSize = 1632;
    static constexpr int MaxRecordCount = 2 + 65535 * 64; // far beyond any real order
    static QString FormatMark() { return QStringLiteral("{E7A8782D-735B-4159-8BC8-0783C20BBE9E}"); }

    enum Kind : uint8_t { KindHeader = 0, KindCustomer = 1, KindFile = 2, KindEntry = 3 };

    TMailFile(const QString &fileName, std::optional<TCatalogueStamp> catalogue = std::nullopt);
    // The catalogue's date and edition go into the header (none: 0 and 0); it is not kept.
    TMailFile(const QString &fileName, const TPenFFile *catalogue);

    // Parses container bytes; every record kind, count, number and the format mark are
    // checked. On failure returns nothing and puts the reason into *error.
    static std::optional<TMailFile> fromBytes(const QByteArray &bytes, QString *error = nullptr);

    // Receives the texts shown when memory runs out while adding (default: none).
    void setMessageSink(std::function<void(const QString &)> sink) { m_message = std::move(sink); }

    void Reset();
    void SetCustomer(const TKlantGegevens &customer);
    TKlantGegevens Customer() const;

    uint16_t AddFile(const QString &path);
    uint16_t AddOrderItem(const TOrderItem &item);

    uint16_t FileCount() const;
    QString FileName(int index) const;
    uint16_t FileNumber(const QString &path) const;
    bool GetSent(const QString &path, bool &sent) const;
    bool SetSent(const QString &path, bool sent);
    bool AllSent() const;
    bool RemoveFile(const QString &path);

    int32_t OrderNumber() const;
    void SetOrderNumber(int32_t number);
    TDateTime OrderDate() const;
    void SetOrderDate(TDateTime date);
    TCatalogueStamp CatalogueStamp() const;
    QString PickupLocation() const;

    // Every photo with its entries, in file order.
    std::vector<TMailPhoto> Photos() const;

    bool SaveToFile(const QString &fileName = QString());
    void SaveToStream(QIODevice &stream);
    QByteArray toBytes();

    int IndexOfFile(const QString &path) const;
    int IndexOfFileNumber(uint16_t number) const;

    int RecordCount() const { return int(m_records.size()); }
    QString JournalFileName() const { return m_fileName; }

private:
    TMailFile() = default;
    unsigned char *rec(int index) { return reinterpret_cast<unsigned char *>(m_records[index].data()); }
    const unsigned char *rec(int index) const
    {
        return reinterpret_cast<const unsigned char *>(m_records[index].constData());
    }
    std::vector<int> fileIndexes() const;
    void setFileCount(uint16_t n);
    void show(const QString &text) const;

    std::vector<QByteArray> m_records;
    QString m_fileName;
    std::optional<TCatalogueStamp> m_catalogue;
    std::function<void(const QString &)> m_message;
};
