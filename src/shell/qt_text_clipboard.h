#pragma once
// The system clipboard as the document's copy and paste see it: plain text only.

#include "platform/text_clipboard.h"

namespace mondrel {

class qt_text_clipboard : public text_clipboard {
public:
    std::optional<std::string> text() const override;
    void set_text(std::string_view text) override;
};

} // namespace mondrel
