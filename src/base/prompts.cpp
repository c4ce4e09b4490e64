#include "base/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// The program's own texts break lines with "\n\r"; a label would show the CR as a space at
// the start of the next line.
QString displayText(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    return out;
}

Prompts::Answer toAnswer(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return Prompts::Answer::Yes;
    case QMessageBox::No:
        return Prompts::Answer::No;
    case QMessageBox::Cancel:
        return Prompts::Answer::Cancel;
    case QMessageBox::Ok:
        return Prompts::Answer::Ok;
    default:
        return Prompts::Answer::Closed;
    }
}

Prompts::Answer ask(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                    QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), displayText(text), buttons,
                    parent);
    // Escape or the close box must not count as any answer: only an explicit button does.
    box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    const int result = box.exec();
    if (box.clickedButton() == nullptr)
        return Prompts::Answer::Closed;
    return toAnswer(result);
}

QString runFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& filter,
                      const QString& defaultSuffix) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (mode == QFileDialog::AcceptOpen) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
        // The program asks about overwriting itself.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

void QtPrompts::error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), displayText(text));
}

void QtPrompts::information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationDisplayName(), displayText(text));
}

Prompts::Answer QtPrompts::confirm(QWidget* parent, const QString& text) {
    return ask(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No);
}

Prompts::Answer QtPrompts::warningYesNo(QWidget* parent, const QString& text) {
    return ask(parent, QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No);
}

Prompts::Answer QtPrompts::warningYesNoCancel(QWidget* parent, const QString& text) {
    return ask(parent, QMessageBox::Warning, text,
               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

QString QtPrompts::openFileName(QWidget* parent, const QString& filter,
                                const QString& defaultSuffix) {
    return runFileDialog(parent, QFileDialog::AcceptOpen, filter, defaultSuffix);
}

QString QtPrompts::saveFileName(QWidget* parent, const QString& filter,
                                const QString& defaultSuffix) {
    return runFileDialog(parent, QFileDialog::AcceptSave, filter, defaultSuffix);
}

bool QtPrompts::printDialog(QWidget* parent, QPrinter* printer) {
    QPrintDialog dialog(printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    return dialog.exec() == QDialog::Accepted;
}
