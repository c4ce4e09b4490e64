#pragma once

#include "base/prompts.h"

#include <functional>

#include <QQueue>
#include <QString>
#include <QStringList>

// Prompts for tests: records every message and dialog, answers from queues.
// An empty answer queue gives Closed (boxes) or cancel (dialogs), so an unexpected
// question shows up in the recorded list instead of blocking the test.
class ScriptedPrompts : public vz::Prompts {
public:
    struct Record {
        QString kind; // "error", "information", "confirm", "warningYesNo",
                      // "warningYesNoCancel", "open", "save", "print"
        QString text;
        Answer defaultButton = Answer::Ok; // confirm: the answer Enter gives
    };

    QQueue<Answer> answers;
    QQueue<QString> fileNames;
    QQueue<bool> printAnswers;
    QList<Record> records;
    QList<QPrinter*> printers; // the printer each print dialog was shown for
    std::function<void(QPrinter*)> onPrintDialog;

    void error(QWidget*, const QString& text) override { records.append({"error", text}); }
    void information(QWidget*, const QString& text) override {
        records.append({"information", text});
    }
    Answer confirm(QWidget*, const QString& text, Answer defaultButton) override {
        const Answer a = take("confirm", text);
        records.last().defaultButton = defaultButton;
        return a;
    }
    Answer warningYesNo(QWidget*, const QString& text) override {
        return take("warningYesNo", text);
    }
    Answer warningYesNoCancel(QWidget*, const QString& text) override {
        return take("warningYesNoCancel", text);
    }
    QString openFileName(QWidget*, const QString& filter, const QString&) override {
        records.append({"open", filter});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    QString saveFileName(QWidget*, const QString& filter, const QString&) override {
        records.append({"save", filter});
        return fileNames.isEmpty() ? QString() : fileNames.dequeue();
    }
    bool printDialog(QWidget*, QPrinter* printer) override {
        records.append({"print", QString()});
        printers.append(printer);
        if (onPrintDialog)
            onPrintDialog(printer); // what the operator sets in the dialog
        return printAnswers.isEmpty() ? false : printAnswers.dequeue();
    }

    QStringList kinds() const {
        QStringList out;
        for (const Record& r : records)
            out << r.kind;
        return out;
    }
    QStringList texts() const {
        QStringList out;
        for (const Record& r : records)
            out << r.text;
        return out;
    }
    void clear() { records.clear(); }

private:
    Answer take(const QString& kind, const QString& text) {
        records.append({kind, text});
        return answers.isEmpty() ? Answer::Closed : answers.dequeue();
    }
};
