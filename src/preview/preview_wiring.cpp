#include "preview/preview_wiring.h"

#include "base/settings.h"
#include "preview/preview_area.h"
#include "preview/preview_popup.h"
#include "program/program_document.h"
#include "program/program_pages.h"

#include <QPushButton>
#include <QTabWidget>

namespace vz {

PreviewWiring::PreviewWiring(PreviewArea* preview, QTabWidget* pageControl, ProgramPages* pages,
                             ProgramDocument& document, const Settings& settings, QObject* parent)
    : QObject(parent), m_preview(preview), m_pageControl(pageControl), m_document(document),
      m_settings(settings) {
    PreviewPopup* popup = m_preview->popup();
    popup->setActivePageSource([this] { return m_pageControl->currentIndex(); });
    popup->setProgramSource([this]() -> const BoxProgram& { return m_document.program(); });

    using Handler = void (PreviewWiring::*)();
    const Handler handlers[kProgramPages] = {
        &PreviewWiring::tab_single_preview_btnClick,  &PreviewWiring::tab_grp_preview_btnClick,
        &PreviewWiring::tab_grp_preview_btnClick,     &PreviewWiring::tab_grp_preview_btnClick,
        &PreviewWiring::tab_seqLR_preview_1_btnClick, &PreviewWiring::tab_seqRL_preview_btnClick,
        &PreviewWiring::tab_seqAI_preview_btnClick,   &PreviewWiring::tab_seqIA_preview_1_btnClick,
        &PreviewWiring::tab_seqX_preview_btnClick};
    for (QPushButton* button : pages->previewButtons()) {
        popup->attach(button);
        for (int page = 0; page < kProgramPages; ++page)
            if (pages->page(page)->isAncestorOf(button))
                connect(button, &QPushButton::clicked, this, handlers[page]);
    }
}

void PreviewWiring::previewClicked(int page) {
    const QObject* button = sender();
    if (!button)
        return;
    m_pageControl->setFocus();
    m_preview->previewRow(m_document, page, button->property("tag").toInt(), m_settings.ball);
}

void PreviewWiring::tab_single_preview_btnClick() {
    previewClicked(kPageSingle);
}
void PreviewWiring::tab_grp_preview_btnClick() {
    previewClicked(m_pageControl->currentIndex());
}
void PreviewWiring::tab_seqLR_preview_1_btnClick() {
    previewClicked(4);
}
void PreviewWiring::tab_seqRL_preview_btnClick() {
    previewClicked(5);
}
void PreviewWiring::tab_seqAI_preview_btnClick() {
    previewClicked(6);
}
void PreviewWiring::tab_seqIA_preview_1_btnClick() {
    previewClicked(7);
}
void PreviewWiring::tab_seqX_preview_btnClick() {
    previewClicked(8);
}

} // namespace vz
