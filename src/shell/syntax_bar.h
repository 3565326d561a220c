#pragma once
// The syntax bar: a picture of 300 x 20 pixels on its own toolbar showing the syntax of a code
// word, drawn with the display's cell text drawing (markup on) in grey over the button face.

#include <QLabel>

#include <cstdint>
#include <string_view>

namespace mondrel {

class row_painter;

inline constexpr int syntax_bar_width = 300;
inline constexpr int syntax_bar_height = 20;
inline constexpr std::string_view syntax_bar_format = "colour:$808080; bcolour:BTNFACE";

class syntax_bar : public QLabel {
    Q_OBJECT
public:
    explicit syntax_bar(QWidget* parent = nullptr);

    // Draws the syntax of code word `word` (any word outside the table, -1 too, shows
    // "<syntax>"). Drawn again only when the word or the painter's font increment changed.
    void show_word(int32_t word, row_painter& painter, qreal device_pixel_ratio);
    int32_t word() const { return word_; }

private:
    int32_t word_ = -2; // nothing drawn yet
    int font_increment_ = 0;
    qreal ratio_ = 0;
};

} // namespace mondrel
