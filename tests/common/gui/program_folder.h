#pragma once

// A program folder for window tests: a temporary folder that stands where the program's own
// folder would, with settings.ini and a language/ folder copied from the shipped files.
// Header-only: it uses VZ_SOURCE_DIR, which every test executable defines.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

class ProgramFolder {
public:
    // withLanguages: copy resources/language/*.lng into language/.
    explicit ProgramFolder(bool withLanguages = true) {
        QDir(m_dir.path()).mkpath(QStringLiteral("language"));
        QDir(m_dir.path()).mkpath(QStringLiteral("help"));
        const QDir source(QStringLiteral(VZ_SOURCE_DIR "/resources/language"));
        if (withLanguages)
            for (const QString& file : source.entryList({QStringLiteral("*.lng")}, QDir::Files))
                QFile::copy(source.filePath(file), filePath(QStringLiteral("language/") + file));
    }

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& relative) const { return m_dir.filePath(relative); }
    QString settingsPath() const { return filePath(QStringLiteral("settings.ini")); }
    // Writes a whole file (relative path), replacing what was there.
    bool writeFile(const QString& relative, const QByteArray& content) const {
        QFile file(filePath(relative));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        return file.write(content) == content.size();
    }
    bool writeSettings(const QByteArray& iniText) const {
        return writeFile(QStringLiteral("settings.ini"), iniText);
    }
    void removeLanguage(const QString& name) const {
        QFile::remove(filePath(QStringLiteral("language/") + name + QStringLiteral(".lng")));
    }
    bool writeLanguage(const QString& name, const QByteArray& content) const {
        return writeFile(QStringLiteral("language/") + name + QStringLiteral(".lng"), content);
    }

private:
    QTemporaryDir m_dir;
};
