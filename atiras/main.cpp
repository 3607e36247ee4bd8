// atiras: the field value replacement tool shipped with the ordering program. It takes no
// arguments; it works in its current folder (or the folder DIRURAR_HOME names).
#include "atiras/TFrmatir.h"
#include "atiras/startup.h"
#include "ui/qt_messages.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("atiras"));
    ui::QtMessages messages;
    atiras::TFrmatir window(store::Session::global(), messages, atiras::installationFolder());
    messages.setParent(&window);
    window.show();
    return QApplication::exec();
}
