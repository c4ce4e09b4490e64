// The shipped language files hold every key the program asks for: every caption of every
// window the main window creates, and every key the sources look up by name.

#include "gui/main_window_fixture.h"
#include "gui/text_keys.h"

#include "base/unit_service_gui.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>

using namespace vz;

// A lookup with a literal key: get_text("...") and find_text("...").
static const QRegularExpression
    call(QStringLiteral(R"((?:get_text|find_text)\(\s*(?:QStringLiteral\(\s*)?"([^"]+)\")"));

class TestLanguageKeys : public QObject {
    Q_OBJECT
private slots:
    void everyKeyPresent_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("english") << "english";
        QTest::newRow("deutsch") << "deutsch";
    }
    void everyKeyPresent() {
        QFETCH(QString, language);
        // With no language loaded, each caption that comes from the file still shows its key.
        MainWindowFixture f(QByteArray("[languagefiles]\nactive=none\n"), false);
        Tfrm_gui_main& w = f.start({}, false);
        QSet<QString> keys;
        const QList<QWidget*> windows = w.findChildren<QWidget*>() << &w;
        for (QWidget* window : windows) {
            if (!window->isWindow() || qobject_cast<QMenu*>(window))
                continue;
            keys.insert(window->objectName());
            for (QObject* o : texted_objects(window)) {
                // Tab pages always take their text from the file.
                const bool page =
                    qobject_cast<QTabWidget*>(o->parent() ? o->parent()->parent() : nullptr);
                if (page || caption_of(o) == o->objectName())
                    keys.insert(o->objectName());
            }
        }
        QDirIterator it(QStringLiteral(VZ_SOURCE_DIR) + "/src", {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            auto m = call.globalMatch(QString::fromUtf8(file.readAll()));
            while (m.hasNext())
                keys.insert(m.next().captured(1));
        }
        QVERIFY(keys.contains("tab_seqX") && keys.contains("msg_saveproject"));

        LanguageTable table;
        QVERIFY(table.load(QStringLiteral(VZ_SOURCE_DIR "/resources"), language));
        QStringList missing;
        for (const QString& key : keys)
            if (table.findText(key).isEmpty())
                missing << key;
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable(language + " lacks: " + missing.join(", ")));
    }
};

QTEST_MAIN(TestLanguageKeys)
#include "tst_language_keys.moc"
