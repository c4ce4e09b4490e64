#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace vz {

// The fire set-up page: the port of fire mode and the macro editor. Shows what the console
// puts in; the console handles the clicks.
class FireSetupPage : public QWidget {
    Q_OBJECT
public:
    explicit FireSetupPage(QWidget* parent = nullptr);

    QPushButton* portButton() const { return m_portBtn; }
    QLabel* portLabel() const { return m_portLbl; }
    // Where the fire log is written.
    QLabel* logPathLabel() const { return m_logPath; }
    // The priority the fire thread got.
    QLabel* priorityLabel() const { return m_priority; }
    QGroupBox* macroGroup() const { return m_macroGb; }
    QComboBox* macroSelect() const { return m_select; }
    QCheckBox* macroActive() const { return m_active; }
    QTableWidget* editor() const { return m_editor; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* addPauseButton() const { return m_addPause; }
    QPushButton* deleteButton() const { return m_del; }

signals:
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QGroupBox* m_portGb = nullptr;
    QPushButton* m_portBtn = nullptr;
    QLabel* m_portLbl = nullptr;
    QGroupBox* m_macroGb = nullptr;
    QComboBox* m_select = nullptr;
    QCheckBox* m_active = nullptr;
    QTableWidget* m_editor = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_addPause = nullptr;
    QPushButton* m_del = nullptr;
    QLabel* m_logLbl = nullptr;
    QLabel* m_logPath = nullptr;
    QLabel* m_priorityLbl = nullptr;
    QLabel* m_priority = nullptr;
};

} // namespace vz
