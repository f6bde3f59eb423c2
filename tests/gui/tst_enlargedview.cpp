// The enlarged view driven as a user does it, on an order model with generated photos. The
// window runs through Execute; the modal run is replaced by a queued handler (TModal), so no
// test waits on a modal loop.
#include "CatalogueFixture.h"
#include "GuiTestHelpers.h"
#include "JpegWriter.h"
#include "app/Prompts.h"
#include "app/UpDown.h"
#include "dialogs/DialogKit.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PictureArea.h"
#include "imaging/PreviewRotation.h"
#include "imaging/PrintAreaMask.h"
#include "imaging/UBitmapFunctions.h"
#include "imaging/UEnlargedView.h"
#include "order/TOrderModel.h"
#include "order/UPhotoRater.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <memory>

namespace {

enum TColour { Red, Green, Blue, Yellow, Other };

// The colour a pixel of a quarter of the test photo comes back as, after JPEG's losses.
TColour ColourAt(const QImage &picture, int x, int y)
{
    const QColor c = picture.pixelColor(x, y);
    const auto high = [](int v) { return v > 180; };
    const auto low = [](int v) { return v < 80; };
    if (high(c.red()) && low(c.green()) && low(c.blue()))
        return Red;
    if (low(c.red()) && high(c.green()) && low(c.blue()))
        return Green;
    if (low(c.red()) && low(c.green()) && high(c.blue()))
        return Blue;
    if (high(c.red()) && high(c.green()) && low(c.blue()))
        return Yellow;
    return Other;
}

// Top-left, top-right, bottom-left, bottom-right, a few pixels in from each corner.
QList<TColour> Corners(const QImage &picture)
{
    const int r = picture.width() - 5, b = picture.height() - 5;
    return {ColourAt(picture, 4, 4), ColourAt(picture, r, 4), ColourAt(picture, 4, b), ColourAt(picture, r, b)};
}

// 160 x 120, quarters red, green (top), blue, yellow (bottom).
QImage QuartersPicture()
{
    QImage p(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            const bool right = x >= 80, bottom = y >= 60;
            p.setPixelColor(x, y, !bottom ? (right ? QColor(0, 255, 0) : QColor(255, 0, 0))
                                          : (right ? QColor(255, 255, 0) : QColor(0, 0, 255)));
        }
    return p;
}

bool IsWhiteRow(const QImage &picture, int y)
{
    for (int x = 0; x < picture.width(); x += 7)
        if (picture.pixelColor(x, y) != QColor(Qt::white))
            return false;
    return true;
}

bool IsGrey(const QImage &picture, int x, int y)
{
    const QColor c = picture.pixelColor(x, y);
    return c.red() == c.green() && c.green() == c.blue();
}

QString ProgramName() { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }

} // namespace

class TestEnlargedView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsBeforeAndAfterShowing();
    void navigation_data();
    void navigation();
    void oneItemDoesNothing();
    void cancelAfterOnlyNavigating();
    void countChange_data();
    void countChange();
    void countFieldRefusesLetters();
    void emptyCountFieldPutsBackOne();
    void finishChangeKeepsRotation();
    void rotationShowsColoursUntilFinishChanges();
    void formatChangeKeepsRating();
    void formatWithoutPaperChoiceTakesGlossy();
    void eighthResolutionReloadsWithMask();
    void rotation_data();
    void rotation();
    void rotationProgressAndCursor();
    void fourTurnsAndNavigationGiveTheOriginal();
    void missingPhotoShowsBlank();
    void rotatePreviewForTheMainWindow();
    void decodingProgress();
    void minimumSize();
    void largePictureSampledBeforePainting_data();
    void largePictureSampledBeforePainting();

private:
    using Drive = std::function<void(TEnlargedViewForm &)>;
    // Runs the view on the model from `selected`; `drive` acts as the user, then the window is
    // closed with Escape.
    int run(int selected, const Drive &drive);
    void addItems(int n, const QString &bestand, const QString &formaat);
    TOrderItem item(const QString &naam, const QString &bestand, const QString &formaat) const;

    QTemporaryDir m_dir;
    QString m_quarters;   // 160 x 120 quarters photo
    QString m_solid;      // 1600 x 1200 of one colour
    std::unique_ptr<TPenFFile> m_catalogue;
    std::unique_ptr<TPhotoRater> m_rater;
    std::unique_ptr<TOrderModel> m_model;
    std::unique_ptr<TEnlargedViewForm> m_form;
};

void TestEnlargedView::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_quarters = m_dir.filePath(QStringLiteral("kwartieren.jpg"));
    m_solid = m_dir.filePath(QStringLiteral("effen.jpg"));
    QVERIFY(WriteFile(m_quarters, WriteJpeg(QuartersPicture(), {TJpegKind::Colour, false, false, 95, 1, 1})));
    QVERIFY(WriteFile(m_solid, WriteJpeg(SolidPicture(1600, 1200, 160, 90, 40))));
}

void TestEnlargedView::init()
{
    TMessageBox::setTesting(true);
    TMessageBox::clearShown();
    m_catalogue = std::make_unique<TPenFFile>(QString(), 0, 0);
    m_catalogue->AddFormat(MakeFormat(QStringLiteral("10x15"), 10, 15, true, {{1, 29}}));
    m_catalogue->AddFormat(MakeFormat(QStringLiteral("13x18"), 13, 18, false, {{1, 59}}));
    m_catalogue->AddFormat(MakeFormat(QStringLiteral("Vrij"), 10, 0, true, {{1, 49}}));
    m_rater = std::make_unique<TPhotoRater>(*m_catalogue);
    m_model = std::make_unique<TOrderModel>(*m_catalogue, *m_rater);
    m_form = std::make_unique<TEnlargedViewForm>();
}

void TestEnlargedView::cleanup()
{
    m_form.reset();
    m_model.reset();
    TModal::ClearHandlers();
}

TOrderItem TestEnlargedView::item(const QString &naam, const QString &bestand, const QString &formaat) const
{
    TOrderItem i;
    i.Naam = naam;
    i.Bestand = bestand;
    i.Formaat = formaat;
    i.Aantal = 3;
    i.Kwaliteit = 2;
    i.Lengte = 15.0;
    return i;
}

void TestEnlargedView::addItems(int n, const QString &bestand, const QString &formaat)
{
    QList<TOrderItem> items;
    for (int k = 0; k < n; ++k)
        items << item(QStringLiteral("foto%1").arg(k + 1, 2, 10, QLatin1Char('0')), bestand, formaat);
    m_model->SetItems(items);
}

int TestEnlargedView::run(int selected, const Drive &drive)
{
    TModal::SetNextHandler([&drive](QDialog &dialog) {
        drive(static_cast<TEnlargedViewForm &>(dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    return m_form->Execute(*m_model, *m_catalogue, selected);
}

void TestEnlargedView::controlsBeforeAndAfterShowing()
{
    const char *names[] = {"CbxFullResolution", "BtnLinksom", "BtnRechtsom", "RgpAfwerking", "RgpGlans", "LedAantal",
                           "UpDownAantal", "CbxFormaat", "BtnHome", "BtnFastPrevious", "BtnPrevious", "BtnNext",
                           "BtnFastNext", "BtnEnd"};
    for (const char *name : names)
        QVERIFY2(!control<QWidget>(m_form.get(), name)->isEnabled(), name);
    QCOMPARE(m_form->windowTitle(), ProgramName());
    QVERIFY(control<QCheckBox>(m_form.get(), "CbxFullResolution")->isChecked());
    QCOMPARE(control<QCheckBox>(m_form.get(), "CbxFullResolution")->text(), QStringLiteral("&Volledige resolutie"));
    QCOMPARE(control<QLineEdit>(m_form.get(), "LedAantal")->text(), QStringLiteral("1"));
    QCOMPARE(control<QLineEdit>(m_form.get(), "LedAantal")->maxLength(), 3);

    addItems(3, m_quarters, QStringLiteral("10x15"));
    run(1, [&](TEnlargedViewForm &f) {
        for (const char *name : names)
            QVERIFY2(control<QWidget>(&f, name)->isEnabled(), name);
        QVERIFY(!control<QProgressBar>(&f, "ProgressBar")->isVisible());
        QVERIFY(!control<QProgressBar>(&f, "ImageProgressBar")->isVisible());
        QCOMPARE(f.windowTitle(), ProgramName() + QStringLiteral(" - foto02"));
        QCOMPARE(control<QLabel>(&f, "LblIndex")->text(), QStringLiteral("2/3"));
        const QStringList formats{QStringLiteral("10x15"), QStringLiteral("13x18"), QStringLiteral("Vrij")};
        auto *box = control<QComboBox>(&f, "CbxFormaat");
        QCOMPARE(box->count(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(box->itemText(i), formats[i]);
        QCOMPARE(box->currentText(), QStringLiteral("10x15"));
        QCOMPARE(controlsWithoutName(&f), QStringList());
        // Every control is reached with Tab.
        QSet<QString> reached;
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        control<QWidget>(&f, "CbxFullResolution")->setFocus();
        for (int i = 0; i < 20 && QApplication::focusWidget(); ++i) {
            reached << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        for (const char *name : {"CbxFullResolution", "BtnLinksom", "BtnRechtsom", "LedAantal", "CbxFormaat", "BtnHome",
                                 "BtnFastPrevious", "BtnPrevious", "BtnNext", "BtnFastNext", "BtnEnd"})
            QVERIFY2(reached.contains(QLatin1String(name)), name);
    });
}

void TestEnlargedView::navigation_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QList<int>>("indexes");  // after each button
    QTest::newRow("fast next from the fifth") << 4 << QStringList{"BtnFastNext", "BtnFastNext", "BtnFastNext"}
                                              << QList<int>{9, 11, 11};
    QTest::newRow("fast previous from the last") << 11 << QStringList{"BtnFastPrevious", "BtnFastPrevious", "BtnFastPrevious", "BtnFastPrevious"}
                                                 << QList<int>{6, 1, 0, 0};
    QTest::newRow("fast next just before the end") << 7 << QStringList{"BtnFastNext"} << QList<int>{11};
    QTest::newRow("fast next five before the end") << 6 << QStringList{"BtnFastNext"} << QList<int>{11};
    QTest::newRow("one step each way") << 0 << QStringList{"BtnPrevious", "BtnNext", "BtnNext", "BtnPrevious"}
                                       << QList<int>{0, 1, 2, 1};
    QTest::newRow("ends") << 5 << QStringList{"BtnEnd", "BtnNext", "BtnEnd", "BtnHome", "BtnHome", "BtnPrevious"}
                          << QList<int>{11, 11, 11, 0, 0, 0};
}

void TestEnlargedView::navigation()
{
    QFETCH(int, start);
    QFETCH(QStringList, buttons);
    QFETCH(QList<int>, indexes);
    addItems(12, m_quarters, QStringLiteral("Vrij"));
    const int result = run(start, [&](TEnlargedViewForm &f) {
        QCOMPARE(f.CurrentIndex(), start);
        for (int k = 0; k < buttons.size(); ++k) {
            clickButton(&f, buttons[k].toLatin1().constData());
            const int expected = indexes[k];
            QCOMPARE(f.CurrentIndex(), expected);
            QCOMPARE(control<QLabel>(&f, "LblIndex")->text(), QStringLiteral("%1/12").arg(expected + 1));
            QCOMPARE(f.windowTitle(), ProgramName() + QStringLiteral(" - foto%1").arg(expected + 1, 2, 10, QLatin1Char('0')));
        }
    });
    QCOMPARE(result, int(QDialog::Rejected));
}

void TestEnlargedView::oneItemDoesNothing()
{
    addItems(1, m_quarters, QStringLiteral("Vrij"));
    run(0, [&](TEnlargedViewForm &f) {
        QCOMPARE(control<QLabel>(&f, "LblIndex")->text(), QStringLiteral("1/1"));
        // A turned picture would be reloaded by any button that moved.
        clickButton(&f, "BtnRechtsom");
        const QImage turned = f.Picture();
        for (const char *b : {"BtnHome", "BtnFastPrevious", "BtnPrevious", "BtnNext", "BtnFastNext", "BtnEnd"}) {
            clickButton(&f, b);
            QCOMPARE(f.CurrentIndex(), 0);
            QCOMPARE(control<QLabel>(&f, "LblIndex")->text(), QStringLiteral("1/1"));
            QCOMPARE(f.Picture(), turned);
        }
    });
}

void TestEnlargedView::cancelAfterOnlyNavigating()
{
    addItems(12, m_quarters, QStringLiteral("10x15"));
    // Items of differing counts, papers and finishes: showing them fills the controls, which
    // must not count as editing.
    for (int r = 0; r < 12; ++r) {
        TOrderItem i = m_model->Item(r);
        i.Aantal = uint16_t(r + 1);
        i.Glans = r % 2;
        i.Afwerking = TAfwerking(r % 3);
        m_model->SetItem(r, i);
    }
    const QList<TOrderItem> before = m_model->Items();
    const int result = run(0, [&](TEnlargedViewForm &f) {
        for (const char *b : {"BtnNext", "BtnFastNext", "BtnEnd", "BtnPrevious", "BtnHome"})
            clickButton(&f, b);
        clickChoice(f.CbxFullResolution);
        QVERIFY(!f.Changed());
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(m_model->Items(), before);
}

void TestEnlargedView::countChange_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("startCount");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("result");
    QTest::newRow("typed") << "type 25" << 3 << 25 << int(QDialog::Accepted);
    QTest::newRow("arrow up") << "up" << 3 << 4 << int(QDialog::Accepted);
    QTest::newRow("arrow down") << "down" << 3 << 2 << int(QDialog::Accepted);
    QTest::newRow("arrow down at one is refused") << "down" << 1 << 1 << int(QDialog::Rejected);
    QTest::newRow("arrow up at 999 is refused") << "up" << 999 << 999 << int(QDialog::Rejected);
    QTest::newRow("zero typed keeps the count") << "type 0" << 3 << 3 << int(QDialog::Rejected);
}

void TestEnlargedView::countChange()
{
    QFETCH(QString, way);
    QFETCH(int, startCount);
    QFETCH(int, count);
    QFETCH(int, result);
    addItems(4, m_quarters, QStringLiteral("10x15"));
    TOrderItem shown = m_model->Item(2);
    shown.Aantal = uint16_t(startCount);
    m_model->SetItem(2, shown);
    const QList<TOrderItem> before = m_model->Items();
    const int r = run(2, [&](TEnlargedViewForm &f) {
        QCOMPARE(f.LedAantal->text(), QString::number(startCount));
        if (way.startsWith(QLatin1String("type "))) {
            f.LedAantal->setFocus();
            f.LedAantal->selectAll();
            QTest::keyClicks(f.LedAantal, way.mid(5));
        } else {
            QTest::mouseClick(way == QLatin1String("up") ? f.UpDownAantal->upButton() : f.UpDownAantal->downButton(),
                              Qt::LeftButton);
        }
        QCOMPARE(f.UpDownAantal->position(), count);
    });
    QCOMPARE(r, result);
    QCOMPARE(int(m_model->Item(2).Aantal), count);
    for (int row : {0, 1, 3})
        QCOMPARE(m_model->Item(row), before[row]);
}

void TestEnlargedView::countFieldRefusesLetters()
{
    addItems(1, m_quarters, QStringLiteral("10x15"));
    run(0, [&](TEnlargedViewForm &f) {
        f.LedAantal->setFocus();
        f.LedAantal->selectAll();
        QTest::keyClicks(f.LedAantal, QStringLiteral("a7b.-"));
        QCOMPARE(f.LedAantal->text(), QStringLiteral("7"));
        // Pasted text that is not a number is refused too.
        QGuiApplication::clipboard()->setText(QStringLiteral("x2"));
        f.LedAantal->selectAll();
        f.LedAantal->paste();
        QCOMPARE(f.LedAantal->text(), QStringLiteral("7"));
    });
    QCOMPARE(int(m_model->Item(0).Aantal), 7);
}

void TestEnlargedView::emptyCountFieldPutsBackOne()
{
    addItems(2, m_quarters, QStringLiteral("10x15"));
    const int result = run(0, [&](TEnlargedViewForm &f) {
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.LedAantal->setFocus();
        f.LedAantal->selectAll();
        QTest::keyClick(f.LedAantal, Qt::Key_Backspace);
        QCOMPARE(f.LedAantal->text(), QString());
        QCOMPARE(int(m_model->Item(0).Aantal), 3);  // no count while the field is empty
        f.CbxFormaat->setFocus();  // leaving the field
        QCOMPARE(f.LedAantal->text(), QStringLiteral("1"));
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(int(m_model->Item(0).Aantal), 1);
    QCOMPARE(int(m_model->Item(1).Aantal), 3);
}

void TestEnlargedView::finishChangeKeepsRotation()
{
    addItems(2, m_quarters, QStringLiteral("Vrij"));
    const int result = run(0, [&](TEnlargedViewForm &f) {
        clickButton(&f, "BtnRechtsom");
        const QImage turned = f.Picture();
        QCOMPARE(turned.size(), QSize(120, 160));
        clickChoice(f.AfwerkingGroup->button(2));  // "Bruintoon"
        QCOMPARE(f.Picture(), turned);  // the picture itself stays in colour
        const QImage &shown = f.ShownPicture();
        QCOMPARE(shown.size(), QSize(120, 160));
        // Sepia: grey, then red +37 and blue -10.
        const QColor c = shown.pixelColor(20, 20);
        QVERIFY(c.red() > c.green() && c.green() > c.blue());
        QCOMPARE(c.red() - c.green(), 37);
        QCOMPARE(c.green() - c.blue(), 10);
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(int(m_model->Item(0).Afwerking), 2);
    QCOMPARE(int(m_model->Item(1).Afwerking), 0);
}

void TestEnlargedView::rotationShowsColoursUntilFinishChanges()
{
    addItems(1, m_quarters, QStringLiteral("Vrij"));
    TOrderItem grey = m_model->Item(0);
    grey.Afwerking = AfwerkingZwartWit;
    m_model->SetItem(0, grey);
    run(0, [&](TEnlargedViewForm &f) {
        QVERIFY(IsGrey(f.ShownPicture(), 10, 10));
        QCOMPARE(f.AfwerkingGroup->checkedId(), 1);
        clickButton(&f, "BtnLinksom");
        QCOMPARE(Corners(f.ShownPicture()), (QList<TColour>{Green, Yellow, Red, Blue}));
        clickChoice(f.AfwerkingGroup->button(1));  // chosen again: the finish follows once more
        QVERIFY(IsGrey(f.ShownPicture(), 10, 10));
        QCOMPARE(f.ShownPicture().size(), QSize(120, 160));
        QVERIFY(!f.Changed());
    });
}

void TestEnlargedView::formatChangeKeepsRating()
{
    addItems(2, m_solid, QStringLiteral("10x15"));
    const int result = run(1, [&](TEnlargedViewForm &f) {
        // 1600 x 1200 under 10 x 15: bars of 67 and 66 rows.
        QVERIFY(IsWhiteRow(f.ShownPicture(), 66));
        QVERIFY(!IsWhiteRow(f.ShownPicture(), 67));
        chooseEntry(f.CbxFormaat, 1);  // 13x18
        QCOMPARE(f.CbxFormaat->currentText(), QStringLiteral("13x18"));
        // 13 x 18: H x r = 1661.5 > 1600, c = (1201 - 1601 x 13 / 18) / 2 = 22.36: rows 0-22.
        QVERIFY(IsWhiteRow(f.ShownPicture(), 22));
        QVERIFY(!IsWhiteRow(f.ShownPicture(), 23));
        QVERIFY(!IsWhiteRow(f.ShownPicture(), 66));
        chooseEntry(f.CbxFormaat, 2);  // a free length: no bars
        QVERIFY(!IsWhiteRow(f.ShownPicture(), 0));
    });
    QCOMPARE(result, int(QDialog::Accepted));
    const TOrderItem changed = m_model->Item(1);
    QCOMPARE(changed.Formaat, QStringLiteral("Vrij"));
    QCOMPARE(int(changed.Kwaliteit), 2);
    QCOMPARE(changed.Lengte, 15.0);
    QCOMPARE(m_model->Item(0).Formaat, QStringLiteral("10x15"));
}

void TestEnlargedView::formatWithoutPaperChoiceTakesGlossy()
{
    addItems(1, m_quarters, QStringLiteral("10x15"));
    run(0, [&](TEnlargedViewForm &f) {
        clickChoice(f.GlansGroup->button(1));  // "Mat", offered by 10x15
        QCOMPARE(int(m_model->Item(0).Glans), 0);
        chooseEntry(f.CbxFormaat, 1);  // 13x18 has glossy paper only
        QCOMPARE(int(m_model->Item(0).Glans), 1);
        QCOMPARE(f.GlansGroup->checkedId(), 0);
        clickChoice(f.GlansGroup->button(1));
        QCOMPARE(int(m_model->Item(0).Glans), 1);
        QCOMPARE(f.GlansGroup->checkedId(), 0);
    });
}

void TestEnlargedView::eighthResolutionReloadsWithMask()
{
    addItems(1, m_solid, QStringLiteral("10x15"));
    run(0, [&](TEnlargedViewForm &f) {
        QCOMPARE(f.Picture().size(), QSize(1600, 1200));
        const QImage &full = f.ShownPicture();
        // Rows 0-66 and 1134-1199 (the main window's rounding would stop at 65).
        QVERIFY(IsWhiteRow(full, 0));
        QVERIFY(IsWhiteRow(full, 66));
        QVERIFY(!IsWhiteRow(full, 67));
        QVERIFY(!IsWhiteRow(full, 1133));
        QVERIFY(IsWhiteRow(full, 1134));
        QVERIFY(IsWhiteRow(full, 1199));
        clickButton(&f, "BtnRechtsom");
        QCOMPARE(f.Picture().size(), QSize(1200, 1600));

        clickChoice(f.CbxFullResolution);
        QVERIFY(!f.CbxFullResolution->isChecked());
        // 200 x 150: c = (151 - 201 x 10 / 15) / 2 = 8.5: rows 0-8 and from round(142.5) = 142.
        QCOMPARE(f.Picture().size(), QSize(200, 150));
        const QImage &small = f.ShownPicture();
        QCOMPARE(small.size(), QSize(200, 150));
        QVERIFY(IsWhiteRow(small, 8));
        QVERIFY(!IsWhiteRow(small, 9));
        QVERIFY(!IsWhiteRow(small, 141));
        QVERIFY(IsWhiteRow(small, 142));
        QVERIFY(IsWhiteRow(small, 149));

        clickChoice(f.CbxFullResolution);
        QCOMPARE(f.Picture().size(), QSize(1600, 1200));
        QVERIFY(!f.Changed());
    });
}

void TestEnlargedView::rotation_data()
{
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<int>>("corners");  // top-left, top-right, bottom-left, bottom-right
    QTest::newRow("clockwise") << QStringList{"BtnRechtsom"} << QSize(120, 160) << QList<int>{Blue, Red, Yellow, Green};
    QTest::newRow("counter-clockwise") << QStringList{"BtnLinksom"} << QSize(120, 160) << QList<int>{Green, Yellow, Red, Blue};
    QTest::newRow("half turn") << QStringList{"BtnRechtsom", "BtnRechtsom"} << QSize(160, 120)
                               << QList<int>{Yellow, Blue, Green, Red};
    QTest::newRow("there and back") << QStringList{"BtnRechtsom", "BtnLinksom"} << QSize(160, 120)
                                    << QList<int>{Red, Green, Blue, Yellow};
}

void TestEnlargedView::rotation()
{
    QFETCH(QStringList, buttons);
    QFETCH(QSize, size);
    QFETCH(QList<int>, corners);
    addItems(1, m_quarters, QStringLiteral("Vrij"));
    const QList<TOrderItem> before = m_model->Items();
    const int result = run(0, [&](TEnlargedViewForm &f) {
        QCOMPARE(Corners(f.ShownPicture()), (QList<TColour>{Red, Green, Blue, Yellow}));
        for (const QString &b : buttons)
            clickButton(&f, b.toLatin1().constData());
        QCOMPARE(f.Picture().size(), size);
        QList<int> seen;
        for (TColour c : Corners(f.ShownPicture()))
            seen << c;
        QCOMPARE(seen, corners);
        QCOMPARE(Corners(f.Picture()), Corners(f.ShownPicture()));
    });
    // Turning is for viewing only.
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(m_model->Items(), before);
}

void TestEnlargedView::rotationProgressAndCursor()
{
    addItems(1, m_solid, QStringLiteral("10x15"));
    run(0, [&](TEnlargedViewForm &f) {
        QList<int> values;
        QList<bool> visible;
        QList<Qt::CursorShape> cursors;
        connect(f.ProgressBar, &QProgressBar::valueChanged, &f, [&](int v) {
            values << v;
            visible << f.ProgressBar->isVisible();
            cursors << f.Image->cursor().shape();
        });
        clickButton(&f, "BtnLinksom");
        QVERIFY(!values.isEmpty());
        QCOMPARE(values.first(), 0);
        QCOMPARE(values.last(), 100);
        for (int k = 1; k < values.size(); ++k)
            QVERIFY(values[k] >= values[k - 1]);
        QVERIFY(visible.first());
        QVERIFY(cursors.first() == Qt::WaitCursor);
        QVERIFY(!f.ProgressBar->isVisible());
        QVERIFY(!f.Image->testAttribute(Qt::WA_SetCursor));
        // The mask follows the turned picture: 1200 x 1600 under 10 x 15 has W x r = 1800 > H,
        // so columns: c = (1200 - 1600 x 10 / 15) / 2 = 66.67, columns 0-66 and 1133-1199.
        const QImage &shown = f.ShownPicture();
        QCOMPARE(shown.size(), QSize(1200, 1600));
        QCOMPARE(shown.pixelColor(66, 800), QColor(Qt::white));
        QVERIFY(shown.pixelColor(67, 800) != QColor(Qt::white));
        QVERIFY(shown.pixelColor(1132, 800) != QColor(Qt::white));
        QCOMPARE(shown.pixelColor(1133, 800), QColor(Qt::white));
    });
}

void TestEnlargedView::fourTurnsAndNavigationGiveTheOriginal()
{
    addItems(2, m_quarters, QStringLiteral("Vrij"));
    const QImage original = DecodeJpegFile(m_quarters).picture;
    run(0, [&](TEnlargedViewForm &f) {
        QCOMPARE(f.Picture(), original);
        for (int k = 0; k < 4; ++k)
            clickButton(&f, "BtnRechtsom");
        QCOMPARE(f.Picture(), original);
        clickButton(&f, "BtnLinksom");
        QVERIFY(f.Picture() != original);
        clickButton(&f, "BtnNext");
        clickButton(&f, "BtnPrevious");
        QCOMPARE(f.Picture(), original);
    });
}

void TestEnlargedView::missingPhotoShowsBlank()
{
    addItems(2, m_quarters, QStringLiteral("10x15"));
    TOrderItem missing = m_model->Item(1);
    missing.Bestand = m_dir.filePath(QStringLiteral("weg.jpg"));
    m_model->SetItem(1, missing);
    run(0, [&](TEnlargedViewForm &f) {
        clickButton(&f, "BtnNext");
        QCOMPARE(f.Picture().size(), QSize(1, 1));
        QCOMPARE(f.windowTitle(), ProgramName());
        QCOMPARE(control<QLabel>(&f, "LblIndex")->text(), QStringLiteral("2/2"));
        QCOMPARE(f.LedAantal->text(), QStringLiteral("3"));
        clickButton(&f, "BtnRechtsom");  // turned like any other
        QCOMPARE(f.Picture().size(), QSize(1, 1));
        clickButton(&f, "BtnPrevious");
        QCOMPARE(f.windowTitle(), ProgramName() + QStringLiteral(" - foto01"));
    });
    QCOMPARE(TMessageBox::shownTexts(), QStringList());
}

// The piece the main window turns its preview with: its own bar and image area.
void TestEnlargedView::rotatePreviewForTheMainWindow()
{
    QWidget panel;
    auto *preview = new QLabel(&panel);
    auto *bar = new QProgressBar(preview);
    bar->hide();
    preview->setCursor(Qt::PointingHandCursor);
    panel.show();
    QImage picture(4, 2, QImage::Format_BGR888);
    picture.fill(Qt::black);
    picture.setPixelColor(0, 0, Qt::red);    // top-left
    picture.setPixelColor(0, 1, Qt::green);  // bottom-left
    QList<bool> visible;
    connect(bar, &QProgressBar::valueChanged, this, [&] { visible << bar->isVisible(); });
    const QImage turned = RotatePreview(picture, true, bar, preview);
    QCOMPARE(turned.size(), QSize(2, 4));
    QCOMPARE(turned.pixelColor(1, 0), QColor(Qt::red));
    QCOMPARE(turned.pixelColor(0, 0), QColor(Qt::green));
    QVERIFY(!visible.isEmpty() && !visible.contains(false));
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->value(), 100);
    QCOMPARE(preview->cursor().shape(), Qt::PointingHandCursor);
    // An empty preview stays empty; neither a bar nor an area is needed.
    QVERIFY(RotatePreview(QImage(), false, nullptr, nullptr).isNull());
}

void TestEnlargedView::decodingProgress()
{
    addItems(2, m_solid, QStringLiteral("10x15"));
    QList<int> values;
    QList<bool> visible;
    connect(m_form->ImageProgressBar, &QProgressBar::valueChanged, this, [&](int v) {
        values << v;
        visible << m_form->ImageProgressBar->isVisible();
    });
    run(0, [&](TEnlargedViewForm &f) {
        QVERIFY(!values.isEmpty());
        QCOMPARE(values.last(), 100);
        QVERIFY(!visible.contains(false));
        QVERIFY(!f.ImageProgressBar->isVisible());
        values.clear();
        clickButton(&f, "BtnNext");
        QVERIFY(!values.isEmpty());
        QCOMPARE(values.last(), 100);
        QVERIFY(!f.ImageProgressBar->isVisible());
    });
}

void TestEnlargedView::minimumSize()
{
    addItems(1, m_quarters, QStringLiteral("10x15"));
    run(0, [&](TEnlargedViewForm &f) {
        f.resize(500, 300);
        QCOMPARE(f.size(), QSize(501, 498));
        f.resize(900, 700);
        QCOMPARE(f.size(), QSize(900, 700));
        QCOMPARE(control<QWidget>(&f, "BottomPanel")->height(), 165);
        // The picture keeps its proportions and is centred in the area.
        QCoreApplication::processEvents();
        const QRect r = f.Image->pictureRect();
        QVERIFY(!r.isEmpty());
        QVERIFY(qAbs(r.width() * 120 - r.height() * 160) <= 160);
        QVERIFY(qAbs(r.center().x() - f.Image->rect().center().x()) <= 1);
        QVERIFY(qAbs(r.center().y() - f.Image->rect().center().y()) <= 1);
        QVERIFY(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    });
}

void TestEnlargedView::largePictureSampledBeforePainting_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<int>("afwerking");
    QTest::newRow("landscape, rows, sepia") << QSize(1600, 1200) << QSize(200, 150) << 2;
    QTest::newRow("portrait, columns, grey") << QSize(1200, 1600) << QSize(150, 200) << 1;
    QTest::newRow("uneven steps, colour") << QSize(1601, 1199) << QSize(173, 131) << 0;
}

// A picture much larger than the area is sampled before the mask and the finish are painted;
// the result must be what sampling the painted full picture gives.
void TestEnlargedView::largePictureSampledBeforePainting()
{
    QFETCH(QSize, size);
    QFETCH(QSize, target);
    QFETCH(int, afwerking);
    const QImage picture = PhotoLikePicture(size.width(), size.height(), 7).convertToFormat(QImage::Format_BGR888);
    const TPrintAreaBars bars = EnlargedViewMaskBars(size.width(), size.height(), 10, 15);
    QVERIFY(!bars.isEmpty());
    QImage full = picture.copy();
    PaintPrintAreaMask(full, bars);
    ApplyFinishPreview(full, afwerking);

    const QImage shown = TPictureArea::ComposeForShowing(picture, bars, afwerking, target);
    QCOMPARE(shown.size(), target * 2);
    for (int y = 0; y < shown.height(); ++y) {
        const int sy = int(std::floor((y + 0.5) * size.height() / shown.height()));
        for (int x = 0; x < shown.width(); ++x) {
            const int sx = int(std::floor((x + 0.5) * size.width() / shown.width()));
            if (shown.pixel(x, y) != full.pixel(sx, sy))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs from %3,%4").arg(x).arg(y).arg(sx).arg(sy)));
        }
    }
    // Two by two averaged, rounded.
    QImage four(2, 2, QImage::Format_BGR888);
    four.setPixelColor(0, 0, QColor(0, 0, 0));
    four.setPixelColor(1, 0, QColor(1, 10, 255));
    four.setPixelColor(0, 1, QColor(1, 20, 255));
    four.setPixelColor(1, 1, QColor(0, 31, 255));
    QCOMPARE(TPictureArea::HalveByAveraging(four).pixelColor(0, 0), QColor(1, 15, 191));
}

QTEST_MAIN(TestEnlargedView)
#include "tst_enlargedview.moc"
