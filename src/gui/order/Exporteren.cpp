#include "Exporteren.h"

#include "app/Prompts.h"
#include "dialogs/DialogKit.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace dialogkit;

TExportDlg::TExportDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportDlg"));
    setWindowTitle(QStringLiteral("Exporteren als teksbestand"));
    SetFixedDialogBorder(this);

    QLabel *label1 = PlainLabel(QStringLiteral("Het tekstbestand valt te importeren in onder andere Microsoft® Excel."), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setAlignment(Qt::AlignCenter);

    auto *group = new QGroupBox(QStringLiteral("Scheidingsteken tussen de velden"), this);
    group->setObjectName(QStringLiteral("RgpScheidingsteken"));
    auto *grid = new QGridLayout(group);
    m_rgpScheidingsteken = new QButtonGroup(this);
    const QStringList entries{QStringLiteral("Puntkomma"), QStringLiteral("Komma"), QStringLiteral("Spatie"),
                              QStringLiteral("Anders, nl.")};
    QList<QWidget *> order;
    for (int i = 0; i < entries.size(); ++i) {
        auto *radio = new QRadioButton(entries[i], group);
        radio->setObjectName(QStringLiteral("RgpScheidingsteken%1").arg(i));
        m_rgpScheidingsteken->addButton(radio, i);
        grid->addWidget(radio, i, 0);
        order << radio;
    }
    m_rgpScheidingsteken->button(0)->setChecked(true);
    m_edScheidingsteken = new QLineEdit(group);
    m_edScheidingsteken->setObjectName(QStringLiteral("EdScheidingsteken"));
    m_edScheidingsteken->setMaxLength(1);
    m_edScheidingsteken->setFixedWidth(28);
    m_edScheidingsteken->setAccessibleName(QStringLiteral("Eigen scheidingsteken"));
    grid->addWidget(m_edScheidingsteken, 3, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);

    m_bitBtnVerder = Button(QStringLiteral("&Verder"), "BitBtnVerder", this, true);
    m_bitBtnAnnuleren = Button(QStringLiteral("&Annuleren"), "BitBtnAnnuleren", this);
    connect(m_bitBtnVerder, &QPushButton::clicked, this, &TExportDlg::BitBtnVerderClick);
    connect(m_bitBtnAnnuleren, &QPushButton::clicked, this, &TExportDlg::BitBtnAnnulerenClick);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(label1);
    outer->addWidget(group);
    outer->addLayout(RightAlignedRow({m_bitBtnVerder, m_bitBtnAnnuleren}));
    outer->setSizeConstraint(QLayout::SetFixedSize);
    order << m_edScheidingsteken << m_bitBtnVerder << m_bitBtnAnnuleren;
    SetTabOrder(order);
    NameControlsByCaption(this);
}

void TExportDlg::Prepare(const QString &proposedFileName, const QList<TOrderItem> &order)
{
    m_proposedFileName = proposedFileName;
    m_order = order;
}

int TExportDlg::Execute(const QString &proposedFileName, const QList<TOrderItem> &order)
{
    Prepare(proposedFileName, order);
    CentreOnScreen(this);
    return TModal::Run(*this);
}

void TExportDlg::BitBtnVerderClick()
{
    const int choice = m_rgpScheidingsteken->checkedId();
    if (choice == 3 && m_edScheidingsteken->text().isEmpty()) {
        TMessageBox::message(this, QStringLiteral("Geen scheidingsteken opgegeven!"));
        return;
    }
    const QString separator = ExportSeparator(choice, m_edScheidingsteken->text());
    const QString fileName = TFileDialog::getSaveFileName(this, QStringLiteral("Opslaan als"), m_proposedFileName,
                                                          QStringLiteral("Tekstbestand (*.txt)"), QStringLiteral("txt"));
    if (fileName.isEmpty()) {
        TMessageBox::message(this, QStringLiteral("Exporteren is afgebroken."));
        done(QDialog::Rejected);
        return;
    }
    TGuiPrompter prompter(this);
    TOperationHooks hooks;
    hooks.prompter = &prompter;
    if (ExportOrderText(fileName, separator, m_order, hooks)) {
        done(QDialog::Accepted);
    } else {
        TMessageBox::message(this, QStringLiteral("Exporteren naar \"") + fileName + QStringLiteral("\" is mislukt!"));
        done(Abort);
    }
}

void TExportDlg::BitBtnAnnulerenClick() { done(QDialog::Rejected); }
