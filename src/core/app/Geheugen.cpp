#include "Geheugen.h"

#include <QFile>
#include <QList>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The value of a "Name:   1234 kB" line in bytes, 0 when the line is missing or malformed.
uint64_t kilobyteRegel(const QByteArray &text, const QByteArray &name)
{
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith(name + ':'))
            continue;
        const QList<QByteArray> parts = line.mid(name.size() + 1).simplified().split(' ');
        bool ok = false;
        const qulonglong kb = parts.value(0).toULongLong(&ok);
        if (!ok || kb > std::numeric_limits<uint64_t>::max() / 1024)
            return 0;
        return uint64_t(kb) * 1024;
    }
    return 0;
}

QByteArray readProc(const char *path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(1 << 20);
}

} // namespace

TGeheugenStatus GeheugenStatusUit(const QByteArray &meminfo, const QByteArray &selfStatus, uint64_t addressLimit)
{
    TGeheugenStatus s;
    s.totaalFysiek = kilobyteRegel(meminfo, "MemTotal");
    const uint64_t beschikbaar = std::min(kilobyteRegel(meminfo, "MemAvailable"), s.totaalFysiek);
    if (s.totaalFysiek > 0)
        s.belasting = int(std::nearbyint(100.0 * double(s.totaalFysiek - beschikbaar) / double(s.totaalFysiek)));
    s.totaalPagefile = kilobyteRegel(meminfo, "SwapTotal");
    s.vrijPagefile = std::min(kilobyteRegel(meminfo, "SwapFree"), s.totaalPagefile);
    s.totaalVirtueel = (addressLimit == 0 || addressLimit > UserAddressSpace) ? UserAddressSpace : addressLimit;
    const uint64_t inGebruik = kilobyteRegel(selfStatus, "VmSize");
    s.vrijVirtueel = inGebruik < s.totaalVirtueel ? s.totaalVirtueel - inGebruik : 0;
    return s;
}

TGeheugenStatus LeesGeheugenStatus()
{
    uint64_t limit = 0;
    rlimit rl{};
    if (getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
        limit = uint64_t(rl.rlim_cur);
    return GeheugenStatusUit(readProc("/proc/meminfo"), readProc("/proc/self/status"), limit);
}

QString KilobyteTekst(uint64_t bytes)
{
    uint64_t kb = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
    QString digits;
    int n = 0;
    while (kb > 0) {
        if (n > 0 && n % 3 == 0)
            digits.prepend(QLatin1Char('.'));
        digits.prepend(QLatin1Char(char('0' + kb % 10)));
        kb /= 10;
        ++n;
    }
    return digits + QStringLiteral(" KB");
}

QString BelastingTekst(int percent)
{
    return QStringLiteral("%1 %").arg(percent);
}
