#pragma once
// The values a run stored on a line. Most lines have one value, which is kept in place in the
// line record (the end of a run writes it without touching another block of memory); a line
// with more keeps the rest in a block of their own.

#include "document/rare_vector.h"
#include "vbscript/variant.h"
#include <cstddef>
#include <cstdint>

namespace mondrel {

class value_list {
public:
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    vbs::Value& operator[](size_t k) { return k ? rest_[k - 1] : first_; }
    const vbs::Value& operator[](size_t k) const { return k ? rest_[k - 1] : first_; }
    // New values are Empty; values beyond n go.
    void resize(size_t n) {
        if (n == 0) first_.clear();
        rest_.resize(n > 0 ? n - 1 : 0);
        size_ = static_cast<uint32_t>(n);
    }
    // Lets go of every value (objects and arrays among them), keeping the size.
    void release() {
        first_.clear();
        for (vbs::Value& v : rest_)
            v.clear();
    }

private:
    vbs::Value first_;
    rare_vector<vbs::Value> rest_;
    uint32_t size_ = 0;
};

} // namespace mondrel
