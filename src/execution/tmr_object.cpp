#include "execution/tmr_object.h"

#include <algorithm>
#include <array>

#include "display/prop_stuff.h"
#include "document/mondrel_doc.h"
#include "execution/globals.h"
#include "vbscript/builtins.h"
#include "vbscript/convert.h"
#include "vbscript/engine.h"
#include "vbscript/error.h"

namespace mondrel {

namespace {

// Dispatch ids of the methods, as the type library numbers them; `take` and `bounds` are the
// run engine's own ways to pass data between a variable and the walk.
enum member_id : int {
    id_fmt = 1,
    id_dspx = 2,
    id_glob = 201,
    id_take = 300,
    id_bounds = 301,
};

struct member_row {
    std::string_view name;
    member_id id;
};

// The members a run calls most come first: the search goes down the table.
constexpr std::array<member_row, 5> members{{
    {"dspx", id_dspx},
    {"bounds", id_bounds},
    {"fmt", id_fmt},
    {"glob", id_glob},
    {"take", id_take},
}};

constexpr int max_indexes = 10;

// Makes room for value `row` of a line.
void fit_values(line_results& r, int32_t row) {
    const auto n = static_cast<size_t>(row) + 1;
    if (r.values.size() < n) r.values.resize(n);
}

// Grows the index paths and open flags of a line to its capacity: only a line whose values
// come with paths has them, which most lines never do.
void fit_paths(line_results& r) {
    const auto n = static_cast<size_t>(r.capacity);
    if (r.indexes.size() >= n) return;
    r.indexes.resize(n);
    r.opens.resize(n);
    r.saved_opens.resize(n);
}

int16_t to_index(const vbs::Value& v) {
    const int32_t i = vbs::to_long(v);
    return static_cast<int16_t>(std::clamp<int32_t>(i, INT16_MIN, INT16_MAX));
}

} // namespace

bool store_result(source_list_item& line, int32_t row, const vbs::Value& dat,
                  std::span<const int16_t> path, fetch_mode mode) {
    line_results& r = line.results;
    if (row < 0) return r.has_objects || r.has_paths;
    if (mode == fetch_mode::update) {
        if (row >= r.capacity) return r.has_objects || r.has_paths;
        fit_values(r, row);
        r.values[row] = dat;
        if (dat.tag() == vbs::Tag::Object || dat.tag() == vbs::Tag::Array) r.has_objects = true;
        return r.has_objects || r.has_paths;
    }
    if (row >= r.capacity) r.capacity = row + 10;
    fit_values(r, row);
    r.values[row] = dat;
    if (dat.tag() == vbs::Tag::Object || dat.tag() == vbs::Tag::Array) r.has_objects = true;
    if (r.has_formats && static_cast<size_t>(row) < r.formats.size())
        r.formats[row] = nullptr; // its own again
    // Without any path so far every index path and open flag list of the line is empty.
    if (!path.empty() || r.has_paths) {
        fit_paths(r);
        r.indexes[row].assign(path.begin(), path.end());
        r.opens[row].assign(path.size(), 0);
        if (!path.empty()) r.has_paths = true;
    }
    r.count = row + 1;
    return r.has_objects || r.has_paths;
}

void TMRObject::dspx(int32_t row, const vbs::Value& dat, std::span<const int16_t> path, int line) {
    if (row >= max_result_row) vbs::raise_error(vbs::kErrSubscript);
    if (line < 0 || line >= doc_.line_count()) return;
    if (store_result(doc_.line(line), row, dat, path, fetch_.mode)) fetch_.kept_more = true;
}

int TMRObject::fetch_line(vbs::Context& ctx) const {
    if (!fetch_.part_lines) return fetch_.line;
    const size_t part = ctx.engine().running_part();
    if (part >= fetch_.part_lines->size()) return -1;
    return fetch_.line + (*fetch_.part_lines)[part];
}

void TMRObject::glob(int32_t gind, vbs::Value& gvar) const {
    gvar.clear();
    if (gind >= 0 && gind < globals_.size()) gvar = globals_.value(gind);
}

int TMRObject::find_member(std::string_view name) {
    for (const member_row& m : members)
        if (vbs::iequals(m.name, name)) return m.id;
    return vbs::kNoMember;
}

const void* TMRObject::member_table() const {
    return &members;
}

void TMRObject::invoke(int id, vbs::CallKind kind, vbs::CallArgs& args, vbs::Value& result,
                       vbs::Context& ctx) {
    (void)result;
    if (kind == vbs::CallKind::Let || kind == vbs::CallKind::Set)
        vbs::raise_error(vbs::kErrNoMember);
    switch (id) {
    case id_fmt:
        if (args.size() > 3) vbs::raise_error(vbs::kErrWrongArgs);
        return;
    case id_dspx: {
        if (args.size() < 2 || args.size() > 2 + max_indexes || args.is_missing(0))
            vbs::raise_error(vbs::kErrWrongArgs);
        const int32_t row = vbs::to_long(args[0]);
        std::array<int16_t, max_indexes> path{};
        size_t n = 0;
        while (n < max_indexes && !args.is_missing(static_cast<uint32_t>(2 + n))) {
            path[n] = to_index(args[static_cast<uint32_t>(2 + n)]);
            ++n;
        }
        dspx(row, args[1], std::span<const int16_t>(path.data(), n), fetch_line(ctx));
        return;
    }
    case id_glob:
        if (args.size() != 2 || args.is_missing(0) || args.is_missing(1))
            vbs::raise_error(vbs::kErrWrongArgs);
        glob(vbs::to_long(args[0]), args.ref(1));
        return;
    case id_take:
        if (args.size() != 1 || args.is_missing(0)) vbs::raise_error(vbs::kErrWrongArgs);
        args.ref(0) = std::move(pending_);
        pending_.clear();
        return;
    case id_bounds:
        if (args.size() != 2 || args.is_missing(0) || args.is_missing(1))
            vbs::raise_error(vbs::kErrWrongArgs);
        bounds_[0] = args[0];
        bounds_[1] = args[1];
        have_bounds_ = true;
        return;
    default:
        vbs::raise_error(vbs::kErrNoMember);
    }
}

bool TMRObject::take_bounds(vbs::Value& stop, vbs::Value& step) {
    if (!have_bounds_) return false;
    have_bounds_ = false;
    stop = std::move(bounds_[0]);
    step = std::move(bounds_[1]);
    bounds_[0].clear();
    bounds_[1].clear();
    return true;
}

std::unique_ptr<vbs::Enumerator> TMRObject::enumerate(vbs::Context&) {
    vbs::raise_error(vbs::kErrNotCollection);
}

} // namespace mondrel
