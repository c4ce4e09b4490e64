#include "base/unit_service.h"
#include "output/gui_info.h"
#include "output/help.h"
#include "output/program_version.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QtTest>

using namespace vz;

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    // The help entry shows when the language loaded names a help document that exists, and
    // opens that document through the opener seam.
    void entryFollowsTheLanguage() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("language")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("help")));
        const std::pair<const char*, QByteArray> files[] = {
            {"language/english.lng", "help_file=help_en.html\n"},
            {"language/deutsch.lng", "help_file=hilfe.html\n"},
            {"help/help_en.html", "<html></html>"}};
        for (const auto& [name, content] : files) {
            QFile f(dir.filePath(QLatin1String(name)));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        }
        HelpEntry help(dir.path());
        QList<QUrl> opened;
        help.setOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        QAction entry;
        for (const char* language : {"english", "deutsch", "english"}) {
            QVERIFY(languageTable().load(dir.path(), QLatin1String(language)));
            help.updateVisibility(&entry);
            QCOMPARE(entry.isVisible(), qstrcmp(language, "english") == 0);
        }
        help.open();
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(dir.filePath("help/help_en.html"))});
        // The shipped languages name help documents installed beside the program.
        for (const char* language : {"english", "deutsch"}) {
            QVERIFY(languageTable().load(QStringLiteral(VZ_BIN_DIR), QLatin1String(language)));
            QVERIFY2(HelpEntry(QStringLiteral(VZ_BIN_DIR)).documentExists(), language);
        }
    }

    // The about box shows the main window's caption as it stands and the version; Escape or
    // a left click closes it.
    void aboutBox() {
        QMainWindow main;
        main.setWindowTitle(QStringLiteral("Vestro Zandor - Bühne.kvx"));
        main.show();
        auto* info = new Tfrm_gui_info(&main);
        const QString version = QStringLiteral("%1.%2.%3.%4")
                                    .arg(VZ_VERSION_MAJOR)
                                    .arg(VZ_VERSION_MINOR)
                                    .arg(VZ_VERSION_PATCH)
                                    .arg(VZ_VERSION_TWEAK);
        for (bool escape : {true, false}) {
            info->show();
            QVERIFY(QTest::qWaitForWindowExposed(info));
            QCOMPARE(info->findChild<QLabel*>("app_name_lbl_main")->text(), main.windowTitle());
            QCOMPARE(info->findChild<QLabel*>("app_version_lbl")->text(), version);
            if (escape)
                QTest::keyClick(info, Qt::Key_Escape);
            else
                QTest::mouseClick(info->windowHandle(), Qt::LeftButton, {}, QPoint(150, 200));
            QVERIFY(!info->isVisible());
            main.setWindowTitle(QStringLiteral("Vestro Zandor - neu.kvx"));
        }
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
