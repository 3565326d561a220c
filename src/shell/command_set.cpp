#include "shell/command_set.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cctype>

#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_pictures.h"
#include "platform/qt/qt_text.h"

namespace mondrel {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The toolbar picture at the two sizes toolbars and menus ask for.
QIcon icon_of(qt_picture_source& images, std::string_view name) {
    QIcon icon;
    if (name.empty()) return icon;
    const std::string file = lower(name);
    for (int size : {16, 24, 32})
        if (picture_ptr pic = images.image(file, size))
            icon.addPixmap(QPixmap::fromImage(static_cast<const qt_picture&>(*pic).image()));
    return icon;
}

QList<QKeySequence> shortcuts_of(std::string_view text) {
    QList<QKeySequence> keys;
    for (const QString& k : to_qstring(text).split(u';', Qt::SkipEmptyParts))
        keys.append(QKeySequence(k.trimmed()));
    return keys;
}

// "&Reopen" -> "menu_reopen".
QString submenu_name(std::string_view caption) {
    QString name = QStringLiteral("menu_");
    for (char c : caption)
        if (std::isalnum(static_cast<unsigned char>(c)))
            name +=
                QChar::fromLatin1(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    return name;
}

} // namespace

// Icon-only buttons would be named by Qt from their icon text; the caption buttons show the
// code word ("REM"), which alone would not say "Comment". The name carries both.
QString accessible_caption(const QAction& act) {
    QString caption = act.text();
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&');
    caption.replace(u'\x01', u'&');
    if (caption.endsWith(QStringLiteral("..."))) caption.chop(3);
    const QString shown = act.iconText();
    if (!shown.isEmpty() && shown.compare(caption, Qt::CaseInsensitive) != 0 &&
        !caption.contains(shown, Qt::CaseInsensitive))
        caption += QStringLiteral(" (%1)").arg(shown);
    return caption;
}

command_set::command_set(QWidget& owner, qt_picture_source& images,
                         const std::function<bool(std::string_view)>& has_handler)
    : QObject(&owner) {
    code_words_ = new QActionGroup(this);
    // Exclusive, yet with room for none checked: selected lines of differing words leave every
    // code word button up.
    code_words_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const action_spec& spec : action_table()) {
        auto* act = new QAction(to_qstring(spec.caption), &owner);
        act->setObjectName(to_qstring(spec.name));
        act->setStatusTip(to_qstring(spec.hint));
        const QList<QKeySequence> keys = shortcuts_of(spec.shortcut);
        act->setShortcuts(keys);
        QString tip = to_qstring(spec.hint).trimmed();
        if (tip.isEmpty()) tip = act->iconText();
        if (!keys.isEmpty())
            tip += QStringLiteral(" (%1)").arg(keys.front().toString(QKeySequence::NativeText));
        act->setToolTip(tip);
        act->setIcon(icon_of(images, spec.image));
        if (spec.category == "Edit_type") {
            act->setCheckable(true);
            act->setData(spec.tag);
            code_words_->addAction(act);
        }
        if (spec.name == "view_toggle_formatting" || spec.name == "run_gogo")
            act->setCheckable(true);
        if (spec.name == "view_toggle_formatting") act->setChecked(true);
        const bool available = has_handler(spec.name);
        if (!available) {
            act->setEnabled(false);
            act->setToolTip(to_qstring(not_available_text));
        }
        owner.addAction(act); // shortcuts act while the window is active
        by_name_.emplace(std::string(spec.name), act);
        in_order_.push_back(act);
        available_.push_back(available);
    }
    // The caption buttons show the code word in capitals ("REM" for Comment).
    for (std::string_view name : caption_buttons)
        if (QAction* act = action(name)) {
            std::string word(name.substr(name.rfind('_') + 1));
            for (char& c : word)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            act->setIconText(to_qstring(word));
        }
}

QAction* command_set::action(std::string_view name) const {
    auto it = by_name_.find(name);
    return it == by_name_.end() ? nullptr : it->second;
}

// The item keeps what it needs itself (a Paste item also whether the clipboard holds text), so
// the connection lives exactly as long as the item.
void command_set::follow(QAction* original, QAction* item) {
    const auto copy = [original, item] {
        bool on = original->isEnabled();
        if (item->property("paste_item").toBool())
            on = on && item->property("clipboard_text").toBool();
        item->setEnabled(on);
        item->setCheckable(original->isCheckable());
        item->setChecked(original->isChecked());
    };
    copy();
    connect(original, &QAction::changed, item, copy);
}

QAction* command_set::stand_in(QAction* original, const QString& caption, QObject* parent) {
    const QString text = caption.isEmpty() ? original->text() : caption;
    auto* item = new QAction(original->icon(), text, parent);
    // The menu shows the original's key beside the item. Bound to the menu alone, it acts only
    // while the menu is open, so it never competes with the original's own shortcut; as a
    // shortcut rather than a "\t" in the caption it stays out of the item's accessible name.
    item->setShortcut(original->shortcut());
    item->setShortcutContext(Qt::WidgetShortcut);
    item->setObjectName(original->objectName() + QStringLiteral("_item"));
    item->setStatusTip(original->statusTip());
    connect(item, &QAction::triggered, original, [original] { original->trigger(); });
    return item;
}

void command_set::fill_menu(QMenu& menu, std::span<const menu_entry> entries) {
    std::vector<QMenu*> open{&menu};
    for (menu_entry entry : entries) {
        const menu_item item = read_entry(entry);
        QMenu& into = *open.back();
        switch (item.kind) {
        case entry_kind::separator:
            into.addSeparator();
            break;
        case entry_kind::submenu: {
            QMenu* sub = into.addMenu(to_qstring(item.caption));
            sub->setObjectName(submenu_name(item.caption));
            open.push_back(sub);
            if (menu_made) menu_made(sub->objectName().toStdString(), *sub);
            break;
        }
        case entry_kind::submenu_end:
            if (open.size() > 1) open.pop_back();
            break;
        case entry_kind::action: {
            QAction* act = action(item.action);
            if (!act) break;
            // Paste in a menu goes by the clipboard; a caption of the menu's own needs an
            // item of its own. Anything else is the action itself.
            const bool paste = item.action == "edit_paste";
            if (!paste && item.caption.empty()) {
                into.addAction(act);
                break;
            }
            QAction* stand = stand_in(act, to_qstring(item.caption), &into);
            if (paste) {
                stand->setProperty("paste_item", true);
                stand->setProperty("clipboard_text", clipboard_has_text_);
                paste_items_.push_back(stand);
            }
            follow(act, stand);
            into.addAction(stand);
            break;
        }
        }
    }
}

QToolBar* command_set::make_toolbar(const toolbar_spec& spec, QWidget* parent) {
    auto* bar = new QToolBar(to_qstring(spec.caption).remove(u'&'), parent);
    bar->setObjectName(QStringLiteral("toolbar_") + to_qstring(spec.name));
    bar->setMovable(true);
    bar->setFloatable(true);
    bar->setAllowedAreas(Qt::TopToolBarArea | Qt::LeftToolBarArea | Qt::RightToolBarArea);
    bar->setIconSize(QSize(16, 16));
    for (menu_entry entry : spec.entries) {
        const menu_item item = read_entry(entry);
        if (item.kind == entry_kind::separator) {
            bar->addSeparator();
            continue;
        }
        if (item.kind != entry_kind::action) continue;
        QAction* act = action(item.action);
        if (!act) continue;
        bar->addAction(act);
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(act));
        if (!button) continue;
        button->setObjectName(QStringLiteral("button_") + act->objectName());
        button->setAccessibleName(accessible_caption(*act));
        button->setAccessibleDescription(act->statusTip().trimmed());
        const bool caption = std::find(std::begin(caption_buttons), std::end(caption_buttons),
                                       item.action) != std::end(caption_buttons);
        if (caption || act->icon().isNull()) {
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            button->setMinimumWidth(caption ? 44 : 0);
        }
    }
    return bar;
}

void command_set::apply(const action_states& states) {
    const size_t n = std::min(states.of.size(), in_order_.size());
    for (size_t i = 0; i < n; ++i) {
        QAction* act = in_order_[i];
        const bool on = available_[i] && states.of[i].enabled;
        if (act->isEnabled() != on) act->setEnabled(on);
        if (act->isCheckable() && act->isChecked() != states.of[i].checked)
            act->setChecked(states.of[i].checked);
    }
}

void command_set::set_clipboard_has_text(bool has_text) {
    clipboard_has_text_ = has_text;
    QAction* original = action("edit_paste");
    for (QAction* item : paste_items_) {
        item->setProperty("clipboard_text", has_text);
        item->setEnabled(original && original->isEnabled() && has_text);
    }
}

} // namespace mondrel
