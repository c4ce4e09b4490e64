#pragma once

#include <QString>
#include <QStringList>

// vzctl sheet FILE.kvx --pdf OUT.pdf [--settings FILE]
//
// Writes the programming sheet of a project as a PDF (A4), as the print menu entry would
// print it after opening that project: box mode, box list and language from the settings
// file (default: settings.ini in programDir, or the defaults when there is none), texts from
// programDir/language. args are the words after "sheet". Returns the exit code: 0 done,
// 1 failure (message on stderr), 2 bad usage.
//
// Drawing text needs fonts, so the caller must have created a QGuiApplication (vzctl does so
// for this command, on the offscreen platform unless QT_QPA_PLATFORM says otherwise).
int runSheetCommand(const QStringList& args, const QString& programDir);
