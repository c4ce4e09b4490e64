#pragma once

// Starts the real main window on a temporary program folder with scripted prompts.
// Header-only (uses VZ_SOURCE_DIR through ProgramFolder).

#include "gui/program_folder.h"
#include "gui/scripted_prompts.h"

#include "app/gui_main.h"
#include "base/unit_service.h"
#include "base/up_down.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

#include <memory>

struct MainWindowFixture {
    ProgramFolder folder;
    ScriptedPrompts prompts;
    std::unique_ptr<vz::Tfrm_gui_main> window;

    // settings: the text of settings.ini, or a null array for no settings file.
    MainWindowFixture(const QByteArray& settings = QByteArray("[languagefiles]\nactive=english\n"),
                      bool withLanguages = true)
        : folder(withLanguages) {
        if (!settings.isNull())
            folder.writeSettings(settings);
    }

    // Creates the window (start-up up to the other windows) and, when show is set, shows it.
    vz::Tfrm_gui_main& start(const QStringList& arguments = {}, bool show = true) {
        // The language table is program-wide: a test starts from an empty one as a process does.
        vz::languageTable().clear();
        window = std::make_unique<vz::Tfrm_gui_main>(folder.path(), arguments, prompts);
        if (show) {
            window->show();
            QCoreApplication::processEvents();
        }
        return *window;
    }

    template <typename T = QWidget> T* find(const QString& name) const {
        return window->findChild<T*>(name);
    }
};

// A click on the upper arrow of an up-down.
inline void clickUpArrow(vz::UpDown* ud) {
    QTest::mouseClick(ud, Qt::LeftButton, Qt::NoModifier, QPoint(ud->width() / 2, 3));
}

// Chooses an entry of a drop-down list as an operator does: open it, move to the entry,
// press Enter.
inline void chooseListEntry(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    view->setCurrentIndex(list->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    if (view->isVisible())
        list->hidePopup();
}
