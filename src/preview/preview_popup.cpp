#include "preview/preview_popup.h"

#include "preview/preview_export.h"
#include "program/box_program.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QToolTip>

namespace vz {

PreviewPopup::PreviewPopup(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("preview_btn_popup"));

    m_previewAction = addAction(QStringLiteral("preview_btn_popup_preview"));
    m_previewAction->setObjectName(m_previewAction->text());
    QFont bold = m_previewAction->font();
    bold.setBold(true);
    m_previewAction->setFont(bold);
    setDefaultAction(m_previewAction);
    connect(m_previewAction, &QAction::triggered, this,
            &PreviewPopup::preview_btn_popup_previewClick);

    m_clipboardAction = addAction(QStringLiteral("preview_btn_popup_clipboard"));
    m_clipboardAction->setObjectName(m_clipboardAction->text());
    connect(m_clipboardAction, &QAction::triggered, this,
            &PreviewPopup::preview_btn_popup_clipboardClick);
}

void PreviewPopup::attach(QAbstractButton* button) {
    button->installEventFilter(this);
}

void PreviewPopup::setActivePageSource(std::function<int()> source) {
    m_activePage = std::move(source);
}

void PreviewPopup::setProgramSource(std::function<const vz::BoxProgram&()> source) {
    m_program = std::move(source);
}

void PreviewPopup::setSearchRoot(QWidget* root) {
    m_root = root;
}

void PreviewPopup::set_preview_hints(bool on) {
    m_hintsOn = on;
    if (!on)
        QToolTip::hideText();
}

int PreviewPopup::activePage() const {
    return m_activePage ? m_activePage() : -1;
}

void PreviewPopup::tab_single_preview_1_btnMouseDown(QObject* button) {
    m_tag = button->property("tag").toInt();
}

void PreviewPopup::preview_btn_popup_previewClick() {
    const int page = activePage();
    const QString name = vz::names::previewButton(page, m_tag);
    if (name.isEmpty())
        return;
    QWidget* root = m_root ? m_root : (parentWidget() ? parentWidget()->window() : nullptr);
    if (!root)
        return;
    if (auto* button = root->findChild<QAbstractButton*>(name))
        button->click();
}

void PreviewPopup::preview_btn_popup_clipboardClick() {
    if (!m_program)
        return;
    const QString line = vz::preview::clipboardLine(m_program(), activePage(), m_tag);
    if (line.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(line);
}

bool PreviewPopup::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        tab_single_preview_1_btnMouseDown(watched);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            popup(mouse->globalPosition().toPoint());
            return true;
        }
        break;
    }
    case QEvent::ContextMenu: {
        // A right press has opened the menu already; the menu key has not.
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        if (menuEvent->reason() == QContextMenuEvent::Keyboard) {
            tab_single_preview_1_btnMouseDown(watched);
            popup(menuEvent->globalPos());
        }
        return true;
    }
    case QEvent::ToolTip:
        if (!m_hintsOn)
            return true;
        break;
    default:
        break;
    }
    return QMenu::eventFilter(watched, event);
}

} // namespace vz
