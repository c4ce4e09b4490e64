#pragma once

#include "program/box_program.h"

#include <QObject>

#include <array>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QPushButton;
class QStringListModel;
class QTabWidget;
class QWidget;

namespace vz {

class UpDown;

class ProgramDocument;

// The nine program pages of the main window (single, the three group pages, the five
// sequence pages): their controls at the pixel positions of the layout, named and tagged by
// the naming scheme, and the handlers that pass the operator's edits to the document.
// The controls only propose values; what they show is always a mirror of the document.
class ProgramPages : public QObject {
    Q_OBJECT
public:
    // Adds pages 0..8 to pageControl. Pop-up menus are owned by window.
    ProgramPages(QTabWidget* pageControl, vz::ProgramDocument& document, QWidget* window);

    QWidget* page(int index) const { return m_pages[index]; }

    // Rule 9: the step of all 75 time up-downs (1, or 5 while Ctrl is held).
    void setStep(int step);
    int step() const { return m_step; }

    // Hints of the 75 time up-downs and the 50 preview buttons.
    void setHints(const QString& upDownHint, const QString& previewHint);

    // Shows the whole record (after construction; each change after that arrives by signal).
    void showAll();

    QList<UpDown*> timeUpDowns() const;
    QList<QPushButton*> previewButtons() const;

    // Handlers. Each finds its field from the control's tag and the page it sits on.
    bool tab_single_modnr_udChangingEx(UpDown* sender, int newValue);
    bool tab_grp_udChangingEx(UpDown* sender, int newValue);
    bool tab_seq_udChangingEx(UpDown* sender, int newValue);
    void time_editMouseDown(QLineEdit* sender, QMouseEvent* event);
    void single_popup_forallClick();
    void grp_popup_forallClick();
    void seq_popup_forallClick();
    void tab_seq_checkboxClick(QCheckBox* sender, bool checked);
    void channel_cbChange(QComboBox* sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TimeControls {
        QLineEdit* edit = nullptr;
        UpDown* ud = nullptr;
        void show(int steps) const;
    };
    // A row of the single and group pages.
    struct FireRow {
        QLabel* lbl = nullptr;
        QComboBox* cb = nullptr;
        TimeControls fire;
        QPushButton* preview = nullptr;
        QLabel* dur = nullptr;
    };
    struct SeqRow {
        QLabel* lbl = nullptr;
        QCheckBox* chk = nullptr;
        QComboBox* cb = nullptr;
        TimeControls fire;
        TimeControls wait;
        QPushButton* preview = nullptr;
        QLabel* dur = nullptr;
    };

    QWidget* addPage(int index);
    void buildSinglePage();
    void buildGroupPage(int k);
    void buildSeqPage(int f);
    QComboBox* addChannelList(QWidget* page, const QString& name, int tag, int x, int y);
    TimeControls addTime(QWidget* page, const QString& editName, const QString& udName, int tag,
                         int minimum, int x, int y, QMenu* popup);
    QPushButton* addPreviewButton(QWidget* page, const QString& name, int tag, int x, int y);
    QMenu* addPopup(const QString& menuName, const QString& entryName);

    // Page index (0..8) of the page a control sits on, -1 when none.
    int pageOf(const QObject* control) const;

    void showSingle(int n);
    void showGroup(int k, int v);
    static void showFire(const FireRow& row, int fire);
    void showSeq(int f, int v);
    void showSeqDuration(int f, int v);
    void showChannel(int page, int number);
    void showModuleCount(int oldCount, int newCount);

    QTabWidget* m_pageControl;
    vz::ProgramDocument& m_document;
    QWidget* m_window;
    QStringListModel* m_channels = nullptr;
    std::array<QWidget*, vz::kProgramPages> m_pages{};
    std::array<FireRow, vz::kModules> m_single{};
    std::array<std::array<FireRow, vz::kGroupVariants>, vz::kGroupKinds> m_group{};
    std::array<std::array<SeqRow, vz::kSeqVariants>, vz::kSeqFamilies> m_seq{};
    std::array<QLabel*, 4> m_rightHeadings{};
    QFrame* m_separator = nullptr;
    QMenu* m_singlePopup = nullptr;
    QMenu* m_groupPopup = nullptr;
    QMenu* m_seqPopup = nullptr;
    int m_step = 1;
};

} // namespace vz
