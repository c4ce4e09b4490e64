#include "app/rehearsal_wiring.h"

#include "base/settings.h"
#include "base/unit_service.h"
#include "device/rehearsal_box.h"
#include "fire/fire_console.h"
#include "preview/preview_area.h"
#include "program/program_document.h"

#include <tuple>

namespace vz {

RehearsalWiring::RehearsalWiring(FireConsole& console, const ProgramDocument& document,
                                 const Settings& settings, PreviewArea& preview, QObject* parent)
    : QObject(parent), m_console(console), m_document(document), m_settings(settings),
      m_preview(preview) {
    m_console.setRehearsalLine([this] { return arm(); });
    connect(&m_console, &FireConsole::armedChanged, this, &RehearsalWiring::armedChanged);
    connect(&m_console.engine(), &FireEngine::copyWritten, this,
            [this](const QByteArray&, const QString&, bool written, qint64 atNs) {
                if (written)
                    copyWritten(atNs);
            });
}

FireEngine::LineFactory RehearsalWiring::arm() {
    const BoxProgram& program = m_document.program();
    // The boxes the question named: route frames to [df] box, macro calls to the program's.
    m_box = std::make_shared<SharedRehearsalBox>(RehearsalBox(
        program, m_settings.ball, m_console.controller().configuredBox(), program.boxNumber()));
    m_console.showRehearsalCounts(0, 0);
    applyTexts();
    return [box = m_box](const FireLineFailed&) -> std::unique_ptr<FireWriter> {
        return std::make_unique<RehearsalLine>(box, FireClock::steady());
    };
}

void RehearsalWiring::armedChanged(bool armed) {
    if (armed || !m_box)
        return;
    m_box.reset();
    m_preview.stopBoxRow();
    applyTexts();
}

void RehearsalWiring::copyWritten(qint64 atNs) {
    if (!m_box)
        return;
    // The box heard the copy on the fire thread at the time of the write; its row from then
    // on plays at those times, whenever this news arrives.
    const qint64 atMs = atNs / 1000000;
    auto [row, calls, rejected] = m_box->with([atMs](const RehearsalBox& box) {
        return std::make_tuple(box.from(atMs), box.calls(), box.rejected());
    });
    m_preview.playBoxRow(std::move(row));
    m_console.showRehearsalCounts(calls, rejected);
}

void RehearsalWiring::applyTexts() {
    const bool rehearsing = m_box != nullptr;
    const QString title = find_text(rehearsing ? QStringLiteral("preview_gb_rehearsal")
                                               : QStringLiteral("preview_gb"));
    if (!title.isEmpty())
        m_preview.setTitle(title);
    QPalette p = m_preview.palette();
    p.setColor(QPalette::WindowText,
               rehearsing ? QColor(0x0e, 0x7f, 0x8f) : QPalette().color(QPalette::WindowText));
    m_preview.setPalette(p);
}

} // namespace vz
