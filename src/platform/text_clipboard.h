#pragma once
// The plain-text clipboard the document's copy and paste commands use. The window supplies the
// system clipboard; tests and headless tools use memory_clipboard. Only plain text is
// exchanged: the program registers no clipboard format of its own.

#include <optional>
#include <string>
#include <string_view>

namespace mondrel {

class text_clipboard {
public:
    virtual ~text_clipboard() = default;
    // The clipboard's text, or nothing when it holds no text at all.
    virtual std::optional<std::string> text() const = 0;
    // Replaces the clipboard's contents with the text.
    virtual void set_text(std::string_view text) = 0;
};

class memory_clipboard : public text_clipboard {
public:
    std::optional<std::string> text() const override { return text_; }
    void set_text(std::string_view text) override { text_ = std::string(text); }
    void clear() { text_.reset(); }

private:
    std::optional<std::string> text_;
};

} // namespace mondrel
