#include "shell/session/format_dialog.h"

#include "display/value_text.h"
#include "document/mondrel_doc.h"
#include "vbscript/locale.h"

namespace mondrel {

namespace {

// 2 October 2006 as an OLE date: days since 30 December 1899.
constexpr double example_date = 38992.0;

const std::array<number_example_row, 20> number_rows = {{
    {"General", "", "", ""},
    {"General 2dp", "0.00", "", ""},
    {"General 3dp", "0.000", "", ""},
    {"General 4dp", "0.0000", "", ""},
    {"General 2dp,", ",0.00", "", ""},
    {"General 3dp,", ",0.000", "", ""},
    {"General 4dp,", ",0.0000", "", ""},
    {"Money \xC2\xA3 ", "\"\xC2\xA3\"0", "", ""},
    {"Money \xC2\xA3 ()", "\"\xC2\xA3\"0", "", "\"\xC2\xA3\"(0)"},
    {"Money \xC2\xA3 2dp", "\"\xC2\xA3\"0.00", "", ""},
    {"Money \xC2\xA3 2dp ()", "\"\xC2\xA3\"0.00", "", "\"\xC2\xA3\"(0.00)"},
    {"Money $ ", "\"$\"0", "", ""},
    {"Money $ ()", "\"$\"0", "", "\"$\"(0)"},
    {"Money $ 2dp", "\"$\"0.00", "", ""},
    {"Money $ 2dp ()", "\"$\"0.00", "", "\"$\"(0.00)"},
    {"Scientific 3dp 00", "#.###E+00", "", ""},
    {"Scientific 5dp 00", "#.#####E+00", "", ""},
    {"Scientific 5dp 000", "#.#####E+000", "", ""},
    {"Scientific 5dp 0000", "#.#####E+0000", "", ""},
    {"", "", "", ""},
}};

const std::array<date_example_row, 10> date_rows = {{
    {"date 1", "d/m/yy"},
    {"date 2", "dd/mm/yy"},
    {"date 3", "dd/mm/yyyy"},
    {"date 4", "ddd mmm yyyy"},
    {"date 5", "dddd mmmm yyyy"},
    {"date 6", "ddddd"},
    {"date 7", "dddddd"},
    {"date 8", "dd-mmm-yy"},
    {"date 9", "dd-mmm-yyyy"},
    {"", ""},
}};

void put_fields(prop_list& set, const format_fields& f) {
    set.align = f.align;
    set.number = f.number;
    set.number0 = f.number0;
    set.number_neg = f.number_neg;
    set.date = f.date;
}

} // namespace

const std::array<number_example_row, 20>& number_examples() { return number_rows; }
const std::array<date_example_row, 10>& date_examples() { return date_rows; }

format_fields fields_of(const prop_list& set) {
    return {set.align, set.number, set.number0, set.number_neg, set.date};
}

void format_dialog_state::load(std::string_view text) {
    set_ = prop_list::from_text(text);
    fields_ = fields_of(set_);
    text_ = std::string(text);
}

void format_dialog_state::update() {
    put_fields(set_, fields_);
    text_ = set_.full_text();
}

void format_dialog_state::set_fields(const format_fields& f) {
    fields_ = f;
    update();
}

void format_dialog_state::set_font(const font_record& font) {
    set_.set_font(font);
    update();
}

void format_dialog_state::choose_number_example(int row) {
    if (row < 0 || row >= static_cast<int>(number_rows.size())) return;
    const number_example_row& r = number_rows[static_cast<std::size_t>(row)];
    fields_.number = r.number;
    fields_.number0 = r.number0;
    fields_.number_neg = r.number_neg;
    update();
}

void format_dialog_state::choose_date_example(int row) {
    if (row < 0 || row >= static_cast<int>(date_rows.size())) return;
    fields_.date = date_rows[static_cast<std::size_t>(row)].date;
    update();
}

// The set holds the fields already: load() takes them from it and every change puts them
// back in.
format_examples format_dialog_state::examples() const {
    const vbs::locale_info& loc = vbs::current_locale();
    format_examples ex;
    // An example the format cannot show stays empty; number_example leaves out untouched then.
    if (!number_example(1234.567, set_, loc, ex.number)) ex.number.clear();
    if (!number_example(0.0, set_, loc, ex.zero)) ex.zero.clear();
    if (!number_example(-0.123456, set_, loc, ex.negative)) ex.negative.clear();
    if (!date_example(example_date, set_, loc, ex.date)) ex.date.clear();
    return ex;
}

std::string properties_caption(const mondrel_doc& doc) {
    return "Mondrel - Properties of " + doc.display_name();
}

bool properties_allowed(const mondrel_doc& doc) { return !doc.read_only; }

bool apply_properties(mondrel_doc& doc, std::string_view created_by, std::string_view description) {
    if (doc.read_only) return false;
    bool by_changed = doc.created_by != created_by;
    bool desc_changed = doc.description != description;
    if (!by_changed && !desc_changed) return false;
    doc.history().begin_group("file_propertiesExecute");
    if (by_changed) doc.changed_created_by(std::string(created_by));
    if (desc_changed) doc.changed_description(std::string(description));
    doc.history().end_group();
    return true;
}

} // namespace mondrel
