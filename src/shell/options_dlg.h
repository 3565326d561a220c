#pragma once
// The options dialog: five tabs over the working state of options_dialog.h. The dialog edits
// only that state; run_options_dialog applies it on OK.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QDialog>

#include "display/prop_stuff.h"
#include "shell/session/options_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace mondrel {

class format_editor;
class global_list;
class mondrel_doc;

// The dialogs the options dialog opens; each empty member uses the real Qt dialog, so tests
// can answer them.
struct options_dialog_hooks {
    // caption, prompt -> the answer, or nothing when cancelled
    std::function<std::optional<std::string>(std::string_view, std::string_view)> input;
    // edits the font in place; false when cancelled
    std::function<bool(font_record&)> choose_font;
    // title, start folder -> the chosen folder
    std::function<std::optional<std::string>(std::string_view, std::string_view)> choose_folder;
    // title, preset file -> the chosen file
    std::function<std::optional<std::string>(std::string_view, std::string_view)> save_file;
};

class Tdlg_options : public QDialog {
    Q_OBJECT
public:
    // `formats` edits the heading and footer texts (nullptr: an input box on the text).
    Tdlg_options(options_dialog_state state, options_dialog_hooks hooks = {},
                 format_editor* formats = nullptr, QWidget* parent = nullptr);

    // The state as the controls leave it.
    options_dialog_state state() const;

    // --- the controls (the window's tests reach them here) ------------------------------
    QTabWidget& tabs() { return *tabs_; }
    QSpinBox& data_cols() { return *data_cols_; }
    QSpinBox& row_height() { return *row_height_; }
    QListWidget& elements() { return *elements_; }
    QLabel& sample() { return *sample_; }
    QCheckBox& use_as_default() { return *use_as_default_; }
    QLineEdit& margin(int side) { return *margins_[side]; }
    QLineEdit& loop_limit() { return *loop_limit_; }
    QCheckBox& write_log() { return *write_log_; }
    QLineEdit& log_file() { return *log_file_; }
    QListWidget& globals() { return *globals_; }
    QPushButton& add_global() { return *add_global_; }
    QPushButton& delete_global() { return *delete_global_; }
    QPushButton& revert() { return *revert_; }
    QPushButton& ok() { return *ok_; }

    void add_global_clicked();
    void delete_global_clicked();
    void revert_clicked();
    void change_font_clicked();

private:
    QWidget* general_tab();
    QWidget* display_tab();
    QWidget* directories_tab();
    QWidget* printing_tab();
    QWidget* running_tab();
    void show_sample();
    void update_delete();
    void sync_globals();
    bool pick_font(std::string& text);
    void edit_print_format(std::string& text, std::string_view caption);
    std::optional<std::string> input(std::string_view caption, std::string_view prompt,
                                     std::string_view text);

    mutable options_dialog_state state_;
    options_dialog_hooks hooks_;
    format_editor* formats_ = nullptr;

    QTabWidget* tabs_ = nullptr;
    QSpinBox* data_cols_ = nullptr;
    QSpinBox* row_height_ = nullptr;
    QCheckBox* status_hints_ = nullptr;
    QCheckBox* toolbar_hints_ = nullptr;
    QListWidget* elements_ = nullptr;
    QLabel* sample_ = nullptr;
    QCheckBox* use_as_default_ = nullptr;
    QPushButton* revert_ = nullptr;
    QLineEdit* incl_dir_ = nullptr;
    QLineEdit* margins_[margin_count] = {};
    QLineEdit* loop_limit_ = nullptr;
    QCheckBox* write_log_ = nullptr;
    QLineEdit* log_file_ = nullptr;
    QListWidget* globals_ = nullptr;
    QPushButton* add_global_ = nullptr;
    QPushButton* delete_global_ = nullptr;
    QPushButton* ok_ = nullptr;
};

// The Tools Options command after any line edit ended: shows the dialog filled from the
// options and the sheet; on OK applies it (one undo step on the sheet) and returns what the
// error log must do. Nothing when cancelled.
std::optional<log_change> run_options_dialog(QWidget* parent, mondrel_options& options,
                                             mondrel_doc& doc, global_list& globals,
                                             format_editor* formats = nullptr,
                                             const options_dialog_hooks& hooks = {});

} // namespace mondrel
