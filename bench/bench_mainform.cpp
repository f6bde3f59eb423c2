// Main window benchmarks, on the offscreen platform. One table; each ratio against a
// baseline measured in the same run:
//   start-up: the program `kiekjesbode` started as a process with the demo catalogue until
//             its window has been drawn (it says so with KIEKJES_QUIT_AFTER_START), against
//             a bare Qt window program started the same way (bench_bare_window); goal <= 2.0.
//             Also shown: until every other window exists, and the whole run with exit.
//   adding:   adding N photos of 12 megapixels through the window's add command against
//             the photo pipeline's own batch on the worker pool;                goal <= 1.3
// Usage: bench_mainform [photos=200]
#include "JpegWriter.h"
#include "app/HoofdVenster.h"
#include "app/Prompts.h"
#include "app/SettingsStore.h"
#include "catalogue/UPenF.h"
#include "catalogue/UPenFJson.h"
#include "catalogue/UPenFWriter.h"
#include "order/TOrderModel.h"
#include "order/UPhotoRater.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

double ms(const std::function<void()> &fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e6;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void row(const char *what, double measured, double baseline, const char *goal)
{
    std::printf("%-46s %10.1f ms %10.1f ms %7.2f  %s\n", what, measured, baseline, measured / baseline, goal);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TMessageBox::setTesting(true);
    const int photos = argc > 1 ? std::atoi(argv[1]) : 200;

    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data/"));
    QDir().mkpath(data);
    {
        QFile demo(QStringLiteral(KIEKJES_SOURCE_DIR "/data/demo/catalogue.json"));
        demo.open(QIODevice::ReadOnly);
        const auto parsed = penfjson::FromJson(demo.readAll());
        QFile f(data + QStringLiteral("PenF.dat"));
        f.open(QIODevice::WriteOnly);
        f.write(penfwriter::Write(*parsed.catalogue, 2));
    }
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    {
        TSettingsStore store(ini);
        store.writeString(QStringLiteral("Customer"), QStringLiteral("Title"), QStringLiteral("Dhr."));
        store.writeString(QStringLiteral("Settings"), QStringLiteral("PickupLocation"), QStringLiteral("Veldmeer"));
    }
    TStartupOptions options;
    options.dataFolder = data;
    options.settingsFile = ini;

    std::printf("%-46s %13s %13s %7s  %s\n", "figure", "measured", "baseline", "ratio", "goal");

    // Start-up of whole programs, alternating, best of five each.
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KIEKJES_QUIT_AFTER_START"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("xdg-data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("xdg-config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("xdg-run")));
        QDir().mkpath(dir.filePath(QStringLiteral("xdg-data/kiekjesbode")));
        QDir().mkpath(dir.filePath(QStringLiteral("xdg-run")));
        QFile::copy(data + QStringLiteral("PenF.dat"), dir.filePath(QStringLiteral("xdg-data/kiekjesbode/PenF.dat")));
        {
            QDir().mkpath(dir.filePath(QStringLiteral("xdg-config/Lichtvonk Nu")));
            QSettings s(dir.filePath(QStringLiteral("xdg-config/Lichtvonk Nu/Kiekjesbode.conf")), QSettings::IniFormat);
            s.setValue(QStringLiteral("Customer/Title"), QStringLiteral("Dhr."));
        }
        // Times from starting the process to each line it writes ("drawn", "ready") and to
        // its end.
        struct Run {
            double drawn = 1e100, ready = 1e100, ended = 1e100;
        };
        auto run = [&](const QString &program) {
            Run r;
            QElapsedTimer t;
            QProcess p;
            p.setProcessEnvironment(env);
            p.setProcessChannelMode(QProcess::SeparateChannels);
            t.start();
            p.start(program, {});
            while (p.state() != QProcess::NotRunning || p.canReadLine()) {
                if (!p.canReadLine() && !p.waitForReadyRead(30000))
                    break;
                while (p.canReadLine()) {
                    const QByteArray line = p.readLine().trimmed();
                    const double now = t.nsecsElapsed() / 1e6;
                    if (line == "drawn")
                        r.drawn = now;
                    else if (line == "ready")
                        r.ready = now;
                }
            }
            if (!p.waitForFinished(30000))
                p.kill();
            r.ended = t.nsecsElapsed() / 1e6;
            return r;
        };
        const QString bin = QCoreApplication::applicationDirPath();
        Run bare, ours;
        for (int round = 0; round < 7; ++round) {
            const Run b = run(bin + QStringLiteral("/bench_bare_window"));
            const Run o = run(QStringLiteral(KIEKJES_BINARY_DIR "/src/gui/kiekjesbode"));
            bare = {std::min(bare.drawn, b.drawn), 0, std::min(bare.ended, b.ended)};
            ours = {std::min(ours.drawn, o.drawn), std::min(ours.ready, o.ready), std::min(ours.ended, o.ended)};
        }
        if (bare.drawn > 1e99 || ours.drawn > 1e99)
            std::fprintf(stderr, "a program did not report its first paint\n");
        row("start-up to the drawn window vs a bare window", ours.drawn, bare.drawn, "<= 2.0");
        row("  until every window exists (vs bare drawn)", ours.ready, bare.drawn, "(info)");
        row("  whole process, exit included", ours.ended, bare.ended, "(info)");
    }

    // Photos: a few distinct 12-megapixel files, each added many times.
    std::fprintf(stderr, "making photos ...\n");
    QStringList distinct;
    for (int i = 0; i < 8; ++i) {
        const QString p = dir.filePath(QStringLiteral("foto%1.jpg").arg(i));
        WriteFile(p, WriteJpeg(PhotoLikePicture(4000, 3000, uint32_t(i + 1))));
        distinct << p;
    }
    QStringList paths;
    for (int i = 0; i < photos; ++i)
        paths << distinct[i % distinct.size()];

    TPenFFile cat(data + QStringLiteral("PenF.dat"), 0, 0);
    cat.LoadFromFile();
    TPhotoRater rater(cat);
    const int f = cat.IndexOfFormat(QStringLiteral("10 x 15"));
    const TFormatDims dims{cat.Format(f).Breedte, cat.Format(f).Lengte, true};
    const double pipeline = ms([&] {
        TPhotoBatch batch(rater, &dims);
        batch.Start(paths);
        for (int i = 0; i < paths.size(); ++i)
            batch.Result(i);
    });
    TMainForm w(options);
    w.show();
    w.FirstShow();
    settle();
    const double window = ms([&] { w.AddFiles(paths, false); });
    char label[80];
    std::snprintf(label, sizeof label, "adding %d photos of 12 MP vs the pool batch", photos);
    row(label, window, pipeline, "<= 1.3");
    if (w.Model().Count() != photos)
        std::fprintf(stderr, "only %d of %d photos were added\n", w.Model().Count(), photos);
    return 0;
}
