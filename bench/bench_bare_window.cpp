// The baseline of the start-up benchmark: a Qt window program that shows one window with a
// line of text, says "drawn" on standard output once the window has been painted, and ends -
// what kiekjesbode does with KIEKJES_QUIT_AFTER_START.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>

namespace {
class TBareWindow : public QMainWindow {
protected:
    void paintEvent(QPaintEvent *event) override
    {
        QMainWindow::paintEvent(event);
        if (!m_painted) {
            m_painted = true;
            QTimer::singleShot(0, this, [] {
                std::fputs("drawn\n", stdout);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
    }

private:
    bool m_painted = false;
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TBareWindow w;
    w.setCentralWidget(new QLabel(QStringLiteral("Kiekjes Bode")));
    w.resize(900, 600);
    w.show();
    return app.exec();
}
