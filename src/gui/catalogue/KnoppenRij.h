#pragma once
// The row of up to three buttons of the dialogs with a variable set of buttons (the format
// replacement and the service-and-location choice): captions set before each use, a button
// with an empty caption hidden, the visible ones spaced evenly across the dialog's width.

#include <QDialog>
#include <QWidget>

class QGroupBox;
class QPushButton;

// The result of a button of the All kind, beside QDialog::Accepted (OK kind) and
// QDialog::Rejected (Cancel kind).
namespace modalresult {
constexpr int All = 2;
} // namespace modalresult

class TKnoppenRij : public QWidget {
    Q_OBJECT
public:
    explicit TKnoppenRij(QWidget *parent);

    QPushButton *Btn1() const { return m_buttons[0]; }
    QPushButton *Btn2() const { return m_buttons[1]; }
    QPushButton *Btn3() const { return m_buttons[2]; }

    // Btn1 takes caption1; Btn2 and Btn3 are shown with their captions or hidden when the
    // caption is empty; button defaultButton (1, 2 or 3) becomes the default button.
    void Setup(const QString &caption1, const QString &caption2, const QString &caption3, int defaultButton);

    // Centres of the visible buttons: at k/(n+1) of the width for the k-th of n buttons.
    static int Centre(int width, int k, int n) { return width * k / (n + 1); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Place();
    QPushButton *m_buttons[3];
};

// A dialog of this kind: one group box of controls above the button row. Btn1 runs Btn1Click
// (by default: close with OK), Btn2 closes with the All result, Btn3 with Cancel; Escape
// chooses Btn3 while it is shown, and without it the dialog is left only through a button.
class TKnoppenDlg : public QDialog {
    Q_OBJECT
public:
    TKnoppenDlg(const QString &groupTitle, QWidget *parent);

public slots:
    virtual void Btn1Click();
    void reject() override;

protected:
    // The caption and the buttons of the next use.
    void SetupButtons(const QString &caption, const QString &caption1, const QString &caption2, const QString &caption3,
                      int defaultButton);
    // Shows the dialog centred, modally, with the focus on the given control.
    int Run(QWidget *focus);
    QGroupBox *Group() const { return m_group; }
    TKnoppenRij *Knoppen() const { return m_knoppen; }

private:
    QGroupBox *m_group;
    TKnoppenRij *m_knoppen;
};
