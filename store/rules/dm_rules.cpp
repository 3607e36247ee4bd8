#include "store/rules/dm_rules.h"

#include "store/format/format.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace store {

namespace {

const std::string kDuplicate = " Már létezik az alkatrész a listában!";
const std::string kRequired = " A mezők kitöltése kötelező";
const std::string kReferenced = "Nem törölhető, hivatozási kapcsolat miatt!";
const std::string kConfirmDelete = "Biztos törölni akarja?";
const std::string kBadCode = "Hibás kód! ";
const std::string kRecordCount = "Recordok száma: ";
const std::string kCurrentRecord = " Aktuális rekord: ";

bool between(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// Types 3, 23 and 65.
bool firstGroup(int t) {
    return t == 3 || t == 23 || t == 65;
}

// Types 24-27, 48, 49, 60 and 75-77.
bool secondGroup(int t) {
    return between(t, 24, 27) || t == 48 || t == 49 || t == 60 || between(t, 75, 77);
}

bool thresholdType(int c) {
    return c == 3 || between(c, 23, 27) || c == 48 || c == 49 || between(c, 60, 69) ||
           between(c, 75, 77);
}

// Types offered with the "LM" material.
bool lmType(int t) {
    return t == 1 || t == 2 || t == 4 || t == 8 || t == 9 || between(t, 13, 22) || t == 71 ||
           t == 72 || between(t, 93, 95);
}

// A number typed into an entry; a text that is not a number counts as 0.
int64_t entryNumber(const std::string& text) {
    return fmt::parseInt(text).value_or(0);
}

// A private, unfiltered handle on the table another handle works on.
std::unique_ptr<Table> plainHandle(Session& session, const Table& like) {
    auto t = std::make_unique<Table>(session);
    t->setAlias(like.alias());
    t->setTableName(like.tableName());
    return t;
}

} // namespace

DataModuleRules::DataModuleRules(TDM& dm, Messages& messages) : dm_(dm), messages_(messages) {
    attach();
}

DataModuleRules::~DataModuleRules() {
    detach();
}

bool DataModuleRules::typeShown(int t, int c, int materialIndex, bool oxal) {
    if (oxal) {
        return between(t, 86, 92);
    }
    if (thresholdType(c)) {
        if (firstGroup(c)) {
            return !secondGroup(t);
        }
        if (secondGroup(c)) {
            return !firstGroup(t);
        }
        return true;
    }
    switch (materialIndex) {
    case 2:
        return lmType(t);
    case 1:
        return !secondGroup(t);
    default:
        return true;
    }
}

int DataModuleRules::currentTypeCode() {
    Table& t = dm_.Tbltarol;
    if (!t.active() || t.isEmpty()) {
        return 0;
    }
    return static_cast<int>(t.fieldByName("Kod").asInteger());
}

std::string DataModuleRules::currentCustomer() {
    Table& t = dm_.Tbltarol;
    if (!t.active() || t.isEmpty()) {
        return {};
    }
    return t.fieldByName("Vevo").asString();
}

bool DataModuleRules::typeVisible(int typeCode) {
    return typeShown(typeCode, currentTypeCode(), state.materialIndex, state.oxalSzures);
}

bool DataModuleRules::setRowVisible(DataSet& ds) {
    if (state.maintenanceActive) {
        return ds.fieldByName("Garkod").asInteger() == state.Aktgarkod;
    }
    return hooks.collectionSetFilter ? hooks.collectionSetFilter(ds) : true;
}

ErrorAction DataModuleRules::postError(DataSet& ds, const EngineError& e) {
    if (e.code() == errc::KeyViolation) {
        messages_.showMessage(ds.name() + kDuplicate);
        ds.cancel();
        if (hooks.closePartSearch) {
            hooks.closePartSearch();
        }
        return ErrorAction::Abort;
    }
    if (e.code() == errc::RequiredField) {
        // the record stays in edit state so that the user can fill in the field
        messages_.showMessage(kRequired);
        return ErrorAction::Abort;
    }
    return ErrorAction::Fail;
}

ErrorAction DataModuleRules::deleteError(DataSet& ds, const EngineError& e, bool cancelFirst) {
    if (e.code() != errc::DetailRecordsExist) {
        return ErrorAction::Fail;
    }
    messages_.showMessage(kReferenced);
    if (cancelFirst) {
        ds.cancel();
    }
    return ErrorAction::Abort;
}

void DataModuleRules::deleteGuard(DataSet& ds) {
    state.Torlesvizsgalat = &ds == &dm_.Tblarlista;
    if (!state.torlesreRakerdez) {
        state.Torlesflag = true;
        return;
    }
    if (!messages_.yesNo(kConfirmDelete)) {
        ds.cancel();
        state.Torlesflag = false;
        throw Abort();
    }
    if (state.Torlesvizsgalat && hooks.partUsage) {
        const auto used = hooks.partUsage(ds.fieldByName("BSNR").asString(), true);
        if (std::any_of(used.begin(), used.end(), [](bool b) { return b; })) {
            // the part stays: the deletion did not go ahead
            ds.cancel();
            state.Torlesflag = false;
            throw Abort();
        }
    }
    state.Torlesflag = true;
}

void DataModuleRules::afterScrollSet(DataSet& ds) {
    try {
        int meretkod = 0;
        try {
            meretkod = static_cast<int>(ds.fieldByName("Meretkod").asInteger());
        } catch (const std::exception&) {
            meretkod = 0;
        }
        if (hooks.showSizeDependency) {
            hooks.showSizeDependency(meretkod);
        }
        std::string g = std::to_string(ds.fieldByName("Getriebe").asInteger());
        if (g.size() == 1) {
            g = "0" + g;
        }
        if (hooks.showGearVariant) {
            hooks.showGearVariant(g);
        }
    } catch (const std::exception&) {
        // the lists keep what they showed
    }
}

void DataModuleRules::afterPostPartial(DataSet& ds) {
    if (dm_.Ujsor) {
        ds.last();
    }
    dm_.Ujsor = false;
    if (dm_.Reszfrissit) {
        if (hooks.Reszosszeg) {
            hooks.Reszosszeg();
        }
        dm_.Reszfrissit = false;
    }
}

void DataModuleRules::typeDeleted() {
    Table& types = dm_.tbltipus;
    types.first();
    Table& tarolo = dm_.Tbltarol;
    if (types.isEmpty() || !tarolo.active() || tarolo.isEmpty()) {
        return; // no type left: the settings record keeps its value
    }
    tarolo.edit();
    tarolo.fieldByName("Kod").setAsInteger(types.fieldByName("Tipuskod").asInteger());
    tarolo.post();
}

void DataModuleRules::converterPosted() {
    if (!dm_.Ujsor) {
        return;
    }
    Table& conv = dm_.Tblprofil;
    // the row just posted: the cursor stays on it
    const int64_t sorsz = conv.fieldByName("Sorsz").asInteger();
    conv.last();

    std::vector<int64_t> profiles;
    {
        auto names = plainHandle(dm_.session(), dm_.Tblprofineve);
        names->open();
        for (names->first(); !names->eof(); names->next()) {
            profiles.push_back(names->fieldByName("Sorsz").asInteger());
        }
        names->close();
    }
    {
        auto sheet = plainHandle(dm_.session(), dm_.tblprofildat);
        sheet->open();
        ControlsDisabled grouped(*sheet);
        for (int64_t p : profiles) {
            sheet->append();
            sheet->fieldByName("Ind").setAsInteger(p);
            sheet->fieldByName("Sorsz").setAsInteger(sorsz);
            sheet->fieldByName("Bsnr").setAsString(state.uj);
            sheet->post();
        }
    }
    dm_.Ujsor = false;
    if (dm_.tblprofildat.active()) {
        dm_.tblprofildat.first();
    }
}

void DataModuleRules::deleteSheetRows(const char* field, int64_t value) {
    auto sheet = plainHandle(dm_.session(), dm_.tblprofildat);
    sheet->open();
    {
        ControlsDisabled grouped(*sheet);
        sheet->first();
        while (!sheet->eof()) {
            if (sheet->fieldByName(field).asInteger() == value) {
                sheet->deleteRecord(); // the cursor goes on to the next row
            } else {
                sheet->next();
            }
        }
    }
    sheet->close();
}

void DataModuleRules::goodsReceiptBeforePost(DataSet& ds) {
    const std::string bsnr = ds.fieldByName("BSNR").asString();
    auto prices = plainHandle(dm_.session(), dm_.Tblarlista);
    prices->open();
    const bool known = prices->findKey({Value(bsnr)});
    prices->close();
    if (!known) {
        ds.cancel();
        messages_.showMessage(kBadCode + bsnr);
        throw Abort();
    }
}

void DataModuleRules::goodsReceiptChanged(DataSet& ds) {
    if (hooks.focusGoodsReceiptGrid) {
        hooks.focusGoodsReceiptGrid();
    }
    if (hooks.goodsReceiptStatusPanel1) {
        hooks.goodsReceiptStatusPanel1(kRecordCount + std::to_string(ds.recordCount()));
    }
}

void DataModuleRules::attach() {
    auto post = [this](DataSet& ds, const EngineError& e) { return postError(ds, e); };
    for (Table* t : {&dm_.Tblmodul, &dm_.Tblarlista, &dm_.tblkigyujt, &dm_.Tblgarnitur,
                     &dm_.tbltipus, &dm_.Tblszin, &dm_.Tblnyitas, &dm_.Tbltarol, &dm_.Tblreszossz,
                     &dm_.Tblmodulnev, &dm_.Tblmodulkarb, &dm_.Tblvevo, &dm_.Tblrendel,
                     &dm_.tblrkapcs, &dm_.Tblprofil, &dm_.Tblmanual, &dm_.Tblimport}) {
        bind(t->onPostError, post);
    }
    bind(dm_.Tblimport.onEditError, post);

    auto del = [this](DataSet& ds, const EngineError& e) { return deleteError(ds, e, false); };
    for (Table* t :
         {&dm_.Tblarlista, &dm_.Tblszin, &dm_.Tblnyitas, &dm_.Tblmodulnev, &dm_.Tblmodulkarb,
          &dm_.Tblvevo, &dm_.Tblrendel, &dm_.tblrkapcs, &dm_.Tblmkapcs}) {
        bind(t->onDeleteError, del);
    }
    bind(dm_.Tblmkapcs.onPostError,
         [this](DataSet& ds, const EngineError& e) { return deleteError(ds, e, true); });

    for (Table* t : {&dm_.Tblmodul, &dm_.Tblarlista, &dm_.Tblgarnitur, &dm_.Tbltarol,
                     &dm_.Tblmodulnev, &dm_.Tblmodulkarb, &dm_.Tblvevo}) {
        bind(t->beforeDelete, [this](DataSet& ds) { deleteGuard(ds); });
    }

    // ---- filters ----
    bind(dm_.Tblmodul.onFilterRecord, [this](DataSet& ds) {
        return hooks.collectionModuleFilter ? hooks.collectionModuleFilter(ds) : true;
    });
    bind(dm_.Tblgarnitur.onFilterRecord, [this](DataSet& ds) { return setRowVisible(ds); });
    bind(dm_.tbltipus.onFilterRecord, [this](DataSet& ds) {
        return typeVisible(static_cast<int>(ds.fieldByName("Tipuskod").asInteger()));
    });
    bind(dm_.Tblarlista.onFilterRecord, [this](DataSet& ds) {
        // a group entry that is not a number names no group
        const auto group = fmt::parseInt(state.EACSOP);
        return group && ds.fieldByName("Grupp").asInteger() == *group;
    });
    auto discount = [](DataSet& ds) {
        return ds.fieldByName("Rab").asFloat() != 0 && ds.fieldByName("PG").asInteger() > 0;
    };
    bind(dm_.tblrabat.onFilterRecord, discount);
    bind(dm_.Tblqrabat.onFilterRecord, discount);
    bind(dm_.Tblfix.onFilterRecord,
         [](DataSet& ds) { return ds.fieldByName("Fpreis").asFloat() != 0; });
    bind(dm_.Tblrendel.onFilterRecord, [this](DataSet& ds) {
        Table& headers = dm_.Tblmkapcs;
        if (!headers.active() || headers.isEmpty()) {
            return false; // no order header: no order lines
        }
        return ds.fieldByName("Rszam").asInteger() == headers.fieldByName("Rszam").asInteger();
    });
    bind(dm_.Tblmkapcs.onFilterRecord, [this](DataSet& ds) {
        return fmt::trim(ds.fieldByName("Vevokod").asString()) == fmt::trim(currentCustomer());
    });
    bind(dm_.Tblkeszlet.onFilterRecord, [this](DataSet& ds) {
        const int64_t darab = ds.fieldByName("Darab").asInteger();
        switch (state.RDPrakt2) {
        case 1:
            return darab > entryNumber(state.Enagyobb);
        case 2:
            return darab < entryNumber(state.Ekissebb);
        default:
            return true;
        }
    });
    bind(dm_.Tblkeszlet2.onFilterRecord, [this](DataSet& ds) {
        const int64_t keszet = ds.fieldByName("Keszet").asInteger();
        const int64_t darab = ds.fieldByName("Darab").asInteger();
        switch (state.Rgpkeszlet) {
        case 1:
            return keszet >= darab;
        case 2:
            return keszet < darab;
        default:
            return true;
        }
    });
    bind(dm_.Tblprofineve.onFilterRecord, [this](DataSet& ds) {
        const bool wood = between(static_cast<int>(ds.fieldByName("Sorsz").asInteger()), 62, 65);
        return state.materialIndex == 1 ? wood : !wood;
    });

    // ---- after scroll ----
    bind(dm_.Tblgarnitur.afterScroll, [this](DataSet& ds) { afterScrollSet(ds); });
    bind(dm_.Tblarlista.afterScroll, [this](DataSet& ds) {
        if (hooks.searchStatusPanel2) {
            hooks.searchStatusPanel2(kCurrentRecord + std::to_string(ds.recNo()));
        }
    });

    // ---- partial-summary bookkeeping ----
    bind(dm_.Tblreszossz.afterInsert, [this](DataSet&) { dm_.Ujsor = true; });
    bind(dm_.Tblreszossz.beforeScroll, [this](DataSet&) { dm_.Ujsor = false; });
    bind(dm_.Tblreszossz.afterPost, [this](DataSet& ds) { afterPostPartial(ds); });
    bind(dm_.tblkigyujt.beforeEdit, [this](DataSet&) { dm_.Osszvaltozott = true; });

    // ---- type deleted ----
    bind(dm_.tbltipus.afterDelete, [this](DataSet&) { typeDeleted(); });

    // ---- profile tables ----
    bind(dm_.Tblprofil.afterPost, [this](DataSet&) { converterPosted(); });
    bind(dm_.Tblprofil.beforeDelete,
         [this](DataSet& ds) { deleteSheetRows("Sorsz", ds.fieldByName("Sorsz").asInteger()); });
    bind(dm_.Tblprofineve.beforeDelete, [this](DataSet& ds) {
        // the data sheet of the profile being deleted
        deleteSheetRows("Ind", ds.fieldByName("Sorsz").asInteger());
    });

    // ---- goods receipt ----
    bind(dm_.Tblmanual.beforePost, [this](DataSet& ds) { goodsReceiptBeforePost(ds); });
    bind(dm_.Tblmanual.afterInsert, [this](DataSet& ds) { goodsReceiptChanged(ds); });
    bind(dm_.Tblmanual.afterDelete, [this](DataSet& ds) { goodsReceiptChanged(ds); });
}

void DataModuleRules::detach() {
    for (auto& undo : undo_) {
        undo();
    }
    undo_.clear();
}

} // namespace store
