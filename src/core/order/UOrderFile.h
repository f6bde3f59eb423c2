#pragma once
// The order file (*.obn): 816-byte records, a header and one record per item. TOrderFile
// holds the state the file routines share for the whole run (the current order file name and
// the header values a plain Save writes back).

#include "TOrderItem.h"
#include "app/Feedback.h"

#include <QList>
#include <QString>

class IPrintRater;

// The program's order file version text.
inline QString OrderFileVersion() { return QStringLiteral("1.6.1.5"); }

class TOrderFile {
public:
    static constexpr int RecordSize = 816;
    static constexpr int MaxItems = 65536;

    const QString &OrderFileName() const { return m_fileName; }
    const QString &HeaderVersie() const { return m_headerVersie; }
    const QString &HeaderPenFVersie() const { return m_headerPenFVersie; }
    int32_t HeaderReserve() const { return m_headerReserve; }

    void SetOrderFileHeader(const QString &fileName, const QString &version, const QString &catalogueVersion, int32_t reserve);

    // Reads the header of OrderFileName: true when its version text is not greater than
    // `version` (byte-wise). Copies the header values either way. False when the file is
    // missing or too short for a header; raises EInOutError when it exists but cannot be opened.
    bool CheckOrderFileVersion(const QString &version);

    // Appends the file's items to `items`, re-checking every photo: a missing photo asks
    // whether to go on (No stops: false, the items read so far stay), a photo whose size
    // changed is rated again through `rater`. False without a message when the version check
    // fails; on a read error the list is cleared and the result is false.
    bool LoadOrderFile(const QString &fileName, const QString &version, QList<TOrderItem> &items,
                       IPrintRater &rater, bool quiet, const TOperationHooks &hooks);

    // Writes the header and every item. An empty fileName keeps OrderFileName. The previous
    // file is replaced only once the new one is complete: a failed save leaves it intact.
    // Raises EInOutError when the file cannot be created; reports other write errors with
    // "De volgende fout is opgetreden:\r" and returns false.
    bool SaveOrderFile(const QString &fileName, const QList<TOrderItem> &items, const TOperationHooks &hooks);

    // Save as without its dialog: the header for the chosen path, then SaveOrderFile. On
    // failure the file name and header stay as they were before, so a later Save writes to the
    // file the title shows. Raises like SaveOrderFile when the file cannot be created.
    bool SaveOrderAs(const QString &chosenPath, const QString &catalogueVersion, const QList<TOrderItem> &items,
                     const TOperationHooks &hooks);

    // Bytes of the header record from the current header values.
    QByteArray HeaderRecord() const;

private:
    QString m_fileName;
    QString m_headerVersie = QStringLiteral("0.X");
    QString m_headerPenFVersie = QStringLiteral("XXXXXX-XX");
    int32_t m_headerReserve = 0;
};

// Byte-wise comparison of two Windows-1252 texts, a text being smaller than a longer one it
// begins. True when a <= b.
bool VersionNotGreater(const QString &a, const QString &b);
