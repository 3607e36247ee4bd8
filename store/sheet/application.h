// The spreadsheet application as the program drives it: an in-process object with the calls
// of the spreadsheet automation, so that an export or import written as "open the file, select
// row 1, make the selection bold, ..." is a sequence of these calls, one for each step.
//
//   Application app(settings);                 create the application object
//   app.open(file) / app.add()                 Workbooks.Open / Workbooks.Add
//   app.rows(1).select()                       Rows(1).Select
//   app.selection().font().setBold(true)       Selection.Font.Bold := true
//   app.selection().setNumberFormat("@")       Selection.NumberFormat := "@"
//   app.cells(r, c).value() / setValue(v)      Cells(r, c).Value
//   app.international(xl::CountryCode)         International(1)
//   app.activeWorkbook().saveAs(f, xl::Normal) ActiveWorkbook.SaveAs
//   app.activeWorkbook().sendMail({}, subject) ActiveWorkbook.SendMail
//   app.quit()                                 Quit
//
// The constants are the automation's own numbers (xl::Right = -4152 ...), so the values the
// program quotes can be passed as they are.
//
// Being in-process, the application is not on the screen while it works. "Visible" therefore
// means: when the application object is released (or show() is called) without quit(), every
// workbook still open is shown in the desktop's spreadsheet program - the saved file when it is
// unchanged since saving, otherwise a copy of its current state written for viewing.
#pragma once

#include "store/sheet/desktop.h"
#include "store/sheet/workbook.h"

#include <filesystem>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace store::sheet {

// The automation's constants.
namespace xl {
inline constexpr int General = 1;
inline constexpr int Left = -4131;
inline constexpr int Center = -4108;
inline constexpr int Right = -4152;
inline constexpr int Top = -4160;
inline constexpr int Bottom = -4107;
inline constexpr int Down = -4121;
inline constexpr int Up = -4162;
inline constexpr int ToRight = -4161;
inline constexpr int ToLeft = -4159;
inline constexpr int EdgeLeft = 7;
inline constexpr int EdgeTop = 8;
inline constexpr int EdgeBottom = 9;
inline constexpr int EdgeRight = 10;
inline constexpr int Hairline = 1;
inline constexpr int Thin = 2;
inline constexpr int Medium = -4138;
inline constexpr int Thick = 4;
inline constexpr int LineStyleNone = -4142;
inline constexpr int Normal = -4143; // file format: normal workbook (.xls)
inline constexpr int Excel8 = 56;    // file format: .xls
inline constexpr int Csv = 6;        // file format: delimited text
inline constexpr int CountryCode = 1;
inline constexpr int CountrySetting = 2;
} // namespace xl

// The settings the application works with: its country code (the setting with default 36,
// Hungary), and the list separator and decimal mark of delimited files and of the number
// formats the program gives.
struct AppSettings {
    int countryCode = 36;
    char listSeparator = ';';
    char decimalMark = ',';
};

// The text a total's formula begins with, by the application's country code: "=Szum(" for
// 36, "=Summe(" for 49, otherwise "=Sum(". Every spelling is understood by setFormulaArray.
std::string sumFunction(int countryCode);

class Application;
class OpenWorkbook;
class RangeFont;
class RangeBorder;

class Range {
public:
    // ---- position ----
    int row() const { return firstRow_; }
    int column() const { return firstColumn_; }
    Sheet& sheet() const { return *sheet_; }
    bool isEntireRows() const { return kind_ == Kind::Rows; }
    bool isEntireColumns() const { return kind_ == Kind::Columns; }

    // The range becomes the selection; its first cell the active cell.
    void select();

    // ---- values (the first cell; writing sets every cell of a cell range) ----
    CellValue value() const;
    std::string text() const; // as the cell shows it
    void setValue(const CellValue& v);
    void setValue(double v) { setValue(CellValue::number(v)); }
    // A text as typed into the cell: "'01" is the text "01", a number in the application's
    // notation becomes a number and a date a date; a cell formatted "@" keeps the text.
    void setValue(std::string_view entry);

    // ---- formats ----
    RangeFont font() const;

    // The format in the program's notation ("# ##0,00" with the application's decimal mark,
    // "### ###", "@"), see number_format.h.
    void setNumberFormat(std::string_view programFormat);
    std::string numberFormat() const; // file notation
    // xl::General, xl::Left, xl::Center, xl::Right (and 7, centre across the selection)
    void setHorizontalAlignment(int constant);
    // xl::Top, xl::Center, xl::Bottom; the old numbering 1, 2, 3 (top, centre, bottom) too
    void setVerticalAlignment(int constant);
    void setRowHeight(double points);

    // xl::EdgeLeft, xl::EdgeTop, xl::EdgeBottom or xl::EdgeRight of the range
    RangeBorder borders(int item) const;

    Range entireColumn() const;
    Range entireRow() const;
    // Fits the width of every column of the range to its widest shown value.
    void autoFit();

    // An array formula in a single cell: the sum of an area ("=Szum(F2:F9)").
    void setFormulaArray(std::string_view formula);

    // The last filled cell in a direction, as Ctrl and an arrow key go (xl::Down ...).
    Range end(int direction) const;
    Range offset(int rows, int columns) const;

private:
    friend class Application;
    friend class RangeFont;
    friend class RangeBorder;
    enum class Kind { Cells, Rows, Columns };
    Range(Application* app, OpenWorkbook* book, Sheet* sheet, Kind kind, int r1, int c1, int r2,
          int c2);
    template <class Fn> void applyStyle(Fn change);
    void touch();

    Application* app_;
    OpenWorkbook* book_;
    Sheet* sheet_;
    Kind kind_;
    int firstRow_;
    int firstColumn_;
    int lastRow_;
    int lastColumn_;
};

// The font of a range's cells (Range.Font).
class RangeFont {
public:
    bool bold() const;
    int32_t color() const;
    void setBold(bool on);
    void setItalic(bool on);
    void setColor(int32_t colour); // red + 256 * green + 65536 * blue

private:
    friend class Range;
    explicit RangeFont(Range r) : range_(r) {}
    Range range_;
};

// One edge of a range (Range.Borders(item)).
class RangeBorder {
public:
    // xl::Hairline, xl::Thin, xl::Medium, xl::Thick
    void setWeight(int constant);
    void setLineStyle(int constant); // xl::LineStyleNone removes the line

private:
    friend class Range;
    RangeBorder(Range r, int item) : range_(r), item_(item) {}
    Range range_;
    int item_;
};

// A workbook open in the application.
class OpenWorkbook {
public:
    Workbook& book() { return book_; }
    const std::filesystem::path& fullName() const { return file_; }
    // No change through the application since it was opened or saved.
    bool saved() const { return !modified_; }
    void markModified() { modified_ = true; }

    Sheet& activeSheet();
    void activateSheet(int index); // from 0

    // Saves to its own file in its own kind (a workbook opened from a delimited file stays
    // one). A new workbook has no file yet: saveAs it.
    void save();
    // Saves as .xls (xl::Normal, xl::Excel8) or as a delimited file (xl::Csv); 0 takes the
    // kind from the extension. A name without extension gets ".xls" or ".csv". An existing
    // file is replaced only while DisplayAlerts is off (the spreadsheet program would ask).
    void saveAs(const std::filesystem::path& file, int fileFormat = 0);
    // Hands the workbook to the desktop's mail program as an attachment: the saved file when
    // it is unchanged, otherwise a copy of its current state.
    void sendMail(const std::vector<std::string>& recipients, const std::string& subject);
    // Closes without saving; ranges of this workbook are no longer valid.
    void close();

private:
    friend class Application;
    enum class FileKind { None, Xls, Csv };
    OpenWorkbook(Application* app, Workbook book, std::filesystem::path file, FileKind kind);
    std::filesystem::path viewingCopy();

    Application* app_;
    Workbook book_;
    std::filesystem::path file_;
    FileKind kind_;
    bool modified_ = false;
    int active_ = 0;
};

class Application {
public:
    explicit Application(AppSettings settings = {}, Desktop* desktop = nullptr);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    const AppSettings& settings() const { return settings_; }

    void setVisible(bool on) { visible_ = on; }
    bool visible() const { return visible_; }
    void setDisplayAlerts(bool on) { displayAlerts_ = on; }
    bool displayAlerts() const { return displayAlerts_; }
    // xl::CountryCode and xl::CountrySetting give the country code setting.
    int international(int item) const;

    // ---- workbooks ----
    // A .csv or .txt file is read as delimited text with the settings' separator; anything
    // else as an .xls workbook. Throws SheetError.
    OpenWorkbook& open(const std::filesystem::path& file);
    OpenWorkbook& add();
    int workbookCount() const { return static_cast<int>(books_.size()); }
    OpenWorkbook& workbook(int index); // from 0
    OpenWorkbook& activeWorkbook();    // the last opened or added; throws when none
    Sheet& activeSheet();

    // ---- ranges of the active sheet ----
    Range cells(int row, int column);
    Range cells(int index); // counted along row 1, then row 2 ...: 1 is A1
    Range range(std::string_view from, std::string_view to = {}); // "A1", "F9" or "A1:F9"
    Range rows(int row);
    Range columns(int column);
    Range selection();
    Range activeCell();

    // Closes every workbook without saving; nothing is shown.
    void quit();
    // Shows the open workbooks on the desktop when the application is visible (done by the
    // destructor unless quit() was called). Returns the files handed to the desktop.
    std::vector<std::filesystem::path> show();

    Desktop& desktop() { return *desktop_; }

private:
    friend class OpenWorkbook;
    friend class Range;
    void forget(OpenWorkbook* book);
    OpenWorkbook& requireBook();

    AppSettings settings_;
    Desktop* desktop_;
    std::list<std::unique_ptr<OpenWorkbook>> books_;
    bool visible_ = false;
    bool displayAlerts_ = true;
    bool quit_ = false;
    bool shown_ = false;
    // the selection and the active cell
    OpenWorkbook* selBook_ = nullptr;
    Sheet* selSheet_ = nullptr;
    int selKind_ = 0;
    int sel_[4] = {1, 1, 1, 1};
    int active_[2] = {1, 1};
};

} // namespace store::sheet
