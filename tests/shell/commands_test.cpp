// The command vocabulary as data: every action with its texts, the menus, toolbars and
// pop-ups that point at them, and the rules that tie them together.

#include "shell/session/commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "display/picture_library.h"
#include "document/code_words.h"
#include "vbscript/variant.h"

namespace mondrel {
namespace {

std::string without_mnemonic(std::string_view caption) {
    std::string s;
    for (char c : caption)
        if (c != '&') s += c;
    return s;
}

std::vector<std::string_view> split_keys(std::string_view keys) {
    std::vector<std::string_view> out;
    while (!keys.empty()) {
        const size_t semi = keys.find(';');
        out.push_back(keys.substr(0, semi));
        if (semi == std::string_view::npos) break;
        keys.remove_prefix(semi + 1);
    }
    return out;
}

struct expected_action {
    const char* name;
    const char* caption; // without the mnemonic
    const char* key;     // the first shortcut, "" none
    const char* hint;
};

// The texts users see, written out apart from the table so that a slip in either shows.
const expected_action expected[] = {
    {"file_new", "New", "Ctrl+N", "Create a new codesheet"},
    {"file_open", "Open", "Ctrl+O", "Open an existing codesheet"},
    {"file_save", "Save", "Ctrl+S", "Save the active codesheet"},
    {"file_save_as", "Save As", "", "Save the active codesheet with a new name"},
    {"file_save_all", "Save All", "", "Save all the active codesheets"},
    {"file_close", "Close", "Ctrl+W", "Close the active codesheet"},
    {"file_close_all", "Close All", "", "Close all the open codesheets"},
    {"file_close_others", "Close All Others", "", "Close all the other codesheets"},
    {"file_properties", "Properties", "", "Show the active codesheet properties"},
    {"file_print", "Print", "Ctrl+P", "Print the active codesheet"},
    {"file_reopen_clear", "Clear", "", "Clear the Reopen list"},
    {"file_exit", "Exit", "", "Exit mondrel"},
    {"edit_undo", "Undo", "Ctrl+Z", "Undo your most recent keystrokes or mouse actions."},
    {"edit_redo", "Redo", "Ctrl+Y", "Reverse the effects of your most recent Undo."},
    {"edit_cut", "Cut", "Ctrl+X", "Remove the selected lines and puts them in the clipboard."},
    {"edit_copy", "Copy", "Ctrl+C", "Copy the selected lines and put them in the clipboard."},
    {"edit_paste", "Paste", "Ctrl+V",
     "Replace the currently selected lines with the contents of the clipboard."},
    {"edit_delete", "Delete", "", "Delete the selected lines."},
    {"edit_select_all", "Select All", "Ctrl+A", "Select all the lines in the current codesheet."},
    {"edit_add", "Add", "", "Insert a blank line after the currently selected line."},
    {"edit_add_child", "Add Child", "", "Add a blank child line(.1) to the selected line."},
    {"edit_insert", "Insert", "", "Insert a blank line in front of the currently selected line."},
    {"edit_ok", "OK", "", "Accept the changes made to the current line."},
    {"edit_cancel", "Cancel", "", "Reject the changes made to the current line."},
    {"edit_format", "Edit Format", "",
     "Change the format of the data cells of the selected lines. "},
    {"edit_copy_format", "Copy Format", "",
     "Copy the data cell formatting of the currently selected rows to the clipboard."},
    {"edit_paste_format", "Paste Format", "",
     "Apply the data cell formatting from the clipboard to the selected lines."},
    {"edit_copy_cells", "Copy Cells", "",
     "Copy the data cells of the selected lines into the clipboard in a format which can be used "
     "by other programmes."},
    {"edit_convert_to_list", "Convert to child lines", "",
     "Converts the selected lines to a parent and child lines"},
    {"edit_convert_from_list", "Convert from child lines", "",
     "Extract the children of the selected line."},
    {"edit_type_expr", "Expression", "", "Code word: expression"},
    {"edit_type_rem", "Comment", "", "Code word: REM - a comment line"},
    {"edit_type_vb", "VB", "", "Code word: Visual Basic  line"},
    {"edit_type_fmt", "FMT", "", "Code word: FMT - change  a data cell format"},
    {"edit_type_dir", "DIR", "", "Code word: DIR - scan a  folder "},
    {"edit_type_let", "LET", "", "Code word: LET - assign a value "},
    {"edit_type_incl", "INCL", "", "Code word: INCL - include a codesheet"},
    {"edit_type_if", "IF", "", "Code word: IF test"},
    {"edit_type_while", "WHILE", "", "Code word: WHILE loop"},
    {"edit_type_for", "FOR", "", "Code word: FOR loop"},
    {"edit_type_arr", "ARR", "", "Code word: ARR - declare a dynamic array of values"},
    {"edit_type_cmd", "CMD", "", "Code word: CMD - system commands"},
    {"run_gogo", "Auto Run", "",
     "Execute the Go command after every change to the active codesheet."},
    {"run_go", "Go", "F9", "Execute all the lines in the active codesheet."},
    {"run_stop", "Stop", "Esc", "Stop the run in progress."},
    {"run_step_over", "Step", "F8", "Step over."},
    {"run_step_into", "Step Into", "F7", "Step into."},
    {"run_reset", "Reset", "", "Halt execution and clear all the data cells."},
    {"run_breakpoint", "Toggle Breakpoint", "", "Set a breakpoint."},
    {"run_clear", "Clear Breakpoints", "", "Clear all breakpoints."},
    {"view_toggle_formatting", "Apply Formats", "",
     "On: use defined data cell formats. Off: show raw data."},
    {"view_collapse_all", "Collapse All", "", "Hide all child lines."},
    {"view_expand_all", "Expand All", "", "Show all child lines."},
    {"view_increase_font", "Increase Text Size", "Ctrl+=", "Increase the displayed font size."},
    {"view_decrease_font", "Decrease Text Size", "Ctrl+-", "Decrease the displayed font size."},
    {"tools_options", "Options...", "", "Open the options dialog box."},
    {"help_about", "About", "", "Open the About codesheet."},
    {"help_topics", "Help", "F1", "Open the Help codesheet."},
    {"help_examples", "Examples", "", "Open the Examples codesheet."},
    {"help_welcome", "Welcome", "", "Open the Welcome codesheet."},
};

TEST(ActionTable, EveryCommandHasItsCaptionShortcutAndHint) {
    ASSERT_EQ(action_table().size(), std::size(expected));
    for (const expected_action& e : expected) {
        SCOPED_TRACE(e.name);
        const action_spec* a = find_action(e.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(without_mnemonic(a->caption), e.caption);
        EXPECT_EQ(a->hint, e.hint);
        EXPECT_EQ(split_keys(a->shortcut).empty() ? "" : split_keys(a->shortcut).front(), e.key);
        EXPECT_LE(std::count(a->caption.begin(), a->caption.end(), '&'), 1);
    }
    EXPECT_EQ(find_action("file_nothing"), nullptr);
    EXPECT_EQ(find_action(""), nullptr);
}

TEST(ActionTable, CodeWordActionsCarryTheirWordAndOthersNone) {
    std::set<int32_t> tags;
    for (const action_spec& a : action_table()) {
        SCOPED_TRACE(std::string(a.name));
        if (a.category != "Edit_type") {
            EXPECT_EQ(a.tag, -1);
            continue;
        }
        ASSERT_GE(a.tag, 0);
        ASSERT_LT(a.tag, code_word_count);
        EXPECT_TRUE(tags.insert(a.tag).second);
        // The name ends in the stored word ("expr" for the expression line).
        const std::string_view word = code_word_table[a.tag].word;
        EXPECT_EQ(a.name, "edit_type_" + std::string(word.empty() ? "expr" : word));
    }
    EXPECT_EQ(tags.size(), static_cast<size_t>(code_word_count));
}

TEST(ActionTable, NamesCategoriesAndImagesAreKnown) {
    const std::set<std::string_view> categories{"File", "Edit",  "Edit_type", "Run",
                                                "View", "Tools", "Help"};
    std::set<std::string> images;
    for (std::string_view n : image_set_names())
        images.insert(vbs::to_lower_ascii(n));
    std::set<std::string_view> names;
    for (const action_spec& a : action_table()) {
        SCOPED_TRACE(std::string(a.name));
        EXPECT_TRUE(names.insert(a.name).second) << "twice";
        EXPECT_TRUE(categories.count(a.category));
        // The name begins with its category: file_..., edit_type_..., help_...
        EXPECT_TRUE(a.name.starts_with(vbs::to_lower_ascii(a.category) + "_"));
        EXPECT_TRUE(a.image.empty() || images.count(std::string(a.image))) << a.image;
    }
}

TEST(ActionTable, NoTwoActionsShareAShortcut) {
    std::map<std::string, std::string_view> owner;
    for (const action_spec& a : action_table())
        for (std::string_view key : split_keys(a.shortcut)) {
            EXPECT_FALSE(key.empty()) << a.name << ": empty key in \"" << a.shortcut << '"';
            const auto [it, fresh] = owner.emplace(std::string(key), a.name);
            EXPECT_TRUE(fresh) << key << " is on " << it->second << " and " << a.name;
        }
    // The keys the grid's key map takes before the shortcuts are no action's.
    for (const char* grid_key : {"Up", "Down", "PgUp", "PgDown", "Left", "Right", "Del", "Return"})
        EXPECT_FALSE(owner.count(grid_key)) << grid_key;
}

// --- menus, toolbars and pop-ups ---------------------------------------------------------------

TEST(MenuEntries, ReadEntrySeparatesTheKinds) {
    struct entry_case {
        menu_entry entry;
        entry_kind kind;
        std::string_view action, caption;
    };
    const entry_case cases[] = {
        {"", entry_kind::separator, "", ""},
        {"end", entry_kind::submenu_end, "", ""},
        {"menu:&Reopen", entry_kind::submenu, "", "&Reopen"},
        {"file_new", entry_kind::action, "file_new", ""},
        {"edit_add=&After", entry_kind::action, "edit_add", "&After"},
    };
    for (const entry_case& c : cases) {
        const menu_item item = read_entry(c.entry);
        EXPECT_EQ(item.kind, c.kind) << c.entry;
        EXPECT_EQ(item.action, c.action) << c.entry;
        EXPECT_EQ(item.caption, c.caption) << c.entry;
    }
}

// Walks a list of entries: every action entry names an action, submenus close, and within one
// menu level no two entries share a mnemonic letter. Adds the actions met to `met`.
void check_entries(std::string_view where, std::span<const menu_entry> entries,
                   std::set<std::string_view>& met, bool mnemonics) {
    SCOPED_TRACE(std::string(where));
    std::vector<std::set<char>> letters(1);
    const auto take_letter = [&](std::string_view caption) {
        const size_t amp = caption.find('&');
        if (!mnemonics || amp == std::string_view::npos || amp + 1 >= caption.size()) return;
        const char c =
            static_cast<char>(std::tolower(static_cast<unsigned char>(caption[amp + 1])));
        EXPECT_TRUE(letters.back().insert(c).second) << "mnemonic " << c << " twice: " << caption;
    };
    for (menu_entry e : entries) {
        const menu_item item = read_entry(e);
        switch (item.kind) {
        case entry_kind::separator:
            break;
        case entry_kind::submenu:
            EXPECT_FALSE(item.caption.empty());
            take_letter(item.caption);
            letters.emplace_back();
            break;
        case entry_kind::submenu_end:
            ASSERT_GT(letters.size(), 1u) << "\"end\" without a submenu";
            letters.pop_back();
            break;
        case entry_kind::action: {
            const action_spec* a = find_action(item.action);
            ASSERT_NE(a, nullptr) << "unknown action in entry " << e;
            met.insert(a->name);
            take_letter(item.caption.empty() ? a->caption : item.caption);
            break;
        }
        }
    }
    EXPECT_EQ(letters.size(), 1u) << "a submenu is not closed";
}

TEST(MenuEntries, EveryEntryNamesAnActionAndEveryActionIsReachable) {
    std::set<std::string_view> in_menus, anywhere;
    ASSERT_EQ(menu_bar().size(), 6u);
    for (const menu_spec& m : menu_bar())
        check_entries(m.caption, m.entries, in_menus, true);
    anywhere = in_menus;
    for (const toolbar_spec& t : toolbars())
        check_entries(t.name, t.entries, anywhere, false);
    check_entries("grid pop-up", grid_popup(), anywhere, true);
    check_entries("tab pop-up", tab_popup(), anywhere, true);

    for (const action_spec& a : action_table()) {
        EXPECT_TRUE(anywhere.count(a.name)) << a.name << " is on no menu, toolbar or pop-up";
        EXPECT_TRUE(a.shortcut.empty() || in_menus.count(a.name))
            << a.name << " has a key but no menu item";
    }
    // The menus' own mnemonics differ too.
    std::set<char> top;
    for (const menu_spec& m : menu_bar())
        EXPECT_TRUE(top.insert(m.caption[m.caption.find('&') + 1]).second) << m.caption;
}

// A menu as captions, separators as "-", submenus in brackets: what the user sees.
std::string shown(std::span<const menu_entry> entries) {
    std::string out;
    for (menu_entry e : entries) {
        const menu_item item = read_entry(e);
        if (!out.empty() && item.kind != entry_kind::submenu_end) out += ", ";
        switch (item.kind) {
        case entry_kind::separator:
            out += "-";
            break;
        case entry_kind::submenu:
            out += without_mnemonic(item.caption) + " [";
            break;
        case entry_kind::submenu_end:
            out += "]";
            break;
        case entry_kind::action: {
            const action_spec* a = find_action(item.action);
            out += without_mnemonic(item.caption.empty() ? (a ? a->caption : "?") : item.caption);
            break;
        }
        }
    }
    return out;
}

TEST(MenuEntries, MenusToolbarsAndPopupsHoldTheirCommandsInOrder) {
    const std::pair<std::string_view, std::string_view> menus[] = {
        {"&File", "New, Open, Reopen [, -, Clear], Save, Save As, Save All, Close, Close All, "
                  "Close All Others, Properties, -, Print, -, Exit"},
        {"&Edit", "Undo, Redo, -, Cut, Copy, Paste, -, Delete, Select All, -, New blank line [, "
                  "After, Child, Before], Convert to child lines, Convert from child lines, -, "
                  "Edit Format, Copy Format, Paste Format, -, Copy Cells, -, OK, Cancel, Code "
                  "Word [, Expression, LET, Comment, -, INCL, IF, FOR, WHILE, VB, -, ARR, FMT, "
                  "DIR, CMD]"},
        {"&View", "Apply Formats, Collapse All, Expand All, Increase Text Size, Decrease Text "
                  "Size, Toolbars []"},
        {"&Run", "Auto Run, Go, Stop, Step, Step Into, Reset, Toggle Breakpoint, Clear "
                 "Breakpoints"},
        {"&Tools", "Options..."},
        {"&Help", "About, Help, Examples, Welcome"},
    };
    ASSERT_EQ(menu_bar().size(), std::size(menus));
    for (size_t i = 0; i < std::size(menus); ++i) {
        EXPECT_EQ(menu_bar()[i].caption, menus[i].first);
        EXPECT_EQ(shown(menu_bar()[i].entries), menus[i].second);
    }
    // The submenu's own captions name the same actions as the toolbar's Add, Add Child, Insert.
    const std::span<const menu_entry> edit = menu_bar()[1].entries;
    const auto after = std::find(edit.begin(), edit.end(), "menu:New &blank line");
    ASSERT_NE(after, edit.end());
    EXPECT_EQ(read_entry(after[1]).action, "edit_add");
    EXPECT_EQ(read_entry(after[2]).action, "edit_add_child");
    EXPECT_EQ(read_entry(after[3]).action, "edit_insert");

    const std::pair<std::string_view, std::string_view> bars[] = {
        {"main", "New, Open, Save, Print, -, Undo, Redo, Cut, Copy, Paste, -, Add, Add Child, "
                 "Insert, -, Convert to child lines, Convert from child lines, -, Edit Format, -, "
                 "Increase Text Size, Decrease Text Size"},
        {"run", "Go, Stop, Step, Step Into, Reset, Toggle Breakpoint, Clear Breakpoints"},
        {"code_word", "OK, Cancel, -, Expression, LET, Comment, INCL, IF, FOR, WHILE, VB"},
        {"syntax", ""},
    };
    ASSERT_EQ(toolbars().size(), std::size(bars));
    for (size_t i = 0; i < std::size(bars); ++i) {
        EXPECT_EQ(toolbars()[i].name, bars[i].first);
        EXPECT_EQ(shown(toolbars()[i].entries), bars[i].second);
    }
    EXPECT_EQ(shown(grid_popup()), "Cut, Copy, Paste, -, Delete, Select All");
    EXPECT_EQ(shown(tab_popup()), "Close, Close All, Close All Others");
}

} // namespace
} // namespace mondrel
