#include "reports/layouts/lists.h"

#include "reports/layouts/builder.h"

namespace reports {

using namespace layouts;
using eng::Align;
using eng::BandKind;
using eng::SysDataKind;

namespace {

// a label named after its text
eng::Element named(const std::string& text, double left, double top, eng::Font font,
                   Align align = Align::Left) {
    return label(text, text, left, top, std::move(font), align);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TFrmQrabat::TFrmQrabat() {
    eng::Report& r = QRPrabat;
    r.caption = Caption;

    eng::Band& title = r.addBand(BandKind::Title, 30);
    title.add(named("Engedmények", 288, 4, arial(12, kBold)));

    eng::Band& ch = r.addBand(BandKind::ColumnHeader, 14);
    frame(ch, false, true);
    ch.add(named("Termék csoport", 8, 2, arial(6)));
    ch.add(named("Megnevezés", 72, 2, arial(6)));
    ch.add(named("Engedmény", 168, 2, arial(6)));

    eng::Band& d = r.addBand(BandKind::Detail, 14);
    d.add(field("QRDBText1", "alias", 8, 3, 60, arial(6), Align::Left, "##00"));
    d.add(field("QRDBText2", "Neve", 72, 3, 94, arial(6)));
    d.add(field("QRDBText3", "Rab", 184, 3, 22, arial(6), Align::Right, "### ##0.00"));
    d.add(named("%", 208, 3, arial(6)));
}

// ---------------------------------------------------------------------------------------------

TqrNaplo::TqrNaplo() {
    eng::Report& r = Qrnaplo;
    r.caption = Caption;
    r.page.leftMm = r.page.topMm = r.page.rightMm = r.page.bottomMm = 12.7;
    r.page.unit = eng::DesignUnit::Inches;

    eng::Band& title = r.addBand(BandKind::Title, 30);
    frame(title, false, true);
    title.add(named("Garnitúra kigyűjtési napló", 288, 6, arial(10, kBoldUnderline)));
    title.add(sysData("QRSysData1", SysDataKind::Date, 632, 6, arial(10)));

    eng::Band& ch = r.addBand(BandKind::ColumnHeader, 22);
    frame(ch, false, true, 2);
    const eng::Font hf = narrow(10, kBold);
    for (const auto& [text, left] :
         std::initializer_list<std::pair<const char*, double>>{{"Típus", 8},
                                                               {"Sz.", 134},
                                                               {"M.", 169},
                                                               {"RAB", 203},
                                                               {"Db", 252},
                                                               {"Pántoldal", 372},
                                                               {"Szin", 475},
                                                               {"Profil", 569},
                                                               {"Rúdzár", 636}}) {
        ch.add(named(text, left, 4, hf));
    }

    eng::Band& d = r.addBand(BandKind::Detail, 18);
    const eng::Font df = narrow(10);
    d.add(field("Tpus", "Tpus", 0, 2, 128, df));
    d.add(field("Szel", "Szel", 134, 2, 30, df, Align::Right));
    d.add(field("Mag", "Mag", 165, 2, 30, df, Align::Right));
    d.add(field("ERab", "ERab", 197, 2, 34, df, Align::Right));
    d.add(field("Darab", "Darab", 236, 2, 30, df, Align::Right));
    d.add(field("Anyag", "Anyag", 288, 2, 70, df));
    d.add(field("Pant", "Pant", 360, 2, 46, df));
    d.add(field("Eckband", "Eckband", 408, 2, 62, df));
    d.add(field("Szin", "Szin", 472, 2, 54, df));
    d.add(field("Nyitas", "Nyitas", 528, 2, 38, df));
    d.add(field("Profil", "Profil", 568, 2, 74, df));
    d.add(field("Rzar", "Rzar", 645, 2, 30, df, Align::Right));
    d.add(field("Ts", "Ts", 677, 2, 24, df));

    eng::Band& pf = r.addBand(BandKind::PageFooter, 24);
    frame(pf, true, false);
    pf.add(sysData("QRSysData2", SysDataKind::PageNumber, 600, 6, arial(8)));
}

// ---------------------------------------------------------------------------------------------

TQrprofil::TQrprofil() : eng::Report("TQrprofil") {
    caption = "Profiladatlap";

    eng::Band& ph = addBand(BandKind::PageHeader, 32);
    frame(ph, false, true);
    ph.add(named("Profiladatlap", 8, 4, arial(14)));

    eng::Band& title = addBand(BandKind::Title, 28);
    frame(title, true, false);
    title.add(foreignField("QRDBText1", "Nev", 80, 6, 0, arial(10, kBoldUnderline)));

    eng::Band& ch = addBand(BandKind::ColumnHeader, 20);
    frame(ch, false, true);
    const eng::Font hf = arial(8, kBoldItalic);
    ch.add(named("BSNR", 120, 4, hf));
    ch.add(named("Megnevezés", 272, 4, hf));
    ch.add(named("Cikk-szám", 480, 4, hf));

    eng::Band& d = addBand(BandKind::Detail, 16);
    d.add(sysData("QRSysData1", SysDataKind::DetailNumber, 55, 2, narrow(8), Align::Right, 30));
    d.add(field("Bsnr", "Bsnr", 128, 2, 108, arial(8)));
    d.add(field("megn", "megn", 240, 2, 212, arial(8)));
    d.add(field("Artikel2", "Artikel2", 456, 2, 150, arial(8)));

    eng::Band& pf = addBand(BandKind::PageFooter, 24);
    frame(pf, true, false);
    pf.add(sysData("QRSysData2", SysDataKind::Date, 24, 6, arial(8)));
    pf.add(sysData("QRSysData3", SysDataKind::PageNumber, 624, 6, arial(8)));
    pf.add(named("lap", 645, 6, arial(8)));
}

void TQrprofil::bindProfileName(store::DataSet& Tblprofineve) {
    element("QRDBText1").dataSet = &Tblprofineve;
}

// ---------------------------------------------------------------------------------------------

TQrpmodul::TQrpmodul() {
    eng::Report& r = QRepmodul;
    r.caption = Caption;

    eng::Band& ph = r.addBand(BandKind::PageHeader, 36);
    frame(ph, true, false);
    ph.add(named("Modul- alkatrészek", 24, 6, arial(14)));
    ph.add(sysData("QRSysData1", SysDataKind::Date, 576, 10, arial(10)));

    eng::Band& g = r.addBand(BandKind::GroupHeader, 40);
    g.groupField = "Modulkod";
    frame(g, true, true);
    g.add(named("Modulkód:", 16, 3, arial(10, kBold)));
    g.add(field("QRDBText1", "Modulkod", 96, 3, 0, arial(10, kBoldItalic)));
    g.add(field("QRDBText2", "Mnev", 184, 3, 0, arial(10, kBoldItalic)));
    for (const auto& [text, left] :
         std::initializer_list<std::pair<const char*, double>>{{"BSNR", 48},
                                                               {"Megnevezés", 208},
                                                               {"Min.", 368},
                                                               {"Max.", 416},
                                                               {"Szin", 504},
                                                               {"Nyitási.", 576},
                                                               {"Darab", 656}}) {
        g.add(named(text, left, 21, arial(10)));
    }

    eng::Band& d = r.addBand(BandKind::Detail, 45);
    const eng::Font df = arial(8);
    d.add(field("BSNR", "BSNR", 48, 4, 116, df));
    d.add(field("Megnevezes", "Megnevezes", 168, 4, 196, df));
    d.add(field("Min", "Min", 368, 4, 34, df, Align::Right, "## ### "));
    d.add(field("Max", "Max", 424, 4, 26, df, Align::Right, "## ###"));
    d.add(field("szin", "szin", 504, 4, 68, df));
    d.add(field("nyitas", "nyitas", 576, 4, 52, df));
    d.add(field("Mennyiseg", "Mennyiseg", 632, 4, 50, df, Align::Right));
    d.add(field("TSBSNR", "TSBSNR", 48, 24, 116, df));

    eng::Band& pf = r.addBand(BandKind::PageFooter, 24);
    pf.add(sysData("QRSysData2", SysDataKind::PageNumber, 584, 6, arial(10)));
}

// ---------------------------------------------------------------------------------------------

TQrgarnitura::TQrgarnitura() : eng::Report("TQrgarnitura") {
    caption = "Garnitura modulok";

    eng::Band& ph = addBand(BandKind::PageHeader, 32);
    frame(ph, false, true);
    ph.add(named("Garnitura modulok", 8, 4, arial(14)));

    eng::Band& title = addBand(BandKind::Title, 64);
    frame(title, true, false);
    const eng::Font tf = arial(8, kBold);
    title.add(named("Méretkódok:", 424, 4, tf));
    const char* legend[] = {
        "Méretfüggetlen: ", "Szélesség:          ", "Magasság :        ", "RAB/íves :           "};
    for (int i = 0; i < 4; ++i) {
        const double top = 4 + 12.0 * i;
        title.add(named(legend[i], 520, top, tf));
        title.add(label("Meretkod" + std::to_string(i), std::to_string(i), 624, top, tf));
    }
    const eng::Font uf = arial(8, {true, false, true});
    title.add(named("Garn. kód", 56, 50, uf));
    title.add(named("Anyag", 296, 50, uf));
    title.add(named("Pántoldal", 360, 50, uf));

    eng::Band& g = addBand(BandKind::GroupHeader, 38);
    g.groupField = "Garkod";
    frame(g, false, true);
    const eng::Font gf = arial(10, kBold);
    g.add(field("QRDBText1", "Garkod", 64, 3, 0, gf));
    g.add(foreignField("QRDBText2", "Megnevezes", 120, 3, 164, gf));
    g.add(label("qlanyag", "", 288, 3, gf));
    g.add(label("Qlpant", "", 352, 3, gf));
    const eng::Font cf = arial(8, kBoldItalic);
    g.add(named("Modulkód", 176, 22, cf));
    g.add(named("Modul neve", 264, 22, cf));
    g.add(named("Darab", 512, 22, cf));
    g.add(named("Rúdzár", 600, 22, cf));

    eng::Band& d = addBand(BandKind::Detail, 15);
    const eng::Font df = arial(8);
    d.add(sysData("QRSysData1", SysDataKind::DetailNumber, 99, 2, df, Align::Right, 30));
    d.add(field("Modulkod", "Modulkod", 184, 2, 52, df));
    d.add(field("nev", "nev", 240, 2, 180, df));
    d.add(field("Meretkod", "Meretkod", 424, 2, 40, df));
    d.add(field("Darab", "Darab", 520, 2, 40, df));
    d.add(field("Getriebe", "Getriebe", 600, 1, 40, arial(10)));

    eng::Band& pf = addBand(BandKind::PageFooter, 24);
    frame(pf, true, false);
    pf.add(sysData("QRSysData2", SysDataKind::Date, 24, 6, arial(8)));
    pf.add(sysData("QRSysData3", SysDataKind::PageNumber, 624, 6, arial(8)));
    pf.add(named("lap", 645, 6, arial(8)));
}

void TQrgarnitura::bindTypes(store::DataSet& tbltipus) {
    element("QRDBText2").dataSet = &tbltipus;
}

void TQrgarnitura::setCaptions(const std::string& material, const std::string& hingeSide) {
    element("qlanyag").text = material;
    element("Qlpant").text = hingeSide;
}

// ---------------------------------------------------------------------------------------------

namespace {

// page header of both stock lists: title, date, page number
void stockHeader(eng::Report& r, const std::string& title, const char* titleName, double lapLeft,
                 double pageLeft) {
    eng::Band& ph = r.addBand(BandKind::PageHeader, 50);
    ph.add(label(titleName, title, 48, 6, arial(14, kBoldUnderline)));
    ph.add(sysData("QRSysData2", SysDataKind::Date, 622, 6, arial(10)));
    ph.add(named("Lap:", lapLeft, 28, arial(10)));
    ph.add(sysData("QRSysData3", SysDataKind::PageNumber, pageLeft, 28, arial(10)));
}

} // namespace

TFrmQrKimutat::TFrmQrKimutat() {
    eng::Report& r = QuickRepkezlet;
    r.caption = Caption;
    stockHeader(r, "Raktárkészlet", "cimke", 572, 612);

    eng::Band& ch = r.addBand(BandKind::ColumnHeader, 26);
    frame(ch, true, true);
    const eng::Font hf = arial(10, kBold);
    ch.add(named("Megnevezés", 40, 5, hf));
    ch.add(named("Rendelési szám", 258, 5, hf));
    ch.add(named("Cs.E.", 383, 5, hf));
    ch.add(named("BSNR", 440, 5, hf));
    ch.add(named("Rend. m.", 535, 5, hf, Align::Right));
    ch.add(named(" Készlet", 626, 5, hf, Align::Center));

    eng::Band& d = r.addBand(BandKind::Detail, 18);
    const eng::Font df = narrow(10);
    d.add(sysData("QRSysData1", SysDataKind::DetailNumber, -18, 2, df, Align::Right, 43));
    d.add(field("Megnevezes", "Megnevezes", 40, 2, 212, df));
    d.add(field("Artikel", "Artikel", 256, 2, 100, df));
    d.add(field("pe", "pe", 375, 2, 40, df, Align::Right, "######"));
    d.add(field("BSNR", "BSNR", 440, 2, 70, df));
    d.add(field("Darab", "Darab", 546, 2, 44, df, Align::Right, "### ###"));
    d.add(field("Keszet", "Keszet", 602, 2, 70, df, Align::Right, "### ###0"));
}

void TFrmQrKimutat::setTitle(const std::string& cimke) {
    QuickRepkezlet.element("cimke").text = cimke;
}

TFrmqrkezlet::TFrmqrkezlet() {
    eng::Report& r = QuickRepkezlet;
    r.caption = Caption;
    stockHeader(r, "Raktárkészlet", "Raktárkészlet", 580, 620);

    eng::Band& ch = r.addBand(BandKind::ColumnHeader, 26);
    frame(ch, true, true);
    const eng::Font hf = arial(10, kBold);
    ch.add(named("Megnevezés", 40, 5, hf));
    ch.add(named("Rendelési szám", 250, 5, hf));
    ch.add(named("Cs.E.", 375, 5, hf));
    ch.add(named("BSNR", 456, 5, hf));
    ch.add(named(" Készlet", 562, 5, hf, Align::Center));
    ch.add(named("Ár", 676, 5, hf, Align::Center));

    eng::Band& d = r.addBand(BandKind::Detail, 18);
    const eng::Font df = narrow(10);
    d.add(sysData("QRSysData1", SysDataKind::DetailNumber, -18, 2, df, Align::Right, 43));
    d.add(field("megnevezes", "megnevezes", 40, 2, 206, df));
    d.add(field("artikel", "artikel", 248, 2, 124, df));
    d.add(field("cse", "cse", 375, 2, 40, df, Align::Right, "######"));
    d.add(field("BSNR", "BSNR", 456, 2, 70, df));
    d.add(field("Darab", "Darab", 578, 2, 50, df, Align::Right, "### ###0"));
    d.add(field("ar2", "ar2", 675, 2, 42, narrow(10, kBold), Align::Right, "### ##0"));

    eng::Band& sum = r.addBand(BandKind::Summary, 26);
    frame(sum, true, false);
    sum.add(expression("QRExpr1", "SUM(Tblkeszlet.Ar2)", 560, 5, 136, arial(10, kBold),
                       Align::Right, "### ##0"));
    sum.add(named("Ft", 700, 5, arial(10, kBold)));
}

} // namespace reports
