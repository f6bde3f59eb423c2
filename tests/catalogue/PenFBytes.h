#pragma once
// PenF.dat records written byte by byte from the record tables, independent of the program's
// own writer: offsets and identifiers are spelled out here as the tables give them.

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <cstring>

namespace penfbytes {

inline const QByteArray IdV1 = "{9FC0744D-DB2F-45D1-A473-E8D7D23E0B19}";
inline const QByteArray IdV2 = "{AA6913ED-E723-4DB1-BDF4-AB69190B1A43}";

inline int recordSize(int version) { return version == 2 ? 1152 : 544; }

class Record {
public:
    explicit Record(int size, char fill = '\0') : m_bytes(size, fill) {}
    Record &u8(int offset, uint8_t v)
    {
        m_bytes[offset] = char(v);
        return *this;
    }
    Record &u16(int offset, uint16_t v) { return le(offset, v, 2); }
    Record &i32(int offset, int32_t v) { return le(offset, uint32_t(v), 4); }
    Record &i64(int offset, int64_t v) { return le(offset, uint64_t(v), 8); }
    Record &f64(int offset, double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return le(offset, bits, 8);
    }
    // string[N]: a length byte and the characters (Windows-1252 bytes given as they are).
    Record &str(int offset, const QByteArray &text)
    {
        m_bytes[offset] = char(uint8_t(text.size()));
        m_bytes.replace(offset + 1, text.size(), text);
        return *this;
    }
    operator QByteArray() const { return m_bytes; }

private:
    Record &le(int offset, uint64_t v, int n)
    {
        for (int i = 0; i < n; ++i)
            m_bytes[offset + i] = char(uint8_t(v >> (8 * i)));
        return *this;
    }
    QByteArray m_bytes;
};

// Record 1. `fill` lets a test put rubbish in the bytes the reader must not look at.
inline QByteArray header(int version, double date, uint8_t edition, int32_t defaultFormat, uint8_t locations = 0,
                         char fill = '\0')
{
    Record r(recordSize(version), fill);
    r.f64(8, date).u8(16, edition).i32(20, defaultFormat);
    if (version == 1)
        r.str(24, IdV1);
    if (version == 2)
        r.str(24, IdV2).u8(63, locations);
    else if (fill != '\0')
        r.str(24, "not an identifier");
    return r;
}

inline QByteArray location(const QByteArray &host, const QByteArray &name, const QByteArray &t1 = {},
                           const QByteArray &t2 = {}, const QByteArray &t3 = {}, const QByteArray &t4 = {})
{
    return Record(1152).str(1, host).str(102, name).str(358, t1).str(614, t2).str(870, t3).str(896, t4);
}

inline QByteArray format(int version, const QByteArray &name, const QByteArray &description, double width,
                         double length, uint16_t n, uint16_t m = 0, uint8_t glossyMatte = 0,
                         const QList<int> &available = {}, char fill = '\0')
{
    Record r(recordSize(version), fill);
    r.str(1, name).str(257, description).f64(520, width).f64(528, length);
    if (version == 0) {
        r.u16(536, n);
    } else {
        r.u8(536, glossyMatte).u16(540, n);
    }
    if (version == 2) {
        r.u16(544, m);
        for (int k = 0; k < 128; ++k)
            r.u8(548 + k, available.contains(k) ? 1 : 0);
    }
    return r;
}

inline QByteArray tier(int version, uint16_t from, int64_t tenThousandths, char fill = '\0')
{
    return Record(recordSize(version), fill).u16(2, from).i64(8, tenThousandths);
}

// The 9-record version 2 file: two locations, format A (two tiers, one fast tier), B and C
// without tiers.
inline QByteArray nineRecords()
{
    return header(2, 47088.0, 3, 1, 2) + location("lab.example", "Veldmeer") + location("", "Amstelrade")
        + format(2, "A", "Formaat A", 10, 15, 2, 1, 1, {0}) + tier(2, 1, 2900) + tier(2, 50, 2500)
        + tier(2, 1, 4900) + format(2, "B", "Formaat B", 13, 18, 0, 0) + format(2, "C", "Formaat C", 9, 13, 0, 0);
}

} // namespace penfbytes
