#pragma once

#include <QStringList>

namespace vz {

// vzctl sheet FILE.kvx --pdf OUT.pdf [--settings FILE] [--program-dir DIR]
//
// Writes the programming sheet of a project as a PDF (A4), as the print menu entry would
// print it after opening that project: box mode, box list and language from the settings
// file (default: settings.ini in the data folder, or the defaults when there is none),
// texts from the program folder's language/. The program folder is --program-dir, or the
// folder of vzctl. args are the words after "sheet". Returns the exit code of vzctl: 0 done,
// 2 bad usage or a file that cannot be read or written (message on stderr).
//
// Drawing text needs fonts, so the caller must have created a QGuiApplication (vzctl does so
// for this command, on the offscreen platform unless QT_QPA_PLATFORM says otherwise).
int runSheetCommand(const QStringList& args);

} // namespace vz
