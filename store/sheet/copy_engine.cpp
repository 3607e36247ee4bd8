#include "store/sheet/copy_engine.h"

#include "store/engine/errors.h"
#include "store/engine/table.h"
#include "store/engine/table_file.h"
#include "store/format/format.h"

#include <cmath>
#include <limits>

namespace store::sheet {

namespace fs = std::filesystem;

namespace {

// The table file a copy statement names: blanks around the name are not part of it (the
// statements write "from modul "), ".db" is added when there is no extension.
fs::path tablePath(const fs::path& p) {
    fs::path out = p.parent_path() / fmt::trim(p.filename().string());
    if (!out.has_extension()) {
        out += ".db";
    }
    return out;
}

CellValue cellOf(const store::Value& v, store::FieldType type) {
    if (v.isNull()) {
        return {};
    }
    switch (type) {
    case store::FieldType::Text:
        return CellValue::text(v.isText() ? v.textValue() : std::string());
    case store::FieldType::Date:
        return v.isInt() ? CellValue::date(store::Date::fromDays(v.intValue())) : CellValue();
    case store::FieldType::Float:
        return CellValue::number(v.isFloat() ? v.floatValue()
                                             : static_cast<double>(v.isInt() ? v.intValue() : 0));
    default:
        return CellValue::number(v.isInt() ? static_cast<double>(v.intValue())
                                           : (v.isFloat() ? v.floatValue() : 0.0));
    }
}

} // namespace

void copyTableToSheet(store::Session& session, const fs::path& tableFile, const fs::path& workbook,
                      const std::string& targetName) {
    const std::string sheetName = fmt::trim(targetName);
    Workbook::checkSheetName(sheetName);
    store::Table table(session, "copy source");
    table.setTableName(tablePath(tableFile).string());
    if (!table.exists()) {
        throw store::EngineError(store::errc::NoSuchTable,
                                 "the table " + table.filePath().string() + " does not exist");
    }

    Workbook book;
    std::error_code ec;
    if (fs::exists(workbook, ec)) {
        book = Workbook::open(workbook);
        if (book.findSheet(sheetName) != nullptr || book.findName(sheetName) != nullptr) {
            throw SheetError("the workbook " + workbook.filename().string() +
                             " already has a sheet named \"" + sheetName + "\"");
        }
        if (!book.notRewritable().empty()) {
            throw SheetError("the workbook " + workbook.filename().string() +
                             " cannot be extended without losing content: " + book.notRewritable());
        }
    }

    table.open();
    std::vector<int> fields;
    for (int i = 0; i < table.fieldCount(); ++i) {
        if (table.field(i).kind() == store::FieldKind::Data) {
            fields.push_back(i);
        }
    }
    if (fields.size() > static_cast<size_t>(kMaxColumns)) {
        throw SheetError("the table " + tableFile.filename().string() + " has more fields (" +
                         std::to_string(fields.size()) + ") than a sheet has columns");
    }
    const int records = table.rowCount();
    if (records + 1 > kMaxRows) {
        throw SheetError("the table " + tableFile.filename().string() + " has more records (" +
                         std::to_string(records) + ") than a sheet holds");
    }
    Sheet& sheet = book.addSheet(sheetName);
    for (size_t c = 0; c < fields.size(); ++c) {
        sheet.setValue(1, static_cast<int>(c) + 1, CellValue::text(table.field(fields[c]).name()));
    }
    for (int r = 0; r < records; ++r) {
        for (size_t c = 0; c < fields.size(); ++c) {
            const store::Field& f = table.field(fields[c]);
            CellValue v = cellOf(table.rowValue(r, fields[c]), f.type());
            if (!v.isEmpty()) {
                sheet.setValue(r + 2, static_cast<int>(c) + 1, std::move(v));
            }
        }
    }
    table.close();
    if (!fields.empty()) {
        try {
            DefinedName n;
            n.name = sheetName;
            n.sheet = book.sheetIndex(sheetName);
            n.area = CellArea{1, 1, records + 1, static_cast<int>(fields.size())};
            book.defineName(std::move(n));
        } catch (const SheetError&) {
            // a sheet name that cannot be a defined name ("Munka 1", "A1"): the sheet alone
        }
    }
    book.save(workbook);
}

store::TableSchema columnsFor(const Sheet& sheet, const CellArea& area,
                              const std::string& tableName, std::vector<store::Row>* rows) {
    const int top = area.firstRow;
    int lastRow = std::min(area.lastRow, sheet.lastValueRow());
    int lastCol = std::min(area.lastColumn, sheet.lastValueColumn());
    // columns at the right end without title and values, rows at the end without values
    auto columnUsed = [&](int c) {
        for (int r = top; r <= lastRow; ++r) {
            if (!sheet.value(r, c).isEmpty()) {
                return true;
            }
        }
        return false;
    };
    while (lastCol >= area.firstColumn && !columnUsed(lastCol)) {
        --lastCol;
    }
    auto rowUsed = [&](int r) {
        for (int c = area.firstColumn; c <= lastCol; ++c) {
            if (!sheet.value(r, c).isEmpty()) {
                return true;
            }
        }
        return false;
    };
    while (lastRow > top && !rowUsed(lastRow)) {
        --lastRow;
    }
    bool anyTitle = false;
    for (int c = area.firstColumn; c <= lastCol && top <= lastRow; ++c) {
        anyTitle = anyTitle || !sheet.value(top, c).isEmpty();
    }
    if (!anyTitle) {
        throw SheetError("the sheet \"" + sheet.name() +
                         "\" is empty: its first row holds no column names");
    }

    store::TableSchema schema;
    schema.tableName = tableName;
    std::vector<CellKind> kinds;
    for (int c = area.firstColumn; c <= lastCol; ++c) {
        const int number = c - area.firstColumn + 1;
        std::string name = fmt::trim(sheet.value(top, c).plainText());
        if (name.empty() || schema.fieldIndex(name) >= 0) {
            name = "F" + std::to_string(number);
            while (schema.fieldIndex(name) >= 0) {
                name += "_";
            }
        }
        // the kinds of the values below the title
        bool numbers = false, texts = false, dates = false, whole = true;
        size_t longest = 0;
        for (int r = top + 1; r <= lastRow; ++r) {
            const CellValue v = sheet.value(r, c);
            switch (v.kind()) {
            case CellKind::Number:
                numbers = true;
                whole = whole && v.number() == std::floor(v.number()) &&
                        v.number() >= std::numeric_limits<int32_t>::min() &&
                        v.number() <= std::numeric_limits<int32_t>::max();
                break;
            case CellKind::Date:
                dates = true;
                break;
            case CellKind::Text:
                texts = true;
                break;
            case CellKind::Empty:
                continue;
            }
            longest = std::max(longest, store::charCount(v.plainText()));
        }
        const int kindsSeen = (numbers ? 1 : 0) + (texts ? 1 : 0) + (dates ? 1 : 0);
        store::FieldDef f;
        if (kindsSeen == 1 && numbers) {
            f = store::FieldDef(name, whole ? store::FieldType::Int32 : store::FieldType::Float);
            kinds.push_back(CellKind::Number);
        } else if (kindsSeen == 1 && dates) {
            f = store::FieldDef(name, store::FieldType::Date);
            kinds.push_back(CellKind::Date);
        } else {
            f = store::FieldDef(name, store::FieldType::Text,
                                static_cast<int>(std::max<size_t>(longest, 1)));
            kinds.push_back(CellKind::Text);
        }
        schema.fields.push_back(std::move(f));
    }
    if (rows != nullptr) {
        rows->clear();
        for (int r = top + 1; r <= lastRow; ++r) {
            store::Row row;
            row.reserve(schema.fields.size());
            for (size_t i = 0; i < schema.fields.size(); ++i) {
                const CellValue v = sheet.value(r, area.firstColumn + static_cast<int>(i));
                const store::FieldDef& f = schema.fields[i];
                if (v.isEmpty()) {
                    row.emplace_back();
                } else if (f.type == store::FieldType::Int32) {
                    row.emplace_back(static_cast<int64_t>(v.number()));
                } else if (f.type == store::FieldType::Float) {
                    row.emplace_back(v.number());
                } else if (f.type == store::FieldType::Date) {
                    row.emplace_back(v.date());
                } else {
                    row.emplace_back(v.plainText());
                }
            }
            rows->push_back(std::move(row));
        }
    }
    return schema;
}

void copySheetToTable(store::Session& session, const fs::path& workbook,
                      const std::string& sheetOrRangeName, const fs::path& tableFile) {
    const fs::path wanted = tablePath(tableFile);
    const fs::path target = session.resolveTable("", wanted.string());
    std::error_code ec;
    if (fs::exists(target, ec)) {
        throw store::EngineError(store::errc::Io,
                                 "the table " + target.string() + " already exists");
    }
    if (session.findOpen(target)) {
        throw store::EngineError(store::errc::TableBusy,
                                 "the table " + target.string() + " is open");
    }
    std::error_code existsError;
    if (!fs::exists(workbook, existsError)) {
        throw SheetError("the workbook " + workbook.string() + " does not exist");
    }
    const Workbook book = Workbook::open(workbook);
    const Workbook::TableArea area = book.tableArea(fmt::trim(sheetOrRangeName));
    std::vector<store::Row> rows;
    const store::TableSchema schema =
        columnsFor(*area.sheet, area.area, target.stem().string(), &rows);
    store::TableFile::createWithRows(target, schema, rows);
}

} // namespace store::sheet
