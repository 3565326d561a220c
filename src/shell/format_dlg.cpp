#include "shell/format_dlg.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text.h"

namespace mondrel {

namespace {

QLineEdit* example_box() {
    auto* box = new QLineEdit;
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

bool qt_font_chooser(QWidget* parent, font_record& font) {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, to_qfont(font), parent, QStringLiteral("Font settings"));
    if (!ok) return false;
    const QColor colour = QColorDialog::getColor(to_qcolor(font.colour), parent,
                                                 QStringLiteral("Font colour"));
    set_from_qfont(font, chosen);
    // A cancelled colour choice keeps the colour the set had.
    if (colour.isValid())
        font.colour = colour_value(colour.red()) | colour_value(colour.green()) << 8 |
                      colour_value(colour.blue()) << 16;
    return true;
}

} // namespace

Tdlg_edit_format::Tdlg_edit_format(QWidget* parent) : QDialog(parent), chooser_(qt_font_chooser) {
    setWindowTitle(QStringLiteral("Mondrel - Format"));
    setSizeGripEnabled(true);
    auto* top = new QVBoxLayout(this);
    tabs = new QTabWidget;
    top->addWidget(tabs, 1);

    // Character: alignment and font.
    auto* character = new QWidget;
    auto* char_layout = new QVBoxLayout(character);
    auto* align_box = new QGroupBox(QStringLiteral("Horizontal alignment"));
    auto* align_layout = new QVBoxLayout(align_box);
    rads_hori = new QButtonGroup(this);
    const char* align_names[] = {"Left", "Right", "Centre"}; // prop_align order
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(align_names[i]));
        rads_hori->addButton(radio, i);
        align_layout->addWidget(radio);
    }
    char_layout->addWidget(align_box);
    but_font = new QPushButton(QStringLiteral("&Font settings"));
    but_font->setAutoDefault(false);
    char_layout->addWidget(but_font, 0, Qt::AlignLeft);
    char_layout->addStretch(1);
    tabs->addTab(character, QStringLiteral("Character"));

    // Number: three formats, each with its example, and the ready-made list.
    auto* number = new QWidget;
    auto* num_grid = new QGridLayout(number);
    edi_number = new QLineEdit;
    edi_number_zer = new QLineEdit;
    edi_number_neg = new QLineEdit;
    edi_nbr_ex = example_box();
    edi_nbr_zer_ex = example_box();
    edi_nbr_neg_ex = example_box();
    struct number_field {
        const char* label;
        QLineEdit* edit;
        std::string_view example_label;
        QLineEdit* example;
    };
    const number_field fields[] = {
        {"&Number format:", edi_number, number_example_label, edi_nbr_ex},
        {"&Zero number format:", edi_number_zer, zero_example_label, edi_nbr_zer_ex},
        {"Ne&gative number format:", edi_number_neg, negative_example_label, edi_nbr_neg_ex},
    };
    int row = 0;
    for (const number_field& f : fields) {
        auto* label = new QLabel(QString::fromUtf8(f.label));
        label->setBuddy(f.edit);
        num_grid->addWidget(label, row, 0);
        num_grid->addWidget(f.edit, row, 1);
        // The example boxes take no focus; they are named by their labels all the same.
        auto* example_label = new QLabel(to_qstring(f.example_label));
        example_label->setBuddy(f.example);
        num_grid->addWidget(example_label, row + 1, 0, Qt::AlignRight);
        num_grid->addWidget(f.example, row + 1, 1);
        row += 2;
    }
    lst_nbr_examples = new QListWidget;
    for (const number_example_row& r : number_examples())
        lst_nbr_examples->addItem(to_qstring(r.name));
    lst_nbr_examples->setAccessibleName(QStringLiteral("Number examples"));
    auto* nbr_list_label = new QLabel(QStringLiteral("&Examples:"));
    nbr_list_label->setBuddy(lst_nbr_examples);
    num_grid->addWidget(nbr_list_label, 0, 2);
    num_grid->addWidget(lst_nbr_examples, 1, 2, row - 1, 1);
    num_grid->setColumnStretch(1, 1);
    num_grid->setColumnStretch(2, 1);
    tabs->addTab(number, QStringLiteral("Number"));

    // Date: the format, its example and the ready-made list.
    auto* date = new QWidget;
    auto* date_grid = new QGridLayout(date);
    edi_date = new QLineEdit;
    edi_date_ex = example_box();
    auto* date_label = new QLabel(QStringLiteral("&Date format:"));
    date_label->setBuddy(edi_date);
    date_grid->addWidget(date_label, 0, 0);
    date_grid->addWidget(edi_date, 0, 1);
    auto* date_example = new QLabel(to_qstring(date_example_label));
    date_example->setBuddy(edi_date_ex);
    date_grid->addWidget(date_example, 1, 0, Qt::AlignRight);
    date_grid->addWidget(edi_date_ex, 1, 1);
    date_grid->setRowStretch(2, 1);
    lst_date_examples = new QListWidget;
    for (const date_example_row& r : date_examples())
        lst_date_examples->addItem(to_qstring(r.name));
    lst_date_examples->setAccessibleName(QStringLiteral("Date examples"));
    auto* date_list_label = new QLabel(QStringLiteral("&Examples:"));
    date_list_label->setBuddy(lst_date_examples);
    date_grid->addWidget(date_list_label, 0, 2);
    date_grid->addWidget(lst_date_examples, 1, 2, 2, 1);
    date_grid->setColumnStretch(1, 1);
    date_grid->setColumnStretch(2, 1);
    tabs->addTab(date, QStringLiteral("Date"));

    // The format text under the tabs.
    auto* text_box = new QGroupBox(QStringLiteral("Format string:"));
    auto* text_layout = new QVBoxLayout(text_box);
    mem_format = new QPlainTextEdit;
    mem_format->setAccessibleName(QStringLiteral("Format string"));
    mem_format->setTabChangesFocus(true);
    mem_format->setMaximumHeight(fontMetrics().lineSpacing() * 4 + 12);
    text_layout->addWidget(mem_format);
    top->addWidget(text_box);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(rads_hori, &QButtonGroup::idClicked, this, [this] { update_from_controls(); });
    for (QLineEdit* e : {edi_number, edi_number_zer, edi_number_neg, edi_date})
        connect(e, &QLineEdit::textEdited, this, [this] { update_from_controls(); });
    connect(but_font, &QPushButton::clicked, this, [this] { choose_font(); });
    connect(lst_nbr_examples, &QListWidget::currentRowChanged, this,
            [this](int r) { choose_number_row(r); });
    connect(lst_date_examples, &QListWidget::currentRowChanged, this,
            [this](int r) { choose_date_row(r); });
    // A click on the row that is already current copies it again (after the fields changed).
    connect(lst_nbr_examples, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { choose_number_row(lst_nbr_examples->row(item)); });
    connect(lst_date_examples, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { choose_date_row(lst_date_examples->row(item)); });

    setTabOrder(tabs, rads_hori->button(0));
    setTabOrder(rads_hori->button(0), but_font);
    setTabOrder(edi_number, edi_number_zer);
    setTabOrder(edi_number_zer, edi_number_neg);
    setTabOrder(edi_number_neg, lst_nbr_examples);
    setTabOrder(edi_date, lst_date_examples);
    resize(560, 420);
}

void Tdlg_edit_format::load(const std::string& text) {
    filled_ = false;
    state_.load(text);
    // Choosing a row copies it, so no row is current while the controls are filled.
    lst_nbr_examples->setCurrentRow(-1);
    lst_date_examples->setCurrentRow(-1);
    show_state();
    // The text as given stays the dialog's output until a control changes.
    mem_format->setPlainText(QString::fromStdString(text));
    filled_ = true;
}

std::string Tdlg_edit_format::format_text() const {
    return mem_format->toPlainText().toStdString();
}

// Puts the state's fields, examples and text into the controls without reacting to them.
void Tdlg_edit_format::show_state() {
    const bool was_filled = filled_;
    filled_ = false;
    const format_fields& f = state_.fields();
    if (QAbstractButton* b = rads_hori->button(static_cast<int>(f.align))) b->setChecked(true);
    edi_number->setText(to_qstring(f.number));
    edi_number_zer->setText(to_qstring(f.number0));
    edi_number_neg->setText(to_qstring(f.number_neg));
    edi_date->setText(to_qstring(f.date));
    const format_examples ex = state_.examples();
    edi_nbr_ex->setText(to_qstring(ex.number));
    edi_nbr_zer_ex->setText(to_qstring(ex.zero));
    edi_nbr_neg_ex->setText(to_qstring(ex.negative));
    edi_date_ex->setText(to_qstring(ex.date));
    mem_format->setPlainText(to_qstring(state_.text()));
    filled_ = was_filled;
}

void Tdlg_edit_format::update_from_controls() {
    if (!filled_) return;
    format_fields f = state_.fields();
    const int align = rads_hori->checkedId();
    if (align >= 0 && align <= 2) f.align = static_cast<prop_align>(align);
    f.number = edi_number->text().toStdString();
    f.number0 = edi_number_zer->text().toStdString();
    f.number_neg = edi_number_neg->text().toStdString();
    f.date = edi_date->text().toStdString();
    state_.set_fields(f);
    show_state();
}

void Tdlg_edit_format::choose_font() {
    font_record font = state_.set().font();
    if (!chooser_ || !chooser_(this, font)) return;
    state_.set_font(font);
    show_state();
}

void Tdlg_edit_format::choose_number_row(int row) {
    if (!filled_ || row < 0) return;
    state_.choose_number_example(row);
    show_state();
}

void Tdlg_edit_format::choose_date_row(int row) {
    if (!filled_ || row < 0) return;
    state_.choose_date_example(row);
    show_state();
}

bool Tdlg_edit_format::edit(std::string& text) {
    load(text);
    tabs->setCurrentIndex(0);
    if (exec() != QDialog::Accepted) return false;
    text = format_text();
    return true;
}

qt_format_editor::qt_format_editor(QWidget* parent) : parent_(parent) {}
qt_format_editor::~qt_format_editor() = default;

Tdlg_edit_format& qt_format_editor::dialog() {
    if (!dialog_) dialog_ = std::make_unique<Tdlg_edit_format>(parent_);
    return *dialog_;
}

bool qt_format_editor::edit(std::string& text) { return dialog().edit(text); }

} // namespace mondrel
