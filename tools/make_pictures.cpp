// Writes the program icon, drawn by the emblem code, as the PNG files the desktop uses:
//   vz_make_pictures resources/pictures
// Run it again after the emblem changes and commit the pictures.
#include "output/emblem.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

using namespace vz;

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: vz_make_pictures FOLDER\n";
        return 2;
    }
    const QDir dir(args.at(1));
    for (int size : {48, 128, 256}) {
        const QString path = dir.filePath(QStringLiteral("vestro-zandor-%1.png").arg(size));
        if (!vz::iconImage(size).save(path)) {
            QTextStream(stderr) << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
