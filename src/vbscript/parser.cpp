// The parser: tokens to the syntax tree of ast.h.
#include "vbscript/ast.h"
#include "vbscript/lexer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

namespace vbs {

namespace {

// Nesting beyond these limits fails with "Out of stack space" instead of overflowing the
// native stack in the parser or the compiler, which both recurse over nested parts of the
// tree. A chain of operators of one level (`a + b - c + ...`) is no nesting: the parser
// reads it in a loop and the compiler walks it in one (see Expr::depth).
constexpr int kMaxNesting = 1500;   // parse recursion (parentheses, operands, blocks)
constexpr int kMaxExprDepth = 3000; // the compiler's recursion over an expression
// The most nodes one tree may have (about 200 MB of them). A text that needs more (several
// megabytes of dense operators) fails with "Out of memory" long before its tree could
// exhaust the machine's memory.
constexpr size_t kMaxNodes = size_t(1) << 21;
// The native stack one parse may use, measured from where it starts: the count above bounds
// the recursion of a plain build, this the larger frames of an instrumented one.
constexpr ptrdiff_t kParseStackBudget = ptrdiff_t(4) << 20;

inline const char* stack_position() {
#if defined(__GNUC__) || defined(__clang__)
    return static_cast<const char*>(__builtin_frame_address(0));
#else
    char here;
    return &here;
#endif
}

struct ParseFailure {
    SyntaxError err;
};
struct LexFailure {
    LexError err;
};

// The buffers one parse works in: the token chunks and the scratch stacks of the parser.
// A thread keeps one set from parse to parse (see BufferLease), so that a one-line text
// allocates none of them.
struct ParseBuffers {
    static constexpr size_t kChunk = 16;          // tokens per chunk
    std::vector<std::unique_ptr<Token[]>> chunks; // chunks[0] starts with the first held token
    std::vector<std::unique_ptr<Token[]>> spare;  // dropped chunks, reused
    // Scratch stacks where the lists of the tree are gathered (see Parser::Gather).
    std::vector<Stmt*> stmts;
    std::vector<Expr*> exprs;
    std::vector<DimItem> items;
    std::vector<IfArm> arms;
    std::vector<CaseClause> cases;
    bool long_text = false; // a token's text grew beyond kKeepText (see trim)

    // What a thread keeps between parses: a few chunks, stacks of moderate size and token
    // texts of moderate length. A huge text does not leave its memory behind.
    static constexpr size_t kKeepChunks = 4;
    static constexpr size_t kKeepStack = 1024;
    static constexpr size_t kKeepText = 256;
    void trim() {
        for (auto& c : chunks)
            spare.push_back(std::move(c));
        chunks.clear();
        if (spare.size() > kKeepChunks) spare.resize(kKeepChunks);
        if (long_text) {
            for (auto& c : spare)
                for (size_t i = 0; i < kChunk; ++i)
                    if (c[i].text.capacity() > kKeepText) std::string().swap(c[i].text);
            long_text = false;
        }
        trim_stack(stmts);
        trim_stack(exprs);
        trim_stack(items);
        trim_stack(arms);
        trim_stack(cases);
    }
    template <class V> static void trim_stack(V& v) {
        v.clear();
        if (v.capacity() > kKeepStack) V().swap(v);
    }
};

// Lends a parse the thread's buffers, or a set of its own when they are lent already (a parse
// started while another one runs on the thread).
class BufferLease {
public:
    BufferLease() {
        if (!lent_) {
            lent_ = true;
            b_ = &kept();
        } else {
            own_ = std::make_unique<ParseBuffers>();
            b_ = own_.get();
        }
    }
    ~BufferLease() {
        if (own_) return;
        b_->trim();
        lent_ = false;
    }
    BufferLease(const BufferLease&) = delete;
    BufferLease& operator=(const BufferLease&) = delete;
    ParseBuffers& operator*() const { return *b_; }

private:
    static ParseBuffers& kept() {
        static thread_local ParseBuffers buffers;
        return buffers;
    }
    static inline thread_local bool lent_ = false;
    ParseBuffers* b_;
    std::unique_ptr<ParseBuffers> own_;
};

// The tokens the parser may still look at. They are read from the lexer as the parser asks
// for them and dropped when a statement is done, so a long text never holds all its tokens
// at once. Tokens live in fixed chunks that never move, so a reference to a token stays valid
// until release() drops it; dropped chunks are reused.
class TokenStream {
public:
    TokenStream(std::string_view text, ParseBuffers& buffers)
        : lx_(text), chunks_(buffers.chunks), spare_(buffers.spare), long_text_(buffers.long_text) {
    }

    // Token i of the text (counting from 0). A lexical error on the way throws LexFailure.
    const Token& operator[](size_t i) {
        if (i >= end_) read_to(i);
        return slot(i);
    }

    // Drops the tokens before token i.
    void release(size_t i) {
        size_t whole = (i - first_) / kChunk;
        if (whole == 0) return;
        for (size_t k = 0; k < whole; ++k)
            spare_.push_back(std::move(chunks_[k]));
        chunks_.erase(chunks_.begin(), chunks_.begin() + ptrdiff_t(whole));
        held_ = chunks_.data();
        first_ += whole * kChunk;
    }

    // After a syntax error: reads the rest of the text. A lexical error anywhere in the text
    // is reported rather than the syntax error, as if the whole text had been read first;
    // returns true with `err` set when there is one.
    bool lex_error_in_rest(LexError& err) {
        Token t;
        while (lx_.next(t))
            if (t.kind == T::Eof) return false;
        err = lx_.error();
        return true;
    }

private:
    static constexpr size_t kChunk = ParseBuffers::kChunk;

    Token& slot(size_t i) { return held_[(i - first_) / kChunk][(i - first_) % kChunk]; }

    // Out of line, so that the look-up above stays small enough to inline.
    [[gnu::noinline]] void read_to(size_t i) {
        while (i >= end_)
            pull();
    }

    // Reads tokens up to the end of the last chunk (a new one when it is full) or to the end
    // of the text. Reading ahead of the parser changes no result: a lexical error anywhere in
    // a text is the error it reports (see lex_error_in_rest).
    void pull() {
        if (end_ - first_ == chunks_.size() * kChunk) {
            if (spare_.empty()) {
                chunks_.push_back(std::make_unique<Token[]>(kChunk));
            } else {
                chunks_.push_back(std::move(spare_.back()));
                spare_.pop_back();
            }
            held_ = chunks_.data();
        }
        Token* const chunk = chunks_.back().get();
        for (size_t k = (end_ - first_) % kChunk; k < kChunk; ++k) {
            Token& t = chunk[k];
            if (!lx_.next(t)) throw LexFailure{lx_.error()};
            if (t.text.capacity() > ParseBuffers::kKeepText) long_text_ = true;
            ++end_;
            if (t.kind == T::Eof) break;
        }
    }

    Lexer lx_;
    std::vector<std::unique_ptr<Token[]>>& chunks_; // chunks_[0] starts with token first_
    std::unique_ptr<Token[]>* held_ = nullptr;      // chunks_.data(), read with one load
    std::vector<std::unique_ptr<Token[]>>& spare_;
    bool& long_text_;
    size_t first_ = 0; // a multiple of kChunk
    size_t end_ = 0;   // one past the last token read
};
// One row per binary operator token: the expression parser is driven by this table.
struct BinRow {
    T tok;
    BinOp op;
    int prec;
};
const BinRow kBinOps[] = {
    {T::Imp, BinOp::Imp, 1},    {T::Eqv, BinOp::Eqv, 2},         {T::Xor, BinOp::Xor, 3},
    {T::Or, BinOp::Or, 4},      {T::And, BinOp::And, 5},         {T::Eq, BinOp::Eq, 7},
    {T::Ne, BinOp::Ne, 7},      {T::Lt, BinOp::Lt, 7},           {T::Gt, BinOp::Gt, 7},
    {T::Le, BinOp::Le, 7},      {T::Ge, BinOp::Ge, 7},           {T::Is, BinOp::Is, 7},
    {T::Amp, BinOp::Concat, 8}, {T::Plus, BinOp::Add, 9},        {T::Minus, BinOp::Sub, 9},
    {T::Mod, BinOp::Mod, 10},   {T::Backslash, BinOp::IDiv, 11}, {T::Star, BinOp::Mul, 12},
    {T::Slash, BinOp::Div, 12}, {T::Caret, BinOp::Pow, 14},
};
constexpr int kNotPrec = 6;
constexpr int kNegOperandPrec = 15; // a sign binds tighter than ^: -3^2 is (-3)^2

// kBinOps by token kind, built once: the row of each operator token, or null.
const BinRow* find_binop(T tok) {
    static const auto by_token = [] {
        std::array<const BinRow*, size_t(T::Count_)> rows{};
        for (const BinRow& r : kBinOps)
            rows[size_t(r.tok)] = &r;
        return rows;
    }();
    return by_token[size_t(tok)];
}

class Parser {
public:
    Parser(TokenStream& toks, SyntaxNodes& nodes, ParseBuffers& buffers)
        : t_(toks), nodes_(nodes), stmt_stack_(buffers.stmts), expr_stack_(buffers.exprs),
          item_stack_(buffers.items), arm_stack_(buffers.arms), case_stack_(buffers.cases),
          stack_base_(stack_position()) {}

    // program -> {statement_line} EOF
    void program(Program& prog) {
        prog_ = &prog;
        Gather<Stmt*> body(stmt_stack_, nodes_);
        skip_separators();
        while (!at(T::Eof)) {
            if (Stmt* st = top_level_item(prog)) body.add(st);
            end_of_statement();
            t_.release(p_);
        }
        prog.body = body.done();
    }

    // A whole text that must be one expression.
    Expr* whole_expression() {
        while (at(T::Newline))
            ++p_;
        Expr* e = expression();
        while (at(T::Newline) || at(T::Colon))
            ++p_;
        if (!at(T::Eof)) fail(1025);
        return e;
    }

private:
    // --- token helpers -------------------------------------------------------------------
    const Token& cur() { return t_[p_]; }
    bool at(T k) { return t_[p_].kind == k; }
    bool at_word(std::string_view w) { return at(T::Ident) && iequals(cur().text, w); }
    bool accept(T k) {
        if (!at(k)) return false;
        ++p_;
        return true;
    }
    void expect(T k, int err) {
        if (!accept(k)) fail(err);
    }
    void expect_word(std::string_view w, int err) {
        if (!at_word(w)) fail(err);
        ++p_;
    }
    [[noreturn]] void fail(int number) { fail_at(number, cur()); }
    [[noreturn]] void fail_at(int number, const Token& at) {
        throw ParseFailure{SyntaxError{number, at.line, at.col}};
    }
    [[noreturn]] void fail_at(int number, int line, int col) {
        throw ParseFailure{SyntaxError{number, line, col}};
    }
    bool at_end_of_statement() {
        T k = cur().kind;
        return k == T::Newline || k == T::Colon || k == T::Eof;
    }
    bool at_line_end() { return at(T::Newline) || at(T::Eof); }
    void end_of_statement() {
        if (at(T::Eof)) return;
        if (!accept(T::Newline) && !accept(T::Colon)) fail(1025);
        skip_separators();
    }
    void skip_separators() {
        while (at(T::Newline) || at(T::Colon))
            ++p_;
    }
    // The name at the current token, which is then passed.
    const std::string& identifier() {
        if (!at(T::Ident) && !at_property_name()) fail(1010);
        return t_[p_++].text;
    }
    // `Property` not followed by Get, Let or Set is an ordinary name.
    bool at_property_name() { return at(T::Property) && !starts_property_decl(p_); }
    bool starts_property_decl(size_t at) {
        const Token& next = t_[at + 1];
        return next.kind == T::Set ||
               (next.kind == T::Ident && (iequals(next.text, "get") || iequals(next.text, "let")));
    }
    // `End Sub` (Function, Property, Class) may follow the last statement on its line.
    bool at_closing_end() {
        if (!at(T::End)) return false;
        T k = t_[p_ + 1].kind;
        return k == T::Sub || k == T::Function || k == T::Property || k == T::Class;
    }

    // Gathers the items of one list of the tree on a scratch stack, then copies them into the
    // tree. The lists of nodes nested in an item are gathered above it and gone again before
    // the item is added, so every list lies in one piece.
    template <class I> class Gather {
    public:
        Gather(std::vector<I>& stack, SyntaxNodes& nodes)
            : stack_(stack), nodes_(nodes), mark_(stack.size()) {}
        Gather(const Gather&) = delete;
        Gather& operator=(const Gather&) = delete;
        ~Gather() { stack_.resize(mark_); }
        void add(const I& item) { stack_.push_back(item); }
        size_t size() const { return stack_.size() - mark_; }
        ArenaList<I> done() const { return nodes_.list(stack_.data() + mark_, size()); }

    private:
        std::vector<I>& stack_;
        SyntaxNodes& nodes_;
        size_t mark_;
    };

    struct Nest {
        explicit Nest(Parser& p) : p(p) {
            if (++p.nesting_ > kMaxNesting || p.stack_base_ - stack_position() > kParseStackBudget)
                p.fail(28);
        }
        ~Nest() { --p.nesting_; }
        Parser& p;
    };

    void count_node() {
        if (++node_count_ > kMaxNodes) fail(7);
    }

    Expr* node(ExprKind k, const Token& at) {
        count_node();
        Expr* e = nodes_.make<Expr>();
        e->kind = k;
        e->line = at.line;
        e->col = at.col;
        return e;
    }
    void set_depth(Expr& e, const Expr* a, const Expr* b) {
        int d = 0;
        if (a) d = a->depth;
        if (b && b->depth > d) d = b->depth;
        e.depth = d + 1;
        if (e.depth > kMaxExprDepth) fail(28);
    }
    // The compiler walks the left operands of a chain of binary operators in a loop, and
    // recurses one level into each right operand.
    void set_binary_depth(Expr& e) {
        if (e.lhs->kind == ExprKind::Binary)
            e.depth = std::max(e.lhs->depth, e.rhs->depth + 1);
        else
            e.depth = std::max(e.lhs->depth, e.rhs->depth) + 1;
        if (e.depth > kMaxExprDepth) fail(28);
    }

    // --- expressions ---------------------------------------------------------------------

    // expr -> binary(1)
    Expr* expression() { return binary(1); }

    // binary(p) -> prefix(p) {binop binary(prec + 1)}   with prec >= p, from kBinOps
    Expr* binary(int min_prec) {
        Nest n(*this);
        Expr* lhs = prefix();
        while (const BinRow* row = find_binop(cur().kind)) {
            if (row->prec < min_prec) break;
            const Token& op = t_[p_++];
            Expr* rhs = binary(row->prec + 1);
            Expr* b = node(ExprKind::Binary, op);
            b->op = row->op;
            b->lhs = lhs;
            b->rhs = rhs;
            set_binary_depth(*b);
            lhs = b;
        }
        return lhs;
    }

    // prefix -> Not binary(Not) | '-' prefix | '+' prefix | postfix
    Expr* prefix() {
        const Token& tk = cur();
        if (accept(T::Not)) {
            Expr* operand = binary(kNotPrec);
            Expr* u = node(ExprKind::Unary, tk);
            u->is_not = true;
            set_depth(*u, operand, nullptr);
            u->object = operand;
            return u;
        }
        if (accept(T::Minus)) {
            Expr* operand = binary(kNegOperandPrec);
            Expr* u = node(ExprKind::Unary, tk);
            set_depth(*u, operand, nullptr);
            u->object = operand;
            return u;
        }
        if (accept(T::Plus)) return binary(kNegOperandPrec);
        return postfix(nullptr);
    }

    // postfix -> primary {'.' name | '(' args ')'}
    // Records in last_paren_ where the last argument group began, for statement parsing.
    Expr* postfix(size_t* last_paren) {
        Expr* e = primary();
        while (true) {
            if (at(T::Dot) && !cur().space_before) {
                const Token& dot = t_[p_++];
                Expr* m = node(ExprKind::Member, dot);
                m->name = member_name();
                set_depth(*m, e, nullptr);
                m->object = e;
                e = m;
                if (last_paren) *last_paren = 0;
            } else if (at(T::LParen) && e->kind != ExprKind::Literal) {
                size_t start = p_;
                const Token& lp = t_[p_++];
                Expr* c = node(ExprKind::Call, lp);
                c->has_parens = true;
                // `(f)(x)` calls f: the parentheses around a callee change nothing.
                if (is_by_value_wrap(*e)) e = e->object;
                c->object = e;
                c->args = arguments(T::RParen, *c);
                expect(T::RParen, 1006);
                int d = e->depth;
                for (auto& a : c->args)
                    if (a && a->depth > d) d = a->depth;
                c->depth = d + 1;
                if (c->depth > kMaxExprDepth) fail(28);
                c->object = e;
                e = c;
                if (last_paren) *last_paren = start;
            } else
                break;
        }
        return e;
    }

    std::string_view member_name() {
        if (at(T::Ident)) return nodes_.keep(t_[p_++].text);
        // Keywords are allowed as member names when the lexer could not tell (after spaces).
        if (cur().kind >= T::And && cur().kind < T::Count_) return token_name(t_[p_++].kind);
        fail(1010);
    }

    // args -> [arg] {',' [arg]}   (an empty position is an omitted argument)
    // `call` is the call's node, where a list longer than a call takes is reported; its
    // callee is known already. Array(...) takes as many items as an array may hold (a sheet's
    // long list becomes one such call); every other call at most kMaxCallArgs.
    ExprList arguments(T closer, const Expr& call) {
        if (at(closer)) return {};
        Gather<Expr*> args(expr_stack_, nodes_);
        const size_t limit = call.object && call.object->kind == ExprKind::Name &&
                                     iequals(call.object->name, "array")
                                 ? kMaxListItems
                                 : kMaxCallArgs;
        while (true) {
            if (args.size() == limit) fail_at(1002, call.line, call.col);
            if (at(T::Comma) || (closer != T::Eof && at(closer))) {
                args.add(nullptr);
            } else if (closer == T::Eof && at_end_of_statement()) {
                args.add(nullptr);
            } else {
                Expr* arg = expression();
                args.add(arg);
            }
            if (!accept(T::Comma)) break;
        }
        return args.done();
    }

    // primary -> literal | name | Me | New name | '(' expr ')' | '.' name
    Expr* primary() {
        const Token& tk = cur();
        switch (tk.kind) {
        case T::IntLit: {
            ++p_;
            Expr* e = node(ExprKind::Literal, tk);
            if (tk.is_double)
                e->value = nodes_.keep(Value::dbl(tk.dval));
            else if (tk.is_long)
                e->value = nodes_.keep(Value::long_(int32_t(tk.ival)));
            else
                e->value = nodes_.keep(Value::integer(int16_t(tk.ival)));
            return e;
        }
        case T::FloatLit:
            return literal(Value::dbl(tk.dval));
        case T::StrLit:
            return literal(Value::string(tk.text));
        case T::DateLit:
            return literal(Value::date(tk.dval));
        case T::True:
            return literal(Value::boolean(true));
        case T::False:
            return literal(Value::boolean(false));
        case T::Empty:
            return literal(Value());
        case T::Null:
            return literal(Value::null());
        case T::Nothing:
            return literal(Value::nothing());
        case T::Ident:
        case T::Property: {
            if (tk.kind == T::Property && starts_property_decl(p_)) fail(1023);
            ++p_;
            Expr* e = node(ExprKind::Name, tk);
            e->name = nodes_.keep(tk.text);
            return e;
        }
        case T::Me:
            ++p_;
            return node(ExprKind::Me, tk);
        case T::New: {
            ++p_;
            Expr* e = node(ExprKind::New, tk);
            e->name = nodes_.keep(identifier());
            return e;
        }
        case T::LParen: {
            ++p_;
            Expr* e = expression(); // nests through binary()
            expect(T::RParen, 1006);
            e->has_parens = true;
            if (e->kind == ExprKind::Name || e->kind == ExprKind::Member ||
                e->kind == ExprKind::Call) {
                // Keep a parenthesised variable or array element from being passed ByRef.
                Expr* wrap = node(ExprKind::Unary, tk);
                wrap->op = BinOp::Concat; // marker: identity, see compiler
                set_depth(*wrap, e, nullptr);
                wrap->object = e;
                return wrap;
            }
            return e;
        }
        case T::Dot: {
            ++p_;
            Expr* e = node(ExprKind::Member, tk);
            e->name = member_name();
            return e;
        }
        default:
            fail(1023);
        }
    }

    // The node primary() puts around a parenthesised variable or element (a plain value).
    static bool is_by_value_wrap(const Expr& e) {
        return e.kind == ExprKind::Unary && !e.is_not && e.op == BinOp::Concat;
    }

    Expr* literal(Value v) {
        Expr* e = node(ExprKind::Literal, cur());
        ++p_;
        e->value = nodes_.keep(std::move(v));
        return e;
    }

    // --- statements ----------------------------------------------------------------------

    // top_item -> [Public|Private] (Sub|Function|Property|Class ...) | Class ... | statement
    // Returns the statement, or null for a procedure or class (added to `prog`).
    Stmt* top_level_item(Program& prog) {
        size_t save = p_;
        bool is_public = true, is_default = false, had_access = false;
        if (at(T::Public) || at(T::Private)) {
            is_public = at(T::Public);
            ++p_;
            had_access = true;
            if (at_word("default")) {
                ++p_;
                is_default = true;
            }
        }
        if (at(T::Sub) || at(T::Function) || (at(T::Property) && !at_property_name())) {
            prog.procs.push_back(procedure(is_public, is_default));
            return nullptr;
        }
        if (at(T::Class) && !had_access) {
            prog.classes.push_back(class_decl());
            return nullptr;
        }
        p_ = save;
        return statement(true);
    }

    // proc -> (Sub|Function) name ['(' params ')'] NL block End (Sub|Function)
    //       | Property (Get|Let|Set) name ['(' params ')'] NL block End Property
    std::unique_ptr<ProcDecl> procedure(bool is_public, bool is_default) {
        auto pd = std::make_unique<ProcDecl>();
        pd->is_public = is_public;
        pd->is_default = is_default;
        pd->line = cur().line;
        pd->col = cur().col;
        T end_kind = cur().kind;
        if (accept(T::Sub))
            pd->kind = ProcKind::Sub;
        else if (accept(T::Function))
            pd->kind = ProcKind::Function;
        else {
            expect(T::Property, 1050);
            if (at_word("get"))
                pd->kind = ProcKind::PropertyGet;
            else if (at_word("let"))
                pd->kind = ProcKind::PropertyLet;
            else if (at(T::Set))
                pd->kind = ProcKind::PropertySet;
            else
                fail(1049);
            ++p_;
        }
        pd->name = identifier();
        if (accept(T::LParen)) {
            if (!at(T::RParen)) {
                while (true) {
                    Param prm;
                    if (accept(T::ByVal))
                        prm.by_val = true;
                    else
                        accept(T::ByRef);
                    prm.name = identifier();
                    if (accept(T::LParen)) {
                        expect(T::RParen, 1006);
                        prm.is_array = true;
                    }
                    pd->params.push_back(std::move(prm));
                    if (!accept(T::Comma)) break;
                }
            }
            expect(T::RParen, 1006);
        }
        in_proc_ = pd->kind == ProcKind::Sub        ? ExitKind::Sub
                   : pd->kind == ProcKind::Function ? ExitKind::Function
                                                    : ExitKind::Property;
        proc_depth_++;
        pd->body = block();
        proc_depth_--;
        expect(T::End, 1014);
        if (!accept(end_kind))
            fail(end_kind == T::Sub ? 1016 : end_kind == T::Function ? 1015 : 1050);
        return pd;
    }

    // class -> Class name NL {member NL} End Class
    std::unique_ptr<ClassDecl> class_decl() {
        auto cd = std::make_unique<ClassDecl>();
        cd->line = cur().line;
        cd->col = cur().col;
        expect(T::Class, 1047);
        cd->name = identifier();
        end_of_statement();
        while (!at(T::End)) {
            if (at(T::Eof)) fail(1014);
            bool is_public = true, is_default = false, had_access = false;
            if (at(T::Public) || at(T::Private)) {
                is_public = at(T::Public);
                had_access = true;
                ++p_;
                if (at_word("default")) {
                    ++p_;
                    is_default = true;
                }
            } else if (accept(T::Dim)) {
                had_access = true;
            }
            if (at(T::Sub) || at(T::Function) || (at(T::Property) && !at_property_name())) {
                cd->procs.push_back(procedure(is_public, is_default));
            } else if (had_access && !is_default) {
                if (at(T::Const)) fail(1048);
                while (true) {
                    FieldDecl f;
                    f.is_public = is_public;
                    f.item = dim_item(false);
                    cd->fields.push_back(std::move(f));
                    if (!accept(T::Comma)) break;
                }
            } else {
                fail(1024);
            }
            if (!at_closing_end()) end_of_statement();
        }
        expect(T::End, 1014);
        expect(T::Class, 1047);
        return cd;
    }

    // block -> {statement sep} until End/Else/ElseIf/Case/Loop/Next/Wend
    // `if_arm`: the block is an arm of a block If (see in_if_arm_).
    Block block(bool if_arm = false) {
        Nest n(*this);
        IfArmScope arm_scope(*this, if_arm);
        Gather<Stmt*> out(stmt_stack_, nodes_);
        skip_separators();
        while (true) {
            switch (cur().kind) {
            case T::End:
            case T::Else:
            case T::ElseIf:
            case T::Case:
            case T::Loop:
            case T::Next:
            case T::Wend:
            case T::Eof:
                return out.done();
            default:
                break;
            }
            Stmt* st = statement(false);
            out.add(st);
            if (proc_depth_ > 0 && at_closing_end()) return out.done();
            end_of_statement();
            // Nothing holds a token of a finished statement (see TokenStream).
            t_.release(p_);
        }
    }

    // Sets in_if_arm_ for one block and restores it after.
    struct IfArmScope {
        IfArmScope(Parser& p, bool arm) : p(p), saved(p.in_if_arm_) { p.in_if_arm_ = arm; }
        ~IfArmScope() { p.in_if_arm_ = saved; }
        Parser& p;
        bool saved;
    };

    Stmt* make_stmt(StmtKind k, const Token& at) {
        count_node();
        Stmt* s = nodes_.make<Stmt>();
        s->kind = k;
        s->line = at.line;
        s->col = at.col;
        return s;
    }

    // statement -> one of the forms below; `top` allows what only script level may hold
    Stmt* statement(bool top) {
        const Token& tk = cur();
        switch (tk.kind) {
        case T::Dim:
            ++p_;
            return dim_stmt(tk);
        case T::Public:
        case T::Private:
            if (!top) fail(1024);
            ++p_;
            if (at(T::Const)) return const_stmt();
            return dim_stmt(tk);
        case T::ReDim:
            return redim_stmt();
        case T::Const:
            return const_stmt();
        case T::Erase: {
            ++p_;
            Stmt* s = make_stmt(StmtKind::Erase, tk);
            Gather<DimItem> items(item_stack_, nodes_);
            while (true) {
                DimItem it;
                it.line = cur().line;
                it.col = cur().col;
                it.name = nodes_.keep(identifier());
                items.add(it);
                if (!accept(T::Comma)) break;
            }
            s->items = items.done();
            return s;
        }
        case T::Option: {
            ++p_;
            expect_word("explicit", 1025);
            if (prog_) prog_->option_explicit = true;
            return make_stmt(StmtKind::Nop, tk);
        }
        case T::Set: {
            ++p_;
            Stmt* s = make_stmt(StmtKind::Assign, tk);
            s->is_set = true;
            s->target = postfix(nullptr);
            expect(T::Eq, 1011);
            s->value = expression();
            return s;
        }
        case T::Call: {
            ++p_;
            Stmt* s = make_stmt(StmtKind::CallStmt, tk);
            s->target = postfix(nullptr);
            return s;
        }
        case T::If:
            return if_stmt();
        case T::Select:
            return select_stmt();
        case T::For:
            return for_stmt();
        case T::Do:
            return do_stmt();
        case T::While: {
            ++p_;
            Stmt* s = make_stmt(StmtKind::While, tk);
            s->value = expression();
            s->body = block();
            expect(T::Wend, 1018);
            return s;
        }
        case T::Exit:
            return exit_stmt();
        case T::With: {
            ++p_;
            Stmt* s = make_stmt(StmtKind::With, tk);
            s->value = expression();
            s->body = block();
            expect(T::End, 1014);
            expect(T::With, 1029);
            return s;
        }
        case T::On: {
            ++p_;
            expect_word("error", 1002);
            if (at_word("resume")) {
                ++p_;
                expect(T::Next, 1002);
                return make_stmt(StmtKind::OnErrorResume, tk);
            }
            expect_word("goto", 1002);
            if (!at(T::IntLit) || cur().ival != 0) fail(1002);
            ++p_;
            return make_stmt(StmtKind::OnErrorGoto0, tk);
        }
        case T::Property:
            if (!starts_property_decl(p_)) return simple_stmt();
            fail(1024);
        case T::Sub:
        case T::Function:
        case T::Class:
            fail(1024);
        case T::Ident:
            if (at_word("stop") && (t_[p_ + 1].kind == T::Newline || t_[p_ + 1].kind == T::Colon ||
                                    t_[p_ + 1].kind == T::Eof)) {
                ++p_;
                return make_stmt(StmtKind::Nop, tk);
            }
            if (at_word("let") && t_[p_ + 1].kind == T::Ident) ++p_;
            return simple_stmt();
        case T::Me:
        case T::Dot:
            return simple_stmt();
        default:
            fail(1024);
        }
    }

    // simple -> target '=' expr | callee [args]
    Stmt* simple_stmt() {
        const Token& tk = cur();
        size_t last_paren = 0;
        Expr* lhs = postfix(&last_paren);
        if (accept(T::Eq)) {
            Stmt* s = make_stmt(StmtKind::Assign, tk);
            s->target = lhs;
            s->value = expression();
            return s;
        }
        Stmt* s = make_stmt(StmtKind::CallStmt, tk);
        if (at_end_of_statement() || at(T::Else)) {
            // `Foo(x)` as a statement passes x in parentheses: by value.
            if (lhs->kind == ExprKind::Call && lhs->args.size() == 1 && lhs->args[0]) {
                Expr*& a = lhs->args[0];
                if (a->kind == ExprKind::Name || a->kind == ExprKind::Member ||
                    a->kind == ExprKind::Call) {
                    Expr* wrap = node(ExprKind::Unary, tk);
                    wrap->op = BinOp::Concat;
                    wrap->depth = a->depth + 1;
                    wrap->object = a;
                    a = wrap;
                }
            }
            s->target = lhs;
            return s;
        }
        // Arguments without parentheses. A parenthesised group just before them was the start
        // of the first argument (`Foo (1) + 2, 3`): parse it again as an expression.
        Expr* callee;
        if (lhs->kind == ExprKind::Call && last_paren != 0) {
            p_ = last_paren;
            callee = lhs->object;
        } else {
            callee = lhs;
        }
        Expr* call = node(ExprKind::Call, tk);
        call->object = callee;
        call->args = arguments(T::Eof, *call);
        s->target = call;
        return s;
    }

    // dim -> Dim item {',' item};  item -> name ['(' [bounds] ')']
    Stmt* dim_stmt(const Token& tk) {
        Stmt* s = make_stmt(StmtKind::Dim, tk);
        Gather<DimItem> items(item_stack_, nodes_);
        while (true) {
            DimItem it = dim_item(false);
            items.add(it);
            if (!accept(T::Comma)) break;
        }
        s->items = items.done();
        return s;
    }

    DimItem dim_item(bool redim) {
        DimItem it;
        it.line = cur().line;
        it.col = cur().col;
        it.name = nodes_.keep(identifier());
        if (accept(T::LParen)) {
            it.is_array = true;
            if (!at(T::RParen)) {
                Gather<Expr*> bounds(expr_stack_, nodes_);
                while (true) {
                    if (bounds.size() == kMaxArrayDims) fail_at(1002, it.line, it.col);
                    Expr* b = expression();
                    bounds.add(b);
                    if (!accept(T::Comma)) break;
                }
                it.bounds = bounds.done();
            } else if (redim) {
                fail(1023);
            }
            expect(T::RParen, 1006);
        } else if (redim) {
            fail(1005);
        }
        return it;
    }

    // redim -> ReDim [Preserve] item {',' item}
    Stmt* redim_stmt() {
        Stmt* s = make_stmt(StmtKind::ReDim, cur());
        ++p_;
        if (at_word("preserve")) {
            ++p_;
            s->preserve = true;
        }
        Gather<DimItem> items(item_stack_, nodes_);
        while (true) {
            DimItem it = dim_item(true);
            items.add(it);
            if (!accept(T::Comma)) break;
        }
        s->items = items.done();
        return s;
    }

    // const -> Const name '=' expr {',' name '=' expr}
    Stmt* const_stmt() {
        Stmt* s = make_stmt(StmtKind::Const, cur());
        expect(T::Const, 1002);
        Gather<DimItem> items(item_stack_, nodes_);
        while (true) {
            DimItem it;
            it.line = cur().line;
            it.col = cur().col;
            it.name = nodes_.keep(identifier());
            expect(T::Eq, 1011);
            it.value = expression();
            items.add(it);
            if (!accept(T::Comma)) break;
        }
        s->items = items.done();
        return s;
    }

    // if -> If expr Then NL block {ElseIf expr Then NL block} [Else NL block] End If
    //     | If expr Then [':'] [stmts] [Else [stmts]] [End If]      (single line)
    //     | If expr Then stmts NL {ElseIf ...} [Else ...] End If  (first arm on the If line)
    Stmt* if_stmt() {
        Stmt* s = make_stmt(StmtKind::If, cur());
        ++p_;
        Gather<IfArm> arms(arm_stack_, nodes_);
        IfArm arm;
        arm.cond = expression();
        expect(T::Then, 1017);
        if (!at_line_end()) {
            // `If c Then :` alone on its line is a single-line If that does nothing.
            bool colon = accept(T::Colon);
            if (!at_line_end() || colon) {
                if (!at_single_line_end()) arm.body = single_line_body();
                arms.add(arm);
                if (accept(T::Else)) {
                    s->has_else = true;
                    if (!at_single_line_end()) s->body = single_line_body();
                } else if (!in_if_arm_ && continues_with_else_lines()) {
                    // The first arm was written on the If line; the ElseIf and Else lines
                    // below belong to this If, as no enclosing If could take them.
                    skip_separators();
                    return if_rest(s, arms);
                }
                s->arms = arms.done();
                if (at(T::End) && t_[p_ + 1].kind == T::If) p_ += 2; // tolerated "End If"
                return s;
            }
        }
        arm.body = block(true);
        arms.add(arm);
        return if_rest(s, arms);
    }

    // Where the statements of a single-line If arm end: the line, `Else`, a tolerated
    // `End If`, or the `End Sub` that closes a procedure written on one line.
    bool at_single_line_end() {
        return at_line_end() || at(T::Else) || (at(T::End) && t_[p_ + 1].kind == T::If) ||
               at_closing_end();
    }

    // Whether the next line that holds anything starts with ElseIf or Else.
    bool continues_with_else_lines() {
        if (!at(T::Newline)) return false;
        size_t k = p_;
        while (t_[k].kind == T::Newline || t_[k].kind == T::Colon)
            ++k;
        return t_[k].kind == T::ElseIf || t_[k].kind == T::Else;
    }

    // The ElseIf and Else arms of a block If and its End If.
    Stmt* if_rest(Stmt* s, Gather<IfArm>& arms) {
        while (true) {
            if (accept(T::ElseIf)) {
                IfArm a;
                a.cond = expression();
                expect(T::Then, 1017);
                if (!at_line_end() && !at(T::Colon)) {
                    a.body = single_line_body();
                    skip_separators();
                } else
                    a.body = block(true);
                arms.add(a);
                continue;
            }
            if (accept(T::Else)) {
                s->has_else = true;
                s->body = block(true);
            }
            break;
        }
        s->arms = arms.done();
        expect(T::End, 1014);
        expect(T::If, 1012);
        return s;
    }

    // Statements of a single-line If up to Else or the end of the line.
    Block single_line_body() {
        Nest n(*this);
        Gather<Stmt*> out(stmt_stack_, nodes_);
        while (true) {
            Stmt* st = statement(false);
            out.add(st);
            if (accept(T::Colon)) {
                if (at_single_line_end()) break;
                continue;
            }
            break;
        }
        if (!at_single_line_end()) fail(1025);
        return out.done();
    }

    // select -> Select Case expr NL {Case list NL block} [Case Else NL block] End Select
    Stmt* select_stmt() {
        Stmt* s = make_stmt(StmtKind::Select, cur());
        ++p_;
        expect(T::Case, 1021);
        s->value = expression();
        end_of_statement();
        Gather<CaseClause> cases(case_stack_, nodes_);
        while (accept(T::Case)) {
            CaseClause c;
            if (accept(T::Else)) {
                s->has_else = true;
            } else {
                Gather<Expr*> values(expr_stack_, nodes_);
                while (true) {
                    Expr* v = expression();
                    values.add(v);
                    if (!accept(T::Comma)) break;
                }
                c.values = values.done();
            }
            if (!at(T::Case)) c.body = block();
            cases.add(c);
            if (c.values.empty()) break;
        }
        s->cases = cases.done();
        expect(T::End, 1014);
        expect(T::Select, 1022);
        return s;
    }

    // for -> For name '=' expr To expr [Step expr] NL block Next [name]
    //      | For Each name In expr NL block Next [name]
    Stmt* for_stmt() {
        const Token& tk = cur();
        ++p_;
        if (accept(T::Each)) {
            Stmt* s = make_stmt(StmtKind::ForEach, tk);
            s->target = loop_variable();
            expect(T::In, 1046);
            s->value = expression();
            s->body = loop_body();
            return s;
        }
        Stmt* s = make_stmt(StmtKind::For, tk);
        s->target = loop_variable();
        expect(T::Eq, 1011);
        s->value = expression();
        expect(T::To, 1013);
        s->to = expression();
        if (at_word("step")) {
            ++p_;
            s->step = expression();
        }
        s->body = loop_body();
        return s;
    }

    Expr* loop_variable() {
        if (!at(T::Ident)) fail(1010);
        const Token& tk = t_[p_++];
        Expr* e = node(ExprKind::Name, tk);
        e->name = nodes_.keep(tk.text);
        return e;
    }

    Block loop_body() {
        Block body = block();
        expect(T::Next, 1020);
        if (at(T::Ident)) ++p_;
        return body;
    }

    // do -> Do [(While|Until) expr] NL block Loop [(While|Until) expr]
    Stmt* do_stmt() {
        Stmt* s = make_stmt(StmtKind::Do, cur());
        ++p_;
        if (accept(T::While)) {
            s->loop = LoopCond::PreWhile;
            s->value = expression();
        } else if (accept(T::Until)) {
            s->loop = LoopCond::PreUntil;
            s->value = expression();
        }
        s->body = block();
        expect(T::Loop, 1019);
        if (s->loop == LoopCond::None) {
            if (accept(T::While)) {
                s->loop = LoopCond::PostWhile;
                s->value = expression();
            } else if (accept(T::Until)) {
                s->loop = LoopCond::PostUntil;
                s->value = expression();
            }
        }
        return s;
    }

    // exit -> Exit (Do|For|Sub|Function|Property)
    Stmt* exit_stmt() {
        Stmt* s = make_stmt(StmtKind::Exit, cur());
        ++p_;
        if (accept(T::Do))
            s->exit = ExitKind::Do;
        else if (accept(T::For))
            s->exit = ExitKind::For;
        else if (accept(T::Sub))
            s->exit = ExitKind::Sub;
        else if (accept(T::Function))
            s->exit = ExitKind::Function;
        else if (accept(T::Property))
            s->exit = ExitKind::Property;
        else
            fail(1039);
        return s;
    }

    TokenStream& t_;
    SyntaxNodes& nodes_; // where the nodes of the tree are made
    // Scratch stacks where the lists of the tree are gathered (see Gather).
    std::vector<Stmt*>& stmt_stack_;
    std::vector<Expr*>& expr_stack_;
    std::vector<DimItem>& item_stack_;
    std::vector<IfArm>& arm_stack_;
    std::vector<CaseClause>& case_stack_;
    size_t p_ = 0;
    int nesting_ = 0;
    size_t node_count_ = 0;
    const char* stack_base_; // where the parse began on the native stack
    int proc_depth_ = 0;
    ExitKind in_proc_ = ExitKind::Sub;
    // The block being read is an arm of a block If, whose ElseIf, Else or End If may follow
    // a single-line If inside it.
    bool in_if_arm_ = false;
    Program* prog_ = nullptr;
};

// The first-size arena chunk a thread keeps between trees (see ByteArena).
struct KeptChunk {
    void* chunk = nullptr;
    ~KeptChunk() { ::operator delete(chunk); }
};
thread_local KeptChunk kept_chunk;

} // namespace

void* ByteArena::take_first_chunk() {
    return std::exchange(kept_chunk.chunk, nullptr);
}

bool ByteArena::keep_first_chunk(void* chunk) {
    if (kept_chunk.chunk) return false;
    kept_chunk.chunk = chunk;
    return true;
}

bool parse_program(std::string_view text, Program& out, SyntaxError& err) {
    BufferLease buffers;
    TokenStream toks(text, *buffers);
    try {
        Parser p(toks, out.nodes, *buffers);
        p.program(out);
        return true;
    } catch (const ParseFailure& f) {
        err = f.err;
        LexError le;
        if (toks.lex_error_in_rest(le)) err = SyntaxError{le.number, le.line, le.col};
    } catch (const LexFailure& f) {
        err = SyntaxError{f.err.number, f.err.line, f.err.col};
    }
    return false;
}

bool parse_expression(std::string_view text, ExprPtr& out, SyntaxError& err) {
    BufferLease buffers;
    TokenStream toks(text, *buffers);
    out.set_root(nullptr);
    try {
        Parser p(toks, out.nodes(), *buffers);
        out.set_root(p.whole_expression());
        return true;
    } catch (const ParseFailure& f) {
        err = f.err;
        LexError le;
        if (toks.lex_error_in_rest(le)) err = SyntaxError{le.number, le.line, le.col};
    } catch (const LexFailure& f) {
        err = SyntaxError{f.err.number, f.err.line, f.err.col};
    }
    return false;
}

} // namespace vbs
