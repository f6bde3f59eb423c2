#pragma once
// Up/down arrows beside a number field. The arrows ask for a new position; the owner decides
// whether to take it (setPosition), as the count field only moves while an item is shown.

#include <QWidget>

class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(int minimum, int maximum, QWidget *parent = nullptr);
    int position() const { return m_position; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    // Takes the position when it lies in range; returns whether it did.
    bool setPosition(int position);
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

signals:
    void stepRequested(int newPosition);

private:
    int m_min;
    int m_max;
    int m_position;
    QToolButton *m_up;
    QToolButton *m_down;
};
