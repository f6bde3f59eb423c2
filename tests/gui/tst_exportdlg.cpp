#include "GuiTestHelpers.h"
#include "app/Prompts.h"
#include "dialogs/DialogKit.h"
// The window half of the export; "order/Exporteren.h" alone names the writer of the core.
#include "../../src/gui/order/Exporteren.h"

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

class TestExportDlg : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void separators_data();
    void separators();
    void ownSeparatorMissing();
    void saveCancelled();
    void writeFails();
    void cancelButton();
    void namesAndLayout();

private:
    void exportWith(const std::function<void(QDialog &)> &drive, int &result, QByteArray &bytes);
    QList<TOrderItem> m_order;
    QTemporaryDir m_dir;
    TExportDlg *m_dlg = nullptr;
};

void TestExportDlg::init()
{
    TMessageBox::setTesting(true);
    TMessageBox::clearShown();
    TOrderItem item;
    item.Naam = QStringLiteral("strand");
    item.Bestand = QStringLiteral("/foto's/strand.jpg");
    item.Formaat = QStringLiteral("10x15");
    item.Aantal = 2;
    item.Kwaliteit = 1;
    item.Prijs = TCurrency::fromCents(58);
    m_order = {item};
    m_dlg = new TExportDlg;
}

void TestExportDlg::cleanup()
{
    delete m_dlg;
    TModal::ClearHandlers();
}

void TestExportDlg::exportWith(const std::function<void(QDialog &)> &drive, int &result, QByteArray &bytes)
{
    const QString target = m_dir.filePath(QStringLiteral("order.txt"));
    QFile::remove(target);
    TFileDialog::setNextFileName(target);
    TModal::SetNextHandler(drive);
    result = m_dlg->Execute(m_dir.filePath(QStringLiteral("Naamloos.txt")), m_order);
    QFile file(target);
    bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestExportDlg::separators_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("own");
    QTest::addColumn<QByteArray>("separator");
    QTest::newRow("Puntkomma") << 0 << "" << QByteArray(";");
    QTest::newRow("Komma") << 1 << "" << QByteArray(",");
    QTest::newRow("Spatie") << 2 << "" << QByteArray(" ");
    QTest::newRow("Anders, nl. |") << 3 << "|" << QByteArray("|");
}

void TestExportDlg::separators()
{
    QFETCH(int, entry);
    QFETCH(QString, own);
    QFETCH(QByteArray, separator);
    int result = -1;
    QByteArray bytes;
    exportWith(
        [&](QDialog &d) {
            QVERIFY(control<QRadioButton>(&d, "RgpScheidingsteken0")->isChecked());
            clickChoice(control<QRadioButton>(&d, QStringLiteral("RgpScheidingsteken%1").arg(entry).toLatin1().constData()));
            QTest::keyClicks(control<QLineEdit>(&d, "EdScheidingsteken"), own + QStringLiteral("xyz"));
            clickButton(&d, "BitBtnVerder");
        },
        result, bytes);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(TMessageBox::shownTexts().isEmpty());
    QByteArray header = "Naam;Bestandslocatie;Aantal;Formaat;G/M;Kl/ZW/Se;Kwaliteit;Prijs;\r\n";
    header.replace(';', separator);
    QVERIFY2(bytes.startsWith(header), bytes.constData());
    QByteArray line = "strand;/foto's/strand.jpg;2;10x15;Glans;Kleur;Goed;0,58;\r\n";
    line.replace(';', separator);
    QCOMPARE(bytes.mid(header.size()), line);
}

void TestExportDlg::ownSeparatorMissing()
{
    TModal::SetNextHandler([](QDialog &d) {
        clickChoice(control<QRadioButton>(&d, "RgpScheidingsteken3"));
        clickButton(&d, "BitBtnVerder");
        QCOMPARE(TMessageBox::shownTexts(), QStringList{"Geen scheidingsteken opgegeven!"});
        QVERIFY(d.isVisible());
        clickButton(&d, "BitBtnAnnuleren");
    });
    QCOMPARE(m_dlg->Execute(QStringLiteral("Naamloos.txt"), m_order), int(QDialog::Rejected));
    // No save dialog came up (it would have been cancelled with its own message).
    QCOMPARE(TMessageBox::shownTexts(), QStringList{"Geen scheidingsteken opgegeven!"});
}

void TestExportDlg::saveCancelled()
{
    TFileDialog::setNextFileName(QString());
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BitBtnVerder"); });
    QCOMPARE(m_dlg->Execute(QStringLiteral("Naamloos.txt"), m_order), int(QDialog::Rejected));
    QCOMPARE(TMessageBox::shownTexts(), QStringList{"Exporteren is afgebroken."});
    QVERIFY(!m_dlg->isVisible());
}

void TestExportDlg::writeFails()
{
    const QString target = m_dir.filePath(QStringLiteral("geen-map/order.txt"));
    TFileDialog::setNextFileName(target);
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BitBtnVerder"); });
    QCOMPARE(m_dlg->Execute(QStringLiteral("Naamloos.txt"), m_order), TExportDlg::Abort);
    const QStringList shown = TMessageBox::shownTexts();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[0].startsWith(QStringLiteral("Er is een fout opgetreden:\r")), qPrintable(shown[0]));
    QCOMPARE(shown[1], QStringLiteral("Exporteren naar \"") + target + QStringLiteral("\" is mislukt!"));
}

void TestExportDlg::cancelButton()
{
    TModal::SetNextHandler([](QDialog &d) { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(m_dlg->Execute(QStringLiteral("Naamloos.txt"), m_order), int(QDialog::Rejected));
    TModal::SetNextHandler([](QDialog &d) { clickButton(&d, "BitBtnAnnuleren"); });
    QCOMPARE(m_dlg->Execute(QStringLiteral("Naamloos.txt"), m_order), int(QDialog::Rejected));
    QVERIFY(TMessageBox::shownTexts().isEmpty());
}

void TestExportDlg::namesAndLayout()
{
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg));
    QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Exporteren als teksbestand"));
    QCOMPARE(controlsWithoutName(m_dlg), QStringList());
    QCOMPARE(control<QLineEdit>(m_dlg, "EdScheidingsteken")->maxLength(), 1);
    QVERIFY(control<QWidget>(m_dlg, "BitBtnVerder")->property("default").toBool());
    QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
}

QTEST_MAIN(TestExportDlg)
#include "tst_exportdlg.moc"
