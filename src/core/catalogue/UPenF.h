#pragma once
// The price-and-format catalogue PenF.dat: the print formats with their price tiers, the pickup
// locations, and the reader of the three file versions.

#include "app/AnsiString.h"
#include "app/DateTime.h"
#include "app/Money.h"

#include <QByteArray>
#include <QCollatorSortKey>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QIODevice;

// One price tier: from Aantal prints on, one print costs Prijs.
struct TPrijsTrede {
    uint16_t Aantal = 0;
    TCurrency Prijs;
    bool operator==(const TPrijsTrede &) const = default;
};

using TPrijsLijst = QList<TPrijsTrede>;

// The tier rule: the price of the last tier in list order whose minimum does not exceed the
// count, 0 when none does. Tiers are not sorted, so every tier is looked at.
TCurrency TierPrice(const TPrijsLijst &tiers, uint16_t count);

// One print format.
class TFormaat {
public:
    static constexpr int MaxLocations = 128; // entries of Beschikbaar

    QString Naam;
    QString Omschrijving;
    double Breedte = 0.0;   // short side in cm
    double Lengte = 0.0;    // long side in cm; below 1.0 the length follows the photo
    uint8_t GlansMatKeuze = 0;
    TPrijsLijst Prijzen;     // standard service
    std::array<uint8_t, MaxLocations> Beschikbaar{}; // fast service at location k
    TPrijsLijst SnelPrijzen; // fast service

    TCurrency StandardPrice(uint16_t count) const { return TierPrice(Prijzen, count); }
    TCurrency FastPrice(uint16_t count) const { return TierPrice(SnelPrijzen, count); }
    int FastTierCount() const { return int(SnelPrijzen.size()); }
    bool IsAvailableAt(int locationIndex) const
    {
        return locationIndex >= 0 && locationIndex < MaxLocations && Beschikbaar[locationIndex] != 0;
    }
    bool HasGlansMatKeuze() const { return GlansMatKeuze != 0; }
    // A length below 1.0 marks a format whose length follows the photo's proportions.
    bool HasDynamicLength() const { return Lengte < 1.0; }
    void ClearTiers()
    {
        Prijzen.clear();
        SnelPrijzen.clear();
    }
};

// One pickup location, as its record holds it (without the record's first byte).
struct TAfhaallocatie {
    TShortString<100> Host; // order server for this location; empty: the default server
    TShortString<255> Naam;
    TShortString<255> Tekst1;
    TShortString<255> Tekst2;
    TShortString<25> Tekst3;
    TShortString<255> Tekst4;
    bool operator==(const TAfhaallocatie &) const = default;
};

// Format names compared as IndexOfFormat compares them (locale-aware, letter case ignored),
// by sort key, so that a long list is searched without comparing every pair.
bool SameFormatName(const QString &a, const QString &b);
class TFormatNameIndex {
public:
    // The index stored first under a name equal to this one, or -1.
    int find(const QString &name) const;
    // Stores the index under the name unless an equal name is there already.
    void add(const QString &name, int index);

private:
    std::map<QCollatorSortKey, int> m_first;
};

// Record layout of PenF.dat, shared by the reader and the writer.
namespace penf {
constexpr int ProbeSize = 1152;
constexpr int RecordSizeOld = 544;  // versions 0 and 1
constexpr int RecordSizeNew = 1152; // version 2
constexpr int IdentifierOffset = 24;
constexpr int IdentifierCapacity = 38;
inline const char *IdentifierV1 = "{9FC0744D-DB2F-45D1-A473-E8D7D23E0B19}";
inline const char *IdentifierV2 = "{AA6913ED-E723-4DB1-BDF4-AB69190B1A43}";
inline int RecordSize(int fileVersion) { return fileVersion == 2 ? RecordSizeNew : RecordSizeOld; }

// header
constexpr int HdrVersiedatum = 8;
constexpr int HdrVersienummer = 16;
constexpr int HdrStandaardFormaat = 20;
constexpr int HdrLocationCount = 63;
// location record
constexpr int LocHost = 1;
constexpr int LocNaam = 102;
constexpr int LocTekst1 = 358;
constexpr int LocTekst2 = 614;
constexpr int LocTekst3 = 870;
constexpr int LocTekst4 = 896;
// format record
constexpr int FmtNaam = 1;
constexpr int FmtOmschrijving = 257;
constexpr int FmtBreedte = 520;
constexpr int FmtLengte = 528;
constexpr int FmtTierCountV0 = 536;
constexpr int FmtGlansMatKeuze = 536;
constexpr int FmtTierCount = 540;
constexpr int FmtFastTierCount = 544;
constexpr int FmtBeschikbaar = 548;
// tier record
constexpr int TierAantal = 2;
constexpr int TierPrijs = 8;
} // namespace penf

// The catalogue and its reader.
class TPenFFile {
public:
    TPenFFile(const QString &fileName, TDateTime versiedatum, uint8_t versienummer);
    ~TPenFFile();
    TPenFFile(const TPenFFile &) = delete;
    TPenFFile &operator=(const TPenFFile &) = delete;

    // Reads FileName. Raises EInOutError naming the file and what was wrong; what was read
    // before the failure stays in the catalogue.
    void LoadFromFile();
    void Open(const QString &fileName);
    // The same loading rules over bytes already in memory (FileName names them in errors).
    void LoadFromBytes(const QByteArray &bytes);
    // The same over any seekable device of known size.
    void LoadFromDevice(QIODevice &device);

    void Clear();

    QString GetFileName() const { return m_fileName; }
    struct TVersion {
        TDateTime Versiedatum;
        uint8_t Versienummer;
    };
    TVersion GetVersion() const { return {m_versiedatum, m_versienummer}; }
    TDateTime Versiedatum() const { return m_versiedatum; }
    uint8_t Versienummer() const { return m_versienummer; }
    void SetVersion(TDateTime versiedatum, uint8_t versienummer);
    int StandaardFormaat() const { return m_standaardFormaat; }
    uint8_t Bestandsversie() const { return m_bestandsversie; }
    bool HeeftSnelservice() const { return m_heeftSnelservice; }

    int FormatCount() const { return int(m_formaten.size()); }
    QString FormatName(int index) const;
    // The format at an index in 0..FormatCount()-1.
    const TFormaat &Format(int index) const { return *m_formaten.at(size_t(index)); }
    TFormaat &Format(int index) { return *m_formaten.at(size_t(index)); }
    int IndexOfFormat(const QString &name) const;
    // Appends a format (owned from now on) and returns its index. Sets HeeftSnelservice when
    // it has fast-service tiers.
    int AddFormat(std::unique_ptr<TFormaat> format);
    void DeleteFormat(int index);

    void SetDefaultFormat(int index);
    QString DefaultFormatName() const;
    bool GlansMatKeuze(const QString &name) const;
    TCurrency GetPrice(const QString &name, uint16_t count, bool fastService) const;

    int LocationCount() const { return int(m_locaties.size()); }
    QString LocationName(int index) const;
    const TAfhaallocatie &Location(int index) const { return m_locaties.at(size_t(index)); }
    int IndexOfLocation(const QString &name) const;
    QString LocationHost(const QString &name) const;
    int AddLocation(const QString &host, const QString &naam, const QString &text1 = {},
                    const QString &text2 = {}, const QString &text3 = {}, const QString &text4 = {});
    void DeleteLocation(int index);
    bool HasFastServiceAt(int locationIndex) const;

    // Replace the list's contents with every location name, or only those with fast service.
    void FillLocations(QStringList &list) const;
    void FillFastServiceLocations(QStringList &list) const;

private:
    QString m_fileName;
    TDateTime m_versiedatum;
    uint8_t m_versienummer;
    int m_standaardFormaat = -1;
    uint8_t m_bestandsversie = 0;
    bool m_heeftSnelservice = false;
    std::vector<std::unique_ptr<TFormaat>> m_formaten;
    std::vector<TAfhaallocatie> m_locaties;
};
