// apply_texts on a window holding one control of every kind, and the language dialog's list.

#include "gui/program_folder.h"

#include "app/unit_language.h"
#include "app/unit_service.h"
#include "app/unit_service_gui.h"
#include "app/up_down.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

// The caption of a control, whatever its kind.
QString captionOf(QWidget* window, const QString& name) {
    if (name == window->objectName())
        return window->windowTitle();
    QObject* o = window->findChild<QObject*>(name);
    if (!o)
        return QStringLiteral("<no such control>");
    if (auto* a = qobject_cast<QAction*>(o))
        return a->text();
    if (auto* m = qobject_cast<QMenu*>(o))
        return m->title();
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(o))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(o))
        return g->title();
    if (auto* c = qobject_cast<QComboBox*>(o))
        return c->currentText();
    if (auto* e = qobject_cast<QLineEdit*>(o))
        return e->text();
    auto* w = qobject_cast<QWidget*>(o);
    auto* tabs = window->findChild<QTabWidget*>();
    if (w && tabs && tabs->indexOf(w) >= 0)
        return tabs->tabText(tabs->indexOf(w));
    return w ? w->windowTitle() : QString();
}

// A window with one control of each kind, every caption its own name.
struct Window {
    QWidget root;
    QTabWidget* tabs;
    QDialog* dialog;

    Window() {
        root.setObjectName("frm_test");
        root.setWindowTitle("frm_test");
        auto named = [](QObject* o, const char* name) {
            o->setObjectName(QString::fromLatin1(name));
        };
        auto* menu = new QMenu("menu_x", &root);
        named(menu, "menu_x");
        auto* action = menu->addAction("menu_x_item");
        named(action, "menu_x_item");
        auto* button = new QPushButton("btn_go", &root);
        named(button, "btn_go");
        auto* glyph = new QPushButton(&root); // a glyph-only button
        named(glyph, "btn_glyph");
        auto* tool = new QToolButton(&root);
        tool->setText("btn_tool");
        named(tool, "btn_tool");
        auto* label = new QLabel("lbl_text", &root);
        named(label, "lbl_text");
        auto* image = new QLabel(&root);
        QPixmap pm(4, 4);
        pm.fill(Qt::red);
        image->setPixmap(pm);
        named(image, "img_picture");
        auto* group = new QGroupBox("gb_box", &root);
        named(group, "gb_box");
        auto* inner = new QLabel("lbl_inner", group);
        named(inner, "lbl_inner");
        auto* check = new QCheckBox("chk_use", &root);
        named(check, "chk_use");
        auto* combo = new QComboBox(&root);
        combo->addItem("cb_list");
        named(combo, "cb_list");
        auto* edit = new QLineEdit("ed_text", &root);
        named(edit, "ed_text");
        auto* ud = new UpDown(&root);
        named(ud, "ud_time");
        tabs = new QTabWidget(&root);
        auto* shown = new QWidget;
        named(shown, "tab_one");
        auto* hidden = new QWidget;
        named(hidden, "tab_two");
        tabs->addTab(shown, "tab_one");
        tabs->addTab(hidden, QString());
        tabs->setTabVisible(1, false);
        dialog = new QDialog(&root);
        named(dialog, "frm_child");
        auto* childButton = new QPushButton("btn_go", dialog);
        named(childButton, "btn_go");
    }
};

void setTable(const QByteArray& content) {
    languageTable().setEntries(LanguageTable::parse(content));
}

} // namespace

class TestApplyTexts : public QObject {
    Q_OBJECT
private slots:
    void kinds_data();
    void kinds();
    void keys();
    void languageList();
};

void TestApplyTexts::kinds_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");

    const QByteArray all = "frm_test=Test window\nmenu_x=Extra\nmenu_x_item=Do it\nbtn_go=Go\n"
                           "btn_glyph=Glyph\nbtn_tool=Tool\nlbl_text=Text\nimg_picture=Picture\n"
                           "gb_box=Box\nlbl_inner=Inner\nchk_use=Use\ncb_list=List\n"
                           "ed_text=Edit\nud_time=Time\ntab_one=One\ntab_two=Two\n";
    QTest::newRow("window") << all << "frm_test"
                            << "Test window";
    QTest::newRow("menu") << all << "menu_x"
                          << "Extra";
    QTest::newRow("menu item") << all << "menu_x_item"
                               << "Do it";
    QTest::newRow("button") << all << "btn_go"
                            << "Go";
    QTest::newRow("glyph button") << all << "btn_glyph"
                                  << "";
    QTest::newRow("tool button") << all << "btn_tool"
                                 << "Tool";
    QTest::newRow("label") << all << "lbl_text"
                           << "Text";
    QTest::newRow("image") << all << "img_picture"
                           << "";
    QTest::newRow("group box") << all << "gb_box"
                               << "Box";
    QTest::newRow("label in group") << all << "lbl_inner"
                                    << "Inner";
    QTest::newRow("check box") << all << "chk_use"
                               << "Use";
    QTest::newRow("drop-down") << all << "cb_list"
                               << "cb_list";
    QTest::newRow("edit box") << all << "ed_text"
                              << "ed_text";
    QTest::newRow("tab") << all << "tab_one"
                         << "One";
    QTest::newRow("hidden tab") << all << "tab_two"
                                << "Two";
    QTest::newRow("second = dropped") << QByteArray("btn_go=OK=more\n") << "btn_go"
                                      << "OK";
    QTest::newRow("key without =") << QByteArray("btn_go\n") << "btn_go"
                                   << "btn_go";
    QTest::newRow("empty text") << QByteArray("lbl_text=\n") << "lbl_text"
                                << "lbl_text";
    QTest::newRow("letter case") << QByteArray("BTN_GO=Go\n") << "btn_go"
                                 << "btn_go";
    QTest::newRow("after empty line") << QByteArray("x=y\n\nbtn_go=Go\n") << "btn_go"
                                      << "btn_go";
    QTest::newRow("first of two") << QByteArray("btn_go=One\nbtn_go=Two\n") << "btn_go"
                                  << "One";
    QTest::newRow("no table") << QByteArray() << "frm_test"
                              << "frm_test";
}

void TestApplyTexts::kinds() {
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(QString, caption);

    Window w;
    setTable(file);
    apply_texts(&w.root);
    QCOMPARE(captionOf(&w.root, name), caption);
    // Another window parented to this one keeps its own captions.
    QCOMPARE(w.dialog->findChild<QPushButton*>("btn_go")->text(), QStringLiteral("btn_go"));
}

void TestApplyTexts::keys() {
    Window w;
    languageTable().clear();
    QStringList keys = text_keys(&w.root);
    QCOMPARE(keys.constFirst(), QStringLiteral("frm_test"));
    keys.sort();
    QCOMPARE(keys, (QStringList{"btn_go", "btn_tool", "chk_use", "frm_test", "gb_box", "lbl_inner",
                                "lbl_text", "menu_x", "menu_x_item", "tab_one", "tab_two"}));
    // Tabs count whether or not they have a built-in caption; others only when it is their name.
    w.root.findChild<QLabel*>("lbl_text")->setText("5");
    QVERIFY(!captioned_keys(&w.root).contains("lbl_text"));
    QVERIFY(captioned_keys(&w.root).contains("tab_two"));
}

void TestApplyTexts::languageList() {
    ProgramFolder folder(false);
    for (const char* file : {"zulu.lng", "alpha.lng", "Mike.lng", "UPPER.LNG", "notes.txt",
                             ".hidden.lng", "two.lng.lng"})
        QVERIFY(folder.writeFile(QStringLiteral("language/") + QString::fromLatin1(file), "k=v\n"));
    QDir(folder.path()).mkpath("language/folder.lng");
    QCOMPARE(Tfrm_language::languageNames(folder.path()),
             (QStringList{"Mike", "alpha", "two", "zulu"}));

    QString loaded;
    Tfrm_language dialog(folder.path(), [&](const QString& name) { loaded = name; });
    auto* drop = dialog.findChild<QComboBox*>("language_drop");
    QCOMPARE(drop->currentIndex(), 0);
    QVERIFY(!drop->isEditable());
    drop->setCurrentIndex(3);
    QTest::mouseClick(dialog.findChild<QPushButton*>("btn_ok"), Qt::LeftButton);
    QCOMPARE(loaded, QStringLiteral("zulu"));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestApplyTexts)
#include "tst_apply_texts.moc"
