// The baseline of the start-up benchmark: a Qt window program that shows one window with a
// line of text and ends as soon as it has been drawn once, as kiekjesbode does with
// KIEKJES_QUIT_AFTER_START.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow w;
    w.setCentralWidget(new QLabel(QStringLiteral("Kiekjes Bode")));
    w.resize(900, 600);
    w.show();
    QTimer::singleShot(0, &app, [&w] {
        w.grab();
        QCoreApplication::exit(0);
    });
    return app.exec();
}
