#pragma once
// The progress dialog: a small window without buttons that floats on top while a long
// operation runs, with the current step's text and a bar from 0 to 1000.

#include "app/Feedback.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QGroupBox;

class TVoortgangsDlg : public QDialog, public IProgress {
    Q_OBJECT
public:
    explicit TVoortgangsDlg(QWidget *parent = nullptr);

    void SetProgress(int position, const QString &text, const std::optional<QString> &caption = std::nullopt) override;
    void Hide() override;
    bool IsShowing() const override { return isVisible(); }

    int position() const;
    QString text() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QGroupBox *m_group;
    QLabel *m_lblInfo;
    QProgressBar *m_bar;
};
