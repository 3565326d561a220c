#include "shell/options_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <algorithm>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "document/editing_commands.h"
#include "document/mondrel_doc.h"
#include "execution/globals.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace mondrel {

namespace {

std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

// A text field followed by a small "..." button.
QHBoxLayout* field_with_browse(QLineEdit* field, QPushButton* browse) {
    browse->setFixedWidth(30);
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(browse);
    return row;
}

} // namespace

Tdlg_options::Tdlg_options(options_dialog_state state, options_dialog_hooks hooks,
                           format_editor* formats, QWidget* parent)
    : QDialog(parent), state_(std::move(state)), hooks_(std::move(hooks)), formats_(formats) {
    setWindowTitle("Mondrel - Options");
    tabs_ = new QTabWidget(this);
    tabs_->addTab(general_tab(), "General");
    tabs_->addTab(display_tab(), "Display");
    tabs_->addTab(directories_tab(), "Directories");
    tabs_->addTab(printing_tab(), "Printing");
    tabs_->addTab(running_tab(), "Running");
    tabs_->setCurrentIndex(0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setText("OK");
    ok_->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    show_sample();
    update_delete();
}

QWidget* Tdlg_options::general_tab() {
    auto* page = new QWidget;
    auto* form = new QFormLayout;
    data_cols_ = new QSpinBox;
    data_cols_->setRange(options_min_spin, options_max_data_cols);
    data_cols_->setValue(state_.data_cols);
    row_height_ = new QSpinBox;
    row_height_->setRange(options_min_spin, options_max_row_height);
    row_height_->setValue(state_.row_height);
    data_cols_->setMaximumWidth(80);
    row_height_->setMaximumWidth(80);
    form->addRow("Number of data &columns", data_cols_);
    form->addRow("&Row height", row_height_);
    status_hints_ = new QCheckBox("Show &status line hints");
    status_hints_->setChecked(state_.status_line_hints);
    toolbar_hints_ = new QCheckBox("Show &toolbar hints");
    toolbar_hints_->setChecked(state_.toolbar_hints);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(status_hints_);
    layout->addWidget(toolbar_hints_);
    layout->addStretch(1);
    return page;
}

QWidget* Tdlg_options::display_tab() {
    auto* page = new QWidget;
    elements_ = new QListWidget;
    // Lists take no name from a buddy label: they are named themselves.
    elements_->setAccessibleName("Display element");
    for (const display_element& e : display_elements())
        elements_->addItem(to_qstring(e.name));
    elements_->setCurrentRow(0);
    connect(elements_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) state_.selected_element = row;
        show_sample();
    });
    auto* change = new QPushButton("C&hange...");
    connect(change, &QPushButton::clicked, this, &Tdlg_options::change_font_clicked);
    auto* sample_box = new QGroupBox("Sample");
    sample_ = new QLabel("Sample text");
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(60);
    (new QVBoxLayout(sample_box))->addWidget(sample_);
    use_as_default_ = new QCheckBox("Use as &default");
    use_as_default_->setChecked(false);
    revert_ = new QPushButton("Re&vert all to factory settings");
    connect(revert_, &QPushButton::clicked, this, &Tdlg_options::revert_clicked);

    auto* left = new QVBoxLayout;
    auto* element_label = new QLabel("Display &element:");
    element_label->setBuddy(elements_);
    left->addWidget(element_label);
    left->addWidget(elements_, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(change);
    right->addWidget(sample_box);
    right->addWidget(use_as_default_);
    right->addStretch(1);
    right->addWidget(revert_);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
    return page;
}

QWidget* Tdlg_options::directories_tab() {
    auto* page = new QWidget;
    auto* box = new QGroupBox("Default INCL folder");
    incl_dir_ = new QLineEdit(to_qstring(state_.incl_dir));
    incl_dir_->setAccessibleName("Default INCL folder");
    auto* browse = new QPushButton("...");
    browse->setAccessibleName("Browse for the INCL folder");
    connect(browse, &QPushButton::clicked, this, [this] {
        const std::string start = utf8(incl_dir_->text());
        std::optional<std::string> folder;
        if (hooks_.choose_folder) {
            folder = hooks_.choose_folder("Select new INCL folder", start);
        } else {
            const QString chosen = QFileDialog::getExistingDirectory(this, "Select new INCL folder",
                                                                     to_qstring(start));
            if (!chosen.isEmpty()) folder = utf8(chosen);
        }
        if (folder) incl_dir_->setText(to_qstring(*folder));
    });
    (new QVBoxLayout(box))->addLayout(field_with_browse(incl_dir_, browse));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(box);
    layout->addStretch(1);
    return page;
}

QWidget* Tdlg_options::printing_tab() {
    auto* page = new QWidget;
    auto* margins = new QGroupBox("Set page margins");
    auto* grid = new QFormLayout(margins);
    const char* names[margin_count] = {"&Left", "&Right", "&Top", "&Bottom"};
    for (int i = 0; i < margin_count; ++i) {
        margins_[i] = new QLineEdit(to_qstring(state_.margins[i]));
        auto* row = new QHBoxLayout;
        row->addWidget(margins_[i]);
        row->addWidget(new QLabel("cm"));
        // A row of a layout gets no buddy from the form: the label is given its field.
        auto* label = new QLabel(names[i]);
        label->setBuddy(margins_[i]);
        grid->addRow(label, row);
    }
    auto* formats = new QGroupBox("Change output formats");
    auto* def_text = new QPushButton("Default text...");
    auto* heading = new QPushButton("Heading...");
    auto* footer = new QPushButton("Footer...");
    connect(def_text, &QPushButton::clicked, this, [this] { pick_font(state_.print_def_fmt); });
    connect(heading, &QPushButton::clicked, this,
            [this] { edit_print_format(state_.print_head_fmt, "Heading"); });
    connect(footer, &QPushButton::clicked, this,
            [this] { edit_print_format(state_.print_foot_fmt, "Footer"); });
    auto* buttons = new QVBoxLayout(formats);
    buttons->addWidget(def_text);
    buttons->addWidget(heading);
    buttons->addWidget(footer);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(margins);
    layout->addWidget(formats);
    return page;
}

QWidget* Tdlg_options::running_tab() {
    auto* page = new QWidget;
    auto* loop = new QFormLayout;
    loop_limit_ = new QLineEdit(to_qstring(state_.loop_limit));
    loop->addRow("&Maximum loop count", loop_limit_);

    auto* logging = new QGroupBox("Error logging");
    write_log_ = new QCheckBox("&Write log file");
    write_log_->setChecked(state_.write_log);
    log_file_ = new QLineEdit(to_qstring(state_.log_file));
    auto* browse = new QPushButton("...");
    browse->setAccessibleName("Browse for the log file");
    connect(browse, &QPushButton::clicked, this, [this] {
        const std::string preset = utf8(log_file_->text());
        std::optional<std::string> file;
        if (hooks_.save_file) {
            file = hooks_.save_file("Choose log file", preset);
        } else {
            const QString chosen =
                QFileDialog::getSaveFileName(this, "Choose log file", to_qstring(preset));
            if (!chosen.isEmpty()) file = utf8(chosen);
        }
        if (file) log_file_->setText(to_qstring(*file));
    });
    auto* log_layout = new QVBoxLayout(logging);
    log_layout->addWidget(write_log_);
    auto* file_row = new QHBoxLayout;
    auto* file_label = new QLabel("Log &file:");
    file_label->setBuddy(log_file_);
    file_row->addWidget(file_label);
    file_row->addLayout(field_with_browse(log_file_, browse), 1);
    log_layout->addLayout(file_row);

    auto* globals_box = new QGroupBox("Global variables");
    globals_ = new QListWidget;
    globals_->setAccessibleName("Global variables");
    add_global_ = new QPushButton("&Add");
    delete_global_ = new QPushButton("De&lete");
    connect(add_global_, &QPushButton::clicked, this, &Tdlg_options::add_global_clicked);
    connect(delete_global_, &QPushButton::clicked, this, &Tdlg_options::delete_global_clicked);
    connect(globals_, &QListWidget::currentRowChanged, this, [this](int row) {
        state_.selected_global = row;
        update_delete();
    });
    auto* global_buttons = new QVBoxLayout;
    global_buttons->addWidget(add_global_);
    global_buttons->addWidget(delete_global_);
    global_buttons->addStretch(1);
    auto* globals_layout = new QHBoxLayout(globals_box);
    globals_layout->addWidget(globals_, 1);
    globals_layout->addLayout(global_buttons);
    sync_globals();

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(loop);
    layout->addWidget(logging);
    layout->addWidget(globals_box, 1);
    return page;
}

options_dialog_state Tdlg_options::state() const {
    state_.data_cols = data_cols_->value();
    state_.row_height = row_height_->value();
    state_.status_line_hints = status_hints_->isChecked();
    state_.toolbar_hints = toolbar_hints_->isChecked();
    state_.use_as_default = use_as_default_->isChecked();
    state_.incl_dir = utf8(incl_dir_->text());
    for (int i = 0; i < margin_count; ++i) state_.margins[i] = utf8(margins_[i]->text());
    state_.loop_limit = utf8(loop_limit_->text());
    state_.write_log = write_log_->isChecked();
    state_.log_file = utf8(log_file_->text());
    return state_;
}

void Tdlg_options::show_sample() {
    const int i = std::clamp(state_.selected_element, 0, display_element_count - 1);
    const font_record font = prop_list::from_text(state_.elements[i]).font();
    sample_->setFont(to_qfont(font));
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::WindowText, to_qcolor(font.colour));
    sample_->setPalette(palette);
}

void Tdlg_options::update_delete() {
    delete_global_->setEnabled(can_delete_global(state_));
}

// Puts the working list into the list widget and selects the working selection.
void Tdlg_options::sync_globals() {
    const QSignalBlocker block(globals_);
    globals_->clear();
    for (const std::string& name : state_.globals)
        globals_->addItem(to_qstring(name));
    globals_->setCurrentRow(state_.selected_global);
    update_delete();
}

std::optional<std::string> Tdlg_options::input(std::string_view caption, std::string_view prompt,
                                               std::string_view text) {
    if (hooks_.input) return hooks_.input(caption, prompt);
    bool ok = false;
    const QString answer = QInputDialog::getText(this, to_qstring(caption), to_qstring(prompt),
                                                 QLineEdit::Normal, to_qstring(text), &ok);
    if (!ok) return std::nullopt;
    return utf8(answer);
}

void Tdlg_options::add_global_clicked() {
    const auto answer =
        input("Global variables", "Enter the name for the new global variable", "");
    if (answer && add_global_name(state_, *answer) == add_global_result::invalid)
        QMessageBox::warning(this, "Global variables",
                             "A global variable name starts with a letter and holds only "
                             "letters, digits and underscores.");
    sync_globals();
}

void Tdlg_options::delete_global_clicked() {
    delete_selected_global(state_);
    sync_globals();
}

void Tdlg_options::revert_clicked() {
    revert_elements(state_);
    show_sample();
}

bool Tdlg_options::pick_font(std::string& text) {
    auto chooser = [this](font_record& font) {
        if (hooks_.choose_font) return hooks_.choose_font(font);
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, to_qfont(font), this);
        if (!ok) return false;
        set_from_qfont(font, chosen);
        return true;
    };
    return edit_font(text, chooser);
}

void Tdlg_options::change_font_clicked() {
    const int i = std::clamp(state_.selected_element, 0, display_element_count - 1);
    if (pick_font(state_.elements[i])) show_sample();
}

// The heading and footer texts go through the format editor when the window has one, else
// through an input box on the text.
void Tdlg_options::edit_print_format(std::string& text, std::string_view caption) {
    if (formats_) {
        std::string edited = text;
        if (formats_->edit(edited)) text = edited;
        return;
    }
    if (const auto answer = input(caption, "Format text", text)) text = *answer;
}

std::optional<log_change> run_options_dialog(QWidget* parent, mondrel_options& options,
                                             mondrel_doc& doc, global_list& globals,
                                             format_editor* formats,
                                             const options_dialog_hooks& hooks) {
    Tdlg_options dialog(fill_options_dialog(options, doc), hooks, formats, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return apply_options_dialog(dialog.state(), options, doc, globals);
}

} // namespace mondrel
