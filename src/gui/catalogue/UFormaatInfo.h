#pragma once
// The format information window: the formats on offer under the service and pickup location
// of its last filling, with their descriptions and the price of one print. Not modal; each
// Execute fills it again.

#include <QWidget>

class QLabel;
class QPushButton;
class QTreeWidget;
class TPenFFile;

class TFormaatInfoForm : public QWidget {
    Q_OBJECT
public:
    explicit TFormaatInfoForm(QWidget *parent = nullptr);

    void Execute(const TPenFFile &catalogue, bool fastService, const QString &locationName);

    bool FastService() const { return m_fastService; }
    QString LocationName() const { return m_locationName; }

public slots:
    void BtnSluitenClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_fastService = false;
    QString m_locationName;
    QLabel *m_lblInfo;
    QTreeWidget *m_listView;
    QPushButton *m_btnSluiten;
};
