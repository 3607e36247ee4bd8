// The start-up of the program: one copy per user, the windows and the data module created in
// their fixed order behind the splash window.
#pragma once

#include "store/engine/session.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace store {
class DataModuleRules;
class TDM;
} // namespace store

namespace calc {
class Collection;
class Prices;
} // namespace calc

namespace app {

class TFrmvasalatok;
class TPasswordDlg;
class Tfrmkival;
class TFrmkigyujt;
class Tfrmnyito;

struct CreationStep {
    int order;
    const char* cls;
    const char* caption;
    bool splashStep; // a splash step follows the creation
};

// The windows of the program in their creation order.
const std::vector<CreationStep>& creationOrder();
// The number of splash steps of a start-up: the bar is full after the last creation.
int splashStepCount();

// The installation the program works on: $DIRURAR_HOME, else the current folder, else the
// folder of the program file, whichever first holds an aliases.ini.
std::optional<std::filesystem::path> findInstallation(const std::filesystem::path& programFile);

class Startup {
public:
    explicit Startup(store::Session& session);
    ~Startup();

    // Creates everything in order; the splash is shown while it runs and destroyed at the end.
    void run(bool showSplash = true);

    TFrmvasalatok* mainWindow() const { return main_.get(); }
    store::TDM* dataModule() const { return dm_.get(); }
    TPasswordDlg* passwordDialog() const { return password_.get(); }
    Tfrmkival* dataEntry() const { return kival_.get(); }
    TFrmkigyujt* collectionWindow() const { return kigyujt_.get(); }
    calc::Collection* collection() const { return collection_.get(); }
    calc::Prices* prices() const { return prices_.get(); }
    store::DataModuleRules* rules() const { return rules_.get(); }

    // what the start-up did, for the curious and the tests
    std::vector<std::string> created; // the classes created, in order
    int splashMaximum = 0;
    int splashValue = 0;
    std::string splashError;
    std::string helpFile;

private:
    void create(const CreationStep& s);
    // The data module object with its rules, prices and collection. It opens nothing, so the
    // windows created before its creation step may hold it already.
    void ensureDataModule();

    store::Session& session_;
    std::unique_ptr<TFrmvasalatok> main_;
    std::unique_ptr<store::TDM> dm_;
    std::unique_ptr<store::DataModuleRules> rules_;
    std::unique_ptr<calc::Prices> prices_;
    std::unique_ptr<calc::Collection> collection_;
    std::unique_ptr<Tfrmkival> kival_;
    std::unique_ptr<TFrmkigyujt> kigyujt_;
    std::unique_ptr<TPasswordDlg> password_;
    Tfrmnyito* splash_ = nullptr;
};

} // namespace app
