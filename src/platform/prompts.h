#pragma once
// Every question the program puts to the user, and every file it asks for, goes through this
// interface: the window shows the real message boxes and file dialogs, tests answer them.

#include <optional>
#include <string>
#include <string_view>

namespace mondrel {

enum class prompt_answer { yes, no, cancel };
enum class prompt_icon { none, information, warning, question, error };
// Which buttons a question offers.
enum class prompt_buttons { ok, yes_no, yes_no_cancel };

class prompts {
public:
    virtual ~prompts() = default;
    // A modal message box; answers yes for OK. Closing the box without a button answers
    // cancel when there is a Cancel button, else no.
    virtual prompt_answer ask(std::string_view text, std::string_view caption,
                              prompt_buttons buttons, prompt_icon icon) = 0;
    // The open and save dialogs. `filter` is written "Description|pattern|Description|pattern"
    // (patterns separated by ";"); `name` is the file name the save dialog starts with.
    // Nothing when the user cancels.
    virtual std::optional<std::string> open_file_name(std::string_view filter) = 0;
    virtual std::optional<std::string> save_file_name(std::string_view filter,
                                                      std::string_view name) = 0;

    // An information box with an OK button.
    void information(std::string_view text) {
        ask(text, "Mondrel", prompt_buttons::ok, prompt_icon::information);
    }
};

} // namespace mondrel
