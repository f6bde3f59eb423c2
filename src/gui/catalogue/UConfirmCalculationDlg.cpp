#include "UConfirmCalculationDlg.h"

#include "app/Errors.h"
#include "app/Prompts.h"
#include "catalogue/UBerekening.h"
#include "dialogs/DialogKit.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TConfirmCalculationDlg::TConfirmCalculationDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ConfirmCalculationDlg"));
    setWindowTitle(QStringLiteral("Bevestigen..."));
    auto *v = new QVBoxLayout(this);
    m_lblInfo = new QLabel(QStringLiteral("U moet akkoord gaan met onderstaande berekening om door te gaan met bestellen."), this);
    m_lblInfo->setObjectName(QStringLiteral("LblInfo"));
    m_lblInfo->setWordWrap(true);
    v->addWidget(m_lblInfo);
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("VleCalculation"));
    m_table->setAccessibleName(QStringLiteral("Berekening"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Omschrijving"), QStringLiteral("Prijs")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 200);
    v->addWidget(m_table, 1);
    auto *buttons = new QHBoxLayout;
    m_btnOk = new QPushButton(QStringLiteral("A&kkoord"), this);
    m_btnOk->setObjectName(QStringLiteral("BtnOk"));
    m_btnCancel = new QPushButton(QStringLiteral("A&nnuleren"), this);
    m_btnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addStretch();
    buttons->addWidget(m_btnOk);
    buttons->addWidget(m_btnCancel);
    v->addLayout(buttons);
    resize(440, 320);
    setFixedSize(size());
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TConfirmCalculationDlg::Prepare(const QString &calculation)
{
    m_table->setRowCount(0);
    QString text = calculation;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const QStringList lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    std::vector<TCalculationRow> rows;
    try {
        rows = CalculationRows(lines);
    } catch (const EKiekjesError &e) {
        TMessageBox::message(parentWidget(), e.message());
        return false;
    }
    m_table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        // Texts from the server are shown as they are, never as markup.
        m_table->setItem(r, 0, new QTableWidgetItem(rows[size_t(r)].Omschrijving));
        m_table->setItem(r, 1, new QTableWidgetItem(rows[size_t(r)].Prijs));
    }
    return true;
}

int TConfirmCalculationDlg::Execute(const QString &calculation)
{
    if (!Prepare(calculation))
        return NotAgreed;
    return TModal::Run(*this) == QDialog::Accepted ? Agreed : NotAgreed;
}
