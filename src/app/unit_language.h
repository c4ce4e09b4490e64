#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QPushButton;

// The language dialog: the language files of the program folder in a choice list.
// OK (or Enter) loads the chosen one through the loader, Cancel (or Escape) closes.
class Tfrm_language : public QDialog {
    Q_OBJECT
public:
    using Loader = std::function<void(const QString& name)>;

    Tfrm_language(const QString& programDir, Loader loader, QWidget* parent = nullptr);

    // Names of the language files (without ".lng") in programDir/language, sorted by name.
    static QStringList languageNames(const QString& programDir);

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
