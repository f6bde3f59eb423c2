#pragma once
// Every message box and file dialog of the program goes through these two wrappers. Tests
// queue the next answers (setNextAnswer / setNextFileNames) and read the texts that were
// shown, so no test ever waits on a real modal box. All texts are shown as plain text.

#include "app/Feedback.h"

#include <QMessageBox>
#include <QStringList>

class QWidget;

class TMessageBox {
public:
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    // Shows a box (title "Kiekjes Bode" unless given) and returns the button pressed. "\r" in
    // the text is a line break.
    static Button show(QWidget *parent, QMessageBox::Icon icon, const QString &text, Buttons buttons,
                       Button defaultButton = QMessageBox::NoButton, const QString &title = QString());
    // A plain message with OK.
    static void message(QWidget *parent, const QString &text, const QString &title = QString());
    static void error(QWidget *parent, const QString &text, const QString &title = QString());
    // Yes / No; true for Yes.
    static bool yesNo(QWidget *parent, const QString &text, Button defaultButton = QMessageBox::Yes);
    // Yes / No / Cancel.
    static Button yesNoCancel(QWidget *parent, const QString &text);
    // OK / Cancel; true for OK.
    static bool okCancel(QWidget *parent, const QString &text);

    // Test hooks: with answers queued, boxes are not shown; each box takes the next answer
    // (or its default button when the queue is empty and testing mode is on).
    static void setTesting(bool on);
    static bool testing();
    static void setNextAnswer(Button answer);
    static void setNextAnswers(const QList<Button> &answers);
    static QStringList shownTexts();
    static void clearShown();

    // "\r" and "\r\n" to "\n".
    static QString displayText(const QString &text);
};

class TFileDialog {
public:
    // Empty result (or empty list) when cancelled.
    static QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter);
    static QStringList getOpenFileNames(QWidget *parent, const QString &caption, const QString &filter);
    static QString getSaveFileName(QWidget *parent, const QString &caption, const QString &proposed,
                                   const QString &filter, const QString &defaultSuffix);

    // Test hooks: queued answers; an empty entry means "cancelled".
    static void setNextFileName(const QString &name);
    static void setNextFileNames(const QStringList &names);
    static int pending();
};

// IPrompter over TMessageBox, for core operations.
class TGuiPrompter : public IPrompter {
public:
    explicit TGuiPrompter(QWidget *parent) : m_parent(parent) {}
    void Message(const QString &text) override { TMessageBox::message(m_parent, text); }
    bool AskYesNo(const QString &text) override { return TMessageBox::yesNo(m_parent, text); }

private:
    QWidget *m_parent;
};
