// Fuzz target: the upload container parser, as the lab server runs it on what a client sends.
// A container that parses must walk, look up and write back to exactly the same bytes.
#include "lab/UMailFile.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    auto mail = TMailFile::fromBytes(bytes, &error);
    if (!mail) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    int files = 0;
    for (const TMailPhoto &p : mail->Photos()) {
        if (mail->IndexOfFileNumber(p.FileNumber) < 0)
            std::abort();
        ++files;
    }
    if (files != mail->FileCount() || !mail->FileName(mail->FileCount()).isEmpty())
        std::abort();
    (void)mail->Customer();
    (void)mail->PickupLocation();
    if (mail->toBytes() != bytes)
        std::abort();
    return 0;
}
