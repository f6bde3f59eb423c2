#pragma once
// The customer details dialog "Klantgegevens": name, address, postcode, telephone, e-mail
// and the choice between collecting and posting the prints. It works on its own copy of the
// record; the caller takes it back only after OK.

#include "app/Definities.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TKlantgegevensDlg : public QDialog {
    Q_OBJECT
public:
    explicit TKlantgegevensDlg(QWidget *parent = nullptr);

    void SetGegevens(const TKlantGegevens &gegevens);
    void GetGegevens(TKlantGegevens &gegevens) const;
    // The first start: the title "Vul uw gegevens in" and no way to cancel; off restores
    // the title "Klantgegevens" and the cancel button.
    void SetVerplicht(bool verplicht);
    // Shows the dialog modally; QDialog::Accepted after "&Toepassen".
    int Execute();

public slots:
    void BitBtnOkClick();
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FillControls();

    TKlantGegevens m_gegevens;
    QComboBox *m_cbxTitel;
    QLineEdit *m_edVoornaam;
    QLineEdit *m_edTussenvoegsel;
    QLineEdit *m_edAchternaam;
    QLineEdit *m_edStraat;
    QLineEdit *m_edNummer;
    QLineEdit *m_edPcCijfers;
    QLineEdit *m_edPcLetters;
    QLineEdit *m_edPlaats;
    QLineEdit *m_edTelefoon;
    QLineEdit *m_edEmail;
    QGroupBox *m_rgpHalen;
    QButtonGroup *m_halen;
    QRadioButton *m_rbtnAfhalen;
    QRadioButton *m_rbtnToesturen;
    QPushButton *m_bitBtnOk;
    QPushButton *m_bitBtnCancel;
};
