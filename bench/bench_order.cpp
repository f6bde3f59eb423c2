// Order document benchmarks. Prints one table of figures and ratios, each ratio against a
// baseline measured in the same run:
//   open:  loading an order of N items whose photos all exist unchanged (load + register
//          rebuild, as Open does) against reading the same file and stat'ing every photo
//          path in a plain loop;                                            goal <= 1.5
//   add:   time(2k adds) / time(k adds), rating stubbed out;                goal <= 2.3
//   recalc: time(RecalculateOrder on 2m rows) / time(on m rows), 50 rebuilds each; goal <= 2.3
// Usage: bench_order [items=65536]
#include "catalogue/UPenF.h"
#include "order/TOrderModel.h"
#include "order/UOrderFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstdio>
#include <functional>

namespace {

struct StubRater : IPrintRater {
    explicit StubRater(const TPenFFile &c) : cat(c) {}
    const TPenFFile &cat;
    bool FindFormat(const QString &name, TFormatDims &dims) const override
    {
        const int i = cat.IndexOfFormat(name);
        if (i < 0)
            return false;
        dims = {cat.Format(i).Breedte, cat.Format(i).Lengte, cat.Format(i).HasGlansMatKeuze()};
        return true;
    }
    TRating Rate(const QString &, double lengte, double) override { return {0, lengte, 0}; }
    TPhotoCheck CheckPhoto(const QString &, const TFormatDims *dims) override
    {
        return {true, {0, dims ? ItemLengte(*dims) : 0.0, 0}};
    }
    QString ErrorText(int) const override { return {}; }
};

double bestOf(int runs, const std::function<void()> &fn)
{
    double best = 1e100;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        fn();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

void row(const char *what, double measured, double baseline, const char *goal)
{
    std::printf("%-44s %10.1f ms %10.1f ms %7.2f  %s\n", what, measured, baseline, measured / baseline, goal);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int items = argc > 1 ? std::atoi(argv[1]) : TOrderFile::MaxItems;

    TPenFFile cat(QString(), 0.0, 0);
    for (const char *name : {"9 x 13", "10 x 15", "13 x 18", "15 x 20", "20 x 30"}) {
        auto f = std::make_unique<TFormaat>();
        f->Naam = QString::fromLatin1(name);
        f->Breedte = 10;
        f->Lengte = 15;
        f->GlansMatKeuze = 1;
        f->Prijzen = {TPrijsTrede{1, TCurrency::fromCents(39)}, TPrijsTrede{50, TCurrency::fromCents(29)},
                      TPrijsTrede{250, TCurrency::fromCents(25)}};
        cat.AddFormat(std::move(f));
    }
    StubRater rater(cat);
    TOperationHooks hooks;

    QTemporaryDir dir;
    std::fprintf(stderr, "making %d photos in %s ...\n", items, qPrintable(dir.path()));
    QList<TOrderItem> list;
    list.reserve(items);
    for (int i = 0; i < items; ++i) {
        const QString p = dir.filePath(QStringLiteral("foto%1.jpg").arg(i, 6, 10, QLatin1Char('0')));
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write("\xFF\xD8 photo");
        TOrderItem it;
        it.Bestand = p;
        it.Naam = OrderItemNaam(p);
        it.Formaat = cat.FormatName(i % cat.FormatCount());
        it.Kwaliteit = 0;
        it.Grootte = f.size();
        list.append(it);
    }
    const QString orderPath = dir.filePath(QStringLiteral("groot.obn"));
    TOrderFile of;
    if (!of.SaveOrderAs(orderPath, QStringLiteral("09122008-03"), list, hooks))
        return 1;

    std::printf("%-44s %13s %13s %7s  %s\n", "figure", "measured", "baseline", "ratio", "goal");

    // Open: load + model + register rebuild, against read + stat.
    const double plain = bestOf(5, [&] {
        QFile f(orderPath);
        f.open(QIODevice::ReadOnly);
        QByteArray rec(TOrderFile::RecordSize, '\0');
        f.read(rec.data(), rec.size());
        qint64 sum = 0;
        while (f.read(rec.data(), rec.size()) == rec.size()) {
            const int len = static_cast<unsigned char>(rec[256]);
            const QByteArray path(rec.constData() + 257, len);
            struct stat st;
            if (::stat(path.constData(), &st) == 0)
                sum += st.st_size;
        }
        if (sum < 0)
            std::puts("");
    });
    const double open = bestOf(5, [&] {
        TOrderModel model(cat, rater);
        QList<TOrderItem> loaded;
        TOrderFile reader;
        reader.LoadOrderFile(orderPath, OrderFileVersion(), loaded, rater, true, hooks);
        model.SetItems(std::move(loaded));
        model.RecalculateOrder(hooks);
    });
    const double loadOnly = bestOf(5, [&] {
        QList<TOrderItem> loaded;
        TOrderFile reader;
        reader.LoadOrderFile(orderPath, OrderFileVersion(), loaded, rater, true, hooks);
    });
    char label[80];
    std::snprintf(label, sizeof label, "open %d items vs read+stat", items);
    row(label, open, plain, "<= 1.5");
    row("  of which reading the file alone", loadOnly, plain, "(info)");

    // Adding: k and 2k photos, rating stubbed.
    const int k = std::max(1, std::min(items, 20000) / 2);
    TInstellingen settings = StandaardInstellingen(QStringLiteral("10 x 15"));
    auto adds = [&](int n) {
        return bestOf(3, [&] {
            TOrderModel model(cat, rater);
            for (int i = 0; i < n; ++i)
                model.AddPhoto(list[i % items].Bestand, settings, hooks);
        });
    };
    const double addK = adds(k);
    const double add2K = adds(2 * k);
    std::snprintf(label, sizeof label, "add %d / add %d photos", 2 * k, k);
    row(label, add2K, addK, "<= 2.3");

    // RecalculateOrder: m and 2m rows.
    auto recalc = [&](int n) {
        TOrderModel model(cat, rater);
        model.SetItems(list.mid(0, n));
        // One rebuild takes well under a millisecond: time fifty in a row.
        return bestOf(5, [&] {
            for (int i = 0; i < 50; ++i)
                model.RecalculateOrder(hooks);
        });
    };
    const int m = items / 2;
    const double recM = recalc(m);
    const double rec2M = recalc(2 * m);
    std::snprintf(label, sizeof label, "RecalculateOrder %d / %d rows", 2 * m, m);
    row(label, rec2M, recM, "<= 2.3");
    return 0;
}
