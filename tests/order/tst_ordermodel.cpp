#include "app/AnsiString.h"
#include "catalogue/UKassa.h"
#include "catalogue/UPenF.h"
#include "order/TOrderModel.h"
#include "order/UOrderFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "CatalogueFixture.h"

#include "TestHooks.h"

namespace {


// Formats over a real catalogue; a photo is "a JPEG" when its bytes start with FF D8, and its
// level is the number after "q" in its file name.
struct CatalogueStubRater : IPrintRater {
    explicit CatalogueStubRater(const TPenFFile &c) : cat(c) {}
    const TPenFFile &cat;
    int rated = 0;
    bool FindFormat(const QString &name, TFormatDims &dims) const override
    {
        const int i = cat.IndexOfFormat(name);
        if (i < 0)
            return false;
        const TFormaat &f = cat.Format(i);
        dims = {f.Breedte, f.Lengte, f.HasGlansMatKeuze()};
        return true;
    }
    TRating Rate(const QString &path, double lengte, double) override
    {
        ++rated;
        const int q = path.section(QLatin1Char('q'), -1).left(1).toInt();
        return {TQuality(q), lengte < 1.0 ? 22.5 : lengte, q == 4 ? 3 : 0};
    }
    TPhotoCheck CheckPhoto(const QString &path, const TFormatDims *dims) override
    {
        QFile f(path);
        TPhotoCheck check;
        check.IsJpeg = f.open(QIODevice::ReadOnly) && f.read(2) == QByteArray("\xFF\xD8");
        if (check.IsJpeg && dims)
            check.Rating = Rate(path, ItemLengte(*dims), dims->Breedte);
        return check;
    }
    QString ErrorText(int code) const override { return QStringLiteral("Kwaliteitsfout %1").arg(code); }
};


} // namespace

class TestOrderModel : public QObject {
    Q_OBJECT
private slots:
    void init();
    void tierPricingAcrossRows();
    void twoPhotosOfOneFormat();
    void unknownFormatHasNoPrice();
    void refusals_data();
    void refusals();
    void countChangeMovesTier();
    void formatChangeOfThreeRows();
    void formatChangeOfRowsWithVanishedFormat();
    void matteOnlyWhereOffered();
    void finishAndRowTexts();
    void deleteAllRows();
    void statusBarFigures_data();
    void statusBarFigures();
    void amountsAlwaysFollowRegister();
    void recalculatePastTheLimit();
    void openedOrderOfManyInterleavedFormats();

private:
    QString photo(const QString &name, qint64 size = 100);
    QList<int> addPhotos(int n, const QString &prefix, uint16_t aantal = 1, const QString &fmt = QStringLiteral("10 x 15"));
    QString price(int row) const { return m_model->data(m_model->index(row, TOrderModel::ColPrijs)).toString(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TPenFFile> m_cat;
    std::unique_ptr<CatalogueStubRater> m_rater;
    std::unique_ptr<TOrderModel> m_model;
    ScriptedPrompter m_prompter;
    RecordingProgress m_progress;
    TOperationHooks m_hooks;
    TInstellingen m_settings;
};

void TestOrderModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_cat = std::make_unique<TPenFFile>(QString(), 0.0, uint8_t(0));
    m_cat->AddFormat(MakeFormat(QStringLiteral("10 x 15"), 10, 15, true, {{1, 39}, {50, 29}}));
    m_cat->AddFormat(MakeFormat(QStringLiteral("13 x 18"), 13, 18, true, {{1, 59}}));
    m_cat->AddFormat(MakeFormat(QStringLiteral("Poster"), 50, 70, false, {{1, 995}, {3, 895}}));
    m_rater = std::make_unique<CatalogueStubRater>(*m_cat);
    m_model = std::make_unique<TOrderModel>(*m_cat, *m_rater);
    m_prompter = ScriptedPrompter();
    m_prompter.fallback = true;
    m_progress = RecordingProgress();
    m_hooks = TOperationHooks{&m_prompter, &m_progress, {}};
    m_settings = StandaardInstellingen(QStringLiteral("10 x 15"));
}

QString TestOrderModel::photo(const QString &name, qint64 size)
{
    const QString p = m_dir->filePath(name);
    QFile f(p);
    if (f.open(QIODevice::WriteOnly)) {
        QByteArray b(int(size), 'x');
        b[0] = char(0xFF);
        b[1] = char(0xD8);
        f.write(b);
    }
    return p;
}

QList<int> TestOrderModel::addPhotos(int n, const QString &prefix, uint16_t aantal, const QString &fmt)
{
    QList<int> rows;
    TInstellingen s = m_settings;
    s.Aantal = aantal;
    s.Formaat = fmt;
    for (int i = 0; i < n; ++i) {
        const int row = m_model->Count();
        if (m_model->AddPhoto(photo(QStringLiteral("%1%2-q1.jpg").arg(prefix).arg(row)), s, m_hooks)
            == TOrderModel::AddResult::Added)
            rows << row;
    }
    return rows;
}

void TestOrderModel::tierPricingAcrossRows()
{
    addPhotos(1, QStringLiteral("a"), 30);
    QCOMPARE(price(0), QStringLiteral("11,70"));
    addPhotos(1, QStringLiteral("b"), 25);
    // 55 prints reach the 50-print tier: both rows at 0.29.
    QCOMPARE(price(0), QStringLiteral("8,70"));
    QCOMPARE(price(1), QStringLiteral("7,25"));
    QCOMPARE(m_model->OrderValueText(), QStringLiteral("Orderwaarde: € 15,95"));
    QCOMPARE(m_model->Item(0).Prijs.raw(), qint64(87000));
    // Removing the 25-print row drops the total to 30 and raises the other row's amount.
    m_model->DeleteRows({1});
    QCOMPARE(price(0), QStringLiteral("11,70"));
    QCOMPARE(m_model->Total().raw(), qint64(117000));
}

void TestOrderModel::twoPhotosOfOneFormat()
{
    QSignalSpy changed(m_model.get(), &QAbstractItemModel::dataChanged);
    addPhotos(1, QStringLiteral("a"), 1, QStringLiteral("Poster"));
    addPhotos(1, QStringLiteral("b"), 2, QStringLiteral("Poster"));
    QCOMPARE(price(0), QStringLiteral("8,95"));
    QCOMPARE(price(1), QStringLiteral("17,90"));
    // The earlier rows learn of the new price through one change signal for the amount column.
    QVERIFY(!changed.isEmpty());
    const auto last = changed.last();
    QCOMPARE(last.at(0).value<QModelIndex>().column(), int(TOrderModel::ColPrijs));
    QCOMPARE(last.at(1).value<QModelIndex>().row(), 0);
    // Adding the same file twice gives two independent rows.
    const QString p = m_model->Item(0).Bestand;
    TInstellingen s = m_settings;
    QCOMPARE(m_model->AddPhoto(p, s, m_hooks), TOrderModel::AddResult::Added);
    QCOMPARE(m_model->Count(), 3);
}

void TestOrderModel::unknownFormatHasNoPrice()
{
    TInstellingen s = m_settings;
    s.Formaat = QStringLiteral("9 x 9");
    s.Aantal = 3;
    QCOMPARE(m_model->AddPhoto(photo(QStringLiteral("x-q2.jpg")), s, m_hooks), TOrderModel::AddResult::Added);
    const TOrderItem &it = m_model->Item(0);
    QCOMPARE(it.Formaat, QString());
    QCOMPARE(it.Kwaliteit, QualityUnknown);
    QCOMPARE(price(0), QStringLiteral("-3,00"));
    QCOMPARE(m_model->Total().raw(), qint64(0));
    QCOMPARE(m_rater->rated, 0);
    addPhotos(1, QStringLiteral("a"));
    QCOMPARE(m_model->Total(), TCurrency::fromCents(39));
}

void TestOrderModel::refusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("messageEnd");
    QTest::newRow("not a JPEG") << "fake.jpg" << false << int(TOrderModel::AddResult::NotJpeg)
                                << "\"\ris geen geldige JPEG-afbeelding.";
    QTest::newRow("path with characters outside Windows-1252") << QStringLiteral("日本-q1.jpg") << true
                                                                << int(TOrderModel::AddResult::NotStorable)
                                                                << "niet bewaard kunnen worden.";
    QTest::newRow("path longer than 255") << QString(250, QLatin1Char('n')) + QStringLiteral(".jpg") << true
                                          << int(TOrderModel::AddResult::NotStorable) << "niet bewaard kunnen worden.";
    QTest::newRow("rating error is shown, photo kept") << "slecht-q4.jpg" << true << int(TOrderModel::AddResult::Added)
                                                       << "Kwaliteitsfout 3";
}

void TestOrderModel::refusals()
{
    QFETCH(QString, name);
    QFETCH(bool, jpeg);
    QFETCH(int, result);
    QFETCH(QString, messageEnd);
    QString p = photo(name);
    if (!jpeg) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a jpeg");
    }
    QCOMPARE(int(m_model->AddPhoto(p, m_settings, m_hooks)), result);
    QCOMPARE(m_prompter.messages.size(), 1);
    QVERIFY2(m_prompter.messages[0].endsWith(messageEnd), qPrintable(m_prompter.messages[0]));
    if (result != int(TOrderModel::AddResult::Added)) {
        QVERIFY(m_prompter.messages[0].startsWith(QStringLiteral("\"") + p + QStringLiteral("\"\r")));
        QCOMPARE(m_model->Count(), 0);
        QCOMPARE(m_model->Kassa().Aanslagen().size(), 0);
    }
}

void TestOrderModel::countChangeMovesTier()
{
    addPhotos(3, QStringLiteral("a"), 10);
    QCOMPARE(m_model->Kassa().Aanslagen().at(0).Aantal, quint16(30));
    QVERIFY(m_model->SetCount({0}, 12, m_hooks));
    QCOMPARE(m_model->Kassa().Aanslagen().at(0).Aantal, quint16(32));
    QVERIFY(m_model->SetCount({0}, 10, m_hooks));
    QCOMPARE(m_model->Kassa().Aanslagen().at(0).Aantal, quint16(30));
    QCOMPARE(price(1), QStringLiteral("3,90"));
    // One photo from 10 to 30 prints lowers every row of the format to the 50-print tier.
    QVERIFY(m_model->SetCount({0}, 30, m_hooks));
    QCOMPARE(price(1), QStringLiteral("2,90"));
    QCOMPARE(price(0), QStringLiteral("8,70"));
    // A total past 65535 prints is refused and leaves the row as it was.
    QVERIFY(!m_model->SetCount({1}, 65535, m_hooks));
    QCOMPARE(m_model->Item(1).Aantal, quint16(10));
    QCOMPARE(m_model->Kassa().Aanslagen().at(0).Aantal, quint16(50));
    QCOMPARE(m_prompter.messages.size(), 1);
}

void TestOrderModel::formatChangeOfThreeRows()
{
    addPhotos(4, QStringLiteral("a"));
    m_model->SetFormat({0, 2, 3}, QStringLiteral("13 X 18"), true, m_hooks);
    QCOMPARE(m_model->Item(0).Formaat, QStringLiteral("13 X 18"));
    QCOMPARE(m_model->Item(1).Formaat, QStringLiteral("10 x 15"));
    QCOMPARE(m_model->Item(2).Lengte, 18.0);
    QCOMPARE(m_rater->rated, 4 + 3);
    // Three progress steps for the three rows, then the repricing walk.
    QCOMPARE(m_progress.positions.mid(0, 5), (QList<int>{0, 333, 667, 1000, 1000}));
    QCOMPARE(m_progress.texts.at(4), QStringLiteral("Formaten gewijzigd."));
    QCOMPARE(m_progress.texts.at(5), QStringLiteral("Orderlijst bijgewerken..."));
    QCOMPARE(m_progress.texts.last(), QStringLiteral("Orderlijst bijgewerkt."));
    QVERIFY(!m_progress.IsShowing());
    QCOMPARE(m_model->Total(), TCurrency::fromCents(39 + 3 * 59));
}

void TestOrderModel::formatChangeOfRowsWithVanishedFormat()
{
    // Rows loaded with a format the catalogue no longer has: the register holds no prints.
    TOrderItem gone;
    gone.Bestand = photo(QStringLiteral("g-q0.jpg"));
    gone.Formaat = QStringLiteral("11 x 11");
    gone.Aantal = 4;
    gone.Kwaliteit = 0;
    m_model->SetItems({gone, gone});
    m_model->RecalculateOrder();
    QCOMPARE(m_model->Kassa().Aanslagen().size(), 0);
    m_model->SetFormat({0, 1}, QStringLiteral("Poster"), true, m_hooks);
    // Their prints now count in the new format: 8 prints at the 3-print tier.
    QVERIFY(m_prompter.messages.isEmpty());
    QCOMPARE(m_model->Total(), TCurrency::fromCents(8 * 895));
    const TCurrency before = m_model->Total();
    m_model->RecalculateOrder();
    QCOMPARE(m_model->Total(), before);
}

void TestOrderModel::matteOnlyWhereOffered()
{
    addPhotos(1, QStringLiteral("a"));
    addPhotos(1, QStringLiteral("p"), 1, QStringLiteral("Poster"));
    m_model->SetPaper({0, 1}, 1);
    QCOMPARE(m_model->Item(0).Glans, quint8(0));
    QCOMPARE(m_model->Item(1).Glans, quint8(1));
    m_model->SetPaper({0, 1}, 0);
    QCOMPARE(m_model->Item(0).Glans, quint8(1));
    // Paper does not touch prices.
    QCOMPARE(m_model->Total(), TCurrency::fromCents(39 + 995));
}

void TestOrderModel::finishAndRowTexts()
{
    addPhotos(1, QStringLiteral("a"), 2);
    m_model->SetFinish({0}, AfwerkingSepia);
    m_model->SetPaper({0}, 1);
    QStringList texts;
    for (int c = 0; c < TOrderModel::ColumnCount; ++c)
        texts << m_model->data(m_model->index(0, c)).toString();
    QCOMPARE(texts, (QStringList{"a0-q1", "2", "10 x 15", "Mat", "Sepia", "Goed", "0,78"}));
    QCOMPARE(m_model->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Kwaliteit"));
    QCOMPARE(m_model->data(m_model->index(0, TOrderModel::ColPrijs), Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignRight | Qt::AlignVCenter));
    m_model->SetFinish({0}, 3);
    QCOMPARE(m_model->Item(0).Afwerking, AfwerkingSepia);
}

void TestOrderModel::deleteAllRows()
{
    addPhotos(3, QStringLiteral("a"));
    m_model->DeleteRows({2, 0, 1});
    QCOMPARE(m_model->Count(), 0);
    QCOMPARE(m_model->Kassa().Aanslagen().size(), 0);
    QCOMPARE(m_model->TotalSize(), qint64(0));
    QCOMPARE(m_model->OrderValueText(), QStringLiteral("Orderwaarde: € 0,00"));
    QCOMPARE(m_model->UploadTimeText(56), QStringLiteral("Uploadtijd: 00:00:00"));
}

void TestOrderModel::statusBarFigures_data()
{
    QTest::addColumn<int>("photos");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << 0 << qint64(0) << 56 << "Uploadtijd: 00:00:00";
    QTest::newRow("ten photos at 56 kbit/s") << 10 << qint64(2048000) << 56 << "Uploadtijd: 00:47:37";
    QTest::newRow("a hundred hours") << 1 << qint64(400) * 1024 * 1024 << 8 << "Uploadtijd: 113:46:40";
    QTest::newRow("speed 0") << 1 << qint64(100) << 0 << "Uploadtijd: onbekend";
}

void TestOrderModel::statusBarFigures()
{
    QFETCH(int, photos);
    QFETCH(qint64, size);
    QFETCH(int, speed);
    QFETCH(QString, expected);
    TOrderItem it;
    it.Grootte = size;
    it.Kwaliteit = 0;
    m_model->SetItems(QList<TOrderItem>(photos, it));
    QCOMPARE(m_model->UploadTimeText(uint16_t(speed)), expected);
}

void TestOrderModel::amountsAlwaysFollowRegister()
{
    // Random edits; after each one every amount equals the register's price times the count,
    // and the register equals one rebuilt from scratch.
    QRandomGenerator rng(20261211);
    const QStringList formats{"10 x 15", "13 x 18", "poster", "weg"};
    for (int step = 0; step < 300; ++step) {
        const int n = m_model->Count();
        QList<int> rows;
        for (int r = 0; r < n; ++r)
            if (rng.bounded(3) == 0)
                rows << r;
        switch (rng.bounded(5)) {
        case 0:
        case 1:
            addPhotos(1, QStringLiteral("r"), uint16_t(1 + rng.bounded(30)), formats[rng.bounded(4)]);
            break;
        case 2:
            m_model->SetCount(rows, uint16_t(1 + rng.bounded(60)), m_hooks);
            break;
        case 3:
            m_model->SetFormat(rows, formats[rng.bounded(3)], true, m_hooks);
            break;
        case 4:
            if (rng.bounded(4) == 0)
                m_model->DeleteRows(rows);
            break;
        }
        TKassa fresh(*m_cat);
        for (const TOrderItem &it : m_model->Items())
            fresh.AddPrints(it.Formaat, it.Aantal);
        QCOMPARE(m_model->Total(), fresh.Total());
        for (int r = 0; r < m_model->Count(); ++r) {
            const TOrderItem &it = m_model->Item(r);
            QCOMPARE(it.Prijs, fresh.UnitPrice(it.Formaat) * it.Aantal);
        }
        // Now and then a full rebuild from the rows lands on the same register.
        if (step % 7 == 0) {
            m_model->RecalculateOrder();
            QCOMPARE(m_model->Total(), fresh.Total());
        }
    }
}

void TestOrderModel::recalculatePastTheLimit()
{
    // Rows of one format summing past 65535 prints: the rows that fit count, as adding them
    // one by one does; other formats are not disturbed.
    TOrderItem big;
    big.Formaat = QStringLiteral("10 x 15");
    big.Aantal = 40000;
    big.Kwaliteit = 0;
    TOrderItem small = big;
    small.Aantal = 20000;
    TOrderItem other = big;
    other.Formaat = QStringLiteral("Poster");
    other.Aantal = 2;
    m_model->SetItems({big, other, big, small});
    m_model->RecalculateOrder();
    const auto &entries = m_model->Kassa().Aanslagen();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0].Formaat, QStringLiteral("10 x 15"));
    QCOMPARE(entries[0].Aantal, quint16(60000));
    QCOMPARE(entries[1].Aantal, quint16(2));
}

void TestOrderModel::openedOrderOfManyInterleavedFormats()
{
    // More distinct format names than the loader and the model remember at once, in an
    // interleaved order and differing only in case or accents: every row keeps its own
    // name, and the register opened from the file equals one built row by row.
    const QStringList names{"10 x 15", "13 x 18", "Poster", "10 X 15", "poster", "Één", "Een", "", "a", "b", "c",
                            "d", "e", "f", "g"};
    const QString p = photo(QStringLiteral("gedeeld.jpg"));
    QList<TOrderItem> written;
    for (int i = 0; i < 300; ++i) {
        TOrderItem it;
        it.Bestand = p;
        it.Naam = OrderItemNaam(p);
        it.Formaat = names[(i * 7 + i / 40) % names.size()];
        it.Aantal = uint16_t(1 + i % 4);
        it.Kwaliteit = 0;
        it.Grootte = 100;
        written << it;
    }
    TOrderFile of;
    const QString file = m_dir->filePath(QStringLiteral("veel.obn"));
    QVERIFY(of.SaveOrderAs(file, QStringLiteral("09122008-03"), written, m_hooks));
    QList<TOrderItem> loaded;
    QVERIFY(of.LoadOrderFile(file, OrderFileVersion(), loaded, *m_rater, true, m_hooks));
    QCOMPARE(loaded.size(), written.size());
    for (int i = 0; i < loaded.size(); ++i)
        QCOMPARE(loaded[i].Formaat, written[i].Formaat);

    m_model->SetItems(loaded);
    m_model->RecalculateOrder();
    TKassa fresh(*m_cat);
    for (const TOrderItem &it : written)
        fresh.AddPrints(it.Formaat, it.Aantal);
    QCOMPARE(m_model->Kassa().Aanslagen(), fresh.Aanslagen());
    for (int r = 0; r < m_model->Count(); ++r)
        QCOMPARE(m_model->Item(r).Prijs, fresh.UnitPrice(written[r].Formaat) * written[r].Aantal);
}

QTEST_GUILESS_MAIN(TestOrderModel)
#include "tst_ordermodel.moc"
