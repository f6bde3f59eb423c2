// Fuzz target: the order file loader on arbitrary bytes. Every question is answered Yes so
// the loader walks the whole file; paths in the input are only looked at, never opened for
// writing.
#include "order/PrintRater.h"
#include "order/UOrderFile.h"
#include "app/Errors.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

struct YesPrompter : IPrompter {
    void Message(const QString &) override {}
    bool AskYesNo(const QString &) override { return true; }
};

struct NoRater : IPrintRater {
    bool FindFormat(const QString &name, TFormatDims &dims) const override
    {
        dims = {10.0, name.size() % 2 ? 15.0 : 0.0, true};
        return !name.isEmpty();
    }
    TRating Rate(const QString &, double lengte, double) override { return {0, lengte, 0}; }
    TPhotoCheck CheckPhoto(const QString &, const TFormatDims *) override { return {true, {}}; }
    QString ErrorText(int) const override { return {}; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.obn"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    YesPrompter prompter;
    NoRater rater;
    TOperationHooks hooks{&prompter, nullptr, {}};
    TOrderFile of;
    QList<TOrderItem> items;
    try {
        of.LoadOrderFile(path, OrderFileVersion(), items, rater, true, hooks);
        for (const TOrderItem &item : items)
            (void)item.RowTexts();
    } catch (const EKiekjesError &) {
    }
    return 0;
}
