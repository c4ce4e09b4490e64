#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QAction;

namespace vz {

// The help entry of the main window: the help document of the active language lies in the
// folder "help" beside the program, under the name the language gives as "help_file".
class HelpEntry : public QObject {
    Q_OBJECT
public:
    using Opener = std::function<bool(const QUrl&)>;

    // Object name "help_entry", so tests of the main window can find it and set the opener.
    explicit HelpEntry(const QString& programDir, QObject* parent = nullptr);

    static QString helpDir(const QString& programDir);
    // programDir/help/get_text("help_file")
    QString documentPath() const;
    // Only a file counts: a missing or empty "help_file" text names no document.
    bool documentExists() const;

    // After each language load: the entry is visible exactly when the document exists.
    void updateVisibility(QAction* entry) const;

    // Hands the document to the system's default program and returns at once; the outcome
    // is the system's to report.
    void open() const;

    // Replaces the system's opener (tests: no browser).
    void setOpener(Opener opener);

private:
    QString m_programDir;
    Opener m_opener;
};

} // namespace vz
