#pragma once
// The about box "Info": the program's name and version and the computer's memory figures,
// refreshed every five seconds while the box is open.

#include "app/Geheugen.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    void SetVersionText(const QString &text);
    // Where the figures come from (the memory of this computer unless a test says otherwise).
    void SetGeheugenBron(std::function<TGeheugenStatus()> bron);
    // Shows the box modally until OK.
    int Execute();

public slots:
    void UpdateFigures();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    std::function<TGeheugenStatus()> m_bron;
    QTimer *m_timer;
    QLabel *m_label1;
    QLabel *m_physMem;
    QLabel *m_freeRes;
    QLabel *m_totalPage;
    QLabel *m_availPage;
    QLabel *m_totalVirtual;
    QLabel *m_availVirtual;
    QPushButton *m_okButton;
};
