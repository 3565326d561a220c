#pragma once
// The window's commands as Qt sees them: one QAction per row of the action table (commands.h),
// with its caption, shortcuts, hint, tooltip and toolbar picture, and the menus, toolbars and
// pop-ups made from the tables' entry lists. The command states that update_actions computes
// are applied here; what a command does is the window's.

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/session/commands.h"

class QAction;
class QActionGroup;
class QMenu;
class QToolBar;
class QWidget;

namespace mondrel {

class qt_picture_source;

inline constexpr std::string_view not_available_text = "Not available yet";

// Toolbar buttons of these actions show their caption instead of a picture (the code words
// read better as words).
inline constexpr std::string_view caption_buttons[] = {
    "edit_type_let", "edit_type_rem", "edit_type_incl", "edit_type_for", "edit_type_while"};

// What assistive technology calls an action's button: its caption without the mnemonic and
// the trailing "...", and the word the button shows when that is not part of the caption
// ("Comment (REM)").
QString accessible_caption(const QAction& act);

class command_set : public QObject {
    Q_OBJECT
public:
    // Makes every action, children of `owner`. `has_handler` says which actions the window
    // can carry out: the others stay disabled with the tooltip "Not available yet".
    command_set(QWidget& owner, qt_picture_source& images,
                const std::function<bool(std::string_view)>& has_handler);

    // nullptr when the table has no such action.
    QAction* action(std::string_view name) const;
    // The actions in table order.
    const std::vector<QAction*>& actions() const { return in_order_; }
    QActionGroup& code_words() { return *code_words_; }

    // Fills a menu from entries ("" separator, "menu:Caption" ... "end" submenus, "name" or
    // "name=Caption" actions). Submenus get the object name "menu_" plus their caption without
    // "&" and blanks, lower case ("&Reopen" -> "menu_reopen"); menu_made is told of each.
    void fill_menu(QMenu& menu, std::span<const menu_entry> entries);
    std::function<void(const std::string& object_name, QMenu& submenu)> menu_made;

    // A toolbar of the entries: movable, floatable, docked at the top, left or right.
    QToolBar* make_toolbar(const toolbar_spec& spec, QWidget* parent);

    // Enabled and checked states from update_actions; actions without a handler stay off.
    void apply(const action_states& states);

    // The Paste items of the menus are enabled only while the clipboard holds text (and Paste
    // itself is enabled); the Paste action, its button and Ctrl+V do not look at the clipboard.
    void set_clipboard_has_text(bool has_text);
    const std::vector<QAction*>& paste_items() const { return paste_items_; }

private:
    // A menu item standing in for an action: its own caption, the action's hint, shortcut
    // text, picture, check state and trigger; enabled with the action.
    QAction* stand_in(QAction* original, const QString& caption, QObject* parent);
    void follow(QAction* original, QAction* item);

    std::map<std::string, QAction*, std::less<>> by_name_;
    std::vector<QAction*> in_order_;
    std::vector<bool> available_;
    QActionGroup* code_words_ = nullptr;
    std::vector<QAction*> paste_items_;
    bool clipboard_has_text_ = false;
};

} // namespace mondrel
