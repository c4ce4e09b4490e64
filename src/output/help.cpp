#include "output/help.h"

#include "base/unit_service.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace vz {

HelpEntry::HelpEntry(const QString& programDir, QObject* parent)
    : QObject(parent), m_programDir(programDir),
      m_opener([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setObjectName(QStringLiteral("help_entry"));
}

QString HelpEntry::helpDir(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("help"));
}

QString HelpEntry::documentPath() const {
    return QDir(helpDir(m_programDir)).filePath(get_text(QStringLiteral("help_file")));
}

bool HelpEntry::documentExists() const {
    // An empty name would name the help folder itself, which is no document.
    return QFileInfo(documentPath()).isFile();
}

void HelpEntry::updateVisibility(QAction* entry) const {
    if (entry)
        entry->setVisible(documentExists());
}

void HelpEntry::open() const {
    if (m_opener)
        m_opener(QUrl::fromLocalFile(documentPath()));
}

void HelpEntry::setOpener(Opener opener) {
    m_opener = std::move(opener);
}

} // namespace vz
