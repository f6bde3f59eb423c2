#pragma once
// The export dialog "Exporteren als teksbestand": the field separator and the file name of
// the text export. The file itself is written by the core's writer of the same module.

// The writer's header has the same name in the core tree; name it by its own folder.
#include "../../core/order/Exporteren.h"

#include <QDialog>
#include <QList>

class QButtonGroup;
class QLineEdit;
class QPushButton;

class TExportDlg : public QDialog {
    Q_OBJECT
public:
    // Results: QDialog::Accepted (written), QDialog::Rejected (cancelled), Abort (failed).
    static constexpr int Abort = 3;

    explicit TExportDlg(QWidget *parent = nullptr);

    // Keeps the proposed file name and the order, shows the dialog modally and returns its result.
    int Execute(const QString &proposedFileName, const QList<TOrderItem> &order);
    // Keeps them without showing the dialog.
    void Prepare(const QString &proposedFileName, const QList<TOrderItem> &order);

public slots:
    void BitBtnVerderClick();
    void BitBtnAnnulerenClick();

private:
    QString m_proposedFileName;
    QList<TOrderItem> m_order;
    QButtonGroup *m_rgpScheidingsteken;
    QLineEdit *m_edScheidingsteken;
    QPushButton *m_bitBtnVerder;
    QPushButton *m_bitBtnAnnuleren;
};
