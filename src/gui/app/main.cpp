// The program body: one copy per user, then the main window until it closes.
#include "HoofdVenster.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTimer>

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

    TMainForm mainForm;
    QObject::connect(&guard, &TSingleInstance::wakeUpRequested, &mainForm, [&mainForm] {
        mainForm.setWindowState((mainForm.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        mainForm.show();
        mainForm.raise();
        mainForm.activateWindow();
    });
    mainForm.show();
    // For measuring start-up (bench/bench_mainform): end as soon as the window has been
    // drawn once, before the first order asks anything.
    if (qEnvironmentVariableIsSet("KIEKJES_QUIT_AFTER_START")) {
        QTimer::singleShot(0, &app, [&mainForm] {
            mainForm.grab();
            QCoreApplication::exit(0);
        });
        return app.exec();
    }
    mainForm.FirstShow();
    return app.exec();
}
