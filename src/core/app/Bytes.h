#pragma once
// Field-by-field access to little-endian record bytes and big-endian wire integers.
// Records are never read by casting a struct: every field goes through these.

#include <cstdint>
#include <cstring>
#include <bit>

namespace bytes {

inline uint8_t getU8(const unsigned char *p) { return p[0]; }
inline uint16_t getU16LE(const unsigned char *p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t getU32LE(const unsigned char *p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t getI32LE(const unsigned char *p) { return int32_t(getU32LE(p)); }
inline uint64_t getU64LE(const unsigned char *p)
{
    return uint64_t(getU32LE(p)) | (uint64_t(getU32LE(p + 4)) << 32);
}
inline int64_t getI64LE(const unsigned char *p) { return int64_t(getU64LE(p)); }
inline double getF64LE(const unsigned char *p) { return std::bit_cast<double>(getU64LE(p)); }

inline void putU8(unsigned char *p, uint8_t v) { p[0] = v; }
inline void putU16LE(unsigned char *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putU32LE(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void putI32LE(unsigned char *p, int32_t v) { putU32LE(p, uint32_t(v)); }
inline void putU64LE(unsigned char *p, uint64_t v)
{
    for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline void putI64LE(unsigned char *p, int64_t v) { putU64LE(p, uint64_t(v)); }
inline void putF64LE(unsigned char *p, double v) { putU64LE(p, std::bit_cast<uint64_t>(v)); }

inline uint32_t getU32BE(const unsigned char *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
inline int32_t getI32BE(const unsigned char *p) { return int32_t(getU32BE(p)); }
inline uint64_t getU64BE(const unsigned char *p)
{
    return (uint64_t(getU32BE(p)) << 32) | uint64_t(getU32BE(p + 4));
}
inline void putU32BE(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}
inline void putI32BE(unsigned char *p, int32_t v) { putU32BE(p, uint32_t(v)); }
inline void putU64BE(unsigned char *p, uint64_t v)
{
    for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (56 - 8 * i));
}

// Convenience overloads for char buffers (QByteArray::data()).
inline const unsigned char *u(const char *p) { return reinterpret_cast<const unsigned char *>(p); }
inline unsigned char *u(char *p) { return reinterpret_cast<unsigned char *>(p); }

} // namespace bytes
