#pragma once

#include "base/prompts.h"

#include <cstdio>

// Nobody sits at a bench: every question gets the answer given (No, and Cancel where a box
// offers it; or Yes throughout), no file is chosen, and an error box is printed and counted.
class BenchPrompts : public vz::Prompts {
public:
    explicit BenchPrompts(Answer answer = Answer::No) : m_answer(answer) {}

    void error(QWidget*, const QString& text) override {
        std::fprintf(stderr, "error box: %s\n", qPrintable(text));
        ++errors;
    }
    void information(QWidget*, const QString&) override {}
    Answer confirm(QWidget*, const QString&, Answer) override { return m_answer; }
    Answer warningYesNo(QWidget*, const QString&) override { return m_answer; }
    Answer warningYesNoCancel(QWidget*, const QString&) override {
        return m_answer == Answer::Yes ? Answer::Yes : Answer::Cancel;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    bool printDialog(QWidget*, QPrinter*) override { return false; }

    int errors = 0;

private:
    Answer m_answer;
};
