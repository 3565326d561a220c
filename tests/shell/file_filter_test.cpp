#include "shell/session/file_filter.h"

#include <gtest/gtest.h>

namespace mondrel {
namespace {

struct filter_case {
    const char* windows;
    const char* qt;
};

TEST(FileFilter, WindowsFiltersBecomeQtFiltersWithBothCases) {
    const filter_case cases[] = {
        {"Codesheets|*.mdr", "Codesheets (*.mdr *.MDR)"},
        {"Codesheets|*.MDR", "Codesheets (*.MDR *.mdr)"},
        // A description that lists its patterns does not list them twice.
        {"Codesheets (*.mdr)|*.mdr|All files (*.*)|*.*",
         "Codesheets (*.mdr *.MDR);;All files (*.*)"},
        {"Text|*.txt;*.csv", "Text (*.txt *.TXT *.csv *.CSV)"},
        {"Text|*.txt; *.TXT", "Text (*.txt *.TXT)"},
        // Missing pieces: a description without patterns matches everything; a pair
        // without a description is described by its patterns.
        {"Everything", "Everything (*)"},
        {"|*.mdr", "*.mdr *.MDR (*.mdr *.MDR)"},
        {"", ""},
        {"Sheets|*.mdr|", "Sheets (*.mdr *.MDR);;* (*)"},
    };
    for (const filter_case& c : cases)
        EXPECT_EQ(qt_name_filters(c.windows), c.qt) << c.windows;
}

TEST(FileFilter, DefaultSuffixComesFromAPlainExtensionPattern) {
    const std::pair<const char*, const char*> cases[] = {
        {"Codesheets|*.mdr;*.xml", "mdr"}, {"Mondrel file (*mdr)|*.MDR", "mdr"}, {"All|*.*", ""},   {"All|*", ""},
        {"Backups|*.mdr.bak", ""},         {"Odd|*.m?r", ""}, {"Named|sheet.mdr", ""},
    };
    for (const auto& [filter, suffix] : cases)
        EXPECT_EQ(default_suffix(parse_file_filter(filter).front()), suffix) << filter;
}

} // namespace
} // namespace mondrel
