#pragma once
// The settings dialog "Instellingen": the print choices every added photo starts with, the
// upload speed of the time estimate and the "Verhoog snelheid" option, with "&Standaard" to
// go back to the standard settings. Nothing is kept until "&Toepassen".

#include "app/Definities.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TInstellingenDlg : public QDialog {
    Q_OBJECT
public:
    explicit TInstellingenDlg(QWidget *parent = nullptr);

    void SetGegevens(const TInstellingen &gegevens);
    void GetGegevens(TInstellingen &gegevens) const;
    // The record "&Standaard" restores; its Glans is always true.
    void SetStandaard(const TInstellingen &standaard);
    // The format names of the format list (the main window's list of the catalogue).
    void SetFormaten(const QStringList &formaten);
    // The catalogue file whose presence makes a format mandatory (PenF.dat in the data folder).
    void SetCatalogusBestand(const QString &fileName);
    // Shows the dialog modally; QDialog::Accepted after "&Toepassen".
    int Execute();

public slots:
    void BitBtnOkeClick();
    void BitBtnStandaardClick();
    // "&Annuleren" and Escape: closes only when the settings shown are complete.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FillControls();
    // True when complete; otherwise shows what is missing.
    bool Check();

    TInstellingen m_gegevens;
    TInstellingen m_standaard;
    QString m_catalogusBestand;
    QSpinBox *m_ledAantal;
    QComboBox *m_cbxFormaat;
    QButtonGroup *m_rgpGlans;
    QButtonGroup *m_rgpAfwerking;
    QComboBox *m_cbxUploadSpeed;
    QCheckBox *m_cbxSnelheid;
    QPushButton *m_bitBtnOke;
    QPushButton *m_bitBtnAnnuleren;
    QPushButton *m_bitBtnStandaard;
};
