#include "app/gui_main.h"
#include "app/prompts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vestro Zandor"));

    QtPrompts prompts;
    Tfrm_gui_main window(QCoreApplication::applicationDirPath(), app.arguments().mid(1), prompts);
    window.show();
    return app.exec();
}
