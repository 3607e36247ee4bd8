// The table catalogue: every table of an installation with its fields in their stored order,
// its primary index and the named indexes the program relies on; the referential links that
// keep a record from being deleted; and every handle of the data module with the fields it
// declares, its lookups and calculated fields.
#pragma once

#include "store/engine/dataset.h"
#include "store/engine/session.h"

#include <filesystem>
#include <string>
#include <vector>

namespace store::catalogue {

// Where a table lives. `folder` is the alias whose directory holds it ("diploma", "preis"), or
// the name of a folder under the program directory ("import", "ment") for templates and
// pristine copies.
struct TableEntry {
    std::string file; // file name as the program spells it: "tipus.DB"
    std::string folder;
    TableSchema schema;
    // Made by an import from a workbook (the copy engine creates it with the sheet's columns);
    // the layout here is the one the program reads from it. Not created with the others.
    bool importTable = false;
};

// The tables of the data folder, the work tables of the price-list folder, the templates and
// the pristine copies.
const std::vector<TableEntry>& tables();
// The data-folder table of that name (file name or table name, without regard to case).
const TableEntry* findTable(std::string_view name, std::string_view folder = "diploma");
const std::vector<Reference>& references();

// A handle of the data module.
struct HandleDef {
    std::string name;       // "Tblgarnitur"
    std::string dataSource; // "Dsrgarnitur"; empty when the handle has none
    std::string alias;
    std::string table;
    bool exclusive = false;
    std::string indexFieldNames;
    std::string indexName;
    std::string masterSource; // data source of the master handle
    std::string masterFields;
    bool filtered = false; // the filter is on from the start
    std::vector<FieldDecl> fields;
    std::vector<LookupDef> lookups;
    std::vector<CalcDef> calcs;
};

const std::vector<HandleDef>& handles();
const HandleDef* findHandle(std::string_view name);

// Applies a handle definition to a closed handle (alias, table, order, declared fields,
// lookups, calculated fields). The master link is set by the caller, who knows the master.
void applyDefinition(Table& table, const HandleDef& def);

// Creates every missing table of the data folder, the price-list folder and the template
// folders under `programDir`. Existing tables are left alone. Returns the files created.
std::vector<std::filesystem::path> createMissingTables(Session& session,
                                                       const std::filesystem::path& programDir);

// Declares the catalogue's referential links in the session.
void declareReferences(Session& session);

} // namespace store::catalogue
