#include "AnsiString.h"

#include <cstring>

namespace {

// Windows-1252 bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int encodeChar(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

} // namespace

namespace ansi {

QString decode(QByteArrayView bytes)
{
    // Latin-1 everywhere but 0x80..0x9F: convert fast, then mend those few.
    QString out = QString::fromLatin1(bytes.data(), bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && b < 0xA0)
            out[i] = QChar(kHigh[b - 0x80]);
    }
    return out;
}

QByteArray encode(const QString &text, bool *lossless)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    bool ok = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = encodeChar(text[i].unicode());
        if (b < 0) {
            ok = false;
            out[i] = '?';
        } else {
            out[i] = char(b);
        }
    }
    if (lossless)
        *lossless = ok;
    return out;
}

bool fitsExactly(const QString &text, int maxBytes)
{
    if (text.size() > maxBytes)
        return false;
    for (const QChar c : text) {
        if (encodeChar(c.unicode()) < 0)
            return false;
    }
    return true;
}

QString readShort(const unsigned char *field, int capacity)
{
    int len = field[0];
    if (len > capacity)
        len = capacity;
    return decode(QByteArrayView(reinterpret_cast<const char *>(field + 1), len));
}

void writeShort(unsigned char *field, int capacity, const QString &text)
{
    const QByteArray b = encode(cut(text, capacity));
    std::memset(field, 0, size_t(capacity) + 1);
    field[0] = static_cast<unsigned char>(b.size());
    std::memcpy(field + 1, b.constData(), size_t(b.size()));
}

} // namespace ansi
