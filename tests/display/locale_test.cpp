#include "vbscript/locale.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

struct env_case {
    const char* name;
    const char* expected; // built-in locale name, or nullptr when none is found
};

TEST(locale, finds_builtin_locales_by_environment_names) {
    const env_case cases[] = {
        {"de_DE.UTF-8", "de-DE"},
        {"de-DE", "de-DE"},
        {"de_AT.UTF-8@euro", "de-DE"},
        {"en_GB", "en-GB"},
        {"EN_gb.utf8", "en-GB"},
        {"en_AU", "en-US"},
        {"fr_FR.UTF-8", "fr-FR"},
        {"nl_NL", "nl-NL"},
        {"nl", "nl-NL"},
        {"C", "en-US"},
        {"POSIX", "en-US"},
        {"C.UTF-8", "en-US"},
        {"", "en-US"},
        {"ja_JP.UTF-8", nullptr},
        {"xx", nullptr},
    };
    for (const env_case& c : cases) {
        const vbs::locale_info* l = vbs::find_locale(c.name);
        if (!c.expected) {
            EXPECT_EQ(l, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(l, nullptr) << c.name;
        EXPECT_EQ(l->name, c.expected) << c.name;
    }
}

// Each category follows its own variable unless LC_ALL overrides them all; unknown names
// fall back to en-US.
TEST(locale, environment_categories_combine) {
    const char* vars[] = {"LC_ALL", "LC_NUMERIC", "LC_MONETARY", "LC_TIME", "LANG"};
    std::vector<std::pair<const char*, std::string>> saved;
    for (const char* v : vars) {
        if (const char* value = std::getenv(v)) saved.emplace_back(v, value);
        unsetenv(v);
    }

    setenv("LANG", "de_DE.UTF-8", 1);
    setenv("LC_TIME", "en_GB.UTF-8", 1);
    vbs::locale_info l = vbs::locale_from_environment();
    EXPECT_EQ(l.decimal_sep, ",");
    EXPECT_EQ(l.short_date, "dd/MM/yyyy");
    EXPECT_EQ(l.month_names[0], "January");
    EXPECT_EQ(l.currency_symbol, "\xE2\x82\xAC");

    setenv("LC_ALL", "nl_NL", 1);
    l = vbs::locale_from_environment();
    EXPECT_EQ(l.short_date, "d-M-yyyy");
    EXPECT_EQ(l.decimal_sep, ",");

    setenv("LC_ALL", "", 1); // empty counts as unset
    setenv("LANG", "ja_JP.UTF-8", 1);
    unsetenv("LC_TIME");
    l = vbs::locale_from_environment();
    EXPECT_EQ(l.name, "en-US");
    EXPECT_EQ(l.decimal_sep, ".");
    for (const char* v : vars)
        unsetenv(v);
    for (const auto& [name, value] : saved)
        setenv(name, value.c_str(), 1);
}

TEST(locale, sign_and_currency_forms) {
    vbs::locale_info us = vbs::en_us_locale();
    const vbs::locale_info& de = *vbs::find_locale("de-DE");
    const vbs::locale_info& nl = *vbs::find_locale("nl-NL");
    EXPECT_EQ(vbs::format_currency_sign(us, "1,234.50", false), "$1,234.50");
    EXPECT_EQ(vbs::format_currency_sign(us, "1,234.50", true), "($1,234.50)");
    EXPECT_EQ(vbs::format_currency_sign(de, "1.234,50", false), "1.234,50 \xE2\x82\xAC");
    EXPECT_EQ(vbs::format_currency_sign(de, "1.234,50", true), "-1.234,50 \xE2\x82\xAC");
    EXPECT_EQ(vbs::format_currency_sign(nl, "5,00", true), "\xE2\x82\xAC -5,00");
    EXPECT_EQ(vbs::format_number_sign(us, "2.5", true), "-2.5");
    us.negative_number_form = 0;
    EXPECT_EQ(vbs::format_number_sign(us, "2.5", true), "(2.5)");
    us.negative_number_form = 99; // out of range keeps the plain minus
    EXPECT_EQ(vbs::format_number_sign(us, "2.5", true), "-2.5");
}

TEST(locale, set_current_by_name_and_value) {
    vbs::locale_info saved = vbs::current_locale();
    EXPECT_TRUE(vbs::set_current_locale("de_DE"));
    EXPECT_EQ(vbs::current_locale().decimal_sep, ",");
    EXPECT_FALSE(vbs::set_current_locale("xx_YY"));
    EXPECT_EQ(vbs::current_locale().name, "de-DE");
    vbs::set_current_locale(saved);
    EXPECT_EQ(vbs::current_locale().name, saved.name);
}

} // namespace
