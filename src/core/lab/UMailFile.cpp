#include "lab/UMailFile.h"

#include "app/AnsiString.h"
#include "app/Bytes.h"
#include "app/Errors.h"
#include "catalogue/UPenF.h"
#include "order/TOrderItem.h"

#include <QBuffer>
#include <QIODevice>
#include <QSaveFile>
#include <new>
#include <set>

namespace {
using namespace bytes;

// Header
constexpr int HMark = 4, HOrderDate = 48, HOrderNumber = 56, HCatDate = 64, HCatEdition = 72,
              HFileCount = 74, HAllSent = 76, HRemark = 77;
// Customer
constexpr int CTitel = 4, CVoornaam = 15, CTussenvoegsel = 271, CAchternaam = 292, CStraat = 548,
              CNummer = 804, CPcCijfers = 826, CPcLetters = 828, CPlaats = 831, CTelefoon = 1087,
              CEmail = 1108, CVersturen = 1364, CSnelservice = 1365, CAfhaallocatie = 1366;
// File record
constexpr int FPath = 4, FNumber = 260, FEntryCount = 262, FSent = 264;
// Order entry
constexpr int EAantal = 4, EFormaat = 6, EGlans = 262, EAfwerking = 263;

QByteArray newRecord(uint8_t kind)
{
    QByteArray r(TMailFile::RecordSize, '\0');
    r[0] = char(kind);
    return r;
}

// ASCII letters only, as the container's lookups compare.
bool sameAsciiCaseless(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'A' && x <= 'Z') x = char16_t(x + 32);
        if (y >= 'A' && y <= 'Z') y = char16_t(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

// The path as a file record keeps it: cut to the field and through the code page.
QString storedPath(const QString &path) { return ansi::decode(ansi::encode(ansi::cut(path, 255))); }
} // namespace

TMailFile::TMailFile(const QString &fileName, std::optional<TCatalogueStamp> catalogue)
    : m_fileName(fileName), m_catalogue(catalogue)
{
    m_records.push_back(newRecord(KindHeader));
    m_records.push_back(newRecord(KindCustomer));
    Reset();
}

TMailFile::TMailFile(const QString &fileName, const TPenFFile *catalogue)
    : TMailFile(fileName, catalogue ? std::optional<TCatalogueStamp>(TCatalogueStamp{catalogue->Versiedatum(),
                                                                                   catalogue->Versienummer()})
                                    : std::nullopt)
{
}

void TMailFile::show(const QString &text) const
{
    if (m_message)
        m_message(text);
}

void TMailFile::Reset()
{
    m_records.resize(2);
    m_records[0] = newRecord(KindHeader);
    m_records[1] = newRecord(KindCustomer);
    unsigned char *h = rec(0);
    ansi::writeShort(h + HMark, 38, FormatMark());
    putF64LE(h + HOrderDate, datetime::now());
    putI32LE(h + HOrderNumber, 0);
    putF64LE(h + HCatDate, m_catalogue ? m_catalogue->Date : 0.0);
    putU8(h + HCatEdition, m_catalogue ? m_catalogue->Edition : 0);
    putU16LE(h + HFileCount, 0);
    putU8(h + HAllSent, 0);
    ansi::writeShort(h + HRemark, 30, QString());
}

void TMailFile::SetCustomer(const TKlantGegevens &k)
{
    unsigned char *c = rec(1);
    ansi::writeShort(c + CTitel, 10, k.Titel);
    ansi::writeShort(c + CVoornaam, 255, k.Voornaam);
    ansi::writeShort(c + CTussenvoegsel, 20, k.Tussenvoegsel);
    ansi::writeShort(c + CAchternaam, 255, k.Achternaam);
    ansi::writeShort(c + CStraat, 255, k.Straat);
    ansi::writeShort(c + CNummer, 20, k.Nummer);
    putU16LE(c + CPcCijfers, k.PcCijfers);
    ansi::writeShort(c + CPcLetters, 2, k.PcLetters.text());
    ansi::writeShort(c + CPlaats, 255, k.Plaats);
    ansi::writeShort(c + CTelefoon, 20, k.Telefoon);
    ansi::writeShort(c + CEmail, 255, k.Email);
    // With the fast service the prints are always collected.
    putU8(c + CVersturen, (k.Versturen && !k.Snelservice) ? 1 : 0);
    putU8(c + CSnelservice, k.Snelservice ? 1 : 0);
    ansi::writeShort(c + CAfhaallocatie, 255, k.Afhaallocatie.text());
}

TKlantGegevens TMailFile::Customer() const
{
    const unsigned char *c = rec(1);
    TKlantGegevens k;
    k.Titel = ansi::readShort(c + CTitel, 10);
    k.Voornaam = ansi::readShort(c + CVoornaam, 255);
    k.Tussenvoegsel = ansi::readShort(c + CTussenvoegsel, 20);
    k.Achternaam = ansi::readShort(c + CAchternaam, 255);
    k.Straat = ansi::readShort(c + CStraat, 255);
    k.Nummer = ansi::readShort(c + CNummer, 20);
    k.PcCijfers = getU16LE(c + CPcCijfers);
    k.PcLetters = ansi::readShort(c + CPcLetters, 2);
    k.Plaats = ansi::readShort(c + CPlaats, 255);
    k.Telefoon = ansi::readShort(c + CTelefoon, 20);
    k.Email = ansi::readShort(c + CEmail, 255);
    k.Versturen = getU8(c + CVersturen) != 0;
    k.Snelservice = getU8(c + CSnelservice) != 0;
    k.Afhaallocatie = ansi::readShort(c + CAfhaallocatie, 255);
    return k;
}

std::vector<int> TMailFile::fileIndexes() const
{
    std::vector<int> out;
    for (size_t i = 2; i < m_records.size(); i += 1 + getU16LE(rec(int(i)) + FEntryCount))
        out.push_back(int(i));
    return out;
}

int TMailFile::IndexOfFile(const QString &path) const
{
    const QString wanted = storedPath(path);
    for (int i : fileIndexes())
        if (sameAsciiCaseless(ansi::readShort(rec(i) + FPath, 255), wanted))
            return i;
    return -1;
}

int TMailFile::IndexOfFileNumber(uint16_t number) const
{
    if (number == 0)
        return -1;
    for (int i : fileIndexes())
        if (getU16LE(rec(i) + FNumber) == number)
            return i;
    return -1;
}

uint16_t TMailFile::FileCount() const { return getU16LE(rec(0) + HFileCount); }

void TMailFile::setFileCount(uint16_t n) { putU16LE(rec(0) + HFileCount, n); }

uint16_t TMailFile::AddFile(const QString &path)
{
    const int existing = IndexOfFile(path);
    if (existing >= 0)
        return getU16LE(rec(existing) + FNumber);

    uint32_t number = 1;
    if (FileCount() > 0) {
        const std::vector<int> files = fileIndexes();
        const int last = files.at(std::min<size_t>(FileCount(), files.size()) - 1);
        number = uint32_t(getU16LE(rec(last) + FNumber)) + 1;
    }
    if (number > 65535)
        throw ERangeError(QStringLiteral("Bestandsnummer %1 buiten het bereik").arg(number));
    if (FileCount() == 65535)
        throw EIntOverflow(QStringLiteral("Te veel bestanden in de order"));

    QByteArray r;
    try {
        r = newRecord(KindFile);
    } catch (const std::bad_alloc &) {
        show(QStringLiteral("Exception occured while adding a file.\r") + QStringLiteral("Out of memory"));
        return 0;
    }
    unsigned char *f = reinterpret_cast<unsigned char *>(r.data());
    ansi::writeShort(f + FPath, 255, path);
    putU16LE(f + FNumber, uint16_t(number));
    putU16LE(f + FEntryCount, 0);
    putU8(f + FSent, 0);
    try {
        m_records.push_back(std::move(r));
    } catch (const std::bad_alloc &) {
        throw EKiekjesError(QStringLiteral("Out of memory"));
    }
    setFileCount(uint16_t(FileCount() + 1));
    return uint16_t(number);
}

uint16_t TMailFile::AddOrderItem(const TOrderItem &item)
{
    uint16_t number = 0;
    int fileIndex = -1;
    try {
        number = AddFile(item.Bestand);
        fileIndex = IndexOfFileNumber(number);
        if (fileIndex < 0)
            throw EKiekjesError(QStringLiteral("Bestand niet gevonden"));
    } catch (const EKiekjesError &e) {
        show(QStringLiteral("Exception occured while adding an order to a file.\r") + e.message());
        return 0;
    }
    unsigned char *f = rec(fileIndex);
    const uint16_t entries = getU16LE(f + FEntryCount);
    if (entries == 65535) {
        show(QStringLiteral("Exception occured while adding an order to a file.\r")
             + QStringLiteral("Te veel regels voor één bestand"));
        return 0;
    }
    QByteArray r;
    try {
        r = newRecord(KindEntry);
        unsigned char *e = reinterpret_cast<unsigned char *>(r.data());
        putU16LE(e + EAantal, item.Aantal);
        ansi::writeShort(e + EFormaat, 255, item.Formaat);
        putU8(e + EGlans, item.Glans != 0 ? 1 : 0);
        putU8(e + EAfwerking, item.Afwerking);
        m_records.insert(m_records.begin() + fileIndex + entries + 1, std::move(r));
    } catch (const std::bad_alloc &) {
        show(QStringLiteral("Exception occured while adding a file.\r") + QStringLiteral("Out of memory"));
        return 0;
    }
    putU16LE(rec(fileIndex) + FEntryCount, uint16_t(entries + 1));
    return number;
}

QString TMailFile::FileName(int index) const
{
    if (index < 0 || index >= FileCount())
        return QString();
    const std::vector<int> files = fileIndexes();
    if (size_t(index) >= files.size())
        return QString();
    return ansi::readShort(rec(files[size_t(index)]) + FPath, 255);
}

uint16_t TMailFile::FileNumber(const QString &path) const
{
    const int i = IndexOfFile(path);
    return i < 0 ? 0 : getU16LE(rec(i) + FNumber);
}

bool TMailFile::GetSent(const QString &path, bool &sent) const
{
    const int i = IndexOfFile(path);
    if (i < 0)
        return false;
    sent = getU8(rec(i) + FSent) != 0;
    return true;
}

bool TMailFile::SetSent(const QString &path, bool sent)
{
    const int i = IndexOfFile(path);
    if (i < 0)
        return false;
    putU8(rec(i) + FSent, sent ? 1 : 0);
    for (int f : fileIndexes())
        if (getU8(rec(f) + FSent) == 0)
            return true;
    // AllSent is never set back to 0.
    putU8(rec(0) + HAllSent, 1);
    return true;
}

bool TMailFile::AllSent() const { return getU8(rec(0) + HAllSent) != 0; }

bool TMailFile::RemoveFile(const QString &path)
{
    const int i = IndexOfFile(path);
    if (i < 0)
        return false;
    const int entries = getU16LE(rec(i) + FEntryCount);
    m_records.erase(m_records.begin() + i, m_records.begin() + i + 1 + entries);
    setFileCount(uint16_t(FileCount() - 1));
    return true;
}

int32_t TMailFile::OrderNumber() const { return getI32LE(rec(0) + HOrderNumber); }
void TMailFile::SetOrderNumber(int32_t number) { putI32LE(rec(0) + HOrderNumber, number); }
TDateTime TMailFile::OrderDate() const { return getF64LE(rec(0) + HOrderDate); }
void TMailFile::SetOrderDate(TDateTime date) { putF64LE(rec(0) + HOrderDate, date); }

TCatalogueStamp TMailFile::CatalogueStamp() const
{
    return {getF64LE(rec(0) + HCatDate), getU8(rec(0) + HCatEdition)};
}

QString TMailFile::PickupLocation() const { return ansi::readShort(rec(1) + CAfhaallocatie, 255); }

std::vector<TMailPhoto> TMailFile::Photos() const
{
    std::vector<TMailPhoto> out;
    for (int i : fileIndexes()) {
        const unsigned char *f = rec(i);
        TMailPhoto p;
        p.Path = ansi::readShort(f + FPath, 255);
        p.FileNumber = getU16LE(f + FNumber);
        p.Sent = getU8(f + FSent) != 0;
        const int n = getU16LE(f + FEntryCount);
        for (int k = 1; k <= n && size_t(i + k) < m_records.size(); ++k) {
            const unsigned char *e = rec(i + k);
            p.Entries.push_back({getU16LE(e + EAantal), ansi::readShort(e + EFormaat, 255),
                                 getU8(e + EGlans) != 0, getU8(e + EAfwerking)});
        }
        out.push_back(std::move(p));
    }
    return out;
}

void TMailFile::SaveToStream(QIODevice &stream)
{
    ansi::writeShort(rec(0) + HMark, 38, FormatMark());
    if (!stream.seek(0))
        throw EKiekjesError(stream.errorString());
    for (const QByteArray &r : m_records)
        if (stream.write(r) != RecordSize)
            throw EKiekjesError(stream.errorString());
}

QByteArray TMailFile::toBytes()
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    return out;
}

bool TMailFile::SaveToFile(const QString &fileName)
{
    if (!fileName.isEmpty())
        m_fileName = fileName;
    if (m_fileName.isEmpty())
        return false;
    // The journal is replaced whole or not at all.
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(m_fileName, QStringLiteral("Het bestand kan niet worden aangemaakt (%1)").arg(file.errorString()));
    try {
        SaveToStream(file);
        // A commit after a failed flush would still put the short file in place.
        if (!file.flush())
            throw EKiekjesError(file.errorString());
    } catch (const EKiekjesError &) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw EInOutError(m_fileName, QStringLiteral("Schrijven mislukt (%1)").arg(why));
    }
    if (!file.commit())
        throw EInOutError(m_fileName, QStringLiteral("Opslaan mislukt (%1)").arg(file.errorString()));
    return true;
}

std::optional<TMailFile> TMailFile::fromBytes(const QByteArray &bytes, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<TMailFile> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (bytes.size() % RecordSize != 0)
        return fail(QStringLiteral("De lengte is geen veelvoud van %1 bytes").arg(RecordSize));
    const qsizetype count = bytes.size() / RecordSize;
    if (count < 2)
        return fail(QStringLiteral("Kop of klantgegevens ontbreken"));
    if (count > MaxRecordCount)
        return fail(QStringLiteral("Te veel records"));
    auto at = [&](qsizetype i) { return reinterpret_cast<const unsigned char *>(bytes.constData()) + i * RecordSize; };
    if (at(0)[0] != KindHeader || at(1)[0] != KindCustomer)
        return fail(QStringLiteral("Kop of klantgegevens ontbreken"));
    if (at(0)[HMark] != 38 || ansi::readShort(at(0) + HMark, 38) != FormatMark())
        return fail(QStringLiteral("Onbekend formaatkenmerk"));
    std::set<uint16_t> numbers;
    qsizetype i = 2;
    while (i < count) {
        const unsigned char *f = at(i);
        if (f[0] != KindFile)
            return fail(QStringLiteral("Record %1 is geen bestandsrecord").arg(i));
        const uint16_t number = getU16LE(f + FNumber);
        if (number == 0 || !numbers.insert(number).second)
            return fail(QStringLiteral("Ongeldig of dubbel bestandsnummer %1").arg(number));
        const qsizetype entries = getU16LE(f + FEntryCount);
        if (i + entries >= count)
            return fail(QStringLiteral("Orderregels van bestand %1 ontbreken").arg(number));
        for (qsizetype k = 1; k <= entries; ++k)
            if (at(i + k)[0] != KindEntry)
                return fail(QStringLiteral("Record %1 is geen orderregel").arg(i + k));
        i += 1 + entries;
    }
    if (getU16LE(at(0) + HFileCount) != numbers.size())
        return fail(QStringLiteral("Het aantal bestanden klopt niet"));

    TMailFile m;
    m.m_records.reserve(size_t(count));
    for (qsizetype r = 0; r < count; ++r)
        m.m_records.push_back(bytes.mid(r * RecordSize, RecordSize));
    return m;
}
