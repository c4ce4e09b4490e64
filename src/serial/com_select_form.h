#pragma once

#include "serial/com_port.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

// The port chooser: a small modal dialog with fixed English texts listing the present ports
// COM1..COM50. Beside the list it shows the device the selected entry stands for, so an
// operator on Linux knows what he picks.
class TComSelectForm : public QDialog {
    Q_OBJECT
public:
    using PresentTest = std::function<bool(int)>;

    // Lists the ports that vz::ports finds present for programDir.
    explicit TComSelectForm(const QString& programDir, QWidget* parent = nullptr);
    // Lists the numbers isPresent accepts (tests use the ports/ folder alone).
    TComSelectForm(const QString& programDir, const PresentTest& isPresent,
                   QWidget* parent = nullptr);

    // The selected entry's number (its text from the fourth character on); nothing when the
    // list is empty or the text holds no number.
    std::optional<int> chosenNumber() const;
    static std::optional<int> parseEntry(const QString& text);
    // After the form closed: the chosen number on OK, nothing on Cancel or without a number.
    std::optional<int> answer() const;

    // The chooser the port asks: shows a new form modally over parent.
    static TApdComPort::PortChooser modalChooser(const QString& programDir, QWidget* parent);

private slots:
    void PortsComboBoxChange();
    void OkBtnClick();
    void AbortBtnClick();

private:
    void build(const PresentTest& isPresent);

    QString m_programDir;
    QLabel* m_line1 = nullptr;
    QLabel* m_line2 = nullptr;
    QComboBox* m_ports = nullptr;
    QLabel* m_device = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_abort = nullptr;
};
