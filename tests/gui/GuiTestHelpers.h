#pragma once
// Helpers shared by the widget tests: finding controls by their control name, clicking them
// as a user does, and checking that every control can be named by a screen reader.

#include <QAbstractButton>
#include <QComboBox>
#include <QTest>
#include <QWidget>

template <typename T>
T *control(QWidget *root, const char *name)
{
    T *w = root->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

inline void clickButton(QWidget *root, const char *name)
{
    QTest::mouseClick(control<QAbstractButton>(root, name), Qt::LeftButton);
}

// Clicks a radio button or check box on its indicator, where a user clicks it.
inline void clickChoice(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Picks a combo box entry with the keyboard, as a user does: focus, then Home and Down.
inline void chooseEntry(QComboBox *box, int index)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
}

// Every control that takes the keyboard focus has an accessible name.
inline QStringList controlsWithoutName(QWidget *root)
{
    QStringList missing;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(root) || w->accessibleName().isEmpty() == false)
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->text().isEmpty())
            continue; // named by its caption
        if (w->parentWidget() && qobject_cast<QComboBox *>(w->parentWidget()))
            continue; // a combo box's own line edit
        if (w->objectName() == QLatin1String("qt_spinbox_lineedit"))
            continue;
        missing << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
    }
    return missing;
}
