#pragma once
// The host object a run registers in the script engine under the name `MR`. Display texts call
// `MR.dspx row, value, ind1, ..., ind10` to report the values of the line being fetched; the
// global set-up calls `MR.glob index, variable` to fill a script variable from a global; `fmt`
// is accepted and does nothing. A new object is made for every fresh run.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/source_list_item.h"
#include "vbscript/object.h"

namespace mondrel {

class mondrel_doc;
class global_list;

enum class fetch_mode : uint8_t {
    reset,  // the values are stored anew: the line's format, index paths, closed levels
    update, // only a value that already has a slot is replaced
};

// Which line the values reported now belong to. Outside a fetch `line` is -1 and reported
// values go nowhere.
struct fetch_context {
    int line = -1;
    fetch_mode mode = fetch_mode::reset;
    // Value reports of several lines joined into one call: the line of each report, counted
    // from `line`, by the engine's running part.
    const std::vector<int>* part_lines = nullptr;
    // A value stored since the run started holds an object or an array, or came with a path.
    bool kept_more = false;
};

// Rows at or above this are refused with "Subscript out of range": no sheet reports that many
// values, and growing the arrays to such a row would only exhaust memory.
inline constexpr int32_t max_result_row = 1 << 24;

// Stores one value on a line. Reset mode grows the capacity to row + 10 when needed and stores
// the value in the line's own format (undoing a format a FMT result gave that slot), with the
// index path and closed open flags, making the count row + 1; update mode replaces the value
// of an existing slot and changes nothing else.
// Negative rows are ignored. True when the line holds an object, an array or an index path
// afterwards: what the next run has to undo before it starts.
bool store_result(source_list_item& line, int32_t row, const vbs::Value& dat,
                  std::span<const int16_t> path, fetch_mode mode);

class TMRObject final : public vbs::Object {
public:
    // Both references must outlive the object's use by the engine; the run engine that makes
    // the object owns them.
    TMRObject(mondrel_doc& doc, fetch_context& fetch, const global_list& globals)
        : doc_(doc), fetch_(fetch), globals_(globals) {}

    // The methods as C++ calls; `invoke` converts the script's arguments and lands here.
    // dspx stores on `line` (the fetch line of the call, see fetch_line).
    void dspx(int32_t row, const vbs::Value& dat, std::span<const int16_t> path, int line);
    // gvar becomes Empty, then a copy of global gind when that index is in the list.
    void glob(int32_t gind, vbs::Value& gvar) const;
    // Hands `value` to the next `MR.take variable` call, which assigns it to the variable.
    // This is how values made outside the script (folder listings) reach a script variable
    // without ever being written into script text.
    void set_pending(vbs::Value value) { pending_ = std::move(value); }
    // The values the last `MR.bounds stop, step` call handed over (a FOR pass reports its
    // loop's stop and step that way); false when there was no such call since the last take.
    bool take_bounds(vbs::Value& stop, vbs::Value& step);

    std::string type_name() const override { return "IMRObject"; }
    int find_member(std::string_view name) override;
    const void* member_table() const override;
    void invoke(int id, vbs::CallKind kind, vbs::CallArgs& args, vbs::Value& result,
                vbs::Context& ctx) override;
    std::unique_ptr<vbs::Enumerator> enumerate(vbs::Context& ctx) override;

private:
    mondrel_doc& doc_;
    // The line whose values a call from script reports: the fetch line, or in a joined call
    // the line of the running part.
    int fetch_line(vbs::Context& ctx) const;

    fetch_context& fetch_; // read, but for kept_more
    const global_list& globals_;
    vbs::Value pending_;
    vbs::Value bounds_[2];
    bool have_bounds_ = false;
};

} // namespace mondrel
