#include "shell/session/external_links.h"

#include <gtest/gtest.h>

#include <string>

namespace mondrel {
namespace {

struct link_case {
    std::string target;
    bool safe;
};

TEST(ExternalLinks, OnlyWebAndMailAddressesAreHandedOverDirectly) {
    const link_case cases[] = {
        {"http://example.org/", true},
        {"https://example.org/a?b=c#d", true},
        {"HTTPS://EXAMPLE.ORG", true},
        {"Mailto:someone@example.org", true},
        {"mailto:someone@example.org?subject=Hi%20there", true},
        // The scheme alone names nothing.
        {"http://", false},
        {"mailto:", false},
        {"", false},
        // Programs, scripts, documents and other schemes ask first.
        {"file:///etc/passwd", false},
        {"/usr/bin/xterm", false},
        {"C:\\Windows\\System32\\cmd.exe", false},
        {"notes.txt", false},
        {"javascript:alert(1)", false},
        {"ftp://example.org", false},
        {"smb://server/share", false},
        {"httpx://example.org", false},
        {"http:/example.org", false},
        {" http://example.org", false},
        // A blank or control character could make one address pass as another.
        {"http://example.org/a b", false},
        {"http://example.org/\tx", false},
        {std::string("http://example.org/\0x", 21), false},
        {"http://example.org/\nfile:///x", false},
        {"https://example.org/\x7f", false},
        // Characters outside ASCII are allowed in an address.
        {"https://example.org/caf\xc3\xa9", true},
    };
    for (const link_case& c : cases)
        EXPECT_EQ(external_link_is_safe(c.target), c.safe) << '"' << c.target << '"';
}

TEST(ExternalLinks, QuestionNamesTheTarget) {
    EXPECT_EQ(external_link_question("calc.exe"), "Open calc.exe with the system?");
    EXPECT_EQ(external_link_question(""), "Open  with the system?");
}

} // namespace
} // namespace mondrel
