#pragma once

#include <QMenu>

#include <functional>

class QAbstractButton;
class QAction;

namespace vz {

struct BoxProgram;

// The context menu of the preview buttons: play the row's preview, or copy the row's
// program to the clipboard. Every preview button is attached once; a mouse press with any
// button stores the button's "tag" property (N or V) as the menu's tag, a right press opens
// the menu. The attached buttons' hints are swallowed while a preview plays.
class PreviewPopup : public QMenu {
    Q_OBJECT
public:
    explicit PreviewPopup(QWidget* parent = nullptr);

    void attach(QAbstractButton* button);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    QAction* previewAction() const { return m_previewAction; }
    QAction* clipboardAction() const { return m_clipboardAction; }

    // Index of the active program page (0..8; anything else: the entries do nothing).
    void setActivePageSource(std::function<int()> source);
    // The program the clipboard line is taken from.
    void setProgramSource(std::function<const vz::BoxProgram&()> source);
    // Where the preview buttons are found by name. Unset: the parent's window.
    void setSearchRoot(QWidget* root);

    // Switches the hints of the attached preview buttons on or off.
    void set_preview_hints(bool on);
    bool hintsOn() const { return m_hintsOn; }

public slots:
    void tab_single_preview_1_btnMouseDown(QObject* button);
    void preview_btn_popup_previewClick();
    void preview_btn_popup_clipboardClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int activePage() const;

    QAction* m_previewAction = nullptr;
    QAction* m_clipboardAction = nullptr;
    std::function<int()> m_activePage;
    std::function<const vz::BoxProgram&()> m_program;
    QWidget* m_root = nullptr;
    int m_tag = 0;
    bool m_hintsOn = true;
};

} // namespace vz
