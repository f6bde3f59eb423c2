#include "KnoppenRij.h"

#include "dialogs/DialogKit.h"

#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

TKnoppenRij::TKnoppenRij(QWidget *parent) : QWidget(parent)
{
    static const char *const names[3] = {"Btn1", "Btn2", "Btn3"};
    for (int i = 0; i < 3; ++i) {
        m_buttons[i] = dialogkit::Button(QString(), names[i], this);
        m_buttons[i]->setFixedSize(82, 26);
    }
    setFixedHeight(m_buttons[0]->height() + 16);
    // Three buttons at a quarter of the width each keep a gap between them.
    setMinimumWidth(4 * (82 + 12));
}

void TKnoppenRij::Setup(const QString &caption1, const QString &caption2, const QString &caption3, int defaultButton)
{
    const QString captions[3] = {caption1, caption2, caption3};
    for (int i = 0; i < 3; ++i) {
        m_buttons[i]->setText(captions[i]);
        m_buttons[i]->setAccessibleName(dialogkit::WithoutAccessKey(captions[i]));
        m_buttons[i]->setVisible(i == 0 || !captions[i].isEmpty());
        m_buttons[i]->setDefault(i + 1 == defaultButton);
    }
    Place();
}

void TKnoppenRij::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Place();
}

void TKnoppenRij::Place()
{
    QList<QPushButton *> shown;
    for (QPushButton *b : m_buttons) {
        if (!b->isHidden())
            shown << b;
    }
    for (int k = 0; k < shown.size(); ++k) {
        QPushButton *b = shown[k];
        b->move(Centre(width(), k + 1, int(shown.size())) - b->width() / 2, 8);
    }
}

TKnoppenDlg::TKnoppenDlg(const QString &groupTitle, QWidget *parent) : QDialog(parent)
{
    dialogkit::SetFixedDialogBorder(this);
    m_group = new QGroupBox(groupTitle, this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_knoppen = new TKnoppenRij(this);
    connect(m_knoppen->Btn1(), &QPushButton::clicked, this, &TKnoppenDlg::Btn1Click);
    connect(m_knoppen->Btn2(), &QPushButton::clicked, this, [this] { done(modalresult::All); });
    connect(m_knoppen->Btn3(), &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });

    // The row spans the whole width: its buttons are spaced across the dialog.
    auto *content = new QVBoxLayout;
    content->setContentsMargins(11, 11, 11, 0);
    content->addWidget(m_group);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(content);
    outer->addWidget(m_knoppen);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void TKnoppenDlg::Btn1Click() { accept(); }

void TKnoppenDlg::reject()
{
    if (m_knoppen->Btn3()->isVisible())
        QDialog::reject();
}

void TKnoppenDlg::SetupButtons(const QString &caption, const QString &caption1, const QString &caption2,
                               const QString &caption3, int defaultButton)
{
    setWindowTitle(caption);
    m_knoppen->Setup(caption1, caption2, caption3, defaultButton);
}

int TKnoppenDlg::Run(QWidget *focus)
{
    adjustSize();
    dialogkit::CentreOnScreen(this);
    focus->setFocus();
    return TModal::Run(*this);
}
