// The data module: one handle per use of a table, each with the data source the windows bind
// to, and the marks the calculation keeps. Every handle is defined by the catalogue; the data
// module opens nothing when it is created.
#pragma once

#include "store/catalogue/catalogue.h"
#include "store/engine/table.h"

#include <string_view>
#include <vector>

namespace store {

// What a window binds to: a named link to a handle.
struct DataSource {
    std::string name;
    DataSet* dataSet = nullptr;
};

#define DIRURAR_TDM_HANDLES(X)                                                                     \
    X(tbltipus)                                                                                    \
    X(Tblgarnitur)                                                                                 \
    X(Tblmodul)                                                                                    \
    X(Tblmodulkarb)                                                                                \
    X(modul)                                                                                       \
    X(Tblmodulnev)                                                                                 \
    X(Tblszin)                                                                                     \
    X(Tblnyitas)                                                                                   \
    X(tblholz)                                                                                     \
    X(Tblarlista)                                                                                  \
    X(Tblfix)                                                                                      \
    X(Tblarlistabeolv)                                                                             \
    X(tblrabat)                                                                                    \
    X(Tblqrabat)                                                                                   \
    X(TblK005)                                                                                     \
    X(Tblimport)                                                                                   \
    X(tblfar)                                                                                      \
    X(tblfimport)                                                                                  \
    X(Tbltarol)                                                                                    \
    X(Tblreszossz)                                                                                 \
    X(tblkigyujt)                                                                                  \
    X(Tblkeszlet2)                                                                                 \
    X(tblnaplo)                                                                                    \
    X(Tblvevo)                                                                                     \
    X(Tblrendel)                                                                                   \
    X(tblrkapcs)                                                                                   \
    X(Tblmkapcs)                                                                                   \
    X(Tblkeszlet)                                                                                  \
    X(Tblmanual)                                                                                   \
    X(Tblprofil)                                                                                   \
    X(tblconv)                                                                                     \
    X(tblprofildat)                                                                                \
    X(profil)                                                                                      \
    X(Tblprofineve)                                                                                \
    X(tblfilenev)

class TDM {
    Session& session_; // first: the handles are built on it

public:
    explicit TDM(Session& session);
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    Session& session() const { return session_; }

#define DIRURAR_DECLARE_HANDLE(n) Table n;
    DIRURAR_TDM_HANDLES(DIRURAR_DECLARE_HANDLE)
#undef DIRURAR_DECLARE_HANDLE

    // ---- marks kept by the data module ----
    int32_t Rudzaropcio = 0;       // rod-lock option bits of the window being collected
    bool rendelesbetoltes = false; // an opened order is being copied into the partial summary
    bool Ujsor = false;            // a row was just inserted
    bool Reszfrissit = false;      // the partial-summary totals are refreshed after the next post
    bool Osszvaltozott = false;    // the order summary was edited or its grid entered or left

    // The creation step: clears the collection option word; opens nothing.
    void DataModuleCreate();

    Table* handle(std::string_view name);
    DataSource* dataSource(std::string_view name);
    const std::vector<Table*>& handles() const {
        return handles_;
    }
    const std::vector<DataSource>& dataSources() const {
        return sources_;
    }

private:
    std::vector<Table*> handles_;
    std::vector<DataSource> sources_;
};

} // namespace store
