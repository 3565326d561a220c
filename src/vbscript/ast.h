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
    static constexpr size_t kFirstSize = 2048;

    void grow(size_t n) {
        size_t size = last_ ? std::min<size_t>(last_->size * 2, 65536) : kFirstSize;
        size = std::max(size, n);
        char* mem = size == kFirstSize ? static_cast<char*>(take_first_chunk()) : nullptr;
        if (!mem) mem = static_cast<char*>(::operator new(sizeof(Chunk) + size));
        last_ = new (mem) Chunk{last_, size};
        pos_ = mem + sizeof(Chunk);
        end_ = pos_ + size;
    }
    void clear() {
        while (last_) {
            Chunk* c = last_;
            last_ = c->prev;
            if (c->size != kFirstSize || !keep_first_chunk(c)) ::operator delete(c);
        }
        pos_ = end_ = nullptr;
    }
    // A thread keeps one first-size chunk from tree to tree, so that a one-line text does
    // not allocate its arena (parser.cpp). take_first_chunk() returns it (or nullptr when
    // there is none); keep_first_chunk() takes a chunk back, false when one is kept already.
    static void* take_first_chunk();
    static bool keep_first_chunk(void* chunk);
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

// Where the nodes of one tree are kept. Nodes, names, lists and literal values share one
// arena in the order the parser makes them, so the compiler reads a statement's parts from
// nearby memory.
struct SyntaxNodes {
    ByteArena bytes; // nodes, names, lists and literals

    SyntaxNodes() = default;
    SyntaxNodes(const SyntaxNodes&) = delete;
    SyntaxNodes& operator=(const SyntaxNodes&) = delete;
    ~SyntaxNodes() {
        // A literal may hold a string, which has to be released.
        for (KeptValue* k = values_; k; k = k->next)
            k->value.~Value();
    }

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
        static_assert(alignof(KeptValue) <= alignof(void*));
        auto* k = new (bytes.allocate(sizeof(KeptValue))) KeptValue{std::move(v), values_};
        values_ = k;
        return &k->value;
    }

private:
    // The literals, chained in the arena (newest first) for the destructor.
    struct KeptValue {
        Value value;
        KeptValue* next;
    };
    KeptValue* values_ = nullptr;
};

// One parsed text: its statements in order, and the procedures and classes it defines.
struct Program {
    SyntaxNodes nodes; // every Expr and Stmt below
    Block body;
    std::vector<std::unique_ptr<ProcDecl>> procs;
    std::vector<std::unique_ptr<ClassDecl>> classes;
    bool option_explicit = false;
};

// One parsed expression that owns its nodes (parse_expression). It holds the nodes in
// itself, so that parsing a short expression allocates no more than its arena's first chunk.
class ExprPtr {
public:
    ExprPtr() = default;
    ExprPtr(const ExprPtr&) = delete;
    ExprPtr& operator=(const ExprPtr&) = delete;
    Expr& operator*() const { return *root_; }
    Expr* operator->() const { return root_; }
    Expr* get() const { return root_; }
    explicit operator bool() const { return root_ != nullptr; }

    // For parse_expression: where the nodes are made, and the root once it is known.
    SyntaxNodes& nodes() { return nodes_; }
    void set_root(Expr* root) { root_ = root; }

private:
    SyntaxNodes nodes_;
    Expr* root_ = nullptr;
};

// The most arguments one call takes and the most dimensions an array has. The parser refuses
// longer lists as it reads them (error 1002), so a huge list never fills memory first.
constexpr size_t kMaxCallArgs = 255;
// The most items of one Array(...) call: as many as an array may hold (kMaxArrayLength).
constexpr size_t kMaxListItems = kMaxArrayLength;
constexpr size_t kMaxArrayDims = 60;

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
