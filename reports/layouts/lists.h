// The printed lists besides the order summary: discounts, collection log, profile data sheet,
// module list, set list and the two stock lists. Each is bound to its data set by the window
// that prints it.
#pragma once

#include "reports/engine/report.h"

#include <string>

namespace reports {

// Discount list "Engedmény" over Tblqrabat (the shown discount groups).
class TFrmQrabat {
public:
    TFrmQrabat();
    const std::string Caption = "Engedmény";
    engine::Report QRPrabat{"QRPrabat"};
    void bind(store::DataSet& Tblqrabat) { QRPrabat.setDataSet(&Tblqrabat); }
};

// Collection log "Napló" over tblnaplo.
class TqrNaplo {
public:
    TqrNaplo();
    const std::string Caption = "Napló";
    engine::Report Qrnaplo{"Qrnaplo"};
    void bind(store::DataSet& tblnaplo) { Qrnaplo.setDataSet(&tblnaplo); }
};

// Profile data sheet over tblprofildat; the title prints the profile name of Tblprofineve.
class TQrprofil : public engine::Report {
public:
    TQrprofil();
    void bind(store::DataSet& tblprofildat) { setDataSet(&tblprofildat); }
    void bindProfileName(store::DataSet& Tblprofineve);
};

// Module list "Modul riport" over Tblmodulkarb, one group per module code.
class TQrpmodul {
public:
    TQrpmodul();
    const std::string Caption = "Modul riport";
    engine::Report QRepmodul{"QRepmodul"};
    void bind(store::DataSet& Tblmodulkarb) { QRepmodul.setDataSet(&Tblmodulkarb); }
};

// Set list over Tblgarnitur, one group per set code; the group header prints the type name
// of tbltipus and the material and hinge-side captions chosen in the set print selection.
class TQrgarnitura : public engine::Report {
public:
    TQrgarnitura();
    void bind(store::DataSet& Tblgarnitur) { setDataSet(&Tblgarnitur); }
    void bindTypes(store::DataSet& tbltipus);
    void setCaptions(const std::string& material, const std::string& hingeSide);
};

// Stock list of the stock keeping dialog over Tblkeszlet2; its title is chosen by the caller.
class TFrmQrKimutat {
public:
    TFrmQrKimutat();
    const std::string Caption = "Qrkeszlet";
    engine::Report QuickRepkezlet{"QuickRepkezlet"};
    void bind(store::DataSet& Tblkeszlet2) { QuickRepkezlet.setDataSet(&Tblkeszlet2); }
    // "Raktárkészlet", "Rendelkezésre álló készlet" or "Hiány"
    void setTitle(const std::string& cimke);
};

// Stock list of the stock view "Raktárkészlet" over Tblkeszlet, with the forint total.
class TFrmqrkezlet {
public:
    TFrmqrkezlet();
    const std::string Caption = "Raktárkészlet";
    engine::Report QuickRepkezlet{"QuickRepkezlet"};
    void bind(store::DataSet& Tblkeszlet) { QuickRepkezlet.setDataSet(&Tblkeszlet); }
};

} // namespace reports
