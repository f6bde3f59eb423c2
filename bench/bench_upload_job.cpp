// One large order sent by the upload job (TUploadThread: compose, copy into the photo folder,
// send, finalise) to kiekjesbode-lab over loopback, in one process. Prints the growth of the
// process's peak resident memory during the job against the 64 MB budget, and the job's
// time against a plain file copy of the same photos measured in the same run.
//
//   bench_upload_job [megabytes]     (default 512; photos of 16 MB, generated in a temp folder)
//
// Every figure is printed as a ratio.
#include "LabServer.h"

#include "app/DateTime.h"
#include "catalogue/UPenF.h"
#include "lab/UDataModule.h"
#include "lab/Verzenden.h"
#include "order/TOrderItem.h"

#include "../tests/lab/UploadFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <cstdio>

#include "../tests/common/ProcStatus.h"

namespace {
constexpr qint64 MB = 1024 * 1024;

qint64 statusValue(const char *name)
{
    return ProcStatusBytes(name);
}

// Starts a new peak: VmHWM falls back to the current resident size.
bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

// Answers yes to everything and shows nothing.
class SilentFrontEnd : public IUploadFrontEnd {
public:
    bool done = false;
    int closed = -1;
    QStringList messages;
    void ShowMsg(const QString &t) override { messages << t; }
    int AskMsg(const QString &, TMsgType, unsigned, int) override { return mrCancel; }
    int ConfirmCalculation(const QString &, const std::vector<TCalculationRow> &) override { return mrYes; }
    void ShowNews(const QString &) override {}
    void ShowServerVersion(const QString &) override {}
    void ShowOrderValue(const QString &) override {}
    void ShowSizeAndTime(const QString &, const QString &) override {}
    void ShowOrderProgress(int) override {}
    void ShowInfoText(const QString &) override {}
    void ShowFileProgress(int) override {}
    void SetStartEnabled(bool) override {}
    void SetProgress(int, const QString &, const QString &) override {}
    void HideProgress() override {}
    void CloseDialog(int r) override { closed = r; }
    void UploadDone(bool) override { done = true; }
};

double plainCopy(const QStringList &files, const QString &folder)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < files.size(); ++i)
        CopyFileChecked(files[i], folder + QStringLiteral("/copy%1").arg(i));
    return t.nsecsElapsed() / 1e9;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qint64 totalMb = argc > 1 ? std::max(16, QByteArray(argv[1]).toInt()) : 512;
    const qint64 fileSize = 16 * MB;
    const int fileCount = int((totalMb * MB + fileSize - 1) / fileSize);
    QTemporaryDir dir;

    QStringList files;
    for (int i = 0; i < fileCount; ++i)
        files << fixture::writePhoto(dir, QStringLiteral("foto%1.jpg").arg(i), fileSize, i);
    const QString penf = dir.filePath(QStringLiteral("PenF.dat"));
    {
        QFile f(penf);
        f.open(QIODevice::WriteOnly);
        f.write(penfbytes::nineRecords());
    }
    TPenFFile catalogue(penf, 0, 0);
    catalogue.LoadFromFile();

    TUploadOrder order;
    order.Catalogue = &catalogue;
    order.LocalVersion = QStringLiteral("01122028-03");
    order.Customer.Achternaam = QStringLiteral("Klant");
    for (const QString &path : files) {
        TOrderItem item;
        item.Bestand = path;
        item.Formaat = QStringLiteral("A");
        item.Grootte = fileSize;
        order.Items.push_back(item);
    }

    TLabConfig config;
    config.port = 0;
    config.dataFolder = dir.filePath(QStringLiteral("lab"));
    config.catalogue = penf;
    config.maxPhotoBytes = 2147483647;
    TLabServerThread server(config);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "server: %s\n", qPrintable(error));
        return 1;
    }

    const QString copies = dir.filePath(QStringLiteral("copies"));
    QDir().mkpath(copies);
    const double plain = plainCopy(files, copies);
    QDir(copies).removeRecursively();

    TDM dm;
    dm.SetHost(QStringLiteral("127.0.0.1"));
    dm.SetPort(server.port());
    SilentFrontEnd fe;
    const QString dataDir = dir.filePath(QStringLiteral("data"));
    QDir().mkpath(dataDir);

    const qint64 rest = statusValue("VmRSS:");
    const bool peakReset = resetPeak();
    QElapsedTimer t;
    t.start();
    QPointer<TUploadThread> job(TUploadThread::Start(dataDir, order, dm, fe));
    while (!fe.done || job)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double seconds = t.nsecsElapsed() / 1e9;
    const qint64 peak = statusValue("VmHWM:");
    if (fe.closed != mrOk) {
        std::fprintf(stderr, "upload failed: %s\n", qPrintable(fe.messages.join(QStringLiteral(" | "))));
        return 1;
    }
    std::printf("order of %d photos, %lld MB in total, sent by the upload job\n", fileCount, (long long)(totalMb));
    if (!peakReset)
        std::printf("(the peak could not be reset: it includes the photo generation)\n");
    std::printf("peak resident memory growth of client and server / 64 MB budget: %.3f (needs < 1)\n",
                double(std::max<qint64>(peak - rest, 0)) / double(64 * MB));
    std::printf("peak resident memory / at rest: %.3f\n", double(peak) / double(rest));
    std::printf("upload job time (copy into the photo folder and send) / plain file copy: %.3f\n", seconds / plain);
    return 0;
}
