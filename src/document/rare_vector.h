#pragma once
// A vector that most of its owners leave empty, kept as one pointer: an empty rare_vector is
// 8 bytes and allocates nothing, a filled one holds a std::vector of its own. Line records
// carry several (the values past the first, index paths, open flags, value formats) that only
// some lines ever fill, and a long sheet has millions of records.
//
// It offers the part of std::vector's interface those owners use. Shrinking to 0 (resize(0),
// clear) gives the block back.

#include <cstddef>
#include <memory>
#include <vector>

namespace mondrel {

template <class T> class rare_vector {
public:
    rare_vector() = default;
    rare_vector(const rare_vector& other) { *this = other; }
    rare_vector(rare_vector&&) noexcept = default;
    rare_vector& operator=(rare_vector&&) noexcept = default;
    rare_vector& operator=(const rare_vector& other) {
        if (this != &other) {
            if (other.empty())
                items_.reset();
            else
                items() = *other.items_;
        }
        return *this;
    }
    rare_vector& operator=(const std::vector<T>& other) {
        if (other.empty())
            items_.reset();
        else
            items() = other;
        return *this;
    }

    std::size_t size() const { return items_ ? items_->size() : 0; }
    bool empty() const { return size() == 0; }
    T& operator[](std::size_t k) { return (*items_)[k]; }
    const T& operator[](std::size_t k) const { return (*items_)[k]; }
    T* begin() { return items_ ? items_->data() : nullptr; }
    T* end() { return items_ ? items_->data() + items_->size() : nullptr; }
    const T* begin() const { return items_ ? items_->data() : nullptr; }
    const T* end() const { return items_ ? items_->data() + items_->size() : nullptr; }

    void resize(std::size_t n) {
        if (n == 0)
            items_.reset();
        else
            items().resize(n);
    }
    void resize(std::size_t n, const T& value) {
        if (n == 0)
            items_.reset();
        else
            items().resize(n, value);
    }
    void assign(std::size_t n, const T& value) {
        if (n == 0)
            items_.reset();
        else
            items().assign(n, value);
    }
    void clear() { items_.reset(); }

private:
    std::vector<T>& items() {
        if (!items_) items_ = std::make_unique<std::vector<T>>();
        return *items_;
    }

    std::unique_ptr<std::vector<T>> items_;
};

} // namespace mondrel
