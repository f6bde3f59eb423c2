#pragma once
// The confirmation of name, address and delivery just before an order is sent. The details
// are shown read-only; only collecting or posting can be switched (posting not under the
// fast service).

#include "app/Definities.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

class TGegevensBevestingsDlg : public QDialog {
    Q_OBJECT
public:
    explicit TGegevensBevestingsDlg(QWidget *parent = nullptr);

    // Fills the dialog from the record and shows it modally. On OK the record takes the
    // dialog's copy (with its delivery choice); otherwise it stays as it was.
    int Execute(TKlantGegevens &gegevens);
    void GetGegevens(TKlantGegevens &gegevens) const;
    // Fills the controls from a record without showing the dialog.
    void Fill(const TKlantGegevens &gegevens);

private:
    TKlantGegevens m_gegevens;
    QLabel *m_lblNaam;
    QLabel *m_lblAdres;
    QRadioButton *m_rbtnOphalen;
    QRadioButton *m_rbtnVersturen;
    QPushButton *m_btnOke;
    QPushButton *m_btnAnnuleren;
};
