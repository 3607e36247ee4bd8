// dirurar-xls: copies a table into a new sheet of a workbook, or a sheet or named area of a
// workbook into a new table, with the program's copy engine.
//
//   dirurar-xls to-sheet TABLEFILE WORKBOOK SHEET
//   dirurar-xls to-table WORKBOOK SHEET TABLEFILE
//
// Exit status 0 on success, 1 with the copy engine's message when the copy fails, 2 for a
// wrong command line.
#include "store/engine/session.h"
#include "store/sheet/copy_engine.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

int usage() {
    std::fputs("usage: dirurar-xls to-sheet TABLEFILE WORKBOOK SHEET\n"
               "       dirurar-xls to-table WORKBOOK SHEET TABLEFILE\n"
               "  to-sheet  copies the table into a new sheet (the workbook is created when "
               "missing)\n"
               "  to-table  copies the sheet or named area into a new table file\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        return usage();
    }
    const std::string command = argv[1];
    if (command != "to-sheet" && command != "to-table") {
        return usage();
    }
    try {
        store::Session session;
        if (command == "to-sheet") {
            store::sheet::copyTableToSheet(session, argv[2], argv[3], argv[4]);
        } else {
            store::sheet::copySheetToTable(session, argv[2], argv[3], argv[4]);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dirurar-xls: %s\n", e.what());
        return 1;
    }
    return 0;
}
