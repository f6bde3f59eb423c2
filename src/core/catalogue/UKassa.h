#pragma once
// The register: one running entry per format of the open order with the total number of
// prints and the catalogue price of one print at that total.

#include "app/Money.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>

class TPenFFile;

// One entry of the register.
struct TAanslag {
    QString Formaat;     // compared without regard to ASCII letter case
    uint16_t Aantal = 0; // total prints of this format in the order
    TCurrency Prijs;     // price of one print for Aantal prints and the register's service
    bool operator==(const TAanslag &) const = default;
};

class TKassa {
public:
    // Receives the register's own complaint ("Herstellen is fout gegaan"); the window layer
    // shows it in a message box. By default nothing is shown.
    using MessageHook = std::function<void(const QString &)>;

    explicit TKassa(const TPenFFile &penFFile);

    void Clear() { m_aanslagen.clear(); }
    void SetSnelservice(bool flag) { m_snelservice = flag; }
    bool Snelservice() const { return m_snelservice; }
    void SetMessageHook(MessageHook hook) { m_messageHook = std::move(hook); }

    // Adds count prints of a format; the new price of one print, or the missing-price marker
    // when the format is not in the catalogue. A total above 65535 raises EIntOverflow and a
    // total below 0 raises ERangeError; the entry stays as it was.
    TCurrency AddPrints(const QString &format, int count);
    // Removes count prints; the new price of one print, 0 when the last prints went, the
    // missing-price marker when there is no entry. Removing more than the entry holds raises
    // ERangeError; a total past 65535 raises EIntOverflow; the entry stays as it was.
    TCurrency RemovePrints(const QString &format, int count);
    // Moves count prints from one format to another. Without an entry for the old format the
    // message hook gets "Herstellen is fout gegaan" and nothing changes. Should the removal or
    // the addition raise, the register is left exactly as before the call.
    TCurrency ChangeFormat(const QString &oldFormat, const QString &newFormat, int count);
    TCurrency UnitPrice(const QString &format) const;
    // The order value without postage. Raises EIntOverflow when the catalogue's prices make a
    // sum past the 64-bit range, rather than showing a wrapped amount.
    TCurrency Total() const;

    const QList<TAanslag> &Aanslagen() const { return m_aanslagen; }

private:
    int indexOf(const QString &format) const;

    const TPenFFile &m_penFFile;
    QList<TAanslag> m_aanslagen;
    bool m_snelservice = false;
    MessageHook m_messageHook;
};
