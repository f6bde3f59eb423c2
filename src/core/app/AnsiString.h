#pragma once
// Single-byte ANSI texts (Windows-1252) as they stand in the record files and on the wire,
// and the fixed-capacity string[N]: one length byte followed by room for N characters.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace ansi {

// Windows-1252 bytes to text. Every byte maps to a character (the five bytes the code page
// leaves undefined map to the C1 control of the same value, as Windows does).
QString decode(QByteArrayView bytes);

// Text to Windows-1252 bytes. A character the code page lacks becomes '?'; *lossless (when
// given) tells whether every character could be stored as it is.
QByteArray encode(const QString &text, bool *lossless = nullptr);

// True when the text survives a trip through Windows-1252 unchanged and fits in maxBytes.
bool fitsExactly(const QString &text, int maxBytes);

// string[N] inside a record: reads the length byte at `field` and at most `capacity` bytes
// after it. A length byte above the capacity is taken as the capacity, so a damaged record
// never makes the reader leave its field.
QString readShort(const unsigned char *field, int capacity);

// Writes the text as string[capacity] at `field` (1 + capacity bytes): cut to the capacity,
// the unused room filled with zero bytes.
void writeShort(unsigned char *field, int capacity, const QString &text);

// The text cut to at most n characters.
inline QString cut(const QString &text, int n) { return text.size() > n ? text.left(n) : text; }

} // namespace ansi

// A text with a fixed capacity of N characters: longer values are cut when stored.
template <int N>
class TShortString {
public:
    static constexpr int Capacity = N;
    TShortString() = default;
    TShortString(const QString &text) : m_text(ansi::cut(text, N)) {}
    TShortString &operator=(const QString &text)
    {
        m_text = ansi::cut(text, N);
        return *this;
    }
    const QString &text() const { return m_text; }
    operator const QString &() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }
    bool operator==(const TShortString &o) const = default;
    bool operator==(const QString &o) const { return m_text == o; }

private:
    QString m_text;
};
