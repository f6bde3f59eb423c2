// Fuzz target: the lab server's command reader. The input is fed to one connection's session
// in pieces whose sizes come from the input itself; the first byte also decides whether a
// correct greeting goes first, so the commands behind it are reached. The session must never
// crash, and its answers stay bounded by what it was sent plus one catalogue.
#include "LabSession.h"

#include "../tests/catalogue/PenFBytes.h"
#include "lab/Wire.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
struct World {
    QTemporaryDir dir;
    TLabConfig config;
    std::unique_ptr<TLabSpool> spool;
    std::unique_ptr<TPenFCatalogue> catalogue;
    World()
    {
        config.dataFolder = dir.filePath(QStringLiteral("data"));
        config.catalogue = dir.filePath(QStringLiteral("PenF.dat"));
        config.maxPhotoBytes = 4096;
        config.maxContainerBytes = 64 * 1632;
        QFile f(config.catalogue);
        if (f.open(QIODevice::WriteOnly))
            f.write(penfbytes::nineRecords());
        f.close();
        spool = std::make_unique<TLabSpool>(config.dataFolder);
        catalogue = std::make_unique<TPenFCatalogue>(config.catalogue);
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static World world;
    if (size == 0)
        return 0;
    {
        TLabContext ctx{world.config, *world.spool, *world.catalogue, (data[0] & 2) != 0, {}};
        TLabSession session(ctx, (data[0] & 4) ? TAdmission::TooMany : TAdmission::Normal);
        qsizetype out = 0;
        if (data[0] & 1)
            session.feed(wire::greeting());
        size_t at = 1;
        size_t piece = 1 + (data[0] >> 3);
        while (at < size && !session.finished()) {
            const size_t n = std::min(piece, size - at);
            session.feed(QByteArrayView(reinterpret_cast<const char *>(data + at), qsizetype(n)));
            out += session.takeOutput().size();
            at += n;
            piece = 1 + (data[at - 1] % 61);
        }
        // Each command answers with at most a handful of lines and ints, or the catalogue.
        if (out > qsizetype(size) * 64 * 1024 + 4 * 1024 * 1024)
            std::abort();
    }
    // Orders the input made are cleared, so the spool does not grow run after run.
    QDir orders(world.config.dataFolder + QStringLiteral("/orders"));
    if (orders.count() > 64) {
        orders.removeRecursively();
        QDir().mkpath(world.config.dataFolder + QStringLiteral("/orders"));
    }
    return 0;
}
