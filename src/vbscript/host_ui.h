// The dialogs a script may open (MsgBox, InputBox), supplied by the program that runs the
// engine. The window shows real dialogs; headless tools print to standard error and answer
// with the default.
#pragma once

#include <string>

namespace vbs {

class HostUI {
public:
    virtual ~HostUI() = default;
    // Shows `prompt` with the buttons and icon coded in `buttons` (vbOKOnly, vbYesNo, ...)
    // and returns the button pressed (vbOK = 1, vbCancel = 2, ... vbNo = 7).
    virtual int msg_box(const std::string& prompt, int buttons, const std::string& title) = 0;
    // Asks for a line of text; returns false when the user cancelled (InputBox then gives "").
    virtual bool input_box(const std::string& prompt, const std::string& title,
                           const std::string& default_text, std::string& answer) = 0;
};

// Writes the prompt to standard error; MsgBox answers vbOK (or vbYes for yes/no buttons) and
// InputBox answers its default text.
class ConsoleHostUI : public HostUI {
public:
    int msg_box(const std::string& prompt, int buttons, const std::string& title) override;
    bool input_box(const std::string& prompt, const std::string& title,
                   const std::string& default_text, std::string& answer) override;
};

} // namespace vbs
