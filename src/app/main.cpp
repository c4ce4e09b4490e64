#include "app/gui_main.h"
#include "base/prompts.h"
#include "output/emblem.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

using namespace vz;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vestro Zandor"));
    QApplication::setWindowIcon(vz::programIcon());

    QtPrompts prompts;
    Tfrm_gui_main window(QCoreApplication::applicationDirPath(), app.arguments().mid(1), prompts);
    window.show();

    // For the start-up benchmark and the README picture: once the window is on screen, say so
    // (and save a picture of it), then end without a close request.
    if (qEnvironmentVariableIsSet("VZ_EXIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &app, [&window] {
            const QString picture = qEnvironmentVariable("VZ_SCREENSHOT");
            if (!picture.isEmpty())
                window.grab().save(picture);
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    return app.exec();
}
