#include "program/program_pages.h"

#include "base/ui_style.h"
#include "base/up_down.h"
#include "program/program_document.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QTabWidget>

namespace vz {

namespace {

// Layout of the rows (pixels, relative to the page).
constexpr int kRowTop = 36;
constexpr int kRowPitch = 32;
constexpr int kEditWidth = 60;
constexpr int kEditHeight = 21;
constexpr int kUpDownWidth = 16;
constexpr int kListWidth = 49;
constexpr int kPreviewSize = 25;
constexpr int kCheckSize = 17;
constexpr int kRightBlockDx = 376;
constexpr int kSeparatorX = 368;

const char* const kTagProperty = "tag";

int rowY(int row) {
    return kRowTop + kRowPitch * row;
}

int tagOf(const QObject* object) {
    return object->property(kTagProperty).toInt();
}

void setTag(QObject* object, int tag) {
    object->setProperty(kTagProperty, tag);
}

} // namespace

ProgramPages::ProgramPages(QTabWidget* pageControl, ProgramDocument& document, QWidget* window)
    : QObject(window), m_pageControl(pageControl), m_document(document), m_window(window) {
    QStringList channels;
    for (int c = 1; c <= kChannels; ++c)
        channels << QString::number(c);
    // One list model for all 50 channel lists: each keeps its own selection.
    m_channels = new QStringListModel(channels, this);

    m_singlePopup =
        addPopup(QStringLiteral("tab_single_popup"), QStringLiteral("single_popup_forall"));
    m_groupPopup = addPopup(QStringLiteral("tab_grp_popup"), QStringLiteral("grp_popup_forall"));
    m_seqPopup = addPopup(QStringLiteral("tab_seq_popup"), QStringLiteral("seq_popup_forall"));
    connect(m_singlePopup->actions().constFirst(), &QAction::triggered, this,
            &ProgramPages::single_popup_forallClick);
    connect(m_groupPopup->actions().constFirst(), &QAction::triggered, this,
            &ProgramPages::grp_popup_forallClick);
    connect(m_seqPopup->actions().constFirst(), &QAction::triggered, this,
            &ProgramPages::seq_popup_forallClick);

    for (int p = 0; p < kProgramPages; ++p)
        m_pages[p] = addPage(p);
    buildSinglePage();
    for (int k = 0; k < kGroupKinds; ++k)
        buildGroupPage(k);
    for (int f = 0; f < kSeqFamilies; ++f)
        buildSeqPage(f);

    connect(&m_document, &ProgramDocument::singleChanged, this, &ProgramPages::showSingle);
    connect(&m_document, &ProgramDocument::groupChanged, this, &ProgramPages::showGroup);
    connect(&m_document, &ProgramDocument::seqChanged, this, &ProgramPages::showSeq);
    connect(&m_document, &ProgramDocument::channelChanged, this, &ProgramPages::showChannel);
    connect(&m_document, &ProgramDocument::moduleCountChanged, this,
            &ProgramPages::showModuleCount);
}

QWidget* ProgramPages::addPage(int index) {
    auto* page = new QWidget();
    page->setObjectName(pageName(index));
    // The sequence pages have no built-in caption: without a language text their tab shows
    // the picture alone.
    const QString caption = index < 4 ? pageName(index) : QString();
    m_pageControl->insertTab(index, page, QIcon(ui::tabPicture(index)), caption);
    return page;
}

QMenu* ProgramPages::addPopup(const QString& menuName, const QString& entryName) {
    auto* menu = new QMenu(m_window);
    menu->setObjectName(menuName);
    auto* entry = new QAction(entryName, menu);
    entry->setObjectName(entryName);
    setTag(entry, 0);
    menu->addAction(entry);
    return menu;
}

QComboBox* ProgramPages::addChannelList(QWidget* page, const QString& name, int tag, int x, int y) {
    auto* list = new QComboBox(page);
    list->setObjectName(name);
    list->setModel(m_channels);
    list->setMaxVisibleItems(16);
    list->setGeometry(x, y, kListWidth, kEditHeight);
    setTag(list, tag);
    connect(list, &QComboBox::activated, this, [this, list](int) { channel_cbChange(list); });
    return list;
}

ProgramPages::TimeControls ProgramPages::addTime(QWidget* page, const QString& editName,
                                                 const QString& udName, int tag, int minimum, int x,
                                                 int y, QMenu* popup) {
    TimeControls t;
    t.edit = new QLineEdit(page);
    t.edit->setObjectName(editName);
    t.edit->setReadOnly(true);
    t.edit->setGeometry(x, y, kEditWidth, kEditHeight);
    t.edit->setContextMenuPolicy(Qt::PreventContextMenu);
    t.edit->setProperty("popup", QVariant::fromValue(static_cast<QObject*>(popup)));
    setTag(t.edit, tag);
    t.edit->installEventFilter(this);

    t.ud = new UpDown(page);
    t.ud->setObjectName(udName);
    t.ud->setGeometry(x + kEditWidth, y, kUpDownWidth, kEditHeight);
    t.ud->setRange(minimum, kFireMax);
    t.ud->setIncrement(m_step);
    setTag(t.ud, tag);
    return t;
}

QPushButton* ProgramPages::addPreviewButton(QWidget* page, const QString& name, int tag, int x,
                                            int y) {
    auto* button = new QPushButton(page);
    button->setObjectName(name);
    button->setIcon(ui::previewButtonIcon());
    button->setIconSize(QSize(16, 16));
    button->setGeometry(x, y, kPreviewSize, kPreviewSize);
    button->setFocusPolicy(Qt::TabFocus);
    setTag(button, tag);
    return button;
}

void ProgramPages::buildSinglePage() {
    QWidget* page = m_pages[kPageSingle];
    for (int block = 0; block < 2; ++block) {
        const int dx = block * kRightBlockDx;
        const char b = block == 0 ? 'A' : 'B';
        auto* numbers = ui::placeLabel(page, names::caption(kPageSingle, 1, b),
                                       names::caption(kPageSingle, 1, b), 8 + dx, 4);
        // Two lines high above the module numbers.
        numbers->setWordWrap(true);
        numbers->setGeometry(8 + dx, 4, 96, 28);
        numbers->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        auto* channel = ui::placeLabel(page, names::caption(kPageSingle, 0, b),
                                       names::caption(kPageSingle, 0, b), 112 + dx, 8);
        auto* time = ui::placeLabel(page, names::caption(kPageSingle, 2, b),
                                    names::caption(kPageSingle, 2, b), 176 + dx, 8);
        auto* duration = ui::placeLabel(page, names::caption(kPageSingle, 3, b),
                                        names::caption(kPageSingle, 3, b), 312 + dx, 8);
        if (block == 1)
            m_rightHeadings = {channel, numbers, time, duration};
    }

    m_separator = new QFrame(page);
    m_separator->setObjectName(QStringLiteral("tab_single_separator"));
    m_separator->setFrameShape(QFrame::VLine);
    m_separator->setFrameShadow(QFrame::Sunken);
    m_separator->setGeometry(kSeparatorX, 0, 2, page->height());
    page->installEventFilter(this);

    for (int n = 1; n <= kModules; ++n) {
        const int dx = n <= 8 ? 0 : kRightBlockDx;
        const int y = rowY((n - 1) % 8);
        FireRow& row = m_single[n - 1];
        row.lbl = new QLabel(QString::number(n), page);
        row.lbl->setObjectName(names::single(n, QStringLiteral("_lbl")));
        row.lbl->setAlignment(Qt::AlignRight | Qt::AlignTop);
        row.lbl->setGeometry(32 + dx, y + 4, 16, 14);
        setTag(row.lbl, n);
        row.cb = addChannelList(page, names::single(n, QStringLiteral("_cb")), n, 112 + dx, y);
        row.fire = addTime(page, names::single(n, QStringLiteral("_edit")),
                           names::single(n, QStringLiteral("_ud")), n, kFireMin, 176 + dx, y,
                           m_singlePopup);
        row.fire.ud->setChangingHandler(
            [this, ud = row.fire.ud](int v) { return tab_single_modnr_udChangingEx(ud, v); });
        row.preview = addPreviewButton(page, names::singlePreview(n), n, 264 + dx, y - 2);
        row.dur = ui::placeLabel(page, names::single(n, QStringLiteral("_dur_lbl")), QString(),
                                 312 + dx, y + 4);
        row.dur->setFixedWidth(52);
        setTag(row.dur, n);
    }
}

void ProgramPages::buildGroupPage(int k) {
    const int p = k + 1;
    QWidget* page = m_pages[p];
    for (int digit = 1; digit <= 3; ++digit) {
        static const int x[] = {0, 168, 240, 368};
        ui::placeLabel(page, names::caption(p, digit, 'A'), names::caption(p, digit, 'A'), x[digit],
                       8);
    }
    for (int v = 1; v <= kGroupVariants; ++v) {
        const int y = rowY(v - 1);
        FireRow& row = m_group[k][v - 1];
        const QString lbl = names::group(k, v, QStringLiteral("_lbl"));
        row.lbl = ui::placeLabel(page, lbl, lbl, 16, y + 4);
        row.cb = addChannelList(page, names::group(k, v, QStringLiteral("_cb")), v, 168, y);
        row.fire =
            addTime(page, names::group(k, v, QStringLiteral("_edit")),
                    names::group(k, v, QStringLiteral("_ud")), v, kFireMin, 232, y, m_groupPopup);
        row.fire.ud->setChangingHandler(
            [this, ud = row.fire.ud](int value) { return tab_grp_udChangingEx(ud, value); });
        row.preview = addPreviewButton(page, names::groupPreview(k, v), v, 320, y - 2);
        row.dur = ui::placeLabel(page, names::group(k, v, QStringLiteral("_dur_lbl")), QString(),
                                 368, y + 4);
        row.dur->setFixedWidth(60);
        setTag(row.dur, v);
    }
}

void ProgramPages::buildSeqPage(int f) {
    const int p = f + 4;
    QWidget* page = m_pages[p];
    struct Heading {
        int digit;
        char block;
        int x;
    };
    static const Heading headings[] = {
        {0, 'A', 104}, {0, 'B', 168}, {1, 'A', 248}, {2, 'A', 344}, {3, 'A', 472}};
    for (const Heading& h : headings)
        ui::placeLabel(page, names::caption(p, h.digit, h.block),
                       names::caption(p, h.digit, h.block), h.x, 8);
    for (int v = 1; v <= kSeqVariants; ++v) {
        const int y = rowY(v - 1);
        SeqRow& row = m_seq[f][v - 1];
        const QString lbl = names::seq(f, v, QStringLiteral("_lbl"));
        row.lbl = ui::placeLabel(page, lbl, lbl, 16, y + 4);
        row.chk = new QCheckBox(page);
        row.chk->setObjectName(names::seq(f, v, QStringLiteral("_checkbox")));
        row.chk->setGeometry(108, y + 2, kCheckSize, kCheckSize);
        setTag(row.chk, v);
        connect(row.chk, &QCheckBox::clicked, this,
                [this, chk = row.chk](bool checked) { tab_seq_checkboxClick(chk, checked); });
        row.cb = addChannelList(page, names::seq(f, v, QStringLiteral("_cb")), v, 168, y);
        row.fire =
            addTime(page, names::seq(f, v, QStringLiteral("_fire_edit")),
                    names::seq(f, v, QStringLiteral("_fire_ud")), v, kFireMin, 240, y, m_seqPopup);
        row.wait = addTime(page, names::seq(f, v, QStringLiteral("_wait_edit")),
                           names::seq(f, v, QStringLiteral("_wait_ud")), 10 + v, kWaitMin, 336, y,
                           m_seqPopup);
        row.fire.ud->setChangingHandler(
            [this, ud = row.fire.ud](int value) { return tab_seq_udChangingEx(ud, value); });
        row.wait.ud->setChangingHandler(
            [this, ud = row.wait.ud](int value) { return tab_seq_udChangingEx(ud, value); });
        row.preview = addPreviewButton(page, names::seqPreview(f, v), v, 424, y - 2);
        row.dur = ui::placeLabel(page, names::seq(f, v, QStringLiteral("_dur_lbl")), QString(), 472,
                                 y + 4);
        row.dur->setFixedWidth(60);
        setTag(row.dur, v);
    }
}

int ProgramPages::pageOf(const QObject* control) const {
    for (const QObject* o = control; o; o = o->parent())
        for (int p = 0; p < kProgramPages; ++p)
            if (o == m_pages[p])
                return p;
    return -1;
}

// --- handlers ---

bool ProgramPages::tab_single_modnr_udChangingEx(UpDown* sender, int newValue) {
    return m_document.setSingleFire(tagOf(sender), newValue);
}

bool ProgramPages::tab_grp_udChangingEx(UpDown* sender, int newValue) {
    const int page = pageOf(sender);
    if (page < 1 || page > 3)
        return false;
    return m_document.setGroupFire(page - 1, tagOf(sender), newValue);
}

bool ProgramPages::tab_seq_udChangingEx(UpDown* sender, int newValue) {
    const int page = pageOf(sender);
    if (page < 4 || page > 8)
        return false;
    const int tag = tagOf(sender);
    if (tag <= 10)
        return m_document.setSeqFire(page - 4, tag, newValue);
    return m_document.setSeqWait(page - 4, tag - 10, newValue);
}

void ProgramPages::time_editMouseDown(QLineEdit* sender, QMouseEvent* event) {
    auto* popup = qobject_cast<QMenu*>(sender->property("popup").value<QObject*>());
    if (!popup)
        return;
    setTag(popup->actions().constFirst(), tagOf(sender));
    if (event->button() == Qt::RightButton)
        popup->popup(event->globalPosition().toPoint());
}

void ProgramPages::single_popup_forallClick() {
    m_document.forAllSingle(tagOf(m_singlePopup->actions().constFirst()));
}

void ProgramPages::grp_popup_forallClick() {
    const int page = m_pageControl->currentIndex();
    if (page >= 1 && page <= 3)
        m_document.forAllGroup(page - 1, tagOf(m_groupPopup->actions().constFirst()));
}

void ProgramPages::seq_popup_forallClick() {
    const int page = m_pageControl->currentIndex();
    if (page >= 4 && page <= 8)
        m_document.forAllSeq(page - 4, tagOf(m_seqPopup->actions().constFirst()));
}

void ProgramPages::tab_seq_checkboxClick(QCheckBox* sender, bool checked) {
    const int page = pageOf(sender);
    if (page >= 4 && page <= 8)
        m_document.setSeqInUse(page - 4, tagOf(sender), checked);
}

void ProgramPages::channel_cbChange(QComboBox* sender) {
    const int page = pageOf(sender);
    if (page < 0)
        return;
    if (!m_document.setChannel(page, tagOf(sender), sender->currentIndex()))
        showChannel(page, tagOf(sender));
}

bool ProgramPages::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pages[kPageSingle] && event->type() == QEvent::Resize) {
        m_separator->setGeometry(kSeparatorX, 0, 2, m_pages[kPageSingle]->height());
        return false;
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        time_editMouseDown(edit, static_cast<QMouseEvent*>(event));
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        // The arrow keys in a time box work its up-down, as a click on the arrows would.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            const QString udName = edit->objectName().chopped(4) + QStringLiteral("ud");
            if (auto* ud = edit->parentWidget()->findChild<UpDown*>(udName)) {
                if (ud->isEnabled()) {
                    if (key == Qt::Key_Up)
                        ud->stepUp();
                    else
                        ud->stepDown();
                }
            }
            return true;
        }
    }
    return false;
}

// --- mirror of the document ---

void ProgramPages::showAll() {
    for (int n = 1; n <= kModules; ++n)
        showSingle(n);
    for (int k = 0; k < kGroupKinds; ++k)
        for (int v = 1; v <= kGroupVariants; ++v)
            showGroup(k, v);
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v)
            showSeq(f, v);
    const int count = m_document.program().moduleCount();
    showModuleCount(count, count);
}

void ProgramPages::TimeControls::show(int steps) const {
    ud->setPosition(steps);
    edit->setText(formatTime(steps));
}

void ProgramPages::showFire(const FireRow& row, int fire) {
    row.fire.show(fire);
    row.dur->setText(formatSeconds(singleDuration(fire)));
}

void ProgramPages::showSingle(int n) {
    showFire(m_single[n - 1], m_document.program().singleAt(n).fire);
    showChannel(kPageSingle, n);
}

void ProgramPages::showGroup(int k, int v) {
    showFire(m_group[k][v - 1], m_document.program().groupAt(k, v).fire);
    showChannel(k + 1, v);
}

void ProgramPages::showSeq(int f, int v) {
    const SequenceProgram& s = m_document.program().seqAt(f, v);
    SeqRow& row = m_seq[f][v - 1];
    row.fire.show(s.fire);
    row.wait.show(s.wait);
    showSeqDuration(f, v);
    if (row.chk->isChecked() != s.chk) {
        const QSignalBlocker block(row.chk);
        row.chk->setChecked(s.chk);
    }
    // Rule 6: a variant not in use keeps its values, but its six controls are disabled.
    for (QWidget* w : {static_cast<QWidget*>(row.fire.edit), static_cast<QWidget*>(row.fire.ud),
                       static_cast<QWidget*>(row.wait.edit), static_cast<QWidget*>(row.wait.ud),
                       static_cast<QWidget*>(row.cb), static_cast<QWidget*>(row.preview)})
        w->setEnabled(s.chk);
    showChannel(f + 4, v);
}

void ProgramPages::showSeqDuration(int f, int v) {
    const BoxProgram& p = m_document.program();
    const SequenceProgram& s = p.seqAt(f, v);
    m_seq[f][v - 1].dur->setText(formatSeconds(seqDuration(f, p.moduleCount(), s.fire, s.wait)));
}

void ProgramPages::showChannel(int page, int number) {
    const BoxProgram& p = m_document.program();
    QComboBox* list = nullptr;
    int ch = 0;
    if (page == kPageSingle) {
        list = m_single[number - 1].cb;
        ch = p.singleAt(number).ch;
    } else if (page >= 1 && page <= 3) {
        list = m_group[page - 1][number - 1].cb;
        ch = p.groupAt(page - 1, number).ch;
    } else if (page >= 4 && page <= 8) {
        list = m_seq[page - 4][number - 1].cb;
        ch = p.seqAt(page - 4, number).ch;
    }
    if (list && list->currentIndex() != ch) {
        const QSignalBlocker block(list);
        list->setCurrentIndex(ch);
    }
}

void ProgramPages::showModuleCount(int oldCount, int newCount) {
    Q_UNUSED(oldCount);
    for (int n = 1; n <= kModules; ++n) {
        const bool shown = n <= newCount;
        const FireRow& row = m_single[n - 1];
        for (QWidget* w : {static_cast<QWidget*>(row.lbl), static_cast<QWidget*>(row.fire.edit),
                           static_cast<QWidget*>(row.fire.ud), static_cast<QWidget*>(row.preview),
                           static_cast<QWidget*>(row.dur), static_cast<QWidget*>(row.cb)})
            w->setVisible(shown);
    }
    for (QLabel* heading : m_rightHeadings)
        heading->setVisible(newCount >= 9);
    for (int f = 0; f < kSeqFamilies; ++f)
        for (int v = 1; v <= kSeqVariants; ++v)
            showSeqDuration(f, v);
}

void ProgramPages::setStep(int step) {
    m_step = step;
    for (UpDown* ud : timeUpDowns())
        ud->setIncrement(step);
}

void ProgramPages::setHints(const QString& upDownHint, const QString& previewHint) {
    for (UpDown* ud : timeUpDowns())
        ud->setToolTip(upDownHint);
    for (QPushButton* b : previewButtons())
        b->setToolTip(previewHint);
}

QList<UpDown*> ProgramPages::timeUpDowns() const {
    QList<UpDown*> out;
    for (const FireRow& row : m_single)
        out << row.fire.ud;
    for (const auto& kind : m_group)
        for (const FireRow& row : kind)
            out << row.fire.ud;
    for (const auto& family : m_seq)
        for (const SeqRow& row : family)
            out << row.fire.ud << row.wait.ud;
    return out;
}

QList<QPushButton*> ProgramPages::previewButtons() const {
    QList<QPushButton*> out;
    for (const FireRow& row : m_single)
        out << row.preview;
    for (const auto& kind : m_group)
        for (const FireRow& row : kind)
            out << row.preview;
    for (const auto& family : m_seq)
        for (const SeqRow& row : family)
            out << row.preview;
    return out;
}

} // namespace vz
