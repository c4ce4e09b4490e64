#pragma once

#include "app/settings.h"
#include "core/far_end_recorder.h"
#include "core/pty_pair.h"
#include "fire/com_fire_port.h"
#include "fire/fire_console.h"
#include "fire/hotkeys.h"
#include "program/program_document.h"
#include "scripted_prompts.h"
#include "serial/com_port.h"

#include <QTemporaryDir>
#include <QWidget>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QTabWidget;

// A stand-in for the main window around the fire console, wired the way the main window
// wires it: the page control with the eleven pages, the route and transfer entries, the box
// list and its label, the key preview. The port is a real TApdComPort on a pseudo-terminal
// linked as COM7; the far end is recorded.
class FireHarness : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCom = 7;

    explicit FireHarness(int boxMode = 0);
    ~FireHarness() override;

    QTemporaryDir dir;
    PtyPair pty;
    std::unique_ptr<FarEndRecorder> far;
    ScriptedPrompts prompts;
    vz::ProgramDocument doc;
    HotkeyTable hotkeys;
    TApdComPort port;
    vz::ComFirePort firePort;
    QTabWidget* tabs = nullptr;
    QAction* master = nullptr;
    QAction* rk40 = nullptr;
    QAction* transfer = nullptr;
    QComboBox* boxList = nullptr;
    QLabel* boxLabel = nullptr;
    QLabel* previewGroup = nullptr;
    vz::FireConsole* console = nullptr;
    int transfers = 0;
    int chooserAnswer = kCom; // what the port chooser answers; 0 = cancel

    QString settingsPath() const;
    int settingsPort() const;
    // Switches a route on, answering the question with Yes.
    bool arm(vz::FireRoute route);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showBoxLabel();
};
