#include "DialogKit.h"

#include "app/KlantRegels.h"
#include "app/Prompts.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QQueue>
#include <QScreen>

namespace dialogkit {

void SetFixedDialogBorder(QDialog *dialog, bool closeButton)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
    if (closeButton)
        flags |= Qt::WindowCloseButtonHint;
    dialog->setWindowFlags(flags);
    dialog->setSizeGripEnabled(false);
}

void CentreOnScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QString WithoutAccessKey(const QString &caption)
{
    QString text = caption;
    text.replace(QLatin1String("&&"), QString(QChar(0xE000)));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(0xE000), QLatin1Char('&'));
    return text;
}

QLabel *BuddyLabel(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(buddy);
    QString name = WithoutAccessKey(text).trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    buddy->setAccessibleName(name);
    return label;
}

void NameControlsByCaption(QWidget *root)
{
    for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
        if (button->accessibleName().isEmpty())
            button->setAccessibleName(WithoutAccessKey(button->text()));
    }
    for (QGroupBox *box : root->findChildren<QGroupBox *>()) {
        if (box->accessibleName().isEmpty())
            box->setAccessibleName(WithoutAccessKey(box->title()));
    }
}

QPushButton *Button(const QString &caption, const char *name, QWidget *parent, bool isDefault)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setDefault(isDefault);
    return button;
}

QHBoxLayout *RightAlignedRow(const QList<QPushButton *> &buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : buttons)
        row->addWidget(b);
    return row;
}

void SetTabOrder(const QList<QWidget *> &widgets)
{
    for (int i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

QLabel *PlainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QGroupBox *RadioGroup(const QString &name, const QString &title, const QStringList &items, QButtonGroup *&group,
                      QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(name);
    box->setAccessibleName(title);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(2);
    group = new QButtonGroup(box);
    group->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items[i], box);
        b->setObjectName(name + QString::number(i));
        group->addButton(b, i);
        layout->addWidget(b);
    }
    layout->addStretch();
    return box;
}

void SelectChoice(QButtonGroup *group, int id)
{
    if (QAbstractButton *b = group->button(id)) {
        b->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton *b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

} // namespace dialogkit

TToetsFilter::TToetsFilter(const QString &allowed, bool upperCase, QObject *parent)
    : QObject(parent), m_allowed(allowed), m_upperCase(upperCase)
{
}

TToetsFilter *TToetsFilter::Install(QWidget *edit, const QString &allowed, bool upperCase)
{
    auto *filter = new TToetsFilter(allowed, upperCase, edit);
    edit->installEventFilter(filter);
    return filter;
}

bool TToetsFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    if (text.isEmpty() || key->matches(QKeySequence::Paste) || (key->modifiers() & Qt::ControlModifier))
        return false;
    for (QChar c : text) {
        if (!toetsfilter::Toegestaan(c, m_allowed))
            return true; // swallowed
    }
    if (m_upperCase && text != text.toUpper()) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched)) {
            edit->insert(text.toUpper());
            return true;
        }
    }
    return false;
}

namespace {
QQueue<TModal::Handler> g_handlers;
}

int TModal::Run(QDialog &dialog)
{
    if (g_handlers.isEmpty() && !TMessageBox::testing())
        return dialog.exec();
    dialog.setResult(QDialog::Rejected);
    dialog.open();
    if (g_handlers.isEmpty()) {
        dialog.QDialog::done(QDialog::Rejected);
        return dialog.result();
    }
    Handler handler = g_handlers.dequeue();
    handler(dialog);
    if (dialog.isVisible())
        dialog.QDialog::done(QDialog::Rejected); // the handler left it open
    return dialog.result();
}

void TModal::SetNextHandler(Handler handler) { g_handlers.enqueue(std::move(handler)); }
int TModal::Pending() { return int(g_handlers.size()); }
void TModal::ClearHandlers() { g_handlers.clear(); }
