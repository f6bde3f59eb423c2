#include "GuiTestHelpers.h"
#include "app/Prompts.h"
#include "dialogs/ChmBestand.h"
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

QByteArray Le16(int v)
{
    QByteArray b(2, '\0');
    b[0] = char(v & 0xff);
    b[1] = char((v >> 8) & 0xff);
    return b;
}

// One "#SYSTEM" record: code, length, data.
QByteArray SystemRecord(int code, const QByteArray &data)
{
    return Le16(code) + Le16(int(data.size())) + data;
}

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
    void normalPath_data();
    void normalPath();
    void contentsFromSitemap();
    void contentsFromBrokenSitemap();
    void systemRecords();
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

void TestHelpViewer::normalPath_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("path");
    QTest::newRow("relative") << "index.html" << "/index.html";
    QTest::newRow("absolute") << "/index.html" << "/index.html";
    QTest::newRow("fragment") << "verzenden.html#tip" << "/verzenden.html";
    QTest::newRow("backslash") << "afbeeldingen\\foto.png" << "/afbeeldingen/foto.png";
    QTest::newRow("dot-dot stays inside") << "../../etc/passwd" << "/etc/passwd";
    QTest::newRow("inner dot-dot") << "a/../b.html" << "/b.html";
    QTest::newRow("only fragment") << "#boven" << "";
    QTest::newRow("empty") << "" << "";
}

void TestHelpViewer::normalPath()
{
    QFETCH(QString, local);
    QFETCH(QString, path);
    QCOMPARE(TChmBestand::NormalPath(local), path);
}

void TestHelpViewer::contentsFromSitemap()
{
    const QByteArray hhc =
        "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"ImageType\" value=\"Folder\"></OBJECT>\n"
        "<UL>\n"
        "<LI> <OBJECT type=\"text/sitemap\">\n"
        "  <param name=\"Name\" value=\"Begin &amp; overzicht\">\n"
        "  <param name=\"Local\" value=\"index.html\">\n"
        "  </OBJECT>\n"
        "<UL>\n"
        "  <LI><object type='text/sitemap'><param name='Name' value='Foto&#39;s'><param name=Local value=fotos.html></object>\n"
        "  <LI><object type=\"text/sitemap\"><param name=\"Name\" value=\"Kop\"></object>\n"
        "</UL>\n"
        "<LI><object type=\"text/sitemap\"><param name=\"Local\" value=\"naamloos.html\"></object>\n"
        "<LI><object type=\"text/sitemap\"><param name=\"Name\" value=\"Verzenden\"><param name=\"Local\" value=\"verzenden.html#stap\"></object>\n"
        "</UL></BODY></HTML>";
    const QList<TChmOnderwerp> topics = TChmBestand::ParseContents(hhc);
    QCOMPARE(topics.size(), 4); // the entry without a name is left out
    QCOMPARE(topics[0].naam, QStringLiteral("Begin & overzicht"));
    QCOMPARE(topics[0].pagina, QStringLiteral("/index.html"));
    QCOMPARE(topics[0].niveau, 0);
    QCOMPARE(topics[1].naam, QStringLiteral("Foto's"));
    QCOMPARE(topics[1].pagina, QStringLiteral("/fotos.html"));
    QCOMPARE(topics[1].niveau, 1);
    QCOMPARE(topics[2].naam, QStringLiteral("Kop"));
    QVERIFY(topics[2].pagina.isEmpty());
    QCOMPARE(topics[3].naam, QStringLiteral("Verzenden"));
    QCOMPARE(topics[3].pagina, QStringLiteral("/verzenden.html"));
    QCOMPARE(topics[3].niveau, 0);
}

void TestHelpViewer::contentsFromBrokenSitemap()
{
    // Unbalanced lists, an unclosed object and stray bytes: no crash, no negative depth.
    const QByteArray hhc = "</ul></ul><ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"A\">"
                           "</object></ul></ul></ul><object type=\"text/sitemap\"><param name=\"Name\" value=\"B\">"
                           "\xff\xfe<param name=\"Local\" value=\"b.html\"><ul";
    const QList<TChmOnderwerp> topics = TChmBestand::ParseContents(hhc);
    QCOMPARE(topics.size(), 1);
    QCOMPARE(topics[0].naam, QStringLiteral("A"));
    QCOMPARE(topics[0].niveau, 0);
    QVERIFY(TChmBestand::ParseContents(QByteArray()).isEmpty());
}

void TestHelpViewer::systemRecords()
{
    QByteArray system = QByteArray::fromHex("03000000");
    system += SystemRecord(0, QByteArray("inhoud.hhc\0", 11));
    system += SystemRecord(9, QByteArray("chmcmd\0", 7));
    system += SystemRecord(2, QByteArray("index.html\0", 11));
    system += SystemRecord(3, QByteArray("Kiekjesbode - Help\0", 19));
    TChmBestand::TSysteem s = TChmBestand::ParseSystem(system);
    QCOMPARE(s.contents, QStringLiteral("inhoud.hhc"));
    QCOMPARE(s.defaultTopic, QStringLiteral("index.html"));
    QCOMPARE(s.title, QStringLiteral("Kiekjesbode - Help"));

    // A record that claims more bytes than there are ends the list; earlier records stay.
    QByteArray truncated = QByteArray::fromHex("03000000") + SystemRecord(3, QByteArray("Titel\0", 6));
    truncated += Le16(2) + Le16(500) + QByteArray("kort");
    s = TChmBestand::ParseSystem(truncated);
    QCOMPARE(s.title, QStringLiteral("Titel"));
    QVERIFY(s.defaultTopic.isEmpty());
    QVERIFY(TChmBestand::ParseSystem(QByteArray::fromHex("0300")).title.isEmpty());
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
