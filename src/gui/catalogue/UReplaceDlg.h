#pragma once
// The dialog in which the customer picks a replacement for a format the catalogue or the
// service no longer offers. Set up before each use (caption, formats, default format, up to
// three buttons), then run with the current format and a proposal.

#include "KnoppenRij.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

class TReplaceDlg : public TKnoppenDlg {
    Q_OBJECT
public:
    // Results of Execute: QDialog::Accepted (Btn1), modalresult::All (Btn2), QDialog::Rejected (Btn3).
    static constexpr int All = modalresult::All;

    explicit TReplaceDlg(QWidget *parent = nullptr);

    void Setup(const QString &caption, const QStringList &formats, const QString &defaultFormat,
               const QString &caption1, const QString &caption2, const QString &caption3, int defaultButton);

    struct TResult {
        int modalResult = QDialog::Rejected;
        QString format; // the chosen format; empty when none is selected
    };
    TResult Execute(const QString &currentFormat, const QString &proposedFormat);

    // Fills the controls as Execute does, without showing the dialog.
    void Prepare(const QString &currentFormat, const QString &proposedFormat);
    QString ChosenFormat() const;

private:
    QString m_defaultFormat;
    QLineEdit *m_edHuidigFormaat;
    QComboBox *m_cbxNieuwFormaat;
};
