#include "UVoortgang.h"

#include "Prompts.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

TVoortgangsDlg::TVoortgangsDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("VoortgangsDlg"));
    setWindowTitle(QStringLiteral("VoortgangsDlg"));
    setModal(false);
    setFixedSize(338, 169);
    setCursor(Qt::WaitCursor);
    auto *outer = new QVBoxLayout(this);
    m_group = new QGroupBox(QStringLiteral("Huidige actie"), this);
    m_group->setObjectName(QStringLiteral("GroupBox"));
    auto *inner = new QVBoxLayout(m_group);
    m_lblInfo = new QLabel(m_group);
    m_lblInfo->setObjectName(QStringLiteral("LblInfo"));
    m_lblInfo->setTextFormat(Qt::PlainText);
    m_lblInfo->setWordWrap(true);
    m_lblInfo->setFixedSize(265, 65);
    m_lblInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_bar = new QProgressBar(m_group);
    m_bar->setObjectName(QStringLiteral("ProgressBar"));
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(QStringLiteral("Voortgang"));
    inner->addWidget(m_lblInfo, 0, Qt::AlignHCenter);
    inner->addWidget(m_bar);
    outer->addWidget(m_group);
}

void TVoortgangsDlg::SetProgress(int position, const QString &text, const std::optional<QString> &caption)
{
    m_bar->setValue(std::clamp(position, 0, 1000));
    m_lblInfo->setText(TMessageBox::displayText(text));
    if (caption)
        setWindowTitle(*caption);
    if (!isVisible()) {
        show();
        raise();
    }
}

void TVoortgangsDlg::Hide()
{
    hide();
}

int TVoortgangsDlg::position() const { return m_bar->value(); }
QString TVoortgangsDlg::text() const { return m_lblInfo->text(); }

void TVoortgangsDlg::closeEvent(QCloseEvent *event)
{
    // Only the operation that showed the dialog hides it.
    event->ignore();
}

void TVoortgangsDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}
