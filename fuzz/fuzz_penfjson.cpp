// Fuzz target: the catalogue tool's JSON reader on arbitrary text. Whatever it accepts and
// the writer takes must read back as the same catalogue.
#include "app/Errors.h"
#include "catalogue/UPenF.h"
#include "catalogue/UPenFJson.h"
#include "catalogue/UPenFWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
    penfjson::TParsed parsed;
    QByteArray written;
    try {
        parsed = penfjson::FromJson(json);
        written = penfwriter::Write(*parsed.catalogue, parsed.fileVersion < 0 ? 2 : parsed.fileVersion);
    } catch (const EKiekjesError &) {
        return 0;
    }
    TPenFFile loaded(QStringLiteral("PenF.dat"), 0.0, 0);
    loaded.LoadFromBytes(written);
    // The same file again from the dump of what was read.
    const penfjson::TParsed again = penfjson::FromJson(penfjson::ToJson(loaded));
    if (penfwriter::Write(*again.catalogue, loaded.Bestandsversie()) != written)
        std::abort();
    return 0;
}
