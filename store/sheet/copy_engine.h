// The copy engine: one call moves a whole table into a new sheet of a workbook, one call moves a
// sheet or named area of a workbook into a new table. The target must not exist; nothing is
// merged. A failure throws (SheetError, or store::EngineError from the table engine) and leaves
// no half-written target: workbooks and tables are written under a temporary name and renamed
// when complete.
#pragma once

#include "store/engine/session.h"
#include "store/sheet/workbook.h"

#include <filesystem>
#include <string>

namespace store::sheet {

// Names are taken without the blanks around them ("from modul " copies modul.db).
//
// Copies every row and stored field of the table in `tableFile` (".db" added when there is no
// extension; a SQLite table file or a Paradox table) into a new sheet `sheetName`: row 1 holds
// the field names, then one row per record in the table's stored order. Texts become text
// cells (an empty text an empty cell), integers and floats number cells, logicals 1 and 0,
// dates date cells. The workbook is created when missing; otherwise the sheet is added to it,
// and the workbook must have no sheet and no named area of that name. The sheet's rows also
// get a defined name equal to the sheet name, so that programs addressing the table by name
// find it.
void copyTableToSheet(store::Session& session, const std::filesystem::path& tableFile,
                      const std::filesystem::path& workbook, const std::string& sheetName);

// Copies the sheet or named area `sheetOrRangeName` of `workbook` (a defined name of that
// spelling first, then a sheet; "name$" names the sheet) into a new table file `tableFile`
// (".db" added when there is no extension; the table is named after the file). The first row of
// the area holds the field names; the rows below it are the records, up to the last row that
// holds a value. See columnsFor() for the field types. The table must not exist.
void copySheetToTable(store::Session& session, const std::filesystem::path& workbook,
                      const std::string& sheetOrRangeName, const std::filesystem::path& tableFile);

// The fields and records copySheetToTable makes of an area whose first row holds the names:
//
//   - names: the text of the title cell, trimmed; an empty or repeated title gives "F" and the
//     column's number in the area ("F3"). Columns at the right end without a title and without
//     values are left out.
//   - types, from the non-empty cells below the title:
//       only numbers, all whole and within -2147483648..2147483647  -> Int32
//       only numbers otherwise                                         -> Float
//       only dates                                                     -> Date
//       only texts, or kinds mixed                                     -> Text
//     A text field's capacity is the length of its longest value in characters (at least 1);
//     with kinds mixed, numbers and dates are taken as their plain text ("1,5", "2026.12.11.").
//     A column without any value is a Text field of capacity 1.
//   - empty cells give null values; no field is required and the table gets no index.
//
// Throws SheetError when the area's first row holds no title at all (an empty sheet).
store::TableSchema columnsFor(const Sheet& sheet, const CellArea& area,
                              const std::string& tableName, std::vector<store::Row>* rows);

} // namespace store::sheet
