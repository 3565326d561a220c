// The syntax tree the parser builds and the compiler consumes. Nodes own their children.
#pragma once

#include "vbscript/variant.h"

#include <memory>
#include <string>
#include <vector>

namespace vbs {

struct Expr;
struct Stmt;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

// ORDER BINOP: the compiler maps these to opcodes in the same order.
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
    ExprKind kind;
    int line = 0, col = 0;
    int depth = 1; // height of the subtree, bounded by the parser
    Value value;   // Literal
    std::string name;
    ExprPtr object; // Member: the object (null inside With); Call: the callee; Unary: operand
    ExprPtr rhs;    // Binary
    ExprPtr lhs;    // Binary
    BinOp op = BinOp::Add;
    bool is_not = false;       // Unary: Not rather than negation
    bool has_parens = false;   // Call: written with parentheses
    std::vector<ExprPtr> args; // Call: a null entry is an omitted argument
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
    std::string name;
    int line = 0, col = 0;
    bool is_array = false;       // written with parentheses
    std::vector<ExprPtr> bounds; // Dim: upper bounds (empty for `Dim a()`); ReDim: bounds
    ExprPtr value;               // Const
};

struct CaseClause {
    std::vector<ExprPtr> values; // empty: Case Else
    Block body;
};

struct IfArm {
    ExprPtr cond;
    Block body;
};

struct Stmt {
    StmtKind kind;
    int line = 0, col = 0;
    bool is_set = false;   // Assign: Set
    bool preserve = false; // ReDim Preserve
    LoopCond loop = LoopCond::None;
    ExitKind exit = ExitKind::Do;
    ExprPtr target;                // Assign target, CallStmt expression, For/ForEach variable
    ExprPtr value;                 // Assign value, Select subject, For start, ForEach collection,
                                   // Do/While condition, With object
    ExprPtr to, step;              // For
    std::vector<DimItem> items;    // Dim, ReDim, Erase, Const
    std::vector<IfArm> arms;       // If / ElseIf arms
    std::vector<CaseClause> cases; // Select
    Block body;                    // loop/With body
    Block else_body;               // If
    bool has_else = false;
};

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

// One parsed text: its statements in order, and the procedures and classes it defines.
struct Program {
    Block body;
    std::vector<std::unique_ptr<ProcDecl>> procs;
    std::vector<std::unique_ptr<ClassDecl>> classes;
    bool option_explicit = false;
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
