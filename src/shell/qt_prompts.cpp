#include "shell/qt_prompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "platform/qt/qt_text.h"
#include "shell/session/file_filter.h"

namespace mondrel {

namespace {

QMessageBox::Icon to_qicon(prompt_icon icon) {
    switch (icon) {
    case prompt_icon::information:
        return QMessageBox::Information;
    case prompt_icon::warning:
        return QMessageBox::Warning;
    case prompt_icon::question:
        return QMessageBox::Question;
    case prompt_icon::error:
        return QMessageBox::Critical;
    case prompt_icon::none:
        break;
    }
    return QMessageBox::NoIcon;
}

// The buttons of each kind of question, and the one that Esc or closing the box presses.
struct button_set {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape;
    QMessageBox::StandardButton default_button;
};

button_set buttons_for(prompt_buttons kind) {
    switch (kind) {
    case prompt_buttons::yes_no:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::Yes};
    case prompt_buttons::yes_no_cancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel,
                QMessageBox::Yes};
    case prompt_buttons::ok:
        break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

std::optional<std::string> chosen(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
    return files.front().toStdString();
}

} // namespace

void set_up_file_dialog(QFileDialog& dialog, std::string_view filter, bool save) {
    dialog.setWindowTitle(save ? QStringLiteral("Save As") : QStringLiteral("Open"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const std::vector<file_filter> filters = parse_file_filter(filter);
    QStringList names;
    for (const file_filter& f : filters)
        names << to_qstring(qt_name_filter(f));
    if (!names.isEmpty()) dialog.setNameFilters(names);
    if (!filters.empty()) dialog.setDefaultSuffix(to_qstring(default_suffix(filters.front())));
}

qt_prompts::qt_prompts(QWidget* parent) : parent_(parent) {}

prompt_answer qt_prompts::ask(std::string_view text, std::string_view caption,
                              prompt_buttons buttons, prompt_icon icon) {
    const button_set set = buttons_for(buttons);
    QMessageBox box(to_qicon(icon), to_qstring(caption), to_qstring(text), set.buttons, parent_);
    box.setDefaultButton(set.default_button);
    box.setEscapeButton(set.escape);
    box.exec();
    // Closing the box by its title bar counts as the Esc button.
    QAbstractButton* clicked = box.clickedButton();
    const QMessageBox::StandardButton pressed = clicked ? box.standardButton(clicked) : set.escape;
    switch (pressed) {
    case QMessageBox::Yes:
    case QMessageBox::Ok:
        return prompt_answer::yes;
    case QMessageBox::No:
        return prompt_answer::no;
    default:
        break;
    }
    return buttons == prompt_buttons::yes_no ? prompt_answer::no : prompt_answer::cancel;
}

std::optional<std::string> qt_prompts::open_file_name(std::string_view filter) {
    QFileDialog dialog(parent_);
    set_up_file_dialog(dialog, filter, false);
    return chosen(dialog);
}

std::optional<std::string> qt_prompts::save_file_name(std::string_view filter,
                                                      std::string_view name) {
    QFileDialog dialog(parent_);
    set_up_file_dialog(dialog, filter, true);
    if (!name.empty()) dialog.selectFile(to_qstring(name));
    return chosen(dialog);
}

} // namespace mondrel
