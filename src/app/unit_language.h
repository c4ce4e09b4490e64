#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QPushButton;

namespace vz {

class DataFolder;

// The language dialog: the language files of the program and data folders in a choice list.
// OK (or Enter) loads the chosen one through the loader, Cancel (or Escape) closes.
class Tfrm_language : public QDialog {
    Q_OBJECT
public:
    using Loader = std::function<void(const QString& name)>;

    Tfrm_language(const DataFolder& folder, Loader loader, QWidget* parent = nullptr);

public slots:
    void btn_okClick();
    void btn_cancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();

    Loader m_loader;
    QComboBox* m_drop = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace vz
