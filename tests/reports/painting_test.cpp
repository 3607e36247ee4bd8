// Painting the laid-out pages: the platform's fonts, the PDF of the order summary read back
// as text, printing through a printer, and the preview window.
#include "pdf_support.h"
#include "report_support.h"
#include "reports/layouts/lists.h"
#include "reports/order_summary_pdf.h"
#include "reports/painter.h"
#include "reports/preview.h"
#include "reports/printing.h"
#include "store/format/format.h"

#include <QFontInfo>
#include <QImage>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>

using namespace reports;
using namespace reports::engine;
using reportsupport::add;
using reportsupport::lineWith;

namespace {

using reportsupport::kParts;

class PaintingTest : public reportsupport::ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        settings(400);
        parts(kParts);
    }

    void order(int extraRows = 0) {
        auto& r = dm->Tblreszossz;
        r.open();
        add(r, {{"BSNR", "530612"}, {"Darab", 4}});
        add(r, {{"BSNR", "201455"}, {"Darab", 2}});
        add(r, {{"BSNR", "400101"}, {"Darab", 3}});
        store::ControlsDisabled hold(r);
        for (int i = 0; i < extraRows; ++i) {
            add(r, {{"BSNR", "9" + std::to_string(10000 + i)}, {"Darab", 1}});
        }
        priceRows(r, 400);
    }

    OrderSummaryOptions options() {
        OrderSummaryOptions o;
        o.settings = &dm->Tbltarol;
        o.exchangeRate = 400;
        o.installDate = store::Date{2025, 1, 15};
        o.footer = {"Demó Vasalat Kft. – 1117 Budapest, Példa utca 12."};
        o.customer = {"Minta Bt.", "Árajánlat", "R-2026/17", {"Szállítás csütörtökön."}};
        return o;
    }

    WindowDescription window() {
        WindowDescription w;
        w.type = "Bukó-nyíló ablak, Normal";
        w.size = WindowDescription::sizeText(1230, 1480);
        w.material = "Műanyag - Rehau 730";
        w.opening = "Jobb";
        w.colour = "Fehér";
        w.quantity = WindowDescription::quantityText(2);
        return w;
    }
};

} // namespace

TEST(PlatformFonts, ReportFontsHaveMetricCompatibleFaces) {
    for (const char* family : {kArial, kArialNarrow}) {
        SCOPED_TRACE(family);
        const QString face = platformFamily(family);
        EXPECT_TRUE(face == QString::fromUtf8(family) ||
                    face.startsWith(QStringLiteral("Liberation Sans")))
            << face.toStdString();
        QFont f(face);
        EXPECT_EQ(QFontInfo(f).family(), face); // the face is really there
    }
    QtFontMetrics m;
    const Font arial{kArial, 10};
    const Font narrow{kArialNarrow, 10};
    // Arial 10 pt: about 0.55 em a letter, 1.15 em a line (an em is 13.33 units)
    const double w = m.textWidth(arial, "Megnevezés");
    EXPECT_GT(w, 60);
    EXPECT_LT(w, 80);
    EXPECT_LT(m.textWidth(narrow, "Megnevezés"), 0.9 * w);
    EXPECT_GT(m.textWidth(Font{kArial, 10, true}, "Megnevezés"), w);
    EXPECT_NEAR(m.lineHeight(arial), 15.3, 1.0);
    EXPECT_NEAR(m.textWidth(Font{kArial, 20}, "Megnevezés"), 2 * w, 0.5); // unhinted: linear
}

TEST_F(PaintingTest, OrderSummaryPdfHoldsTheLaidOutTexts) {
    if (!reportsupport::havePoppler()) {
        GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) are not installed";
    }
    order();
    const auto pdf = dir / "ajanlat.pdf";
    std::string error;
    ASSERT_EQ(printOrderSummaryPdf(dm->Tblreszossz, window(), pdf, options(), &error),
              PdfResult::Written)
        << error;
    const auto info = reportsupport::pdfInfo(pdf);
    ASSERT_TRUE(info);
    EXPECT_NE(info->find("Pages:           1"), std::string::npos) << *info;
    EXPECT_NE(info->find("(A4)"), std::string::npos) << *info;
    EXPECT_NE(info->find("Dirurar összesítő"), std::string::npos) << *info;

    const auto text = reportsupport::pdfText(pdf);
    ASSERT_TRUE(text);
    for (const char* s : {"Verzió: 25.12.1",
                          "Installálás:",
                          "2025.01.15.",
                          "Alkatrész lista",
                          "Árajánlat",
                          "Megrendelő:",
                          "Minta Bt.",
                          "R-2026/17",
                          "Bukó-nyíló ablak, Normal",
                          "1230 x 1480 mm",
                          "Műanyag - Rehau 730",
                          "2 db",
                          "Árfolyam:",
                          "Ár (Euro)",
                          "Ár/db(Ft)",
                          "16 400",
                          "+ Áfa",
                          "2,32",
                          "Szállítás csütörtökön.",
                          "Demó Vasalat Kft. – 1117 Budapest",
                          "A megadott árak nettó árak,  Áfa-t nem tartalmaznak!"}) {
        // pdftotext puts one blank where the page has several
        EXPECT_NE(reportsupport::squeeze(*text).find(reportsupport::squeeze(s)), std::string::npos)
            << s << "\n"
            << *text;
    }
    // each row on one line, its columns in their order
    struct Row {
        std::vector<std::string> cells;
    } rows[] = {{{"1", "Olló 600 mm", "201455", "2", "29,60", "5 920", "11 840"}},
                {{"2", "Csavar 4x35", "100", "400101", "3", "3,60", "1 440"}},
                {{"3", "Gombás zárólemez jobb", "530612", "4", "7,80", "780", "3 120"}}};
    size_t lastLine = 0;
    for (const Row& r : rows) {
        const std::string line = lineWith(*text, r.cells[1]);
        SCOPED_TRACE(line);
        size_t at = 0;
        for (const std::string& c : r.cells) {
            const size_t found = line.find(c, at);
            ASSERT_NE(found, std::string::npos) << c;
            at = found + c.size();
        }
        const size_t pos = text->find(line);
        EXPECT_GT(pos, lastLine); // the rows in order down the page
        lastLine = pos;
    }
    EXPECT_LT(text->find("Alkatrész lista"), text->find("Megnevezés"));
    EXPECT_LT(text->find("16 400"), text->find("A megadott árak"));
}

TEST_F(PaintingTest, EmptySummaryWritesNoFileAndFailuresAreReported) {
    dm->Tblreszossz.open();
    const auto pdf = dir / "ures.pdf";
    std::string error;
    EXPECT_EQ(printOrderSummaryPdf(dm->Tblreszossz, window(), pdf, options(), &error),
              PdfResult::Empty);
    EXPECT_FALSE(std::filesystem::exists(pdf));

    order();
    EXPECT_EQ(
        printOrderSummaryPdf(dm->Tblreszossz, window(), dir / "nincs" / "x.pdf", options(), &error),
        PdfResult::Failed);
    EXPECT_NE(error.find("nincs"), std::string::npos) << error;

    // an existing file is kept when the layout fails
    std::filesystem::create_directories(dir / "out");
    const auto kept = dir / "out" / "regi.pdf";
    ASSERT_TRUE(store::fmt::writeTextFile(kept, {"régi"}));
    OrderSummaryOptions bad = options();
    bad.language = Language::Roman;
    dm->Tblreszossz.close();
    EXPECT_EQ(printOrderSummaryPdf(dm->Tblreszossz, window(), kept, bad, &error),
              PdfResult::Failed);
    EXPECT_EQ(std::filesystem::file_size(kept), 6u);
}

TEST_F(PaintingTest, PrinterPrintsThePagesOfItsRange) {
    if (!reportsupport::havePoppler()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    order(50); // two pages
    TFrmqrosszesit frm;
    frm.bind(dm->Tblreszossz);
    ReportPrinter rp(frm.QRposszesit);
    QPrinter& p = rp.printer();
    EXPECT_TRUE(p.fullPage());
    EXPECT_EQ(p.pageLayout().pageSize().id(), QPageSize::A4);

    const auto all = dir / "all.pdf";
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(all.string()));
    ASSERT_TRUE(rp.print(nullptr, false));
    auto info = reportsupport::pdfInfo(all);
    ASSERT_TRUE(info);
    EXPECT_NE(info->find("Pages:           2"), std::string::npos) << *info;

    const auto second = dir / "second.pdf";
    p.setOutputFileName(QString::fromStdString(second.string()));
    p.setPrintRange(QPrinter::PageRange);
    p.setFromTo(2, 2);
    ASSERT_TRUE(rp.print(nullptr, false));
    const auto text = reportsupport::pdfText(second);
    ASSERT_TRUE(text);
    const std::string footer = reportsupport::squeeze(lineWith(*text, "Lap:"));
    ASSERT_NE(footer.find("Lap:"), std::string::npos) << *text;
    EXPECT_EQ(footer.substr(footer.find("Lap:")), "Lap: 2");
    EXPECT_EQ(text->find("Árfolyam:"), std::string::npos); // the title is on page 1 only

    // an empty summary prints nothing
    dm->Tblreszossz.emptyTable();
    EXPECT_FALSE(rp.print(nullptr, false));
    EXPECT_FALSE(rp.preview(nullptr));
}

TEST_F(PaintingTest, PreviewWindowNavigatesZoomsAndPaints) {
    order(80); // three pages
    TFrmqrosszesit frm;
    frm.bind(dm->Tblreszossz);
    frm.setFooterLines({"Lábjegyzet"});
    Document doc = layoutWithPlatformFonts(frm.QRposszesit);
    ASSERT_EQ(doc.pages.size(), 3u);
    PreviewWindow w(std::move(doc));
    w.resize(800, 900);
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Dirurar összesítő"));
    EXPECT_EQ(w.pageLabelText(), QStringLiteral("Lap: 1 / 3"));
    auto button = [&](const char* tip) {
        for (QPushButton* b : w.findChildren<QPushButton*>()) {
            if (b->toolTip() == QString::fromUtf8(tip)) {
                return b;
            }
        }
        return static_cast<QPushButton*>(nullptr);
    };
    ASSERT_NE(button("Következő oldal"), nullptr);
    EXPECT_FALSE(button("Előző oldal")->isEnabled());
    button("Következő oldal")->click();
    EXPECT_EQ(w.currentPage(), 1);
    EXPECT_EQ(w.pageLabelText(), QStringLiteral("Lap: 2 / 3"));
    button("Utolsó oldal")->click();
    EXPECT_EQ(w.pageLabelText(), QStringLiteral("Lap: 3 / 3"));
    EXPECT_FALSE(button("Következő oldal")->isEnabled());
    button("Első oldal")->click();
    EXPECT_EQ(w.currentPage(), 0);

    // 100 %: the paper's size on the screen; 200 % doubles it
    w.setZoomPercent(100);
    const int dpi = w.pageView()->logicalDpiX();
    const QSize at100 = w.pageView()->size();
    EXPECT_NEAR(at100.width() - 24, 210 / 25.4 * dpi, 2);
    w.setZoomPercent(200);
    EXPECT_NEAR(w.pageView()->width() - 24, 2 * (at100.width() - 24), 2);
    w.fitWholePage();
    const QSize area = w.findChild<QScrollArea*>()->viewport()->size();
    EXPECT_LE(w.pageView()->height(), area.height() + 1);

    // the page is painted: dark text pixels inside the paper, the print action is offered
    w.setZoomPercent(100);
    const QImage img = w.pageView()->grab().toImage();
    int dark = 0;
    for (int y = 12; y < img.height() - 12; y += 2) {
        for (int x = 12; x < img.width() - 12; x += 2) {
            dark += qGray(img.pixel(x, y)) < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 200);
    QPushButton* print = nullptr;
    for (QPushButton* b : w.findChildren<QPushButton*>()) {
        if (b->text() == QStringLiteral("Nyomtatás")) {
            print = b;
        }
    }
    ASSERT_NE(print, nullptr);
    EXPECT_TRUE(print->isHidden()); // offered only with a print action
    int printed = 0;
    w.setPrintAction([&] { ++printed; });
    EXPECT_FALSE(print->isHidden());
    print->click();
    EXPECT_EQ(printed, 1);
}
