#pragma once
// One of the two single-line editors laid over a grid cell: a flat QLineEdit with a plain
// one-pixel border, hidden until an edit opens. Return and Esc are reported as signals so the
// window can end the edit; everything else is the line edit's own.

#include <QLineEdit>

#include "display/grid_ports.h"

namespace mondrel {

class qt_text_field : public QLineEdit, public text_field {
    Q_OBJECT

public:
    explicit qt_text_field(QWidget* parent);

    void set_text(std::string_view text) override;
    std::string text() const override;
    void set_font(const font_record& font, int left_margin) override;
    void set_geometry(const mondrel::rect& r) override;
    void set_visible(bool visible) override;
    bool visible() const override;
    void select_all() override;
    void take_focus() override;
    void delete_selected() override;
    void cut() override;
    void copy() override;
    void paste() override;

Q_SIGNALS:
    void enter_pressed();
    void escape_pressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void apply_style();

    colour_value colour_ = 0;
};

} // namespace mondrel
