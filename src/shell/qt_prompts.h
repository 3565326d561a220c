#pragma once
// The prompts of the window: real message boxes and file dialogs, modal to the main window.

#include "platform/prompts.h"

class QFileDialog;
class QWidget;

namespace mondrel {

// Sets up an open (or save) dialog as the prompts show it: caption, mode, the name filters of a
// "Description|pattern|..." filter in Qt's form with both letter cases, and the extension a
// bare name gets. Apart so that tests check it without running the dialog.
void set_up_file_dialog(QFileDialog& dialog, std::string_view filter, bool save);

class qt_prompts : public prompts {
public:
    explicit qt_prompts(QWidget* parent);

    prompt_answer ask(std::string_view text, std::string_view caption, prompt_buttons buttons,
                      prompt_icon icon) override;
    std::optional<std::string> open_file_name(std::string_view filter) override;
    std::optional<std::string> save_file_name(std::string_view filter,
                                              std::string_view name) override;

private:
    QWidget* parent_;
};

} // namespace mondrel
