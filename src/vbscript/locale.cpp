#include "vbscript/locale.h"

#include <cstdlib>
#include <optional>

namespace vbs {
namespace {

// The built-in table. Values follow the Windows regional settings of each locale, so that
// FormatNumber, FormatCurrency, CStr of dates and the cell text agree with what a Windows
// user of that region would see. en-US is first and stands for every unknown name.
locale_info make_en_us() {
    locale_info l;
    l.name = "en-US";
    l.decimal_sep = ".";
    l.thousands_sep = ",";
    l.negative_number_form = 1;
    l.currency_symbol = "$";
    l.currency_positive_form = 0;
    l.currency_negative_form = 0;
    l.order = date_order::mdy;
    l.date_sep = "/";
    l.time_sep = ":";
    l.short_date = "M/d/yyyy";
    l.long_date = "dddd, MMMM d, yyyy";
    l.long_time = "h:mm:ss tt";
    l.short_time = "h:mm tt";
    l.am = "AM";
    l.pm = "PM";
    l.month_names = {"January", "February", "March",     "April",   "May",      "June",
                     "July",    "August",   "September", "October", "November", "December"};
    l.month_abbrevs = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    l.day_names = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    l.day_abbrevs = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    l.first_day_of_week = 1;
    return l;
}

locale_info make_en_gb() {
    locale_info l = make_en_us();
    l.name = "en-GB";
    l.currency_symbol = "\xC2\xA3"; // pound sign
    l.currency_negative_form = 1;
    l.order = date_order::dmy;
    l.short_date = "dd/MM/yyyy";
    l.long_date = "dd MMMM yyyy";
    l.long_time = "HH:mm:ss";
    l.short_time = "HH:mm";
    l.first_day_of_week = 2;
    return l;
}

locale_info make_de_de() {
    locale_info l;
    l.name = "de-DE";
    l.decimal_sep = ",";
    l.thousands_sep = ".";
    l.negative_number_form = 1;
    l.currency_symbol = "\xE2\x82\xAC"; // euro sign
    l.currency_positive_form = 3;
    l.currency_negative_form = 8;
    l.order = date_order::dmy;
    l.date_sep = ".";
    l.time_sep = ":";
    l.short_date = "dd.MM.yyyy";
    l.long_date = "dddd, d. MMMM yyyy";
    l.long_time = "HH:mm:ss";
    l.short_time = "HH:mm";
    l.am = "AM";
    l.pm = "PM";
    l.month_names = {"Januar", "Februar", "M\xC3\xA4rz", "April",   "Mai",      "Juni",
                     "Juli",   "August",  "September",   "Oktober", "November", "Dezember"};
    l.month_abbrevs = {"Jan", "Feb", "M\xC3\xA4r", "Apr", "Mai", "Jun",
                       "Jul", "Aug", "Sep",        "Okt", "Nov", "Dez"};
    l.day_names = {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
    l.day_abbrevs = {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"};
    l.first_day_of_week = 2;
    return l;
}

locale_info make_fr_fr() {
    locale_info l = make_de_de();
    l.name = "fr-FR";
    l.thousands_sep = "\xC2\xA0"; // no-break space
    l.date_sep = "/";
    l.short_date = "dd/MM/yyyy";
    l.long_date = "dddd d MMMM yyyy";
    l.month_names = {"janvier",
                     "f\xC3\xA9vrier",
                     "mars",
                     "avril",
                     "mai",
                     "juin",
                     "juillet",
                     "ao\xC3\xBBt",
                     "septembre",
                     "octobre",
                     "novembre",
                     "d\xC3\xA9"
                     "cembre"};
    l.month_abbrevs = {"janv.",
                       "f\xC3\xA9vr.",
                       "mars",
                       "avr.",
                       "mai",
                       "juin",
                       "juil.",
                       "ao\xC3\xBBt",
                       "sept.",
                       "oct.",
                       "nov.",
                       "d\xC3\xA9"
                       "c."};
    l.day_names = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
    l.day_abbrevs = {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."};
    return l;
}

locale_info make_nl_nl() {
    locale_info l = make_de_de();
    l.name = "nl-NL";
    l.currency_positive_form = 2;
    l.currency_negative_form = 12;
    l.date_sep = "-";
    l.short_date = "d-M-yyyy";
    l.long_date = "dddd d MMMM yyyy";
    l.month_names = {"januari", "februari", "maart",     "april",   "mei",      "juni",
                     "juli",    "augustus", "september", "oktober", "november", "december"};
    l.month_abbrevs = {"jan", "feb", "mrt", "apr", "mei", "jun",
                       "jul", "aug", "sep", "okt", "nov", "dec"};
    l.day_names = {"zondag", "maandag", "dinsdag", "woensdag", "donderdag", "vrijdag", "zaterdag"};
    l.day_abbrevs = {"zo", "ma", "di", "wo", "do", "vr", "za"};
    return l;
}

const std::array<locale_info, 5>& table() {
    static const std::array<locale_info, 5> t = {make_en_us(), make_en_gb(), make_de_de(),
                                                 make_fr_fr(), make_nl_nl()};
    return t;
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// The environment's value for one category: LC_ALL overrides, then the category, then LANG.
// An empty variable counts as unset, as POSIX has it.
std::string_view env_locale_name(const char* category) {
    for (const char* var : {"LC_ALL", category, "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return v;
    }
    return {};
}

const locale_info& builtin_or_en_us(std::string_view name) {
    const locale_info* l = find_locale(name);
    return l ? *l : table()[0];
}

locale_info& current_slot() {
    static locale_info current = locale_from_environment();
    return current;
}

// Expands a sign pattern: '$' is the currency symbol, 'n' the digits, other characters
// are copied.
std::string expand(std::string_view pattern, std::string_view symbol, std::string_view digits) {
    std::string out;
    out.reserve(digits.size() + symbol.size() + 3);
    for (char c : pattern) {
        if (c == '$')
            out += symbol;
        else if (c == 'n')
            out += digits;
        else
            out += c;
    }
    return out;
}

} // namespace

const locale_info* find_locale(std::string_view name) {
    // "de_DE.UTF-8@euro" -> language "de", region "DE".
    size_t cut = name.find_first_of(".@");
    if (cut != std::string_view::npos) name = name.substr(0, cut);
    if (name.empty() || name == "C" || name == "POSIX") return &table()[0];
    size_t dash = name.find_first_of("_-");
    std::string_view language = name.substr(0, dash);
    std::string_view region = dash == std::string_view::npos ? "" : name.substr(dash + 1);
    const locale_info* first_of_language = nullptr;
    for (const locale_info& l : table()) {
        std::string_view lname = l.name;
        if (!same_ignoring_case(lname.substr(0, 2), language)) continue;
        if (same_ignoring_case(lname.substr(3), region)) return &l;
        if (!first_of_language) first_of_language = &l;
    }
    return first_of_language;
}

const locale_info& en_us_locale() {
    return table()[0];
}

std::array<std::string_view, 5> builtin_locale_names() {
    std::array<std::string_view, 5> names;
    for (size_t i = 0; i < names.size(); ++i)
        names[i] = table()[i].name;
    return names;
}

locale_info locale_from_environment() {
    const locale_info& numeric = builtin_or_en_us(env_locale_name("LC_NUMERIC"));
    const locale_info& money = builtin_or_en_us(env_locale_name("LC_MONETARY"));
    const locale_info& time = builtin_or_en_us(env_locale_name("LC_TIME"));

    // Dates and names from LC_TIME, then the number and currency fields from theirs.
    locale_info l = time;
    l.decimal_sep = numeric.decimal_sep;
    l.thousands_sep = numeric.thousands_sep;
    l.group_size = numeric.group_size;
    l.digits = numeric.digits;
    l.leading_zero = numeric.leading_zero;
    l.negative_number_form = numeric.negative_number_form;
    l.currency_symbol = money.currency_symbol;
    l.currency_positive_form = money.currency_positive_form;
    l.currency_negative_form = money.currency_negative_form;
    return l;
}

const locale_info& current_locale() {
    return current_slot();
}

void set_current_locale(const locale_info& info) {
    current_slot() = info;
}

bool set_current_locale(std::string_view name) {
    const locale_info* l = find_locale(name);
    if (!l) return false;
    current_slot() = *l;
    return true;
}

std::string format_currency_sign(const locale_info& loc, std::string_view digits, bool negative) {
    static constexpr std::array<std::string_view, 4> positive = {"$n", "n$", "$ n", "n $"};
    static constexpr std::array<std::string_view, 16> negatives = {
        "($n)", "-$n",  "$-n",  "$n-",  "(n$)", "-n$",  "n-$",   "n$-",
        "-n $", "-$ n", "n $-", "$ n-", "$ -n", "n- $", "($ n)", "(n $)"};
    auto pick = [](auto& forms, int i) { return forms[i >= 0 && i < int(forms.size()) ? i : 0]; };
    std::string_view pattern = negative ? pick(negatives, loc.currency_negative_form)
                                        : pick(positive, loc.currency_positive_form);
    return expand(pattern, loc.currency_symbol, digits);
}

std::string format_number_sign(const locale_info& loc, std::string_view digits, bool negative) {
    if (!negative) return std::string(digits);
    static constexpr std::array<std::string_view, 5> forms = {"(n)", "-n", "- n", "n-", "n -"};
    int i = loc.negative_number_form;
    return expand(forms[i >= 0 && i < 5 ? i : 1], {}, digits);
}

} // namespace vbs
