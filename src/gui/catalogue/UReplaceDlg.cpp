#include "UReplaceDlg.h"

#include "dialogs/DialogKit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace dialogkit;

TReplaceDlg::TReplaceDlg(QWidget *parent) : TKnoppenDlg(QStringLiteral("Selecteer een nieuw formaat"), parent)
{
    setObjectName(QStringLiteral("ReplaceDlg"));
    QGroupBox *group = Group();
    m_edHuidigFormaat = new QLineEdit(group);
    m_edHuidigFormaat->setObjectName(QStringLiteral("EdHuidigFormaat"));
    m_edHuidigFormaat->setReadOnly(true);
    m_cbxNieuwFormaat = new QComboBox(group);
    m_cbxNieuwFormaat->setObjectName(QStringLiteral("CbxNieuwFormaat"));
    m_cbxNieuwFormaat->setMinimumContentsLength(18);
    auto *form = new QFormLayout(group);
    form->addRow(BuddyLabel(QStringLiteral("Huidig formaat:"), m_edHuidigFormaat, group), m_edHuidigFormaat);
    QLabel *lblNieuw = BuddyLabel(QStringLiteral("Nieuw formaat:"), m_cbxNieuwFormaat, group);
    lblNieuw->setObjectName(QStringLiteral("LblNieuwFormaat"));
    form->addRow(lblNieuw, m_cbxNieuwFormaat);

    SetTabOrder({m_cbxNieuwFormaat, Knoppen()->Btn1(), Knoppen()->Btn2(), Knoppen()->Btn3(), m_edHuidigFormaat});
    NameControlsByCaption(this);
}

void TReplaceDlg::Setup(const QString &caption, const QStringList &formats, const QString &defaultFormat,
                        const QString &caption1, const QString &caption2, const QString &caption3, int defaultButton)
{
    SetupButtons(caption, caption1, caption2, caption3, defaultButton);
    m_cbxNieuwFormaat->clear();
    m_cbxNieuwFormaat->addItems(formats);
    m_defaultFormat = defaultFormat;
}

void TReplaceDlg::Prepare(const QString &currentFormat, const QString &proposedFormat)
{
    m_edHuidigFormaat->setText(currentFormat);
    int index = m_cbxNieuwFormaat->findText(proposedFormat, Qt::MatchFixedString);
    if (index < 0)
        index = m_cbxNieuwFormaat->findText(m_defaultFormat, Qt::MatchFixedString);
    m_cbxNieuwFormaat->setCurrentIndex(index);
}

QString TReplaceDlg::ChosenFormat() const
{
    return m_cbxNieuwFormaat->currentIndex() < 0 ? QString() : m_cbxNieuwFormaat->currentText();
}

TReplaceDlg::TResult TReplaceDlg::Execute(const QString &currentFormat, const QString &proposedFormat)
{
    Prepare(currentFormat, proposedFormat);
    const int result = Run(m_cbxNieuwFormaat);
    return {result, ChosenFormat()};
}
