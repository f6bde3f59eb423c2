// The program body: one copy per user, then the main window until it closes.
#include "HoofdVenster.h"
#include "SingleInstance.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kiekjesbode"));
    QApplication::setOrganizationName(QStringLiteral("Lichtvonk Nu"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kiekjes Bode"));

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
    mainForm.FirstShow();
    return app.exec();
}
