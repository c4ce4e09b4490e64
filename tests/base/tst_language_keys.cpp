// The shipped language files against everything the program asks of them: every caption of
// every window the main window creates, and every key the sources look up by name.

#include "gui/main_window_fixture.h"
#include "gui/text_keys.h"

#include "base/unit_service_gui.h"

#include <QDialog>
#include <QDirIterator>
#include <QMenu>
#include <QRegularExpression>
#include <QSet>

namespace {

struct LanguageFile {
    QByteArray bytes;
    QStringList keys;
};

LanguageFile readShipped(const QString& name) {
    LanguageFile out;
    QFile file(ProgramFolder::shippedLanguageDir() + "/" + name + ".lng");
    if (file.open(QIODevice::ReadOnly))
        out.bytes = file.readAll();
    for (const LanguageTable::Entry& e : LanguageTable::parse(out.bytes)) {
        if (e.key.isEmpty())
            break;
        out.keys << e.key;
    }
    return out;
}

// Keys the sources look up with a literal: get_text("...") and find_text("...").
QSet<QString> keysInSources() {
    static const QRegularExpression call(
        QStringLiteral(R"((?:get_text|find_text)\(\s*(?:QStringLiteral\(\s*)?"([^"]+)\")"));
    QSet<QString> keys;
    QDirIterator it(QStringLiteral(VZ_SOURCE_DIR) + "/src", {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        auto m = call.globalMatch(text);
        while (m.hasNext())
            keys.insert(m.next().captured(1));
    }
    return keys;
}

// Captions of the main window and of every window it creates at start-up, read with no
// language loaded, so each caption that comes from the language file still shows its key.
QSet<QString> keysOfWindows() {
    MainWindowFixture f(QByteArray("[languagefiles]\nactive=none\n"), false);
    Tfrm_gui_main& w = f.start({}, false);
    QSet<QString> keys;
    for (const QString& k : captioned_keys(&w))
        keys.insert(k);
    for (QWidget* dialog : w.findChildren<QWidget*>())
        if (dialog->isWindow() && !qobject_cast<QMenu*>(dialog))
            for (const QString& k : captioned_keys(dialog))
                keys.insert(k);
    return keys;
}

} // namespace

class TestLanguageKeys : public QObject {
    Q_OBJECT
private slots:
    void fileFormat_data();
    void fileFormat();
    void everyKeyPresent_data();
    void everyKeyPresent();
    void sameKeys();
};

void TestLanguageKeys::fileFormat_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("english") << "english";
    QTest::newRow("deutsch") << "deutsch";
}

void TestLanguageKeys::fileFormat() {
    QFETCH(QString, language);
    const LanguageFile file = readShipped(language);
    QVERIFY(!file.bytes.isEmpty());
    QVERIFY2(!file.bytes.startsWith("\xEF\xBB\xBF"), "no byte-order mark");
    QVERIFY2(!file.bytes.contains('\r'), "LF line ends");
    QVERIFY(file.bytes.endsWith('\n'));
    const QList<QByteArray> lines = file.bytes.chopped(1).split('\n');
    QVERIFY2(lines.size() <= LanguageTable::kMaxLines, "only the first 511 lines are read");
    QSet<QString> seen;
    for (const QByteArray& line : lines) {
        // An empty line would end the table; a second "=" would cut the text.
        QVERIFY2(!line.isEmpty(), "no blank lines");
        QVERIFY2(line.count('=') == 1, line.constData());
        QVERIFY2(!line.endsWith('='), line.constData());
        const QString key = QString::fromUtf8(line.left(line.indexOf('=')));
        QVERIFY2(!seen.contains(key), qPrintable("twice: " + key));
        seen.insert(key);
    }
    QCOMPARE(QString::fromUtf8(file.bytes).toUtf8(), file.bytes); // valid UTF-8
    QCOMPARE(file.keys.size(), lines.size());
}

void TestLanguageKeys::everyKeyPresent_data() {
    QTest::addColumn<QString>("language");
    QTest::newRow("english") << "english";
    QTest::newRow("deutsch") << "deutsch";
}

void TestLanguageKeys::everyKeyPresent() {
    QFETCH(QString, language);
    const QStringList present = readShipped(language).keys;
    const QSet<QString> windowKeys = keysOfWindows();
    const QSet<QString> sourceKeys = keysInSources();
    // Sanity: both collections found what they must.
    QVERIFY(windowKeys.contains("frm_gui_main"));
    QVERIFY(windowKeys.contains("tab_seqX"));
    QVERIFY(windowKeys.contains("btn_cancel"));
    QVERIFY(sourceKeys.contains("msg_saveproject"));
    QVERIFY(sourceKeys.contains("hint_ud"));

    QStringList missing;
    for (const QString& key : windowKeys + sourceKeys)
        if (!present.contains(key))
            missing << key;
    missing.sort();
    QVERIFY2(missing.isEmpty(), qPrintable(language + " lacks: " + missing.join(", ")));
}

void TestLanguageKeys::sameKeys() {
    QStringList english = readShipped("english").keys;
    QStringList german = readShipped("deutsch").keys;
    english.sort();
    german.sort();
    QCOMPARE(german, english);
}

QTEST_MAIN(TestLanguageKeys)
#include "tst_language_keys.moc"
