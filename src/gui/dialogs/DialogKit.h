#pragma once
// Small pieces every dialog of the program shares: the fixed dialog border, centring on the
// screen, labels that name the control beside them, key filters for edit boxes, and the one
// place where a dialog is run modally (with a test hook, so no test waits on a modal loop).

#include <QDialog>
#include <QString>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QLabel;
class QWidget;

namespace dialogkit {

// Window flags of a dialog with a fixed border; without title-bar buttons unless asked.
void SetFixedDialogBorder(QDialog *dialog, bool closeButton = false);
// Moves a window to the centre of the screen it is on.
void CentreOnScreen(QWidget *window);
// A caption without its access-key markers ("&Toepassen" -> "Toepassen").
QString WithoutAccessKey(const QString &caption);
// A label that stands beside a control: the control becomes its buddy (so the label's access
// key moves the focus there) and takes the label's text as accessible name.
QLabel *BuddyLabel(const QString &text, QWidget *buddy, QWidget *parent);
// Gives every button, check box, radio button and group box below the root that has no
// accessible name yet its caption as name.
void NameControlsByCaption(QWidget *root);
// A dialog button; only the one marked default answers Enter (no button becomes default by
// taking the focus).
QPushButton *Button(const QString &caption, const char *name, QWidget *parent, bool isDefault = false);
// The buttons at the right of a row.
QHBoxLayout *RightAlignedRow(const QList<QPushButton *> &buttons);
// Chains the focus order through the widgets in the order given.
void SetTabOrder(const QList<QWidget *> &widgets);
// A plain-text label for texts that come from files, the catalogue or the server.
QLabel *PlainLabel(const QString &text, QWidget *parent);
// A radio group: a frame titled `title` (also its accessible name) holding one radio button
// per item, one below the other, named `name` followed by the item's index; `group` receives
// the exclusive button group whose ids are those indexes.
QGroupBox *RadioGroup(const QString &name, const QString &title, const QStringList &items, QButtonGroup *&group,
                      QWidget *parent);
// Checks the button of that id, or leaves the group with none checked when it has no such id.
void SelectChoice(QButtonGroup *group, int id);

} // namespace dialogkit

// Swallows typed characters that are not allowed; control characters 0..13 always pass.
// With upperCase the letters that pass are entered as capitals.
class TToetsFilter : public QObject {
    Q_OBJECT
public:
    TToetsFilter(const QString &allowed, bool upperCase, QObject *parent);
    // Installs a new filter on the widget (owned by it).
    static TToetsFilter *Install(QWidget *edit, const QString &allowed, bool upperCase = false);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_allowed;
    bool m_upperCase;
};

// Runs dialogs modally. Tests queue handlers: the dialog is then opened without a modal loop
// and the next handler drives it as a user would (clicks, keys) and closes it; run() returns
// the dialog's result. In testing mode without a queued handler the dialog is rejected.
class TModal {
public:
    using Handler = std::function<void(QDialog &)>;
    static int Run(QDialog &dialog);
    static void SetNextHandler(Handler handler);
    static int Pending();
    static void ClearHandlers();
};
