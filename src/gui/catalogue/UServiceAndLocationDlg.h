#pragma once
// The choice of service and pickup location for a new order. Set up before each use
// (caption, service names, catalogue, up to three buttons), then run with the proposed
// service and location.

#include "KnoppenRij.h"

#include <QDialog>

class QComboBox;
class TPenFFile;

class TServiceAndLocationDlg : public TKnoppenDlg {
    Q_OBJECT
public:
    explicit TServiceAndLocationDlg(QWidget *parent = nullptr);

    // The catalogue is not owned and must outlive the next Execute.
    void Setup(const QString &caption, const QStringList &serviceNames, const TPenFFile *catalogue,
               const QString &caption1, const QString &caption2, const QString &caption3, int defaultButton);

    struct TResult {
        int modalResult = QDialog::Rejected;
        QString service;
        QString location;
    };
    TResult Execute(const QString &service, const QString &location);

    // Fills the controls as Execute does, without showing the dialog.
    void Prepare(const QString &service, const QString &location);
    QString ChosenService() const;
    QString ChosenLocation() const;

public slots:
    void Btn1Click() override;
    void CmbBxServiceSelect();

private:
    void FillLocations();

    const TPenFFile *m_catalogue = nullptr;
    QComboBox *m_cmbBxService;
    QComboBox *m_cmbBxLocatie;
};
