#include "catalogue/UPenF.h"

#include "app/Bytes.h"
#include "app/Errors.h"

#include <QBuffer>
#include <QCollator>
#include <QFile>
#include <QLocale>

TCurrency TierPrice(const TPrijsLijst &tiers, uint16_t count)
{
    TCurrency price;
    for (const TPrijsTrede &tier : tiers) {
        if (count >= tier.Aantal)
            price = tier.Prijs;
    }
    return price;
}

namespace {

// The locale-aware comparison with letter case ignored, under the program's Dutch settings.
// Set up completely before first use, so later use from any thread only reads it.
const QCollator &formatNameCollator()
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Dutch, QLocale::Netherlands));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        (void)c.compare(QStringLiteral("a"), QStringLiteral("A"));
        return c;
    }();
    return collator;
}

// Reads the file one record at a time, checking every record against the real size first.
class TRecordReader {
public:
    TRecordReader(QIODevice &device, const QString &fileName, int recordSize)
        : m_device(device), m_fileName(fileName), m_recordSize(recordSize),
          m_wholeRecords(device.size() / recordSize), m_buffer(recordSize, '\0')
    {
    }

    // Number of whole records in the file; a trailing partial record does not count.
    qint64 wholeRecords() const { return m_wholeRecords; }

    // Reads the next record (records are counted from 1) into the buffer.
    const unsigned char *next()
    {
        const qint64 number = m_position + 1;
        if (number > m_wholeRecords) {
            throw EInOutError(m_fileName,
                              QStringLiteral("record %1 ligt voorbij het einde van het bestand").arg(number));
        }
        if (!m_device.seek(m_position * m_recordSize)
            || m_device.read(m_buffer.data(), m_recordSize) != m_recordSize) {
            throw EInOutError(m_fileName, QStringLiteral("record %1 kan niet worden gelezen").arg(number));
        }
        m_position = number;
        return bytes::u(m_buffer.constData());
    }

private:
    QIODevice &m_device;
    const QString &m_fileName;
    const int m_recordSize;
    const qint64 m_wholeRecords;
    qint64 m_position = 0; // records read so far
    QByteArray m_buffer;
};

TPrijsTrede readTier(const unsigned char *record)
{
    return {bytes::getU16LE(record + penf::TierAantal),
            TCurrency::fromRaw(bytes::getI64LE(record + penf::TierPrijs))};
}

int versionOfProbe(const unsigned char *probe)
{
    const unsigned char *id = probe + penf::IdentifierOffset;
    auto matches = [id](const char *identifier) {
        const size_t length = std::strlen(identifier);
        return id[0] == length && std::memcmp(id + 1, identifier, length) == 0;
    };
    if (matches(penf::IdentifierV2))
        return 2;
    if (matches(penf::IdentifierV1))
        return 1;
    return 0;
}

} // namespace

bool SameFormatName(const QString &a, const QString &b)
{
    return formatNameCollator().compare(a, b) == 0;
}

int TFormatNameIndex::find(const QString &name) const
{
    const auto it = m_first.find(formatNameCollator().sortKey(name));
    return it == m_first.end() ? -1 : it->second;
}

void TFormatNameIndex::add(const QString &name, int index)
{
    m_first.try_emplace(formatNameCollator().sortKey(name), index);
}

TPenFFile::TPenFFile(const QString &fileName, TDateTime versiedatum, uint8_t versienummer)
    : m_fileName(fileName), m_versiedatum(versiedatum), m_versienummer(versienummer)
{
}

TPenFFile::~TPenFFile() = default;

void TPenFFile::Clear()
{
    while (!m_locaties.empty())
        m_locaties.pop_back();
    m_formaten.clear();
}

void TPenFFile::SetVersion(TDateTime versiedatum, uint8_t versienummer)
{
    m_versiedatum = versiedatum;
    m_versienummer = versienummer;
}

void TPenFFile::Open(const QString &fileName)
{
    m_fileName = fileName;
    LoadFromFile();
}

void TPenFFile::LoadFromFile()
{
    QFile file(m_fileName);
    if (!file.exists()) {
        Clear();
        m_heeftSnelservice = false;
        throw EInOutError(m_fileName, QStringLiteral("Bestand bestaat niet"));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        Clear();
        m_heeftSnelservice = false;
        throw EInOutError(m_fileName,
                          QStringLiteral("Bestand kan niet worden geopend (%1)").arg(file.errorString()));
    }
    LoadFromDevice(file);
}

void TPenFFile::LoadFromBytes(const QByteArray &data)
{
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    LoadFromDevice(buffer);
}

void TPenFFile::LoadFromDevice(QIODevice &device)
{
    Clear();
    m_heeftSnelservice = false;

    // The version probe reads the first 1152 bytes whatever the version.
    if (device.size() < penf::ProbeSize) {
        throw EInOutError(m_fileName, QStringLiteral("Bestand is te kort (%1 bytes, minstens %2 nodig)")
                                          .arg(device.size())
                                          .arg(penf::ProbeSize));
    }
    {
        TRecordReader probe(device, m_fileName, penf::ProbeSize);
        m_bestandsversie = uint8_t(versionOfProbe(probe.next()));
    }
    const int version = m_bestandsversie;

    TRecordReader reader(device, m_fileName, penf::RecordSize(version));
    // The record count is held in an unsigned 16-bit value.
    const uint16_t recordCount = uint16_t(reader.wholeRecords());

    const unsigned char *header = reader.next();
    m_versiedatum = bytes::getF64LE(header + penf::HdrVersiedatum);
    m_versienummer = bytes::getU8(header + penf::HdrVersienummer);
    m_standaardFormaat = bytes::getI32LE(header + penf::HdrStandaardFormaat);
    uint16_t next = 2;
    if (version == 2) {
        const int locationCount = bytes::getU8(header + penf::HdrLocationCount);
        for (int i = 0; i < locationCount; ++i) {
            const unsigned char *r = reader.next();
            AddLocation(ansi::readShort(r + penf::LocHost, 100), ansi::readShort(r + penf::LocNaam, 255),
                        ansi::readShort(r + penf::LocTekst1, 255), ansi::readShort(r + penf::LocTekst2, 255),
                        ansi::readShort(r + penf::LocTekst3, 25), ansi::readShort(r + penf::LocTekst4, 255));
        }
        next = uint16_t(locationCount + 2);
    }

    // Finds the earlier format of a repeated name without a search over the whole list, so a
    // damaged file with many formats does not make loading quadratic.
    TFormatNameIndex names;
    // Every pass reads at least one record, and reads stop at the real end of the file, so
    // the loop ends even when the 16-bit counter wraps.
    while (next <= recordCount) {
        const unsigned char *r = reader.next();
        next = uint16_t(next + 1);
        auto format = std::make_unique<TFormaat>();
        format->Naam = ansi::readShort(r + penf::FmtNaam, 255);
        format->Omschrijving = ansi::readShort(r + penf::FmtOmschrijving, 255);
        format->Breedte = bytes::getF64LE(r + penf::FmtBreedte);
        format->Lengte = bytes::getF64LE(r + penf::FmtLengte);
        uint16_t n = 0;
        uint16_t m = 0;
        if (version == 0) {
            n = bytes::getU16LE(r + penf::FmtTierCountV0);
        } else {
            format->GlansMatKeuze = bytes::getU8(r + penf::FmtGlansMatKeuze);
            n = bytes::getU16LE(r + penf::FmtTierCount);
        }
        if (version == 2) {
            m = bytes::getU16LE(r + penf::FmtFastTierCount);
            std::memcpy(format->Beschikbaar.data(), r + penf::FmtBeschikbaar, TFormaat::MaxLocations);
        }

        if (n > 0) {
            next = uint16_t(next + n);
            for (int i = 0; i < n; ++i)
                format->Prijzen.append(readTier(reader.next()));
        } else {
            format->Prijzen.append(TPrijsTrede{0, TCurrency()});
        }
        names.add(format->Naam, FormatCount());
        const QString naam = format->Naam;
        m_formaten.push_back(std::move(format));

        if (version == 2 && m > 0) {
            m_heeftSnelservice = true;
            next = uint16_t(next + m);
            // With a repeated name the earlier format of that name receives these tiers.
            TFormaat &owner = *m_formaten[size_t(names.find(naam))];
            for (int i = 0; i < m; ++i)
                owner.SnelPrijzen.append(readTier(reader.next()));
        }
    }
    SetDefaultFormat(m_standaardFormaat);
}

QString TPenFFile::FormatName(int index) const
{
    if (index < 0 || index >= FormatCount())
        return QString();
    return m_formaten[size_t(index)]->Naam;
}

int TPenFFile::IndexOfFormat(const QString &name) const
{
    for (int i = 0; i < FormatCount(); ++i) {
        if (SameFormatName(m_formaten[size_t(i)]->Naam, name))
            return i;
    }
    return -1;
}

int TPenFFile::AddFormat(std::unique_ptr<TFormaat> format)
{
    if (format->FastTierCount() > 0)
        m_heeftSnelservice = true;
    m_formaten.push_back(std::move(format));
    return FormatCount() - 1;
}

void TPenFFile::DeleteFormat(int index)
{
    if (index >= 0 && index < FormatCount())
        m_formaten.erase(m_formaten.begin() + index);
}

void TPenFFile::SetDefaultFormat(int index)
{
    m_standaardFormaat = (index >= 0 && index < FormatCount()) ? index : -1;
}

QString TPenFFile::DefaultFormatName() const
{
    // After a failed read the raw header value stays; an index outside the list is no default.
    if (m_standaardFormaat < 0 || m_standaardFormaat >= FormatCount())
        return QStringLiteral("Undefined");
    return m_formaten[size_t(m_standaardFormaat)]->Naam;
}

bool TPenFFile::GlansMatKeuze(const QString &name) const
{
    const int index = IndexOfFormat(name);
    return index >= 0 && m_formaten[size_t(index)]->HasGlansMatKeuze();
}

TCurrency TPenFFile::GetPrice(const QString &name, uint16_t count, bool fastService) const
{
    const int index = IndexOfFormat(name);
    if (index < 0)
        return TCurrency();
    const TFormaat &format = *m_formaten[size_t(index)];
    return fastService ? format.FastPrice(count) : format.StandardPrice(count);
}

QString TPenFFile::LocationName(int index) const
{
    if (index < 0 || index >= LocationCount())
        return QString();
    return m_locaties[size_t(index)].Naam;
}

int TPenFFile::IndexOfLocation(const QString &name) const
{
    for (int i = 0; i < LocationCount(); ++i) {
        if (m_locaties[size_t(i)].Naam.text() == name)
            return i;
    }
    return -1;
}

QString TPenFFile::LocationHost(const QString &name) const
{
    if (name.isEmpty())
        return QString();
    const int index = IndexOfLocation(name);
    return index < 0 ? QString() : m_locaties[size_t(index)].Host.text();
}

int TPenFFile::AddLocation(const QString &host, const QString &naam, const QString &text1,
                           const QString &text2, const QString &text3, const QString &text4)
{
    TAfhaallocatie location;
    location.Host = host;
    location.Naam = naam;
    location.Tekst1 = text1;
    location.Tekst2 = text2;
    location.Tekst3 = text3;
    location.Tekst4 = text4;
    try {
        m_locaties.push_back(std::move(location));
    } catch (const std::bad_alloc &) {
        return -1;
    }
    return LocationCount() - 1;
}

void TPenFFile::DeleteLocation(int index)
{
    if (index >= 0 && index < LocationCount())
        m_locaties.erase(m_locaties.begin() + index);
}

bool TPenFFile::HasFastServiceAt(int locationIndex) const
{
    if (locationIndex < 0 || locationIndex >= LocationCount())
        return false;
    for (const auto &format : m_formaten) {
        if (format->IsAvailableAt(locationIndex))
            return true;
    }
    return false;
}

void TPenFFile::FillLocations(QStringList &list) const
{
    QStringList names;
    for (const TAfhaallocatie &location : m_locaties)
        names.append(location.Naam);
    list = std::move(names);
}

void TPenFFile::FillFastServiceLocations(QStringList &list) const
{
    QStringList names;
    for (int i = 0; i < LocationCount(); ++i) {
        if (HasFastServiceAt(i))
            names.append(m_locaties[size_t(i)].Naam);
    }
    list = std::move(names);
}
