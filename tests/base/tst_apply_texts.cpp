// apply_texts on a window holding one control of every kind, and the language dialog's list.

#include "gui/program_folder.h"
#include "gui/text_keys.h"

#include "app/unit_language.h"
#include "base/data_folder.h"
#include "base/unit_service.h"
#include "base/unit_service_gui.h"
#include "base/up_down.h"

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

template <typename T> T* named(T* o, const char* name) {
    o->setObjectName(QString::fromLatin1(name));
    return o;
}

// A window with one control of each kind, every caption its own name.
struct Window {
    QWidget root;
    QDialog* dialog;

    Window() {
        named(&root, "frm_test")->setWindowTitle("frm_test");
        auto* menu = named(new QMenu("menu_x", &root), "menu_x");
        named(menu->addAction("menu_x_item"), "menu_x_item");
        named(new QPushButton("btn_go", &root), "btn_go");
        named(new QPushButton(&root), "btn_glyph"); // a glyph-only button
        named(new QToolButton(&root), "btn_tool")->setText("btn_tool");
        named(new QLabel("lbl_text", &root), "lbl_text");
        QPixmap pm(4, 4);
        pm.fill(Qt::red);
        named(new QLabel(&root), "img_picture")->setPixmap(pm);
        named(new QLabel("lbl_inner", named(new QGroupBox("gb_box", &root), "gb_box")),
              "lbl_inner");
        named(new QCheckBox("chk_use", &root), "chk_use");
        named(new QComboBox(&root), "cb_list")->addItem("cb_list");
        named(new QLineEdit("ed_text", &root), "ed_text");
        named(new UpDown(&root), "ud_time");
        auto* tabs = new QTabWidget(&root);
        tabs->addTab(named(new QWidget, "tab_one"), "tab_one");
        tabs->addTab(named(new QWidget, "tab_two"), QString());
        tabs->setTabVisible(1, false);
        dialog = named(new QDialog(&root), "frm_child");
        named(new QPushButton("btn_go", dialog), "btn_go");
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
    // Each kind of control once; pictures, glyph buttons, lists and edit boxes take no text.
    const std::pair<const char*, const char*> kinds[] = {
        {"frm_test", "Test window"}, {"menu_x", "Extra"},
        {"menu_x_item", "Do it"},    {"btn_go", "Go"},
        {"btn_glyph", ""},           {"btn_tool", "Tool"},
        {"lbl_text", "Text"},        {"img_picture", ""},
        {"gb_box", "Box"},           {"lbl_inner", "Inner"},
        {"chk_use", "Use"},          {"cb_list", "cb_list"},
        {"ed_text", "ed_text"},      {"tab_one", "One"},
        {"tab_two", "Two"}};
    for (const auto& [name, caption] : kinds)
        QTest::newRow(name) << all << name << caption;
    // The file's own rules are the language table's; these are what reach a control.
    QTest::newRow("key without =: unchanged") << QByteArray("btn_go\n") << "btn_go"
                                              << "btn_go";
    QTest::newRow("letter case") << QByteArray("BTN_GO=Go\n") << "btn_go"
                                 << "btn_go";
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
    // "two.lng.lng" is the language "two.lng": its name finds its file again.
    const DataFolder data(folder.path(), {}, {}, [](const QString&) { return true; });
    QCOMPARE(data.languageNames(), (QStringList{"Mike", "alpha", "two.lng", "zulu"}));

    QString loaded;
    Tfrm_language dialog(data, [&](const QString& name) { loaded = name; });
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
