#pragma once
// The format editor: one format set edited through alignment, font, number and date
// controls with live examples. The format text (mem_format) is the dialog's input and output;
// every control change rewrites it from the set, and text typed into it is kept as typed.

#include <QDialog>

#include <memory>

#include "display/prop_stuff.h"
#include "shell/session/format_dialog.h"
#include "document/editing_commands.h"

class QButtonGroup;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace mondrel {

class Tdlg_edit_format : public QDialog {
    Q_OBJECT
public:
    // The font chooser: shown the set's font, returns true when the user confirmed one.
    using font_chooser = std::function<bool(QWidget*, font_record&)>;

    explicit Tdlg_edit_format(QWidget* parent = nullptr);

    // Fills the controls from text and shows the dialog modally; on OK text becomes the
    // edited format text and the result is true.
    bool edit(std::string& text);

    // Fills the controls from a format text (the first step of showing).
    void load(const std::string& text);
    std::string format_text() const;

    void set_font_chooser(font_chooser chooser) { chooser_ = std::move(chooser); }

    QPlainTextEdit* mem_format = nullptr;
    QButtonGroup* rads_hori = nullptr;
    QPushButton* but_font = nullptr;
    QLineEdit* edi_number = nullptr;
    QLineEdit* edi_number_zer = nullptr;
    QLineEdit* edi_number_neg = nullptr;
    QLineEdit* edi_nbr_ex = nullptr;
    QLineEdit* edi_nbr_zer_ex = nullptr;
    QLineEdit* edi_nbr_neg_ex = nullptr;
    QListWidget* lst_nbr_examples = nullptr;
    QLineEdit* edi_date = nullptr;
    QLineEdit* edi_date_ex = nullptr;
    QListWidget* lst_date_examples = nullptr;
    QTabWidget* tabs = nullptr;

private:
    void update_from_controls();
    void show_state();
    void choose_font();
    void choose_number_row(int row);
    void choose_date_row(int row);

    format_dialog_state state_;
    bool filled_ = false;
    font_chooser chooser_;
};

// The format editor behind Edit Format and the options' heading and footer buttons.
class qt_format_editor : public format_editor {
public:
    explicit qt_format_editor(QWidget* parent);
    ~qt_format_editor() override;
    bool edit(std::string& text) override;
    Tdlg_edit_format& dialog();

private:
    QWidget* parent_;
    std::unique_ptr<Tdlg_edit_format> dialog_; // made on first use, then reused
};

} // namespace mondrel
