#include "store/tdm.h"

namespace store {

#define DIRURAR_INIT_HANDLE(n) , n(session, #n)

TDM::TDM(Session& session) : session_(session) DIRURAR_TDM_HANDLES(DIRURAR_INIT_HANDLE) {
#define DIRURAR_LIST_HANDLE(n) handles_.push_back(&n);
    DIRURAR_TDM_HANDLES(DIRURAR_LIST_HANDLE)
#undef DIRURAR_LIST_HANDLE
    for (Table* t : handles_) {
        const catalogue::HandleDef* def = catalogue::findHandle(t->name());
        catalogue::applyDefinition(*t, *def);
        if (!def->dataSource.empty()) {
            sources_.push_back(DataSource{def->dataSource, t});
        }
    }
    // master links, now that every data source exists
    for (Table* t : handles_) {
        const catalogue::HandleDef* def = catalogue::findHandle(t->name());
        if (!def->masterSource.empty()) {
            t->setMasterSource(dataSource(def->masterSource)->dataSet, def->masterFields);
        }
        t->setFiltered(def->filtered);
    }
    catalogue::declareReferences(session);
    DataModuleCreate();
}

#undef DIRURAR_INIT_HANDLE

void TDM::DataModuleCreate() {
    Rudzaropcio = 0;
}

Table* TDM::handle(std::string_view name) {
    for (Table* t : handles_) {
        if (t->name() == name) {
            return t;
        }
    }
    return nullptr;
}

DataSource* TDM::dataSource(std::string_view name) {
    for (auto& s : sources_) {
        if (equalsNoCase(s.name, name)) {
            return &s;
        }
    }
    return nullptr;
}

} // namespace store
