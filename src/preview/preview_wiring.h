#pragma once

#include <QObject>

class QTabWidget;

namespace vz {

class PreviewArea;
class ProgramPages;
struct Settings;

class ProgramDocument;

// Ties the preview area to the program pages: the preview button of a row plays that row,
// the popup of a button shows the row of the page on show. Created by the main window once
// the pages exist.
class PreviewWiring : public QObject {
    Q_OBJECT
public:
    PreviewWiring(PreviewArea* preview, QTabWidget* pageControl, ProgramPages* pages,
                  vz::ProgramDocument& document, const Settings& settings, QObject* parent);

public slots:
    // Preview buttons: the sender's tag is the module or variant number.
    void tab_single_preview_btnClick();
    void tab_grp_preview_btnClick();
    void tab_seqLR_preview_1_btnClick();
    void tab_seqRL_preview_btnClick();
    void tab_seqAI_preview_btnClick();
    void tab_seqIA_preview_1_btnClick();
    void tab_seqX_preview_btnClick();

private:
    void previewClicked(int page);

    PreviewArea* m_preview;
    QTabWidget* m_pageControl;
    vz::ProgramDocument& m_document;
    const Settings& m_settings;
};

} // namespace vz
