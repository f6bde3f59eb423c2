#include "GuiTestHelpers.h"
#include "app/Prompts.h"
#include "dialogs/HelpViewer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTreeWidget>

#ifdef KIEKJES_HAVE_CHM
#include <chm_lib.h>
#endif

namespace {

const QString kHelpFile = QStringLiteral(KIEKJES_HELP_FILE);

// Where the anchor with this target stands in the browser's page, in viewport coordinates.
QPoint AnchorPosition(QTextBrowser *browser, const QString &href)
{
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() == href) {
                QTextCursor cursor(browser->document());
                cursor.setPosition(fragment.position() + 1);
                return browser->cursorRect(cursor).center();
            }
        }
    }
    return QPoint(-1, -1);
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void helpFileHoldsThePages_data();
    void helpFileHoldsThePages();
    void libchmReadsTheIndexPage();
    void windowShowsFirstPageAndContents();
    void linksAndContentsNavigate();
    void openedTwiceRaisesTheSameWindow();
    void missingFileGivesMessage();
    void unreadableFileGivesMessage();
    void findsFileInFirstFolderThatHasIt();
};

void TestHelpViewer::init()
{
    TMessageBox::setTesting(true);
    TMessageBox::clearShown();
}

void TestHelpViewer::cleanup()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<THelpViewer *>(w))
            delete w;
}

void TestHelpViewer::helpFileHoldsThePages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("text");
    QTest::newRow("index") << "/index.html" << "Welkom bij Kiekjesbode";
    QTest::newRow("klant") << "/klantgegevens.html" << "Klantgegevens invullen";
    QTest::newRow("prijzen") << "/prijzen.html" << "Prijzen/formaten bijwerken...";
    QTest::newRow("order") << "/samenstellen.html" << "Een order samenstellen";
    QTest::newRow("kwaliteit") << "/kwaliteit.html" << "Onvoldoende";
    QTest::newRow("verzenden") << "/verzenden.html" << "De order verzenden";
    QTest::newRow("stijl") << "/stijl.css" << "font-family";
}

void TestHelpViewer::helpFileHoldsThePages()
{
    QFETCH(QString, page);
    QFETCH(QString, text);
    TChmBestand file;
    QVERIFY2(file.Open(kHelpFile), qPrintable(kHelpFile));
    const auto bytes = file.Read(page);
    QVERIFY(bytes.has_value());
    QVERIFY(QString::fromUtf8(*bytes).contains(text));
}

void TestHelpViewer::libchmReadsTheIndexPage()
{
#ifdef KIEKJES_HAVE_CHM
    // Straight through libchm, as any other reader of the file would.
    chmFile *h = chm_open(QFile::encodeName(kHelpFile).constData());
    QVERIFY(h);
    chmUnitInfo info{};
    QCOMPARE(chm_resolve_object(h, "/index.html", &info), CHM_RESOLVE_SUCCESS);
    QByteArray page(qsizetype(info.length), '\0');
    QCOMPARE(chm_retrieve_object(h, &info, reinterpret_cast<unsigned char *>(page.data()), 0, info.length),
             LONGINT64(info.length));
    QCOMPARE(chm_resolve_object(h, "/afbeeldingen/kiekjesbode.png", &info), CHM_RESOLVE_SUCCESS);
    QCOMPARE(chm_resolve_object(h, "/ontbreekt.html", &info), CHM_RESOLVE_FAILURE);
    chm_close(h);
    QVERIFY(page.contains("<title>Welkom bij Kiekjesbode</title>"));
    QVERIFY(page.contains("href=\"verzenden.html\""));
#else
    QSKIP("built without libchm");
#endif
}

void TestHelpViewer::windowShowsFirstPageAndContents()
{
    THelpViewer *viewer = ShowHelpFile(nullptr, kHelpFile);
    QVERIFY(viewer);
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    QVERIFY(TMessageBox::shownTexts().isEmpty());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Kiekjesbode - Help"));
    QCOMPARE(viewer->CurrentPage(), QStringLiteral("/index.html"));
    QVERIFY(viewer->Browser()->toPlainText().contains(QStringLiteral("Welkom bij Kiekjesbode")));
    QVERIFY(viewer->Browser()->toPlainText().contains(QStringLiteral("foto's")));

    QTreeWidget *tree = viewer->ContentsTree();
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(0);
    QCOMPARE(names, (QStringList{"Welkom bij Kiekjesbode", "Klantgegevens invullen", "Prijzen en formaten bijwerken",
                                 "Een order samenstellen", "De afdrukkwaliteit controleren", "De order verzenden"}));
    QCOMPARE(tree->currentItem(), tree->topLevelItem(0));

    // The picture on the first page comes out of the help file.
    const QVariant picture = viewer->Browser()->document()->resource(
        QTextDocument::ImageResource, QUrl(QStringLiteral("/afbeeldingen/kiekjesbode.png")));
    QCOMPARE(picture.typeId(), QMetaType::QPixmap);
    QCOMPARE(picture.value<QPixmap>().size(), QSize(64, 64));
    // The page's style sheet comes from the file too: the heading takes its colour.
    const QTextBlock heading = viewer->Browser()->document()->firstBlock();
    QCOMPARE(heading.charFormat().foreground().color(), QColor(0x6b, 0x52, 0x20));
    QVERIFY(controlsWithoutName(viewer).isEmpty());
}

void TestHelpViewer::linksAndContentsNavigate()
{
    THelpViewer *viewer = ShowHelpFile(nullptr, kHelpFile);
    QVERIFY(viewer);
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    THelpBrowser *browser = viewer->Browser();

    // A click on a link in the page opens that page and marks it in the contents.
    const QPoint link = AnchorPosition(browser, QStringLiteral("verzenden.html"));
    QVERIFY(link.x() >= 0);
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, link);
    QCOMPARE(viewer->CurrentPage(), QStringLiteral("/verzenden.html"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Keur de berekening goed")));
    QCOMPARE(viewer->ContentsTree()->currentItem()->text(0), QStringLiteral("De order verzenden"));

    // Choosing an entry of the contents with the keyboard shows its page.
    QTreeWidget *tree = viewer->ContentsTree();
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Home);
    QCOMPARE(viewer->CurrentPage(), QStringLiteral("/index.html"));
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(viewer->CurrentPage(), QStringLiteral("/klantgegevens.html"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Klantgegevens...")));

    // Back goes to the page before.
    browser->backward();
    QCOMPARE(viewer->CurrentPage(), QStringLiteral("/index.html"));
}

void TestHelpViewer::openedTwiceRaisesTheSameWindow()
{
    THelpViewer *first = ShowHelpFile(nullptr, kHelpFile);
    QVERIFY(first);
    first->ShowPage(QStringLiteral("/kwaliteit.html"));
    THelpViewer *second = ShowHelpFile(nullptr, kHelpFile);
    QCOMPARE(second, first);
    QCOMPARE(second->CurrentPage(), QStringLiteral("/kwaliteit.html"));
    int viewers = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        viewers += qobject_cast<THelpViewer *>(w) ? 1 : 0;
    QCOMPARE(viewers, 1);
}

void TestHelpViewer::missingFileGivesMessage()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Kiekjesbode.chm"));
    QCOMPARE(ShowHelpFile(nullptr, missing), nullptr);
    QCOMPARE(TMessageBox::shownTexts().size(), 1);
    QVERIFY(TMessageBox::shownTexts().first().contains(QStringLiteral("niet gevonden")));
    QVERIFY(TMessageBox::shownTexts().first().contains(missing));

    // Nothing found in any folder: the message names the file that was looked for.
    TMessageBox::clearShown();
    QCOMPARE(ShowHelpFile(nullptr, FindHelpFile({dir.path()})), nullptr);
    QVERIFY(TMessageBox::shownTexts().value(0).contains(QStringLiteral("\"Kiekjesbode.chm\" is niet gevonden")));
}

void TestHelpViewer::unreadableFileGivesMessage()
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("Kiekjesbode.chm"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("ITSF") + QByteArray(300, '\x7f'));
    file.close();
    QCOMPARE(ShowHelpFile(nullptr, broken), nullptr);
    QVERIFY(TMessageBox::shownTexts().value(0).contains(QStringLiteral("kan niet worden geopend")));
}

void TestHelpViewer::findsFileInFirstFolderThatHasIt()
{
    QTemporaryDir a, b, c;
    const auto put = [](const QTemporaryDir &d) {
        QFile f(d.filePath(QStringLiteral("Kiekjesbode.chm")));
        QVERIFY(f.open(QIODevice::WriteOnly));
    };
    put(b);
    put(c);
    QCOMPARE(FindHelpFile({a.path(), b.path(), c.path()}), QFileInfo(b.filePath("Kiekjesbode.chm")).absoluteFilePath());
    QCOMPARE(FindHelpFile({a.path()}), QString());
    QCOMPARE(HelpFolders().first(), QCoreApplication::applicationDirPath());
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
