// MsgBox and InputBox, shown through the dialogs of the program that runs the engine
// (HostUI): a window opens real dialogs, a console tool prints the prompt and answers with the
// default.
#include "vbscript/lib_support.h"

namespace vbs {
namespace {

// The title a dialog gets when the script names none.
constexpr const char* kDefaultTitle = "VBScript";

std::string title_arg(ArgList args, size_t i) {
    return has_arg(args, i) ? arg_text(args, i) : std::string(kDefaultTitle);
}

// MsgBox(prompt[, buttons[, title[, helpfile, context]]]) returns the button pressed.
Value fn_msgbox(Context& ctx, ArgList args) {
    std::string prompt = arg_text(args, 0);
    int32_t buttons = arg_long(args, 1, 0);
    std::string title = title_arg(args, 2);
    const int pressed = ctx.ui().msg_box(prompt, buttons, title);
    ctx.restart_time_limit(); // however long the user took
    return Value::integer(int16_t(pressed));
}

// InputBox(prompt[, title[, default[, xpos, ypos[, helpfile, context]]]]) returns the text
// typed, or Empty when the user cancelled (so a script can tell Cancel from an empty answer).
Value fn_inputbox(Context& ctx, ArgList args) {
    std::string prompt = arg_text(args, 0);
    std::string title = title_arg(args, 1);
    std::string initial = has_arg(args, 2) ? arg_text(args, 2) : std::string();
    std::string answer;
    const bool typed = ctx.ui().input_box(prompt, title, initial, answer);
    ctx.restart_time_limit(); // however long the user took
    if (!typed) return Value();
    return Value::string(answer);
}

const BuiltinFunction kFunctions[] = {
    {"MsgBox", 1, 5, fn_msgbox},
    {"InputBox", 1, 7, fn_inputbox},
};

} // namespace
} // namespace vbs

VBS_LIBRARY(ui) {
    reg.add_functions(vbs::kFunctions);
}
