#include "base/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace vz {

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
                    QMessageBox::StandardButtons buttons,
                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), displayText(text), buttons,
                    parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    // Escape or the close box must not count as any answer (left alone, the box takes them
    // for No): they press a button of their own that nobody sees. Where Cancel is offered,
    // they are Cancel.
    QAbstractButton* dismiss = box.button(QMessageBox::Cancel);
    const bool unseen = dismiss == nullptr;
    if (unseen) {
        dismiss = box.addButton(QMessageBox::Cancel);
        dismiss->hide();
    }
    box.setEscapeButton(dismiss);
    const int result = box.exec();
    if (box.clickedButton() == nullptr || (unseen && box.clickedButton() == dismiss))
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

Prompts::Answer QtPrompts::confirm(QWidget* parent, const QString& text, Answer defaultButton) {
    return ask(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
               defaultButton == Answer::No ? QMessageBox::No : QMessageBox::Yes);
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

} // namespace vz
