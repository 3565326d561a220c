#include "display/picture_library.h"

#include <filesystem>

#include "display/display_stuff.h"
#include "platform/diagnostic_log.h"

namespace mondrel {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool starts_with(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

} // namespace

const std::vector<std::string_view>& image_set_names() {
    // ORDER: outline markers, the command images of the menus and toolbars, the code-word
    // images, the application icon.
    static const std::vector<std::string_view> names{"OPEN",
                                                     "CLOSE",
                                                     "EDIT_CUT",
                                                     "EDIT_COPY",
                                                     "EDIT_PASTE",
                                                     "FILE_NEW",
                                                     "FILE_OPEN",
                                                     "FILE_SAVE",
                                                     "EDIT_DELETE",
                                                     "HELP_CONTENTS",
                                                     "HELP_ABOUT",
                                                     "RUN_GO",
                                                     "EDIT_ADD",
                                                     "EDIT_INSERT",
                                                     "EDIT_ADD_CHILD",
                                                     "EDIT_YES",
                                                     "EDIT_NO",
                                                     "VIEW_FORMAT",
                                                     "TOOLS_OPTIONS",
                                                     "EDIT_FORMAT",
                                                     "VB",
                                                     "IF",
                                                     "EQLS",
                                                     "FILE_CLOSE",
                                                     "FILE_CLOSE_ALL",
                                                     "RIGHT_ARROW",
                                                     "LEFT_ARROW",
                                                     "FILE_PRINT",
                                                     "EDIT_UNDO",
                                                     "EDIT_REDO",
                                                     "RUN_PAUSE",
                                                     "RUN_RESET",
                                                     "RUN_BREAKPOINT",
                                                     "RUN_STEP_OVER",
                                                     "RUN_CLEAR",
                                                     "RUN_STEP_INTO",
                                                     "FILE_EXISTING",
                                                     "RUN_GOGO",
                                                     "FILE_PROPERTIES",
                                                     "VIEW_COLLAPSE_ALL",
                                                     "VIEW_EXPAND_ALL",
                                                     "FILE_SAVE_ALL",
                                                     "LINK",
                                                     "RED_DOT",
                                                     "GREEN_DOT",
                                                     "BLUE_DOT",
                                                     "YELLOW_DOT",
                                                     "EDIT_TO_CHILDS",
                                                     "EDIT_FROM_CHILDS",
                                                     "ZOOM_IN",
                                                     "ZOOM_OUT",
                                                     "FOR",
                                                     "REM",
                                                     "LET",
                                                     "INCL",
                                                     "WHILE",
                                                     "APP_ICON"};
    return names;
}

std::string_view link_icon_name(std::string_view target) {
    if (target == "__back") return "left_arrow";
    if (target == "__newfile") return "file_new";
    if (starts_with(target, "__")) return "right_arrow";
    if (starts_with(target, "**")) return "file_existing";
    if (starts_with(target, "::")) return "link";
    return "file_existing";
}

void picture_library::set_folder(std::string folder) {
    folder_ = std::move(folder);
    found_.clear();
}

picture_ptr picture_library::load_picture(std::string_view name, std::string_view log_name) {
    if (auto it = found_.find(name); it != found_.end()) return it->second;

    picture_ptr pic;
    const std::string caps = upper_ascii(name);
    bool in_set = false;
    for (std::string_view known : image_set_names()) {
        if (known != caps) continue;
        in_set = true;
        const int size = caps == "APP_ICON"                    ? app_icon_size
                         : (caps == "OPEN" || caps == "CLOSE") ? marker_size
                                                               : image_size;
        pic = source_.image(lower(caps), size);
        break;
    }
    if (!in_set && !name.empty()) {
        namespace fs = std::filesystem;
        // Sheets written on Windows separate folders with "\".
        std::string written(name);
        for (char& c : written)
            if (c == '\\') c = '/';
        fs::path path(written);
        if (path.is_relative() && !folder_.empty()) path = fs::path(folder_) / path;
        pic = source_.file(path.string());
    }
    if (!pic)
        log_write("Unable to load picture file: " +
                  std::string(log_name.empty() ? name : log_name));
    found_.emplace(std::string(name), pic);
    return pic;
}

} // namespace mondrel
