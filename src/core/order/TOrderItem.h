#pragma once
// One photo of the order with its print choices, and its 816-byte record in the order file.

#include "app/Definities.h"
#include "app/Money.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

struct TOrderItem {
    static constexpr int RecordSize = 816;
    static constexpr int OffsetBestand = 256;

    QString Naam;            // string[255]: file name without folder and extension
    QString Bestand;         // string[255]: full path of the photo
    QString Formaat;         // string[255]: format name; empty when unknown
    TAfwerking Afwerking = AfwerkingKleur;
    uint8_t Glans = 1;       // non-zero glossy, 0 matte
    uint16_t Aantal = 1;
    TQuality Kwaliteit = QualityUnknown;
    TCurrency Prijs;
    double Lengte = 0.0;     // print long side (cm) of the last rating
    int64_t Grootte = 0;     // photo file size in bytes at the last rating
    uint8_t ReservedFlag = 0;

    bool isGlans() const { return Glans != 0; }

    // The record at the order file's offsets; reserved bytes zero.
    void writeRecord(unsigned char *record) const;
    QByteArray toRecord() const;
    // Reads the fields of a record; the order file loader skips Naam, which it rebuilds from
    // the path.
    static TOrderItem fromRecord(const unsigned char *record, bool withNaam = true);
    // The same, sharing the Formaat text with an earlier record read through this cache
    // when its bytes are the same: orders hold few distinct format names, so the rows of one
    // format share one text (and compare equal by their data pointer).
    struct FormatCache {
        static constexpr int Size = 8;
        QByteArray raw[Size];
        QString text[Size];
        int used = 0;
        int next = 0; // the entry replaced when a ninth name comes
    };
    static TOrderItem fromRecord(const unsigned char *record, bool withNaam, FormatCache &cache);

    // The six texts of the item's row after its caption: count, format, paper, finish,
    // quality name and amount ("%0.2f"). A finish outside 0..2 gives an empty cell; a
    // quality level outside 0..5 raises ERangeError.
    QStringList RowTexts() const;

    bool operator==(const TOrderItem &) const = default;

private:
    static TOrderItem readFields(const unsigned char *record, bool withNaam, bool withFormaat);
};

// Column captions of the order list, in order.
QStringList OrderColumnCaptions();

// The name shown for a photo: its file name without folder and extension.
QString OrderItemNaam(const QString &path);
