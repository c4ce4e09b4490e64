#include "base/unit_service.h"
#include "output/help.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// Reads a shipped language file into a key/text map (its usable part).
QMap<QString, QString> shippedTexts(const QString& name) {
    QFile f(QStringLiteral(VZ_SOURCE_DIR "/resources/language/") + name + ".lng");
    QMap<QString, QString> out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const LanguageTable::Entry& e : LanguageTable::parse(f.readAll())) {
        if (e.key.isEmpty())
            break;
        if (!out.contains(e.key))
            out.insert(e.key, e.text);
    }
    return out;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("language")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("help/sub")));
        const QString lang = m_dir.filePath(QStringLiteral("language/"));
        writeFile(lang + "english.lng", "menu_help_intro=Help\nhelp_file=help_en.html\n");
        writeFile(lang + "deutsch.lng", "menu_help_intro=Hilfe\nhelp_file=hilfe.html\n");
        writeFile(lang + "leer.lng", "menu_help_intro=Help\nhelp_file=\n");
        writeFile(lang + "ohne.lng", "menu_help_intro=Help\n");
        writeFile(lang + "ordner.lng", "help_file=sub\n");
        writeFile(m_dir.filePath(QStringLiteral("help/help_en.html")), "<html></html>");
    }

    // Each language load decides anew whether the entry is shown.
    void visibilityAfterLanguageLoads_data() {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<bool>("visible");
        QTest::newRow("english has its document") << QStringList{"english"} << true;
        QTest::newRow("deutsch has none") << QStringList{"deutsch"} << false;
        QTest::newRow("english after deutsch") << QStringList{"deutsch", "english"} << true;
        QTest::newRow("deutsch after english") << QStringList{"english", "deutsch"} << false;
        QTest::newRow("empty help_file") << QStringList{"english", "leer"} << false;
        QTest::newRow("no help_file key") << QStringList{"english", "ohne"} << false;
        QTest::newRow("help_file names a folder") << QStringList{"english", "ordner"} << false;
    }
    void visibilityAfterLanguageLoads() {
        QFETCH(QStringList, languages);
        QFETCH(bool, visible);
        HelpEntry help(m_dir.path());
        QAction entry;
        for (const QString& language : languages) {
            QVERIFY(languageTable().load(m_dir.path(), language));
            help.updateVisibility(&entry);
        }
        QCOMPARE(entry.isVisible(), visible);
        QCOMPARE(help.documentExists(), visible);
    }

    // The entry opens the document of the language now loaded, and nothing else.
    void opensTheLanguagesDocument() {
        HelpEntry help(m_dir.path());
        QList<QUrl> opened;
        help.setOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        QVERIFY(languageTable().load(m_dir.path(), QStringLiteral("english")));
        help.open();
        QVERIFY(languageTable().load(m_dir.path(), QStringLiteral("deutsch")));
        help.open();
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0], QUrl::fromLocalFile(m_dir.filePath("help/help_en.html")));
        QCOMPARE(opened[1], QUrl::fromLocalFile(m_dir.filePath("help/hilfe.html")));
    }

    // The shipped languages name documents that are shipped, beside the program too.
    void shippedLanguages_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("english") << QStringLiteral("english");
        QTest::newRow("deutsch") << QStringLiteral("deutsch");
    }
    void shippedLanguages() {
        QFETCH(QString, language);
        const QMap<QString, QString> texts = shippedTexts(language);
        QVERIFY2(!texts.isEmpty(), "language file missing or empty");
        const QString help = texts.value(QStringLiteral("help_file"));
        QVERIFY(!help.isEmpty());
        const QString path = QStringLiteral(VZ_SOURCE_DIR "/resources/help/") + help;
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
        QVERIFY(QFileInfo(QStringLiteral(VZ_BIN_DIR "/help/") + help).isFile());
    }

    // Every page a help document links to within itself exists.
    void shippedDocumentsLinks_data() { shippedLanguages_data(); }
    void shippedDocumentsLinks() {
        QFETCH(QString, language);
        const QString help = shippedTexts(language).value(QStringLiteral("help_file"));
        QFile f(QStringLiteral(VZ_SOURCE_DIR "/resources/help/") + help);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        QVERIFY(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        QSet<QString> ids;
        QRegularExpression id(QStringLiteral("id=\"([^\"]+)\""));
        for (auto it = id.globalMatch(html); it.hasNext();)
            ids.insert(it.next().captured(1));
        QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
        int links = 0;
        for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
            const QString target = it.next().captured(1);
            QVERIFY2(ids.contains(target), qPrintable(target));
        }
        QVERIFY(links >= 8);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
