#pragma once
// The rules of the customer details dialog and of the name-and-address confirmation before
// sending: the mandatory-field check, the key filters of the edit boxes, and the texts built
// from a customer record.

#include "Definities.h"

#include <QString>

// What the customer details dialog holds when "&Toepassen" is pressed.
struct TKlantInvoer {
    bool titelGekozen = false;
    QString achternaam;
    QString straat;
    QString pcCijfers;
    QString pcLetters;
    QString plaats;
    bool halenGekozen = false;
};

// The mandatory-field message, or an empty text when every mandatory field is filled.
// A field holding only spaces counts as filled; the house number is not checked.
QString KlantControle(const TKlantInvoer &invoer);

// True when the postcode digits are a number of the program's record (only digits, at most
// four). Text that is not (pasted into the box) fails the postcode rule of the check.
bool PostcodeCijfersGeldig(const QString &text);

// The characters the filtered edit boxes let through. Control characters with codes 0..13
// (backspace, enter, ...) always pass.
namespace toetsfilter {
inline const QString Cijfers = QStringLiteral("0123456789");
inline const QString Letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
inline const QString Telefoon = QStringLiteral("0123456789-");
bool Toegestaan(QChar c, const QString &allowed);
} // namespace toetsfilter

// The first delivery choice of the customer details dialog: "Ik kom de foto's afhalen in "
// followed by the pickup location, or by "..." while none is known.
QString AfhalenKeuzeTekst(const QString &afhaallocatie);

// The confirmation's name line: Titel, Voornaam, Tussenvoegsel and Achternaam, the filled
// ones joined by single spaces.
QString NaamRegel(const TKlantGegevens &klant);
// The confirmation's two address lines joined by "\r": Straat, a space, Nummer; then the
// postcode digits with leading zeros to four places, a space, the letters, two spaces, the
// town.
QString AdresRegels(const TKlantGegevens &klant);
// The confirmation's collection choice: "Ik kom de foto's afhalen in " + location +
// " (Snelservice)." or " (Standaardservice).".
QString OphalenTekst(const TKlantGegevens &klant);
