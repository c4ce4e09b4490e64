#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace vz {

// Where the program and vzctl keep what they write: the settings file, the hotkey file, the
// ports/ links and the fire logs. A program folder the user can write (a build, a portable
// copy, Windows) is its own data folder; an installed one is not, nor is one under /usr or
// /opt even for root, and then the data folder is $XDG_CONFIG_HOME/vestro-zandor (default
// ~/.config/vestro-zandor), made on first use. Language files are read from both places, the
// data folder's copy winning.
class DataFolder {
public:
    // Whether a folder may be written to; the default asks the file system for the calling
    // user (tests inject their own: root may write everywhere).
    using WritableTest = std::function<bool(const QString& dir)>;

    // configHome: the value of XDG_CONFIG_HOME (empty: home/.config); home: the home folder.
    DataFolder(const QString& programDir, const QString& configHome, const QString& home,
               const WritableTest& writable = {});
    // From the environment of this process.
    static DataFolder forProgram(const QString& programDir);

    QString programDir() const { return m_programDir; }
    // The chosen folder (it may not exist yet: see ensure()).
    QString path() const { return m_path; }
    bool isProgramDir() const { return m_path == m_programDir; }

    // Makes the folder when it is missing (made: whether this call made it, so the folder
    // is new). False with a message naming the folder and why; the caller goes on with
    // defaults.
    bool ensure(QString* error = nullptr, bool* made = nullptr) const;

    QString settingsPath() const;
    // The working folder's "./hotkeys.ini" while the program folder is the data folder (as it
    // always was); the data folder's otherwise, so an installed program does not litter the
    // folder it happens to be started in.
    QString hotkeysPath() const;
    // The folder that holds ports/ (COM n links).
    QString portsBase() const { return m_path; }
    QString logDir() const;

    // language/<name>.lng in the data folder when that file exists, else in the program folder.
    QString languageFile(const QString& name) const;
    // Every language name (file name without ".lng") of both folders, sorted, each once.
    QStringList languageNames() const;

private:
    QString m_programDir;
    QString m_path;
};

} // namespace vz
