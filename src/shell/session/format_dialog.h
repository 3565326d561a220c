#pragma once
// The logic behind the format editor and the properties dialog, free of any widget: the
// dialog's fields from a format text and the text rebuilt from them, the live examples, the
// ready-made number and date formats, and the properties change recorded for undo.

#include <array>
#include <string>
#include <string_view>

#include "display/prop_stuff.h"

namespace mondrel {

class mondrel_doc;

// One ready-made number format: the row name shown in the list and the three formats it
// copies into the fields (empty ones too).
struct number_example_row {
    std::string_view name;
    std::string_view number;
    std::string_view number0;
    std::string_view number_neg;
};

// One ready-made date format.
struct date_example_row {
    std::string_view name;
    std::string_view date;
};

// The 20 number rows and 10 date rows; the last row of each is blank and empties the fields.
const std::array<number_example_row, 20>& number_examples();
const std::array<date_example_row, 10>& date_examples();

// The example values' labels, shown above the example texts.
inline constexpr std::string_view number_example_label = "1234.567";
inline constexpr std::string_view zero_example_label = "0.0";
inline constexpr std::string_view negative_example_label = "-0.123456";
inline constexpr std::string_view date_example_label = "2 October 2006";

// What the controls show: alignment and the four format fields.
struct format_fields {
    prop_align align = prop_align::left;
    std::string number;
    std::string number0;
    std::string number_neg;
    std::string date;

    friend bool operator==(const format_fields&, const format_fields&) = default;
};

// The example texts under the labels; an example the format cannot show is empty.
struct format_examples {
    std::string number;
    std::string zero;
    std::string negative;
    std::string date;
};

// The format editor's state between showing and closing. load() parses the text and fills
// the fields; every change to the fields goes through an update, which rebuilds the text.
// Properties with no control (background colour, unknown keys) pass through unchanged.
class format_dialog_state {
public:
    // Parses text (the caller's format text) and takes the fields from it. The text is kept
    // as it was given until a field changes.
    void load(std::string_view text);

    const format_fields& fields() const { return fields_; }
    const prop_list& set() const { return set_; }
    // The format text the caller receives on OK.
    const std::string& text() const { return text_; }
    // Text typed straight into the format text box; kept until a control changes.
    void set_text(std::string_view text) { text_ = text; }

    // Each of these changes the set and rewrites text() from it. The dialog hands back all
    // its fields at once after any control changes.
    void set_fields(const format_fields& f);
    void set_font(const font_record& font);
    // Copies a ready-made row's formats into the fields; an index out of range does nothing.
    void choose_number_example(int row);
    void choose_date_example(int row);

    // The examples for the current fields.
    format_examples examples() const;

private:
    void update();

    prop_list set_;
    format_fields fields_;
    std::string text_;
};

// The fields of a parsed set.
format_fields fields_of(const prop_list& set);

// The properties dialog. properties_caption is the dialog's caption for a document.
std::string properties_caption(const mondrel_doc& doc);
// Whether the properties dialog may be shown for the document (not for a read-only page).
bool properties_allowed(const mondrel_doc& doc);
// Stores the confirmed texts in one undo step "file_propertiesExecute", recording only the
// texts that changed. Returns true when something changed; a read-only document is left alone.
bool apply_properties(mondrel_doc& doc, std::string_view created_by, std::string_view description);

} // namespace mondrel
