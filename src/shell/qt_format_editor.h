#pragma once
// Edit Format's editor until the format editor dialog exists: an input box on the format's
// text ("colour:$0000FF; number:0.00"). The text is taken as typed; the document parses it.

#include "document/editing_commands.h"

class QWidget;

namespace mondrel {

class qt_format_editor : public format_editor {
public:
    explicit qt_format_editor(QWidget* parent) : parent_(parent) {}
    bool edit(std::string& text) override;

private:
    QWidget* parent_;
};

} // namespace mondrel
