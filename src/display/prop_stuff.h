#pragma once
// Format property sets: the short "key:value; key:value" texts that hold every appearance
// setting of the program (a line's data format, the sheet's column formats, the formats in
// the options, an FMT statement's text, fixed texts such as the grid header's format).
//
// prop_list parses such a text into typed fields, writes the fields back as text, compares
// and merges sets and applies one to a font. Nothing in a format text is an error: malformed
// pieces, unknown keys and unknown words are ignored.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mondrel {

// Colours are $BBGGRR (red in the low byte). A high byte of $FF marks a system colour.
using colour_value = std::uint32_t;
inline constexpr colour_value btnface_colour = 0xFF00000F; // the system button face
inline constexpr colour_value no_background = 0xFFFFFF;    // the set has no background

enum font_style : unsigned {
    style_bold = 1,
    style_italic = 2,
    style_underline = 4,
    style_strikeout = 8,
};

enum class prop_align { left = 0, right = 1, centre = 2 };

// The part of a font that a format decides; the window maps it to its own font type.
struct font_record {
    std::string name;
    int size = 0; // points
    colour_value colour = 0;
    unsigned style = 0; // font_style bits

    friend bool operator==(const font_record&, const font_record&) = default;
};

// One key and its value as the text gave them.
struct prop_item {
    std::string key;
    std::string value;
};

// Reads an integer as format texts write them: leading blanks, an optional sign (dropped),
// then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X". Reading stops
// at the first character that does not fit; an empty or unreadable text gives 0. A value too
// large for 32 bits gives $FFFFFFFF.
std::uint32_t read_prop_integer(std::string_view text);

class prop_list {
public:
    // The placeholder set a new line starts with: every field empty or zero (size 0 and
    // background 0 too). It is replaced by a parsed set before it is used.
    prop_list() = default;

    // Parses a format text; the empty text gives every default (Arial, 8, black, no style, no
    // background, left, no formats).
    static prop_list from_text(std::string_view text);

    // The text of name, size, colour, background and style, leaving out every default.
    std::string font_text() const;
    // The font-part text followed by the alignment and the four format strings.
    std::string full_text() const;

    // The value the text gave for key (compared without regard to case), or nullptr.
    const std::string* find(std::string_view key) const;
    // The key/value pairs of the source text, sorted by key without regard to case; the first
    // occurrence of a key is the one kept. Merge and the field setters do not change them.
    const std::vector<prop_item>& items() const { return items_; }

    // True when the two sets agree on every typed field.
    bool same_fields(const prop_list& other) const;
    friend bool operator==(const prop_list& a, const prop_list& b) { return a.same_fields(b); }

    // Reduces this set to what it has in common with other, field by field: a field that
    // differs goes back to its default (the name to "Arial" when other's name is "Arial",
    // else to the empty name, which is written "name:" and reads back as "Arial").
    void merge(const prop_list& other);

    // Sets the font's name, size, colour and style from the set, size as stored.
    void apply_to_font(font_record& font) const;
    // The font part of the set as a font record.
    font_record font() const;
    // Takes name, size, colour and style from a font record.
    void set_font(const font_record& font);

    std::string source_text; // the text the set was parsed from

    std::string name;
    int size = 0;
    colour_value colour = 0;
    unsigned style = 0;
    colour_value bcolour = 0;
    prop_align align = prop_align::left;
    std::string number;     // "number"
    std::string number0;    // "number0": the format for exactly zero
    std::string number_neg; // "number-": the format for the absolute value of a negative
    std::string date;       // "date"

private:
    std::vector<prop_item> items_;
};

// Lets the user edit the font part of a format text. The chooser is shown the set's font;
// when it returns true, the font it leaves is stored in the set, text becomes the set's full
// text and the result is true. On false (cancel) text is left unchanged.
bool edit_font(std::string& text, const std::function<bool(font_record&)>& chooser);

} // namespace mondrel
