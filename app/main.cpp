// dirurar: the fittings ordering program.
#include "app/TFrmvasalatok.h"
#include "app/platform/single_instance.h"
#include "app/startup.h"
#include "ui/qt_messages.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    // one copy per user: a second start ends at once, without a window
    app::SingleInstance once;
    if (!once.acquired()) {
        return 0;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Dirurar");

    const auto home = app::findInstallation(argc > 0 ? argv[0] : "");
    if (!home) {
        QMessageBox::critical(nullptr, "Dirurar",
                              "Az aliases.ini nem található (a program mappájában, a munkamappában "
                              "vagy a DIRURAR_HOME mappában).");
        return 1;
    }
    store::Session& session = store::Session::global();
    try {
        session.loadAliases(*home / "aliases.ini");
        app::Startup startup(session);
        startup.run();
        // the program's messages have the main window as their parent
        static ui::QtMessages messages(startup.mainWindow(), "Dirurar");
        ui::setDefaultMessages(&messages);
        startup.mainWindow()->show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, "Dirurar", QString::fromStdString(e.what()));
        return 1;
    }
}
