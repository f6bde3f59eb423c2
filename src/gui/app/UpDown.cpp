#include "UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

TUpDown::TUpDown(int minimum, int maximum, QWidget *parent)
    : QWidget(parent), m_min(minimum), m_max(maximum), m_position(minimum)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_up->setAutoRepeat(true);
    m_up->setAccessibleName(QStringLiteral("Aantal verhogen"));
    m_up->setFocusPolicy(Qt::NoFocus);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    m_down->setAutoRepeat(true);
    m_down->setAccessibleName(QStringLiteral("Aantal verlagen"));
    m_down->setFocusPolicy(Qt::NoFocus);
    for (QToolButton *b : {m_up, m_down}) {
        b->setFixedSize(17, 11);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { emit stepRequested(m_position + 1); });
    connect(m_down, &QToolButton::clicked, this, [this] { emit stepRequested(m_position - 1); });
}

bool TUpDown::setPosition(int position)
{
    if (position < m_min || position > m_max)
        return false;
    m_position = position;
    return true;
}
