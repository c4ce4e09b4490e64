// apply_texts on a window holding one control of every kind, and the language dialog's list.

#include "gui/program_folder.h"
#include "gui/text_keys.h"

#include "app/unit_language.h"
#include "base/data_folder.h"
#include "base/unit_service.h"
#include "base/unit_service_gui.h"

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace vz;

namespace {

template <typename T> T* named(T* o, const char* name) {
    o->setObjectName(QString::fromLatin1(name));
    return o;
}

} // namespace

class TestApplyTexts : public QObject {
    Q_OBJECT
private slots:
    void kinds_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const QByteArray all = "frm_test=Window\nmenu_x=Extra\nmenu_x_item=Do it\nbtn_go=Go\n"
                               "btn_glyph=Glyph\nbtn_tool=Tool\nlbl_text=Text\nimg_pic=Picture\n"
                               "gb_box=Box\nlbl_inner=Inner\nchk_use=Use\ncb_list=List\n"
                               "ed_text=Edit\ntab_one=One\ntab_two=Two\n";
        // Pictures, glyph buttons, lists and edit boxes take no text.
        const std::pair<const char*, const char*> kinds[] = {
            {"frm_test", "Window"}, {"menu_x", "Extra"}, {"menu_x_item", "Do it"},
            {"btn_go", "Go"},       {"btn_glyph", ""},   {"btn_tool", "Tool"},
            {"lbl_text", "Text"},   {"img_pic", ""},     {"gb_box", "Box"},
            {"lbl_inner", "Inner"}, {"chk_use", "Use"},  {"cb_list", "cb_list"},
            {"ed_text", "ed_text"}, {"tab_one", "One"},  {"tab_two", "Two"}};
        for (const auto& [name, caption] : kinds)
            QTest::newRow(name) << all << name << caption;
        QTest::newRow("no text: unchanged") << QByteArray("btn_go\n") << "btn_go"
                                            << "btn_go";
    }
    void kinds() {
        QFETCH(QByteArray, file);
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QWidget root;
        named(&root, "frm_test")->setWindowTitle("frm_test");
        auto* menu = named(new QMenu("menu_x", &root), "menu_x");
        named(menu->addAction("menu_x_item"), "menu_x_item");
        named(new QPushButton("btn_go", &root), "btn_go");
        named(new QPushButton(&root), "btn_glyph");
        named(new QToolButton(&root), "btn_tool")->setText("btn_tool");
        named(new QLabel("lbl_text", &root), "lbl_text");
        QPixmap pm(4, 4);
        pm.fill(Qt::red);
        named(new QLabel(&root), "img_pic")->setPixmap(pm);
        named(new QLabel("lbl_inner", named(new QGroupBox("gb_box", &root), "gb_box")),
              "lbl_inner");
        named(new QCheckBox("chk_use", &root), "chk_use");
        named(new QComboBox(&root), "cb_list")->addItem("cb_list");
        named(new QLineEdit("ed_text", &root), "ed_text");
        auto* tabs = new QTabWidget(&root);
        tabs->addTab(named(new QWidget, "tab_one"), "tab_one");
        tabs->addTab(named(new QWidget, "tab_two"), QString());
        tabs->setTabVisible(1, false);
        // Another window parented to this one keeps its own captions.
        auto* dialog = named(new QDialog(&root), "frm_child");
        auto* child = named(new QPushButton("btn_go", dialog), "btn_go");

        languageTable().setEntries(LanguageTable::parse(file));
        apply_texts(&root);
        QCOMPARE(caption_of(name == "frm_test" ? &root : root.findChild<QObject*>(name)), caption);
        QCOMPARE(child->text(), QStringLiteral("btn_go"));
    }

    void languageDialog() {
        ProgramFolder folder(false);
        for (const char* file : {"zulu.lng", "alpha.lng", "notes.txt", "two.lng.lng"})
            QVERIFY(folder.writeFile(QStringLiteral("language/") + file, "k=v\n"));
        const DataFolder data(folder.path(), {}, {}, [](const QString&) { return true; });
        QString loaded;
        Tfrm_language dialog(data, [&](const QString& name) { loaded = name; });
        auto* drop = dialog.findChild<QComboBox*>("language_drop");
        QCOMPARE(drop->count(), 3);
        drop->setCurrentIndex(1);
        QTest::mouseClick(dialog.findChild<QPushButton*>("btn_ok"), Qt::LeftButton);
        QCOMPARE(loaded, QStringLiteral("two.lng"));
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TestApplyTexts)
#include "tst_apply_texts.moc"
