// The syntax tree the parser builds and the compiler consumes.
//
// The expression and statement nodes of one tree live in the arena of its owner (a Program,
// or the ExprPtr of a lone expression) and go all at once with it; nodes link to each other
// with plain pointers and own nothing. A long text makes many small nodes, and this keeps
// their making and freeing cheap.
#pragma once

#include "vbscript/variant.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vbs {

struct Expr;
struct Stmt;

// Objects of one type made one after another in chunks, destroyed together with the pool.
template <class N> class NodePool {
public:
    // `first`: how many objects the first chunk holds; later chunks double up to about 64 KB.
    explicit NodePool(size_t first) : first_(first) {}
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;
    NodePool(NodePool&& o) noexcept : last_(o.last_), first_(o.first_) { o.last_ = nullptr; }
    NodePool& operator=(NodePool&& o) noexcept {
        if (this != &o) {
            clear();
            last_ = o.last_;
            first_ = o.first_;
            o.last_ = nullptr;
        }
        return *this;
    }
    ~NodePool() { clear(); }

    // A new value-initialised object that lives as long as the pool.
    N* make() {
        if (!last_ || last_->used == last_->capacity) grow();
        N* n = new (last_->items() + last_->used) N();
        ++last_->used;
        return n;
    }

private:
    // A chunk is this header followed by room for `capacity` objects.
    struct alignas(N) Chunk {
        Chunk* prev;
        size_t capacity;
        size_t used;
        N* items() { return reinterpret_cast<N*>(this + 1); }
    };
    static_assert(sizeof(Chunk) % alignof(N) == 0);

    // Chunks grow with the tree, so a one-line text stays small.
    void grow() {
        size_t cap =
            last_ ? std::max(last_->capacity, std::min(last_->capacity * 2, 65536 / sizeof(N)))
                  : first_;
        void* mem = ::operator new(sizeof(Chunk) + cap * sizeof(N));
        last_ = new (mem) Chunk{last_, cap, 0};
    }
    void clear() {
        while (last_) {
            Chunk* c = last_;
            last_ = c->prev;
            if constexpr (!std::is_trivially_destructible_v<N>)
                for (size_t i = 0; i < c->used; ++i)
                    c->items()[i].~N();
            c->~Chunk();
            ::operator delete(c);
        }
    }
    Chunk* last_ = nullptr;
    size_t first_;
};

// Bytes handed out one piece after another from chunks, freed together with the arena: the
// nodes of a tree, their names and their lists.
class ByteArena {
public:
    ByteArena() = default;
    ByteArena(const ByteArena&) = delete;
    ByteArena& operator=(const ByteArena&) = delete;
    ByteArena(ByteArena&& o) noexcept : last_(o.last_), pos_(o.pos_), end_(o.end_) {
        o.last_ = nullptr;
        o.pos_ = o.end_ = nullptr;
    }
    ByteArena& operator=(ByteArena&& o) noexcept {
        if (this != &o) {
            clear();
            last_ = o.last_;
            pos_ = o.pos_;
            end_ = o.end_;
            o.last_ = nullptr;
            o.pos_ = o.end_ = nullptr;
        }
        return *this;
    }
    ~ByteArena() { clear(); }

    // `n` bytes aligned for a pointer.
    void* allocate(size_t n) {
        n = (n + alignof(void*) - 1) & ~(alignof(void*) - 1);
        if (size_t(end_ - pos_) < n) grow(n);
        void* p = pos_;
        pos_ += n;
        return p;
    }

private:
    struct Chunk {
        Chunk* prev;
        size_t size;
    };
    void grow(size_t n) {
        size_t size = last_ ? std::min<size_t>(last_->size * 2, 65536) : 2048;
        size = std::max(size, n);
        char* mem = static_cast<char*>(::operator new(sizeof(Chunk) + size));
        last_ = new (mem) Chunk{last_, size};
        pos_ = mem + sizeof(Chunk);
        end_ = pos_ + size;
    }
    void clear() {
        while (last_) {
            Chunk* c = last_;
            last_ = c->prev;
            ::operator delete(c);
        }
        pos_ = end_ = nullptr;
    }
    Chunk* last_ = nullptr;
    char* pos_ = nullptr;
    char* end_ = nullptr;
};

// A list of a node (arguments, statements of a block, ...): items kept in the tree's arena.
template <class T> class ArenaList {
public:
    ArenaList() = default;
    ArenaList(T* items, uint32_t count) : items_(items), count_(count) {}
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    T& operator[](size_t i) const { return items_[i]; }
    T* begin() const { return items_; }
    T* end() const { return items_ + count_; }

private:
    T* items_ = nullptr;
    uint32_t count_ = 0;
};
using ExprList = ArenaList<Expr*>;
using Block = ArenaList<Stmt*>;

enum class BinOp : uint8_t {
    Pow,
    Mul,
    Div,
    IDiv,
    Mod,
    Add,
    Sub,
    Concat,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Is,
    And,
    Or,
    Xor,
    Eqv,
    Imp,
};

enum class ExprKind : uint8_t {
    Literal, // value
    Name,    // name
    Me,      // Me
    Member,  // object.name (object null: `.name` inside With)
    Call,    // callee(args): call, array index or default member
    Unary,   // -x (op Sub) or Not x (op Xor as a marker: see is_not)
    Binary,  // lhs op rhs
    New,     // New name
};

struct Expr {
    ExprKind kind = ExprKind::Literal;
    BinOp op = BinOp::Add;
    bool is_not = false;     // Unary: Not rather than negation
    bool has_parens = false; // Call: written with parentheses
    int line = 0, col = 0;
    int depth = 1;                // height of the subtree, bounded by the parser
    const Value* value = nullptr; // Literal: kept in the tree's pool
    std::string_view name;        // Name, Member, New: kept in the tree's arena
    Expr* object = nullptr;       // Member: the object (null inside With); Call: the callee; Unary:
                                  // the operand
    Expr* rhs = nullptr;          // Binary
    Expr* lhs = nullptr;          // Binary
    ExprList args;                // Call: a null entry is an omitted argument
};

enum class StmtKind : uint8_t {
    Assign,   // target = value / Set target = value
    CallStmt, // a call as a statement
    Dim,      // Dim/Public/Private names with optional bounds
    ReDim,
    Erase,
    Const,
    If,
    Select,
    For,
    ForEach,
    Do,
    While,
    Exit,
    With,
    OnErrorResume,
    OnErrorGoto0,
    Nop,
};

enum class LoopCond : uint8_t { None, PreWhile, PreUntil, PostWhile, PostUntil };
enum class ExitKind : uint8_t { Do, For, Sub, Function, Property };

struct DimItem {
    std::string_view name; // kept in the tree's arena
    int line = 0, col = 0;
    bool is_array = false; // written with parentheses
    ExprList bounds;       // Dim: upper bounds (empty for `Dim a()`); ReDim: bounds
    Expr* value = nullptr; // Const
};

struct CaseClause {
    ExprList values; // empty: Case Else
    Block body;
};

struct IfArm {
    Expr* cond = nullptr;
    Block body;
};

struct Stmt {
    StmtKind kind = StmtKind::Nop;
    bool is_set = false;   // Assign: Set
    bool preserve = false; // ReDim Preserve
    bool has_else = false; // If, Select
    LoopCond loop = LoopCond::None;
    ExitKind exit = ExitKind::Do;
    int line = 0, col = 0;
    Expr* target = nullptr;      // Assign target, CallStmt expression, For/ForEach variable
    Expr* value = nullptr;       // Assign value, Select subject, For start, ForEach collection,
                                 // Do/While condition, With object
    Expr* to = nullptr;          // For
    Expr* step = nullptr;        // For
    ArenaList<DimItem> items;    // Dim, ReDim, Erase, Const
    ArenaList<IfArm> arms;       // If / ElseIf arms
    ArenaList<CaseClause> cases; // Select
    Block body;                  // loop/With body; If: the Else block
};

// Nodes own nothing: the arena frees a tree without visiting its nodes.
static_assert(std::is_trivially_destructible_v<Expr> && std::is_trivially_destructible_v<Stmt>);

enum class ProcKind : uint8_t { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct Param {
    std::string name;
    bool by_val = false;
    bool is_array = false; // written `a()`
};

struct ProcDecl {
    ProcKind kind = ProcKind::Sub;
    std::string name;
    int line = 0, col = 0;
    bool is_public = true;
    bool is_default = false;
    std::vector<Param> params;
    Block body;
};

struct FieldDecl {
    DimItem item;
    bool is_public = true;
};

struct ClassDecl {
    std::string name;
    int line = 0, col = 0;
    std::vector<FieldDecl> fields;
    std::vector<std::unique_ptr<ProcDecl>> procs;
};

// Where the nodes of one tree are kept. Nodes, names and lists share one arena in the order
// the parser makes them, so the compiler reads a statement's parts from nearby memory.
struct SyntaxNodes {
    NodePool<Value> values{4}; // the literals (a string one has to be released)
    ByteArena bytes;           // nodes, names and lists

    // A new node that lives as long as the tree.
    template <class N> N* make() {
        static_assert(std::is_trivially_destructible_v<N>, "the arena never runs destructors");
        static_assert(alignof(N) <= alignof(void*));
        return new (bytes.allocate(sizeof(N))) N();
    }

    // A copy of `text` that lives as long as the tree.
    std::string_view keep(std::string_view text) {
        if (text.empty()) return {};
        char* p = static_cast<char*>(bytes.allocate(text.size()));
        std::char_traits<char>::copy(p, text.data(), text.size());
        return {p, text.size()};
    }
    // A copy of items[0..count) that lives as long as the tree.
    template <class T> ArenaList<T> list(const T* items, size_t count) {
        static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                      "the arena never runs destructors");
        static_assert(alignof(T) <= alignof(void*));
        if (count == 0) return {};
        T* p = static_cast<T*>(bytes.allocate(count * sizeof(T)));
        std::uninitialized_copy(items, items + count, p);
        return {p, uint32_t(count)};
    }
    // A literal value that lives as long as the tree.
    const Value* keep(Value v) {
        Value* p = values.make();
        *p = std::move(v);
        return p;
    }
};

// One parsed text: its statements in order, and the procedures and classes it defines.
struct Program {
    SyntaxNodes nodes; // every Expr and Stmt below
    Block body;
    std::vector<std::unique_ptr<ProcDecl>> procs;
    std::vector<std::unique_ptr<ClassDecl>> classes;
    bool option_explicit = false;
};

// One parsed expression that owns its nodes (parse_expression).
class ExprPtr {
public:
    ExprPtr() = default;
    ExprPtr(std::unique_ptr<SyntaxNodes> nodes, Expr* root)
        : nodes_(std::move(nodes)), root_(root) {}
    Expr& operator*() const { return *root_; }
    Expr* operator->() const { return root_; }
    Expr* get() const { return root_; }
    explicit operator bool() const { return root_ != nullptr; }

private:
    std::unique_ptr<SyntaxNodes> nodes_;
    Expr* root_ = nullptr;
};

// A compile error: VBScript number (1002 Syntax error, 1025 Expected end of statement, ...)
// and position.
struct SyntaxError {
    int number = 0;
    int line = 0, col = 0;
};

// Parses a whole text (statement mode) or one expression (expression mode, where `=`
// compares). Returns false with `err` set on the first error. Nesting deeper than the parser's
// limit fails with error 28 "Out of stack space".
bool parse_program(std::string_view text, Program& out, SyntaxError& err);
bool parse_expression(std::string_view text, ExprPtr& out, SyntaxError& err);

} // namespace vbs
