#include "reports/layouts/order_summary.h"

#include "reports/layouts/builder.h"
#include "store/format/format.h"

#include <cctype>

namespace reports {

using namespace layouts;
using eng::Align;
using eng::BandKind;

namespace {

constexpr const char* kVatLabel = "+ Áfa";

std::string lowerName(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

} // namespace

std::string nameFieldOf(Language language) {
    switch (language) {
    case Language::Magyar:
        return "megnevezes";
    case Language::Nemet:
    case Language::English:
        return "nemet";
    case Language::Roman:
        return "roman";
    case Language::Szerb:
        return "szerb";
    }
    return "megnevezes";
}

std::string WindowDescription::sizeText(int width, int height, std::optional<int> lockSide) {
    std::string s = std::to_string(width) + " x " + std::to_string(height);
    if (lockSide) {
        s += " x " + std::to_string(*lockSide);
    }
    return s + " mm";
}

std::string WindowDescription::quantityText(int quantity) {
    return std::to_string(quantity) + " db ";
}

TFrmqrosszesit::TFrmqrosszesit() {
    eng::Report& r = QRposszesit;
    r.caption = Caption;
    r.printIfEmpty = false;

    // ---- page header: the order on the left, the collected window on the right ----
    eng::Band& ph = r.addBand(BandKind::PageHeader, 202);
    ph.add(label("qver", "", 8, 0, narrow(8)));
    ph.add(label("Installálás:", "Installálás:", 8, 12, narrow(8)));
    ph.add(label("Qinst", "", 56, 12, narrow(8)));
    ph.add(label("Alkatrész lista", "Alkatrész lista", 48, 36, arial(14, kBoldUnderline)));
    ph.add(label("lajanlat", "", 49, 62, arial(10, kBold)));
    ph.add(label("Megrendelő:", "Megrendelő:", 126, 120, arial(10, kBold)));
    ph.add(label("lvevo", "", 232, 120, arial(10), Align::Left, 262));
    ph.add(label("Rendelési szám: ", "Rendelési szám: ", 126, 140, arial(10, kBold)));
    ph.add(label("Qrszam", "", 232, 140, arial(10), Align::Left, 262));

    ph.add(picture("QRImage2", 530, 4, 105, 49));
    ph.add(label("Qtipus", "", 530, 56, narrow(8), Align::Left, 188));
    ph.add(label("Qszel", "", 552, 68, narrow(8), Align::Left, 166));
    ph.add(label("Qanyag", "", 530, 80, narrow(8), Align::Left, 188));
    ph.add(label("Qnyitas", "", 530, 92, narrow(8), Align::Left, 188));
    ph.add(label("Qszin", "", 532, 104, narrow(8), Align::Left, 52));
    ph.add(label("qdarab", "", 586, 104, narrow(8), Align::Left, 132));
    ph.add(bar("QRShape2", 500, 4, 3, 120, eng::kBlue));
    ph.add(bar("QRShape1", 500, 124, 150, 3, eng::kBlue));

    // ---- title: exchange rate and date ----
    eng::Band& title = r.addBand(BandKind::Title, 25);
    title.add(label("Árfolyam:", "Árfolyam:", 48, 6, arial(9)));
    title.add(foreignField("QRDBText2", "Arfolyam", 120, 6, 0, arial(9)));
    title.add(sysData("QRSysData2", eng::SysDataKind::Date, 624, 6, narrow(9)));

    // ---- column header ----
    eng::Band& ch = r.addBand(BandKind::ColumnHeader, 35);
    frame(ch, true, true);
    const eng::Font hf = arial(9, kBold);
    ch.add(label("Megnevezés", "Megnevezés", 60, 11, hf));
    ch.add(label("Cs.E.", "Cs.E.", 281, 11, hf));
    ch.add(label("BSNR", "BSNR", 324, 11, hf));
    ch.add(label("Mennyiség", "Mennyiség", 414, 11, hf, Align::Right));
    ch.add(label("Ár (Euro)", "Ár (Euro)", 486, 11, hf, Align::Center));
    ch.add(label("QRLabel2", "Ár/db(Ft)", 580, 11, hf));
    ch.add(label("Ár (Ft)", "Ár (Ft)", 668, 11, hf));

    // ---- one line per summary row ----
    eng::Band& d = r.addBand(BandKind::Detail, 20);
    const eng::Font df = narrow(9);
    d.add(sysData("QRSysData1", eng::SysDataKind::DetailNumber, -18, 3, df, Align::Right, 43));
    d.add(field("QRDBText1", "megnevezes", 40, 3, 200, df));
    d.add(field("QRDBText9", "pe", 282, 3, 28, df, Align::Right, "######"));
    d.add(field("QRDBText3", "BSNR", 324, 3, 86, df));
    d.add(field("QRDBText4", "Darab", 414, 3, 56, df, Align::Right, "### ###"));
    d.add(field("QRDBText5", "ar", 460, 3, 71, df, Align::Right, "### ##0.00"));
    d.add(field("QRDBRendeles", "ear2", 594, 3, 40, df, Align::Right, "# ### ###"));
    d.add(field("QRDBText6", "ar2", 638, 3, 79, df, Align::Right, "### ### ###"));

    // ---- totals ----
    eng::Band& sum = r.addBand(BandKind::Summary, 153);
    frame(sum, true, false);
    const eng::Font sf = arial(9, kBold);
    sum.add(expression("QRExpr1", "SUM(tblkigyujt.ar)", 397, 6, 138, sf, Align::Right,
                       "## ### ###.##"));
    sum.add(
        expression("QRExpr2", "SUM(tblkigyujt.ar2)", 622, 6, 81, sf, Align::Right, "## ### ###"));
    sum.add(label(kVatLabel, kVatLabel, 688, 22, sf));
    sum.add(
        expression("QRExpr3", "SUM(tblkigyujt.gew)", 600, 38, 78, sf, Align::Right, "# ###.##"));
    sum.add(label("Kg", "Kg", 681, 38, sf));

    eng::Band& notes = r.addChild(sum, 40);
    notes.add(memo("qmemo", 8, 4, 700, 0, arial(10), true));

    // ---- page footer ----
    eng::Band& pf = r.addBand(BandKind::PageFooter, 104);
    frame(pf, true, false);
    pf.add(memo("QRMemo1", 25, 4, 551, 66, arial(8), false));
    pf.add(label("A megadott árak nettó árak,  Áfa-t nem tartalmaznak! ",
                 "A megadott árak nettó árak,  Áfa-t nem tartalmaznak! ", 16, 76, arial(8)));
    pf.add(label("Lap:", "Lap:", 615, 76, arial(10)));
    pf.add(sysData("QRSysData3", eng::SysDataKind::PageNumber, 655, 76, arial(10)));

    clearWindow();
    setPricesVisible(true);
}

void TFrmqrosszesit::bind(store::DataSet& summary) {
    QRposszesit.setDataSet(&summary);
    const std::string h = lowerName(summary.name());
    QRposszesit.element("QRExpr1").expression = "SUM(" + h + ".ar)";
    QRposszesit.element("QRExpr2").expression = "SUM(" + h + ".ar2)";
    QRposszesit.element("QRExpr3").expression = "SUM(" + h + ".gew)";
}

void TFrmqrosszesit::bindSettings(store::DataSet& tarolo) {
    QRposszesit.element("QRDBText2").dataSet = &tarolo;
}

void TFrmqrosszesit::setVersion(const std::string& text) {
    QRposszesit.element("qver").text = text;
}

void TFrmqrosszesit::setInstallDate(const store::Date& date) {
    QRposszesit.element("Qinst").text = store::fmt::formatDate(date);
}

void TFrmqrosszesit::setFooterLines(std::vector<std::string> lines) {
    QRposszesit.element("QRMemo1").lines = std::move(lines);
}

bool TFrmqrosszesit::loadFooter(const std::filesystem::path& labj, std::string* error) {
    auto lines = store::fmt::readCp1250Lines(labj, error);
    if (!lines) {
        return false;
    }
    setFooterLines(std::move(*lines));
    return true;
}

void TFrmqrosszesit::setLanguage(Language language) {
    QRposszesit.element("QRDBText1").field = nameFieldOf(language);
}

void TFrmqrosszesit::setSecondCode(bool second) {
    QRposszesit.element("QRDBText3").field = second ? "BSNR2" : "BSNR";
}

void TFrmqrosszesit::setPricesVisible(bool visible) {
    pricesVisible_ = visible;
    const eng::Color c = visible ? eng::Color::windowText() : eng::Color::tooltipBackground();
    for (const char* n : {"QRDBText5", "QRDBText6", "QRExpr1", "QRExpr2", kVatLabel}) {
        QRposszesit.element(n).color = c;
    }
    updateUnitPriceColumn();
}

std::string TFrmqrosszesit::forintMask(double rate) {
    std::string mask = rate >= 10 ? "### ##0.0" : "### ##0.00";
    if (rate > 99) {
        mask = "### ###";
    }
    return mask;
}

void TFrmqrosszesit::setExchangeRate(double rate) {
    rate_ = rate;
    QRposszesit.element("QRDBText6").mask = forintMask(rate);
    updateUnitPriceColumn();
}

void TFrmqrosszesit::setPriceColumn(PriceColumn column, Language language) {
    column_ = column;
    const bool unit = column == PriceColumn::UnitPrice;
    std::string caption;
    switch (language) {
    case Language::Roman:
        caption = unit ? "Pret/Buc(Lei)" : "Greutate(Kg)";
        break;
    case Language::English:
        caption = unit ? "Price/Pc(..)" : "Weight(Kg)";
        break;
    default:
        caption = unit ? "Ár/db(Ft)" : "Súly(Kg)";
        break;
    }
    QRposszesit.element("QRLabel2").text = caption;
    QRposszesit.element("QRDBRendeles").field = unit ? "ear2" : "gew";
    updateUnitPriceColumn();
}

// The unit price is a price like the others: it follows the price colour, and below a rate of
// 100 it keeps the decimals of the forint mask (with a whole-number mask a unit price under 1
// would print as nothing). The weight column is always shown, with three decimals.
void TFrmqrosszesit::updateUnitPriceColumn() {
    eng::Element& e = QRposszesit.element("QRDBRendeles");
    if (column_ == PriceColumn::Weight) {
        e.mask = "### ##0.000";
        e.color = eng::Color::windowText();
        return;
    }
    e.mask = rate_ && *rate_ <= 99 ? forintMask(*rate_) : "# ### ###";
    e.color = pricesVisible_ ? eng::Color::windowText() : eng::Color::tooltipBackground();
}

void TFrmqrosszesit::setWindow(const WindowDescription& w) {
    eng::Report& r = QRposszesit;
    r.element("Qtipus").text = w.type;
    r.element("Qszel").text = w.size;
    r.element("Qanyag").text = w.material;
    r.element("Qnyitas").text = w.opening;
    r.element("Qszin").text = w.colour;
    r.element("qdarab").text = w.quantity;
    if (!w.picture.empty()) {
        setTypePicture(w.picture);
    }
    for (const char* n : {"QRImage2", "QRShape1", "QRShape2"}) {
        r.element(n).enabled = true;
    }
}

void TFrmqrosszesit::setTypePicture(const std::filesystem::path& picture) {
    QRposszesit.element("QRImage2").picture = picture;
}

void TFrmqrosszesit::clearWindow() {
    eng::Report& r = QRposszesit;
    for (const char* n : {"Qtipus", "Qszel", "Qanyag", "Qnyitas", "Qszin", "qdarab"}) {
        r.element(n).text.clear();
    }
    for (const char* n : {"QRImage2", "QRShape1", "QRShape2"}) {
        r.element(n).enabled = false;
    }
}

void TFrmqrosszesit::setCustomer(const CustomerBlock& c) {
    eng::Report& r = QRposszesit;
    r.element("lvevo").text = c.customer;
    r.element("lajanlat").text = c.kind;
    r.element("Qrszam").text = c.orderNumber;
    r.element("qmemo").lines = c.notes;
}

void TFrmqrosszesit::clearCustomer() {
    setCustomer(CustomerBlock{});
}

} // namespace reports
