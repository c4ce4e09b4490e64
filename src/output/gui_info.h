#pragma once

#include <QDialog>

class QLabel;
class QKeyEvent;

namespace vz {

// The about box: the program's name and version over the emblem picture. No border and no
// title bar; Escape or a click on the picture closes it.
class Tfrm_gui_info : public QDialog {
    Q_OBJECT
public:
    // parent: the main window; the box is centred over it and shows its caption.
    explicit Tfrm_gui_info(QWidget* parent = nullptr);

    // Fills the labels: the name from the main window's caption, the version read anew from
    // the executable. Runs on every showing with the parent's caption.
    void FormShow(const QString& mainCaption);

public slots:
    void info_imgClick();
    void FormKeyDown(QKeyEvent* event);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_infoImg;
    QLabel* m_nameShadow;
    QLabel* m_nameMain;
    QLabel* m_version;
    bool m_imgPressed = false;
};

} // namespace vz
