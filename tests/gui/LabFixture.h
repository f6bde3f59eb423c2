#pragma once
// Shared by the widget tests that talk to the lab's order server: the server on 127.0.0.1
// (an ephemeral port) with a catalogue of its own, the customer details that keep the window
// from asking for them, test photos, and the answers to an upload's two questions.
#include "GuiTestHelpers.h"
#include "JpegWriter.h"
#include "LabConfig.h"
#include "LabServer.h"
#include "app/HoofdVenster.h"
#include "app/SettingsStore.h"

#include <QDialog>
#include <QDirIterator>
#include <QTemporaryDir>
#include <memory>

namespace labfixture {

inline int filesUnder(const QString &folder)
{
    int n = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

// Confirms whichever of the upload's two questions is asked: name and address, or the
// calculation.
inline void approve(QDialog &d)
{
    if (d.findChild<QWidget *>(QStringLiteral("BtnOke")))
        clickButton(&d, "BtnOke");
    else
        clickButton(&d, "BtnOk");
}

// Entered customer details, so the window does not ask for them at its first show.
inline void writeCustomer(const QString &ini)
{
    TSettingsStore store(ini);
    TKlantGegevens k;
    k.Titel = QStringLiteral("Dhr.");
    k.Achternaam = QStringLiteral("Jansen");
    k.Straat = QStringLiteral("Dorpsstraat");
    k.Nummer = QStringLiteral("1");
    k.PcCijfers = 1234;
    k.PcLetters = QStringLiteral("AB");
    k.Plaats = QStringLiteral("Veldmeer");
    store.writeCustomer(k);
    store.sync();
}

// The lab's server with its data and catalogue in `dir`; null when it cannot start.
inline std::unique_ptr<TLabServerThread> startLab(const QTemporaryDir &dir, const QByteArray &labCatalogue,
                                                  TLabConfig &config, const QString &news = QString())
{
    config = TLabConfig{};
    config.port = 0;
    config.dataFolder = dir.filePath(QStringLiteral("lab"));
    config.catalogue = dir.filePath(QStringLiteral("lab-PenF.dat"));
    if (!WriteFile(config.catalogue, labCatalogue))
        return nullptr;
    config.news = news;
    config.readyHours[0] = 72;
    config.readyHours[1] = 24;
    auto lab = std::make_unique<TLabServerThread>(config);
    QString error;
    if (!lab->start(&error)) {
        qWarning("lab server: %s", qPrintable(error));
        return nullptr;
    }
    return lab;
}

// The main window over `dataFolder` (the catalogue written there when given) and the settings
// file `ini` (with customer details when it is new), talking to `lab` when there is one.
inline std::unique_ptr<TMainForm> openWindow(const QString &dataFolder, const QString &ini,
                                             const QByteArray &clientCatalogue, const TLabServerThread *lab)
{
    QDir().mkpath(dataFolder);
    if (!clientCatalogue.isEmpty())
        WriteFile(dataFolder + QStringLiteral("PenF.dat"), clientCatalogue);
    if (!QFileInfo::exists(ini))
        writeCustomer(ini);
    TStartupOptions options;
    options.dataFolder = dataFolder;
    options.settingsFile = ini;
    // The start writes the default server; the test's server listens on its own port.
    options.defaultHost = QStringLiteral("127.0.0.1");
    options.defaultPort = lab ? lab->port() : 1;
    auto w = std::make_unique<TMainForm>(options);
    w->show();
    w->FirstShow();
    return w;
}

inline QString photo(const QTemporaryDir &dir, const QString &name, int w, int h)
{
    const QString p = dir.filePath(name);
    WriteFile(p, WriteJpeg(PhotoLikePicture(w, h, uint32_t(name.size()))));
    return p;
}

} // namespace labfixture
