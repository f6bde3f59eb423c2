#pragma once
// The memory figures of the about box, from the nearest Linux equivalents of the six figures
// of a memory status query, and their texts.

#include <QByteArray>
#include <QString>
#include <cstdint>

struct TGeheugenStatus {
    uint64_t totaalFysiek = 0;    // MemTotal
    int belasting = 0;            // memory load in percent, from MemAvailable
    uint64_t totaalPagefile = 0;  // SwapTotal
    uint64_t vrijPagefile = 0;    // SwapFree
    uint64_t totaalVirtueel = 0;  // address space limit of the process
    uint64_t vrijVirtueel = 0;    // what is left of it
    bool operator==(const TGeheugenStatus &) const = default;
};

// The user address space of a 64-bit Linux process (47 bits), the limit when RLIMIT_AS is
// unlimited.
constexpr uint64_t UserAddressSpace = uint64_t(1) << 47;

// Builds the figures from the texts of /proc/meminfo and /proc/self/status and the process
// address space limit in bytes (0 or above UserAddressSpace: UserAddressSpace). Missing or
// malformed lines give 0 for their figures.
TGeheugenStatus GeheugenStatusUit(const QByteArray &meminfo, const QByteArray &selfStatus, uint64_t addressLimit);

// The figures of this computer and process now.
TGeheugenStatus LeesGeheugenStatus();

// A byte count as whole kilobytes (rounded, half up) with the Dutch thousands separator and
// " KB": 2147483648 gives "2.097.152 KB"; below half a kilobyte only " KB" is left.
QString KilobyteTekst(uint64_t bytes);
// The memory load as "45 %".
QString BelastingTekst(int percent);
