// The program body: one copy per user, then the main window until it closes.
#include "HoofdVenster.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kiekjesbode"));
    QApplication::setOrganizationName(QStringLiteral("Lichtvonk Nu"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kiekjes Bode"));
    // Dutch everywhere, the toolkit's own buttons ("Ja", "Nee", "Annuleren") included.
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Dutch, QLocale::Netherlands), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);

    TSingleInstance guard;
    if (!guard.Claim())
        return 0;

    TStartupOptions options;
    options.otherWindowsAfterFirstPaint = true;
    TMainForm mainForm(options);
    QObject::connect(&guard, &TSingleInstance::wakeUpRequested, &mainForm, [&mainForm] {
        mainForm.setWindowState((mainForm.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        mainForm.show();
        mainForm.raise();
        mainForm.activateWindow();
    });
    // The window is on the screen first; then the other windows are created and the first
    // showing's duties run. For measuring start-up (bench/bench_mainform),
    // KIEKJES_QUIT_AFTER_START reports both moments on standard output and ends before
    // the first order asks anything.
    const bool quitAfterStart = qEnvironmentVariableIsSet("KIEKJES_QUIT_AFTER_START");
    QObject::connect(&mainForm, &TMainForm::firstPainted, &mainForm, [&mainForm, quitAfterStart] {
        if (quitAfterStart) {
            std::fputs("drawn\n", stdout);
            std::fflush(stdout);
        }
        mainForm.CreateOtherWindows();
        if (quitAfterStart) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
            return;
        }
        mainForm.FirstShow();
    });
    mainForm.show();
    return app.exec();
}
