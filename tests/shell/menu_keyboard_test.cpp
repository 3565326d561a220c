// The command tables as the keyboard meets them: every command can be reached without the
// mouse (through the menu bar's Alt + mnemonic path or a shortcut of its own), and every item
// of every menu and pop-up carries exactly one mnemonic that no other item of its level shares.

#include "shell/session/commands.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace mondrel {
namespace {

// The mnemonic of a caption ("Save &As" -> 'a'), "&&" being a plain ampersand; nothing when
// the caption has none. `count` is the number of mnemonic markers found.
std::optional<char> mnemonic_of(std::string_view caption, int& count) {
    std::optional<char> letter;
    count = 0;
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        ++count;
        if (!letter)
            letter = static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
    }
    return letter;
}

// One item of a menu level as the keyboard sees it: its caption and the path of mnemonics
// that leads to it from the menu bar ("F>R>C" for File, Reopen, Clear).
struct keyboard_item {
    std::string caption;
    std::string path;
};

struct menu_walk {
    std::map<std::string, std::vector<keyboard_item>> levels; // by the path of the level
    std::map<std::string_view, std::string> action_paths;     // action -> path to its item
    std::vector<std::string> problems;
};

// Walks entries below the level `path`; submenus open levels of their own.
void walk(std::span<const menu_entry> entries, const std::string& path, menu_walk& out) {
    std::vector<std::string> open{path};
    for (menu_entry e : entries) {
        const menu_item item = read_entry(e);
        const std::string& level = open.back();
        std::string_view caption;
        switch (item.kind) {
        case entry_kind::separator:
            continue;
        case entry_kind::submenu_end:
            if (open.size() > 1) open.pop_back();
            continue;
        case entry_kind::submenu:
            caption = item.caption;
            break;
        case entry_kind::action: {
            const action_spec* a = find_action(item.action);
            if (!a) {
                out.problems.push_back("unknown action " + std::string(item.action));
                continue;
            }
            caption = item.caption.empty() ? a->caption : item.caption;
            break;
        }
        }
        int markers = 0;
        const std::optional<char> letter = mnemonic_of(caption, markers);
        const std::string here = level + ">" + (letter ? std::string(1, *letter) : "?");
        out.levels[level].push_back({std::string(caption), here});
        if (item.kind == entry_kind::submenu) open.push_back(here);
        if (item.kind == entry_kind::action) out.action_paths.emplace(item.action, here);
    }
}

menu_walk walk_menu_bar() {
    menu_walk out;
    std::vector<keyboard_item> bar;
    for (const menu_spec& m : menu_bar()) {
        int markers = 0;
        const std::optional<char> letter = mnemonic_of(m.caption, markers);
        const std::string path = "Alt+" + (letter ? std::string(1, *letter) : "?");
        bar.push_back({std::string(m.caption), path});
        walk(m.entries, path, out);
    }
    out.levels["menu bar"] = bar;
    return out;
}

// Each level's captions: one mnemonic each, a letter or digit, none twice in the level.
std::vector<std::string>
mnemonic_problems(const std::map<std::string, std::vector<keyboard_item>>& levels) {
    std::vector<std::string> problems;
    for (const auto& [level, items] : levels) {
        std::set<char> taken;
        for (const keyboard_item& item : items) {
            int markers = 0;
            const std::optional<char> letter = mnemonic_of(item.caption, markers);
            if (markers != 1) {
                problems.push_back(level + ": \"" + item.caption + "\" has " +
                                   std::to_string(markers) + " mnemonics");
                continue;
            }
            if (!std::isalnum(static_cast<unsigned char>(*letter)))
                problems.push_back(level + ": \"" + item.caption + "\" has no letter mnemonic");
            else if (!taken.insert(*letter).second)
                problems.push_back(level + ": mnemonic '" + std::string(1, *letter) +
                                   "' twice, at \"" + item.caption + "\"");
        }
    }
    return problems;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += "\n  " + l;
    return out;
}

TEST(KeyboardAccess, EveryCommandIsReachedFromTheMenuBarOrAShortcut) {
    const menu_walk menus = walk_menu_bar();
    EXPECT_TRUE(menus.problems.empty()) << joined(menus.problems);
    std::vector<std::string> unreachable;
    for (const action_spec& a : action_table())
        if (!menus.action_paths.count(a.name) && a.shortcut.empty())
            unreachable.push_back(std::string(a.name));
    EXPECT_TRUE(unreachable.empty()) << "reached by the mouse only:" << joined(unreachable);
    // Spot checks that the walk finds the paths people type.
    const std::pair<std::string_view, std::string_view> paths[] = {
        {"file_close_others", "Alt+f>h"}, {"file_reopen_clear", "Alt+f>r>c"},
        {"edit_add_child", "Alt+e>b>c"},  {"edit_type_while", "Alt+e>w>w"},
        {"tools_options", "Alt+t>o"},
    };
    for (const auto& [action, path] : paths) {
        ASSERT_TRUE(menus.action_paths.count(action)) << action;
        EXPECT_EQ(menus.action_paths.at(action), path) << action;
    }
}

TEST(KeyboardAccess, MnemonicsAreUniqueWithinEachMenuAndPopUp) {
    std::map<std::string, std::vector<keyboard_item>> levels = walk_menu_bar().levels;
    const std::pair<std::string, std::span<const menu_entry>> popups[] = {
        {"grid pop-up", grid_popup()},
        {"tab pop-up", tab_popup()},
    };
    for (const auto& [name, entries] : popups) {
        menu_walk popup;
        walk(entries, name, popup);
        EXPECT_TRUE(popup.problems.empty()) << joined(popup.problems);
        for (auto& [level, items] : popup.levels)
            levels[level] = items;
    }
    // The Toolbars submenu is filled by the window with the toolbars' visibility toggles.
    std::vector<keyboard_item>& toggles = levels["toolbar toggles"];
    for (const toolbar_spec& t : toolbars())
        toggles.push_back({std::string(t.caption), ""});
    EXPECT_GE(levels.size(), 10u); // the bar, six menus, four submenus, two pop-ups
    const std::vector<std::string> problems = mnemonic_problems(levels);
    EXPECT_TRUE(problems.empty()) << joined(problems);
}

// The checks themselves: a level with a clash, a missing mnemonic or two markers is reported,
// and "&&" counts as a plain ampersand.
TEST(KeyboardAccess, TheMnemonicCheckFindsClashesAndGaps) {
    const std::map<std::string, std::vector<keyboard_item>> levels = {
        {"clash", {{"&Open", ""}, {"Cl&ose", ""}}},
        {"none", {{"Print", ""}}},
        {"two", {{"&Save &As", ""}}},
        {"fine", {{"Save && &Close", ""}, {"&Print", ""}}},
    };
    const std::vector<std::string> problems = mnemonic_problems(levels);
    ASSERT_EQ(problems.size(), 3u) << joined(problems);
    EXPECT_NE(problems[0].find("clash"), std::string::npos);
    EXPECT_NE(problems[1].find("none"), std::string::npos);
    EXPECT_NE(problems[2].find("two"), std::string::npos);
}

} // namespace
} // namespace mondrel
