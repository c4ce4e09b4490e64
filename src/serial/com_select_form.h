#pragma once

#include "serial/com_port.h"
#include "serial/port_catalog.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

namespace vz {

// The port chooser: a small modal dialog with fixed English texts listing the present ports
// COM1..COM50, each with its device and, for a USB adapter, maker, product and serial number.
// Below the list it says what choosing the selected entry does (link a USB adapter by its stable
// name) and, for a port this user may not open, how to be allowed to.
class TComSelectForm : public QDialog {
    Q_OBJECT
public:
    // Lists what vz::ports::catalog finds for dataDir on the system of VZ_SERIAL_ROOT.
    explicit TComSelectForm(const QString& dataDir, QWidget* parent = nullptr);
    // Lists the entries given (tests, the picture tool).
    TComSelectForm(const QString& dataDir, const QList<vz::ports::PortEntry>& entries,
                   QWidget* parent = nullptr);

    // The selected entry's number (its text from the fourth character on); nothing when the
    // list is empty or the text holds no number.
    std::optional<int> chosenNumber() const;
    static std::optional<int> parseEntry(const QString& text);
    // After the form closed: the chosen number on OK, nothing on Cancel or without a number.
    std::optional<int> answer() const;

    // The chooser the port asks: shows a new form modally over parent.
    static TApdComPort::PortChooser modalChooser(const QString& dataDir, QWidget* parent);

private slots:
    void PortsComboBoxChange();
    void OkBtnClick();
    void AbortBtnClick();

private:
    void build();

    QString m_dataDir;
    QList<vz::ports::PortEntry> m_entries; // in the order of the list
    int m_linkFailed = -1;                 // the entry whose link could not be made
    QLabel* m_line1 = nullptr;
    QLabel* m_line2 = nullptr;
    QComboBox* m_ports = nullptr;
    QLabel* m_device = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_abort = nullptr;
};

} // namespace vz
