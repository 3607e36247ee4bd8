// The order export as the collection window runs it, step by step on the spreadsheet
// automation: the delimited file, then open, format, totals, save as .xls, and for the mail
// commands the hand-off to the mail program.
#pragma once

#include "store/sheet/application.h"
#include "store/sheet/csv.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sheettest {

struct OrderLine {
    std::string name;
    int pe;
    std::string code;
    int quantity;
    std::string unit;
    double weight;
    double euro;
    double unitForint;
    double forint;
    int group;
};

struct FakeDesktop : store::sheet::Desktop {
    std::vector<std::filesystem::path> opened;
    struct Mail {
        std::filesystem::path attachment;
        std::string subject;
        size_t recipients;
    };
    std::vector<Mail> mails;
    bool openDocument(const std::filesystem::path& file) override {
        opened.push_back(file);
        return true;
    }
    void composeMail(const std::filesystem::path& attachment, const std::string& subject,
                     const std::vector<std::string>& recipients) override {
        mails.push_back({attachment, subject, recipients.size()});
    }
};

// Writes text/Exelexp.csv and turns it into text/Exelexp.xls; returns the workbook's path.
inline std::filesystem::path exportOrder(const std::filesystem::path& textDir,
                                         const std::vector<OrderLine>& lines,
                                         store::sheet::Desktop& desktop, bool mail,
                                         int countryCode = 36) {
    using namespace store::sheet;
    namespace fs = std::filesystem;
    const char tizedes = ',';
    const fs::path csv = textDir / "Exelexp.csv";
    CsvWriter w(CsvOptions{';', tizedes});
    w.addTextRow({"Megnevezés", "Cs.E.", "BSNR", "Mennyis.", "", "Súly(kg)", "Ár(Euro)",
                  "Ár/db(Ft)", "Ár(Ft)", "Á.cs", "Össz.db"});
    for (const OrderLine& l : lines) {
        w.addRow({l.name, l.pe, l.code, l.quantity, l.unit, l.weight, l.euro, l.unitForint,
                  l.forint, l.group, static_cast<int64_t>(l.pe) * l.quantity});
    }
    std::string error;
    if (!w.save(csv, &error)) {
        throw SheetError(error);
    }

    Application app(AppSettings{countryCode, ';', tizedes}, &desktop);
    try {
        app.open(csv);
        app.setVisible(true);
        app.rows(1).select();
        app.selection().font().setBold(true);
        app.selection().setNumberFormat("@");
        const std::string sum = sumFunction(app.international(xl::CountryCode));
        for (int c : {5, 6, 7}) {
            app.columns(c).select();
            app.selection().setNumberFormat(std::string("# ##0") + tizedes + "00");
        }
        for (int c : {9, 8}) {
            app.columns(c).select();
            app.selection().setNumberFormat("### ###");
        }
        app.columns(3).select();
        app.selection().setHorizontalAlignment(xl::Right);
        app.rows(1).select();
        app.selection().setVerticalAlignment(2);
        app.selection().setHorizontalAlignment(xl::Center);
        app.selection().setRowHeight(22);
        app.rows(1).select();
        app.selection().end(xl::Down).select();
        const int last = app.activeCell().row();
        app.activeCell().offset(1, 5).select();
        for (int step : {0, 1, 2}) {
            if (step > 0) {
                app.activeCell().offset(0, step).select();
            }
            const std::string c = columnLetters(app.activeCell().column());
            app.activeCell().setFormulaArray(sum + c + "2:" + c + std::to_string(last) + ")");
        }
        app.columns(10).select();
        app.selection().setHorizontalAlignment(xl::Center);
        for (int c = 1; c <= 8; ++c) {
            app.columns(c).entireColumn().autoFit();
        }
        app.rows(last + 1).select();
        app.selection().font().setBold(true);
        app.range("F" + std::to_string(last), "i" + std::to_string(last))
            .borders(xl::EdgeBottom)
            .setWeight(xl::Medium);
        app.cells(1, 12).setValue(app.international(xl::CountryCode));
        app.cells(1, 13).setValue(std::string_view("25.12.1"));
        app.columns(11).entireColumn().autoFit();
        app.columns(11).select();
        app.selection().setNumberFormat("# ##0");
        app.columns(12).entireColumn().autoFit();
        app.columns(13).entireColumn().autoFit();
        app.range("A1", "A1").select();
        app.activeWorkbook().save();
        app.activeWorkbook().saveAs(textDir / "Exelexp", xl::Normal);
        fs::remove(csv);
        if (mail) {
            app.activeWorkbook().sendMail({}, "Megrendelés-Order");
            app.activeWorkbook().close();
        }
    } catch (...) {
        app.quit();
        throw;
    }
    return textDir / "Exelexp.xls";
}

inline std::vector<OrderLine> sampleOrder() {
    return {
        {"Kilincs fehér ő", 1, "1234567", 4, "", 1.5, 12.25, 4567.8, 18271.2, 40},
        {"Zárszerkezet ű", 10, "0012345", 2, "db", 2.25, 100.5, 1000.4, 2000.8, 55},
        {"Ollókar", 1, "9876543", 1, "", 0.75, 7.75, 3100.2, 3100.2, 44},
    };
}

} // namespace sheettest
