#pragma once
// Types, value sets and small helpers shared across the program: the settings record, the
// customer record, service / paper / finish / quality with their shown texts, and the
// catalogue version text and server time stamp helpers.

#include "AnsiString.h"
#include "DateTime.h"

#include <QString>
#include <cstdint>

// Service kind: 0 standard, 1 fast.
enum TService : uint8_t { ServiceStandaard = 0, ServiceSnel = 1 };
QString ServiceName(bool snelservice);           // "Standaardservice" / "Snelservice"
QString FormatInfoCaption(bool snelservice);     // title of the format information window

// Paper: true glossy ("Glans"), false matte ("Mat"). Radio group index 0 glossy, 1 matte.
QString PaperName(bool glans);
inline int PaperIndex(bool glans) { return glans ? 0 : 1; }

// Finish, one unsigned byte.
using TAfwerking = uint8_t;
enum : TAfwerking { AfwerkingKleur = 0, AfwerkingZwartWit = 1, AfwerkingSepia = 2 };
constexpr int AfwerkingCount = 3;
// Texts of a finish value in the order list column, the item editor and the settings
// dialog. A value above 2 is a range error.
QString AfwerkingListText(TAfwerking value);     // "Kleur" / "Z/W" / "Sepia"
QString AfwerkingEditorText(TAfwerking value);   // "Kleur" / "Zwart/Wit" / "Bruintoon"
QString AfwerkingSettingsText(TAfwerking value); // "Kleur" / "Zwart/Wit (Grijstinten)" / "Bruintoon (Sepia)"

// Print quality, an index into QualityNames.
using TQuality = uint8_t;
constexpr int QualityCount = 6;
constexpr TQuality QualityUnknown = 5;
extern const char *const QualityNames[QualityCount];
// The text of a quality level; a level of 6 or more raises ERangeError.
QString QualityName(int level);

// The print defaults and program options.
struct TInstellingen {
    uint16_t Aantal = 1;
    QString Formaat;
    bool Glans = true;
    TAfwerking Afwerking = AfwerkingKleur;
    uint16_t UploadSpeed = 56;
    bool VerhoogSnelheid = false;

    bool operator==(const TInstellingen &) const = default;
};
// The standard settings (the settings dialog's "&Standaard"); Formaat is the catalogue's
// default format name, empty while no catalogue is loaded.
TInstellingen StandaardInstellingen(const QString &formaat = QString());

// The customer's name, address, contact details and delivery choice.
struct TKlantGegevens {
    QString Titel;          // "Dhr.", "Mevr.", "Fam."; empty until entered once
    QString Voornaam;
    QString Tussenvoegsel;
    QString Achternaam;
    QString Straat;
    QString Nummer;
    uint16_t PcCijfers = 0; // 0: not entered
    TShortString<2> PcLetters;
    QString Plaats;
    QString Telefoon;
    QString Email;
    bool Versturen = false;   // true: sent by post
    bool Snelservice = false; // true: fast service
    TShortString<255> Afhaallocatie;

    bool operator==(const TKlantGegevens &) const = default;
    // An empty Titel means the details were never entered.
    bool isEntered() const { return !Titel.isEmpty(); }
};

// A calendar date packed into 32 bits.
struct TDatum {
    uint8_t Dag = 1;
    uint8_t Maand = 1;
    uint16_t Jaar = 1;
    bool operator==(const TDatum &) const = default;
};

// The calendar date of a TDateTime (the time of day is dropped).
TDatum PakDatum(TDateTime value);
// Day, separator, month, separator, year, each at least two digits: "09122008", "09-12-2008".
QString DatumTekst(const TDatum &datum, const QString &separator);
// The catalogue version text: DatumTekst without separator, '-', the edition in at least two
// digits: "09122008-03".
QString VersieTekst(uint8_t versienummer, TDateTime versiedatum);
// The placeholder shown before a version is known.
inline QString VersiePlaceholder() { return QStringLiteral("XXXXXXXX-XX"); }

// Parses "hhmmss?ddmmyyyy" (character 7 is not read). False, with `out` unchanged, when a
// piece is missing, not an integer or outside 0..65535. Numbers that make no valid date or
// time raise EConvertError.
bool TijdstipUitTekst(const QString &text, TDateTime &out);
