#pragma once

#include <QString>

class QWidget;
class QPrinter;

namespace vz {

// The one seam through which windows ask the operator: message boxes and the common
// file and print dialogs. The program uses QtPrompts; tests use a scripted fake that
// records every message and returns queued answers, so no test waits on a modal box.
class Prompts {
public:
    enum class Answer { Yes, No, Cancel, Ok, Closed }; // Closed: box dismissed without a button

    virtual ~Prompts() = default;

    virtual void error(QWidget* parent, const QString& text) = 0;
    virtual void information(QWidget* parent, const QString& text) = 0;
    // Confirmation with Yes and No; Enter gives defaultButton (Yes or No). Escape and the
    // close box give Closed.
    virtual Answer confirm(QWidget* parent, const QString& text,
                           Answer defaultButton = Answer::Yes) = 0;
    // Warning with Yes and No.
    virtual Answer warningYesNo(QWidget* parent, const QString& text) = 0;
    // Warning with Yes, No and Cancel.
    virtual Answer warningYesNoCancel(QWidget* parent, const QString& text) = 0;

    // File dialogs: an empty string means cancelled. filter in Qt form,
    // e.g. "Kalvex-Projekt (*.kvx)"; defaultSuffix without dot.
    virtual QString openFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // Print dialog with printing to a file switched off; false when cancelled.
    virtual bool printDialog(QWidget* parent, QPrinter* printer) = 0;
};

// The real boxes and dialogs.
class QtPrompts : public Prompts {
public:
    void error(QWidget* parent, const QString& text) override;
    void information(QWidget* parent, const QString& text) override;
    Answer confirm(QWidget* parent, const QString& text, Answer defaultButton) override;
    Answer warningYesNo(QWidget* parent, const QString& text) override;
    Answer warningYesNoCancel(QWidget* parent, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& defaultSuffix) override;
    bool printDialog(QWidget* parent, QPrinter* printer) override;
};

} // namespace vz
