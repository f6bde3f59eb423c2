// Opens each window of the program with sample data and writes what it shows to a PNG file:
//   kiekjes_screenshots <folder> [name...]
// Without names every window of the table below is taken. To add a window, add one entry to
// the table: a name and a function that builds and shows the window from the sample data.

#include "CatalogueFixture.h"
#include "JpegWriter.h"
#include "TestCatalogue.h"
#include "app/HoofdVenster.h"
#include "app/SettingsStore.h"
#include "catalogue/UPenFJson.h"
#include "catalogue/UPenFWriter.h"
#include "app/Prompts.h"
#include "catalogue/UAanbod.h"
#include "catalogue/UFormaatInfo.h"
#include "catalogue/UReplaceDlg.h"
#include "catalogue/UServiceAndLocationDlg.h"
#include "dialogs/Instellingen.h"
#include "dialogs/Klantgegevens.h"
#include "dialogs/PrAbout.h"
#include "dialogs/UGegevensBevestiging.h"
#include "imaging/UEnlargedView.h"
#include "app/UVoortgang.h"
#include "catalogue/UConfirmCalculationDlg.h"
#include "lab/UDataModule.h"
#include "lab/UpdatenDlg.h"
#include "lab/VerzendenDlg.h"
#include "order/TOrderModel.h"
#include "order/UPhotoRater.h"
#include "../../src/gui/order/Exporteren.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QToolButton>
#include "order/TOrderModel.h"
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QTextStream>
#include <QThread>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// A landscape to stand for a photo: sky, sun, hills and a row of houses.
QImage LandscapePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height * 0.6);
    sky.setColorAt(0, QColor(0x3a, 0x78, 0xc8));
    sky.setColorAt(1, QColor(0xcf, 0xe4, 0xf5));
    p.fillRect(picture.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe0, 0x80));
    p.drawEllipse(QPointF(width * 0.78, height * 0.2), height * 0.09, height * 0.09);
    const auto hill = [&](double top, const QColor &colour, double phase) {
        QPainterPath path(QPointF(0, height));
        for (int x = 0; x <= width; x += width / 60)
            path.lineTo(x, height * (top + 0.05 * std::sin(x * 6.0 / width + phase)));
        path.lineTo(width, height);
        p.setBrush(colour);
        p.drawPath(path);
    };
    hill(0.55, QColor(0x6c, 0x9a, 0x4a), 0.0);
    hill(0.7, QColor(0x4a, 0x7d, 0x34), 2.0);
    for (int i = 0; i < 5; ++i) {
        const double x = width * (0.12 + i * 0.09), w = width * 0.07, y = height * 0.72;
        p.setBrush(QColor(0xb8 - i * 10, 0x5a + i * 8, 0x3c));
        p.drawRect(QRectF(x, y - w * 0.8, w, w * 0.8));
        p.setBrush(QColor(0x6b, 0x3a, 0x2a));
        p.drawPolygon(QPolygonF{QPointF(x - w * 0.1, y - w * 0.8), QPointF(x + w / 2, y - w * 1.4), QPointF(x + w * 1.1, y - w * 0.8)});
    }
    return picture;
}

// An order of five photos for the enlarged view, in a folder that lives as long as it does.
struct TViewSample {
    QTemporaryDir folder;
    TPenFFile catalogue{QString(), 0, 0};
    TPhotoRater rater{catalogue};
    TOrderModel model{catalogue, rater};
    TViewSample()
    {
        catalogue.AddFormat(MakeFormat(QStringLiteral("10x15"), 10, 15, true, {{1, 29}}));
        catalogue.AddFormat(MakeFormat(QStringLiteral("13x18"), 13, 18, false, {{1, 59}}));
        catalogue.AddFormat(MakeFormat(QStringLiteral("Panorama"), 10, 0, false, {{1, 99}}));
        const QString file = folder.filePath(QStringLiteral("Zomer aan de Vliet.jpg"));
        WriteFile(file, WriteJpeg(LandscapePicture(1800, 1200)));
        QList<TOrderItem> items;
        for (int i = 0; i < 5; ++i) {
            TOrderItem item;
            item.Naam = OrderItemNaam(file) + (i ? QStringLiteral(" %1").arg(i + 1) : QString());
            item.Bestand = file;
            item.Formaat = i == 2 ? QStringLiteral("13x18") : QStringLiteral("10x15");
            item.Aantal = uint16_t(i == 2 ? 4 : 1);
            items << item;
        }
        model.SetItems(items);
    }
};

// What the windows are shown with.
struct TSample {
    std::unique_ptr<TPenFFile> catalogue = makeTestCatalogue();
    TKlantGegevens klant;
    TInstellingen instellingen;
    std::unique_ptr<TViewSample> view;
    TViewSample &View()
    {
        if (!view)
            view = std::make_unique<TViewSample>();
        return *view;
    }
    TSample()
    {
        klant.Titel = QStringLiteral("Mevr.");
        klant.Voornaam = QStringLiteral("Els");
        klant.Tussenvoegsel = QStringLiteral("van der");
        klant.Achternaam = QStringLiteral("Berg-Hoogendijk");
        klant.Straat = QStringLiteral("Burgemeester van Roijensingel");
        klant.Nummer = QStringLiteral("112bis");
        klant.PcCijfers = 1234;
        klant.PcLetters = QStringLiteral("AB");
        klant.Plaats = QStringLiteral("Veldmeer aan de Vliet");
        klant.Telefoon = QStringLiteral("012-3456789");
        klant.Email = QStringLiteral("els.vanderberg@example.org");
        klant.Afhaallocatie = QStringLiteral("Zuiderhaven");
        instellingen = StandaardInstellingen(QStringLiteral("10x15"));
    }

    // A main window on a data folder of its own with the sample catalogue, optionally with
    // photos added through its own add command.
    QTemporaryDir folder;
    TMainForm *mainWindow(int photos)
    {
        const QString data = folder.filePath(QStringLiteral("data%1/").arg(photos));
        QDir().mkpath(data);
        // The demo catalogue, as a lab ships it.
        QFile demo(QStringLiteral(KIEKJES_SOURCE_DIR "/data/demo/catalogue.json"));
        demo.open(QIODevice::ReadOnly);
        const auto parsed = penfjson::FromJson(demo.readAll());
        QFile f(data + QStringLiteral("PenF.dat"));
        if (f.open(QIODevice::WriteOnly))
            f.write(penfwriter::Write(*parsed.catalogue, 2));
        f.close();
        const QString ini = folder.filePath(QStringLiteral("settings%1.ini").arg(photos));
        TSettingsStore(ini).writeCustomer(klant);
        TStartupOptions options;
        options.dataFolder = data;
        options.settingsFile = ini;
        auto *w = new TMainForm(options);
        w->show();
        w->FirstShow();
        QStringList paths;
        const char *names[] = {"strand", "verjaardag oma", "zonsondergang", "haven", "kerk", "duinen"};
        for (int i = 0; i < photos; ++i) {
            const QString p = folder.filePath(QString::fromLatin1(names[i % 6]) + QStringLiteral(".jpg"));
            WriteFile(p, WriteJpeg(PhotoLikePicture(1600 + 400 * (i % 3), 1200, uint32_t(i + 1))));
            paths << p;
        }
        if (!paths.isEmpty()) {
            w->AddFiles(paths, false);
            w->ListView->selectionModel()->select(w->Model().index(1, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
            w->EnableItemEditor(true);
            w->BitBtnNext->click();
            w->BitBtnNext->click();
        }
        return w;
    }
};

using TOpen = std::function<QWidget *(TSample &)>;
struct TShot {
    const char *name;
    TOpen open;
};

template <typename T>
T *shown(T *window)
{
    window->show();
    return window;
}

const TShot Shots[] = {
    {"hoofdvenster-leeg", [](TSample &s) { return static_cast<QWidget *>(s.mainWindow(0)); }},
    {"hoofdvenster-order", [](TSample &s) { return static_cast<QWidget *>(s.mainWindow(6)); }},
    {"klantgegevens", [](TSample &s) { auto *d = new TKlantgegevensDlg; d->SetGegevens(s.klant); return shown(d); }},
    {"klantgegevens-eerste-keer", [](TSample &) { auto *d = new TKlantgegevensDlg; d->SetVerplicht(true); return shown(d); }},
    {"bevestiging", [](TSample &s) { auto *d = new TGegevensBevestingsDlg; d->Fill(s.klant); return shown(d); }},
    {"bevestiging-snelservice", [](TSample &s) {
         TKlantGegevens k = s.klant;
         k.Snelservice = true;
         auto *d = new TGegevensBevestingsDlg;
         d->Fill(k);
         return shown(d);
     }},
    {"instellingen", [](TSample &s) {
         auto *d = new TInstellingenDlg;
         d->SetFormaten(aanbod::FormatsOnOffer(*s.catalogue, false, QString()));
         d->SetStandaard(s.instellingen);
         d->SetGegevens(s.instellingen);
         return shown(d);
     }},
    {"info", [](TSample &) {
         auto *d = new TAboutBox;
         d->SetVersionText(QStringLiteral("Kiekjesbode (1.6.1.5)"));
         return shown(d);
     }},
    {"service-en-locatie", [](TSample &s) {
         auto *d = new TServiceAndLocationDlg;
         d->Setup(QStringLiteral("Kiekjesbode - Service & Afhaallocatie"), aanbod::ServiceNames(*s.catalogue),
                  s.catalogue.get(), QStringLiteral("Oké"), QString(), QString(), 1);
         d->Prepare(QStringLiteral("Snelservice"), QStringLiteral("Zuiderhaven"));
         return shown(d);
     }},
    {"formaat-vervangen", [](TSample &s) {
         auto *d = new TReplaceDlg;
         d->Setup(QStringLiteral("Formaat is niet beschikbaar"), aanbod::FormatsOnOffer(*s.catalogue, true, QStringLiteral("Veldmeer")),
                  s.catalogue->DefaultFormatName(), QStringLiteral("Oké"), QStringLiteral("Alles"), QStringLiteral("Annuleren"), 1);
         d->Prepare(QStringLiteral("9x13"), QStringLiteral("10x15"));
         return shown(d);
     }},
    {"formaat-vervangen-allemaal", [](TSample &s) {
         auto *d = new TReplaceDlg;
         d->Setup(QStringLiteral("Formaat is niet meer beschikbaar"), aanbod::FormatsOnOffer(*s.catalogue, false, QString()),
                  s.catalogue->DefaultFormatName(), QStringLiteral("Oké"), QStringLiteral("&Allemaal"), QString(), 1);
         d->Prepare(QStringLiteral("20x30"), QStringLiteral("10x15"));
         return shown(d);
     }},
    {"formaatinformatie", [](TSample &s) {
         auto *f = new TFormaatInfoForm;
         f->Execute(*s.catalogue, false, QStringLiteral("Veldmeer"));
         return f;
     }},
    {"formaatinformatie-snelservice", [](TSample &s) {
         auto *f = new TFormaatInfoForm;
         f->Execute(*s.catalogue, true, QStringLiteral("Veldmeer"));
         return f;
     }},
    {"verzenden", [](TSample &s) {
         // The send dialog as it looks while the photos go out.
         // The dialogs it opens live with it; the connection for the rest of the program.
         auto *progress = new TVoortgangsDlg;
         auto *confirmation = new TGegevensBevestingsDlg;
         auto *calculation = new TConfirmCalculationDlg;
         static TDM connection;
         auto *d = new TVerzendenDlg(*progress, *confirmation, *calculation);
         for (QWidget *child : std::initializer_list<QWidget *>{progress, confirmation, calculation})
             child->setParent(d, child->windowFlags());
         QList<TOrderItem> order;
         for (int i = 0; i < 6; ++i) {
             TOrderItem it;
             it.Aantal = uint16_t(1 + i % 3);
             it.Grootte = 2400000 + 350000 * i;
             it.Prijs = TCurrency::fromCents(29 * it.Aantal);
             order << it;
         }
         d->Prepare(order, QStringLiteral("01122026-01"), QString(), 512, s.klant, *s.catalogue, connection);
         d->LblServer->setText(QStringLiteral("01122026-01"));
         d->LblInfo->setText(QStringLiteral("Welkom bij Fotolab Lichtvonk. Bestellingen voor 12:00 uur worden dezelfde dag "
                                            "afgedrukt."));
         d->LblOrderWaarde->setText(QStringLiteral("€ 7,44 (inclusief evt. porto)"));
         d->FileProgressBar->setValue(40);
         d->OrderProgressBar->setValue(55);
         d->StTxtInfo->setText(QStringLiteral("1088 kB (40%)"));
         d->BtnStart->setEnabled(false);
         return shown(d);
     }},
    {"berekening", [](TSample &) {
         auto *d = new TConfirmCalculationDlg;
         d->Prepare(QStringLiteral("10 x 15 Glans=6;0,29;1,74\r\n13 x 18 Mat=2;0,59;1,18\r\n-=\r\n"
                                   "Subtotaal=;;2,92\r\nPortokosten=;;3,95\r\n-=\r\nTotaal=;;6,87"));
         return shown(d);
     }},
    {"bijwerken", [](TSample &s) {
         auto *d = new TUpdateDlg;
         d->Prepare(*s.catalogue, nullptr);
         d->LblServer->setText(QStringLiteral("01122026-02"));
         d->LblGrootte->setText(QStringLiteral("41 kB"));
         d->LblOntvangen->setText(QStringLiteral("20 kB (50%)"));
         d->ProgressBar->setValue(50);
         d->ScTxtMessage->setText(QStringLiteral("Verbonden met 127.0.0.1"));
         return shown(d);
     }},
    {"vergrote-weergave", [](TSample &s) {
         auto *f = new TEnlargedViewForm;
         f->Prepare(s.View().model, s.View().catalogue, 2);
         return shown(f);
     }},
    {"vergrote-weergave-gedraaid", [](TSample &s) {
         auto *f = new TEnlargedViewForm;
         f->Prepare(s.View().model, s.View().catalogue, 0);
         shown(f)->BtnRechtsom->click();
         return f;
     }},
    {"vergrote-weergave-voortgang", [](TSample &s) {
         // The rotation's progress bar as it lies over the picture while a turn runs.
         auto *f = new TEnlargedViewForm;
         f->Prepare(s.View().model, s.View().catalogue, 1);
         shown(f)->ProgressBar->show();
         f->ProgressBar->setValue(60);
         return f;
     }},
    {"exporteren", [](TSample &) { auto *d = new TExportDlg; d->Prepare(QStringLiteral("Naamloos.txt"), {}); return shown(d); }},
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kiekjes Bode"));
    TMessageBox::setTesting(true);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        QTextStream(stderr) << "usage: kiekjes_screenshots <folder> [name...]\n";
        return 2;
    }
    const QDir folder(args.first());
    if (!QDir().mkpath(folder.path()))
        return 1;
    const QStringList wanted = args.mid(1);
    TSample sample;
    int failures = 0;
    for (const TShot &shot : Shots) {
        const QString name = QString::fromLatin1(shot.name);
        if (!wanted.isEmpty() && !wanted.contains(name))
            continue;
        std::unique_ptr<QWidget> window(shot.open(sample));
        // Let the window manager map it and the layouts settle before grabbing.
        for (int i = 0; i < 10; ++i) {
            QApplication::processEvents();
            QThread::msleep(20);
        }
        const QString file = folder.filePath(name + QStringLiteral(".png"));
        if (window->grab().save(file)) {
            QTextStream(stdout) << file << " " << window->width() << "x" << window->height() << "\n";
        } else {
            QTextStream(stderr) << "could not write " << file << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
