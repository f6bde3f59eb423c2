#include "Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QQueue>

namespace {

bool g_testing = false;
QQueue<QMessageBox::StandardButton> g_answers;
QStringList g_shown;
QQueue<QStringList> g_fileAnswers;

QString titleOr(const QString &title)
{
    return title.isEmpty() ? QStringLiteral("Kiekjes Bode") : title;
}

} // namespace

QString TMessageBox::displayText(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void TMessageBox::setTesting(bool on) { g_testing = on; }
bool TMessageBox::testing() { return g_testing; }
void TMessageBox::setNextAnswer(Button answer) { g_answers.enqueue(answer); }
void TMessageBox::setNextAnswers(const QList<Button> &answers)
{
    for (Button b : answers)
        g_answers.enqueue(b);
}
QStringList TMessageBox::shownTexts() { return g_shown; }
void TMessageBox::clearShown()
{
    g_shown.clear();
    g_answers.clear();
}

TMessageBox::Button TMessageBox::show(QWidget *parent, QMessageBox::Icon icon, const QString &text, Buttons buttons,
                                      Button defaultButton, const QString &title)
{
    g_shown << text;
    if (g_testing || !g_answers.isEmpty()) {
        if (!g_answers.isEmpty())
            return g_answers.dequeue();
        if (defaultButton != QMessageBox::NoButton)
            return defaultButton;
        return (buttons & QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Cancel;
    }
    QMessageBox box(icon, titleOr(title), displayText(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return Button(box.exec());
}

void TMessageBox::message(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok, title);
}

void TMessageBox::error(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok, title);
}

bool TMessageBox::yesNo(QWidget *parent, const QString &text, Button defaultButton)
{
    return show(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, defaultButton)
        == QMessageBox::Yes;
}

TMessageBox::Button TMessageBox::yesNoCancel(QWidget *parent, const QString &text)
{
    return show(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                QMessageBox::Yes);
}

bool TMessageBox::okCancel(QWidget *parent, const QString &text)
{
    return show(parent, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        == QMessageBox::Ok;
}

void TFileDialog::setNextFileName(const QString &name) { g_fileAnswers.enqueue(name.isEmpty() ? QStringList() : QStringList{name}); }
void TFileDialog::setNextFileNames(const QStringList &names) { g_fileAnswers.enqueue(names); }
int TFileDialog::pending() { return int(g_fileAnswers.size()); }

QStringList TFileDialog::getOpenFileNames(QWidget *parent, const QString &caption, const QString &filter)
{
    if (g_testing || !g_fileAnswers.isEmpty())
        return g_fileAnswers.isEmpty() ? QStringList() : g_fileAnswers.dequeue();
    return QFileDialog::getOpenFileNames(parent, caption, QString(), filter, nullptr, QFileDialog::ReadOnly);
}

QString TFileDialog::getOpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    if (g_testing || !g_fileAnswers.isEmpty()) {
        const QStringList l = g_fileAnswers.isEmpty() ? QStringList() : g_fileAnswers.dequeue();
        return l.value(0);
    }
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter, nullptr, QFileDialog::ReadOnly);
}

QString TFileDialog::getSaveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                                     const QString &filter, const QString &defaultSuffix)
{
    if (g_testing || !g_fileAnswers.isEmpty()) {
        const QStringList l = g_fileAnswers.isEmpty() ? QStringList() : g_fileAnswers.dequeue();
        return l.value(0);
    }
    QFileDialog dlg(parent, caption, proposed, filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(defaultSuffix);
    dlg.selectFile(proposed);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}
