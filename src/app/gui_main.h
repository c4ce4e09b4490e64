#pragma once

#include <QMainWindow>

class Prompts;

// The main window: owns the open project, the settings record and the hotkey table.
class Tfrm_gui_main : public QMainWindow {
    Q_OBJECT
public:
    Tfrm_gui_main(const QString& programDir, const QStringList& arguments, Prompts& prompts,
                  QWidget* parent = nullptr);

private:
    QString m_programDir;
    Prompts& m_prompts;
};
