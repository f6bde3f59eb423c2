#pragma once
// The server's calculation of the order, shown for approval before the photos are sent.

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

class TConfirmCalculationDlg : public QDialog {
    Q_OBJECT
public:
    explicit TConfirmCalculationDlg(QWidget *parent = nullptr);

    // The received lines joined with CR LF. Returns the modal result numbers of the upload:
    // 6 (Yes, agreed) or 7 (No). A calculation that cannot be shown is reported and counts
    // as not agreed.
    int Execute(const QString &calculation);
    // Fills the table as Execute does, without showing the dialog; false (after the message)
    // when the calculation cannot be shown.
    bool Prepare(const QString &calculation);

    static constexpr int Agreed = 6;
    static constexpr int NotAgreed = 7;

private:
    QLabel *m_lblInfo;
    QTableWidget *m_table;
    QPushButton *m_btnOk;
    QPushButton *m_btnCancel;
};
