// The bytecode: instructions, compiled functions, classes and units.
//
// An instruction is 8 bytes: opcode, a (8 bits), b (16 bits), c (32 bits). Variables are
// addressed by resolved slots: locals by index into the frame, globals by index into the
// engine's global table (which only grows, so a compiled slot stays valid), fields by index
// into the instance. The machine is a stack machine; `stack` below is its operand stack.
#pragma once

#include "vbscript/ast.h"
#include "vbscript/variant.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vbs {

// ORDER OP: one row per opcode: name, operands and effect. The enum, the names used by the
// disassembler and the dispatch table of the virtual machine are generated from this list.
#define VBS_OPCODES(X)                                                                             \
    X(PUSHK)     /* c      push K[c]                                                      */       \
    X(PUSHI)     /* c      push the Integer (or Long) c                                   */       \
    X(PUSHEMPTY) /*        push Empty                                                     */       \
    X(PUSHMISS)  /*        push a missing-argument marker                                 */       \
    X(POP)       /*        drop the top                                                   */       \
    X(LOADL)     /* b      push local b                                                   */       \
    X(STOREL)    /* b      local b := pop (Let: an object gives its default value)        */       \
    X(SETL)      /* b      local b := pop (Set: must be an object)                        */       \
    X(REFL)      /* b      push a reference to local b (ByRef argument)                   */       \
    X(LOADG)     /* c      push global c (a procedure there is called)                    */       \
    X(STOREG)    /* c      global c := pop                                                */       \
    X(SETG)      /* c      Set global c := pop                                            */       \
    X(REFG)      /* c      push a reference to global c                                   */       \
    X(LOADN)     /* b c    global c if declared, else implicit local b                    */       \
    X(STOREN)    /* b c                                                                   */       \
    X(SETN)      /* b c                                                                   */       \
    X(REFN)      /* b c                                                                   */       \
    X(LOADF)     /* b      push field b of Me                                             */       \
    X(STOREF)    /* b                                                                     */       \
    X(SETF)      /* b                                                                     */       \
    X(REFF)      /* b                                                                     */       \
    X(LOADU)     /* b      push local b of the frame that ran Execute/Eval                */       \
    X(STOREU)    /* b                                                                     */       \
    X(SETU)      /* b                                                                     */       \
    X(REFU)      /* b                                                                     */       \
    X(REFIDX)    /* a b c  stack ref, a indexes: push a reference to the element (ByRef   */       \
                 /*        argument); local b keeps the array alive during the call;      */       \
                 /*        locals c to b-1 are the keepers of the call's earlier elements */       \
    X(LOADME)    /*        push Me                                                        */       \
    X(DECLG)     /* c      declare global c as a variable (Dim at script level)           */       \
    X(CONSTG)    /* c      global c := pop as a constant                                  */       \
    X(CALLG)     /* a c    call/index global c with a arguments; push the result          */       \
    X(CALLL)     /* a b    index/default-call local b                                     */       \
    X(CALLN)     /* a b c  index/default-call a dynamic name                              */       \
    X(CALLF)     /* a b    index/default-call field b                                     */       \
    X(CALLU)     /* a b    index/default-call up-frame local b                            */       \
    X(CALLB)     /* a c    call built-in c with a arguments                               */       \
    X(CALLM)     /* a b c  call member K-name c of the object under the arguments;       */        \
                 /*        b = CallKind (Get or Call)                                     */       \
    X(CALLV)     /* a b    index/default-call the value under the a arguments (b: stmt)  */        \
    X(LETM)      /* a b c  assign member c: stack obj, a args, value; b = 1 for Set       */       \
    X(LETIDX)    /* a b    assign element: stack ref, a indexes, value; b = 1 for Set     */       \
    X(NEW)       /* c      push a new instance of the class named K[c]                   */        \
    X(DIMARR)    /* a      stack ref, a upper bounds: make a fixed array                  */       \
    X(REDIM)     /* a b    stack ref, a upper bounds: ReDim (b = 1: Preserve)             */       \
    X(ERASE)     /*        stack ref: Erase                                               */       \
    X(ADD)                                                                                         \
    X(SUB)                                                                                         \
    X(MUL)                                                                                         \
    X(DIV)                                                                                         \
    X(IDIV)                                                                                        \
    X(MOD)                                                                                         \
    X(POW)                                                                                         \
    X(CONCAT)                                                                                      \
    X(EQ)                                                                                          \
    X(NE)                                                                                          \
    X(LT)                                                                                          \
    X(GT)                                                                                          \
    X(LE)                                                                                          \
    X(GE)                                                                                          \
    X(IS)                                                                                          \
    X(AND)                                                                                         \
    X(OR)                                                                                          \
    X(XOR)                                                                                         \
    X(EQV)                                                                                         \
    X(IMP)                                                                                         \
    X(NEG)      /*        negate the top                                                 */        \
    X(NOT)      /*        Not the top                                                    */        \
    X(DEREF)    /*        the top's plain value (parenthesised argument)                 */        \
    X(JMP)      /* c      jump to c                                                      */        \
    X(JMPF)     /* c      pop; jump to c when False (Null is False)                      */        \
    X(JMPT)     /* c      pop; jump to c when True                                       */        \
    X(CASEEQ)   /* b c    compare local b with pop (=); jump to c when equal             */        \
    X(FORPREP)  /* a b c  pop start into variable (kind a, slot c); limit/step in        */        \
                /*        locals b, b+1; next word: exit target                          */        \
    X(FORNEXT)  /* a b c  add step; next word: body target while in range                */        \
    X(EACHPREP) /* b      pop collection into locals b, b+1                              */        \
    X(EACHNEXT) /* a b c  next item into variable (kind a, slot c) or jump to next word  */        \
    X(ONERR)    /* a      On Error: a = 1 Resume Next, 0 GoTo 0                          */        \
    X(EXEC)     /* a      pop text: a = 0 Execute, 1 ExecuteGlobal                       */        \
    X(PART)     /* c      text c of joined texts begins: a time limit of its own         */        \
    X(SKIPF)    /* c      global c False: jump to the next word's target; True: go on;   */        \
                /*        other values end the call (joined texts)                       */        \
    X(RET)      /*        return from the function                                       */        \
    X(LISTNEW)  /* c      push a new one-dimensional array with room for c items        */         \
    X(LISTADD)  /* a      append the a values on top to the array under them             */        \
    X(DATA)     /* c      operand word of the instruction before                        */

enum class Op : uint8_t {
#define VBS_OP_ENUM(name) name,
    VBS_OPCODES(VBS_OP_ENUM)
#undef VBS_OP_ENUM
        Count_
};

const char* op_name(Op op);

struct Instr {
    Op op;
    uint8_t a = 0;
    uint16_t b = 0;
    int32_t c = 0;
};
static_assert(sizeof(Instr) == 8, "instructions stay 8 bytes");

// Variable kinds in the a operand of FORPREP/FORNEXT/EACHNEXT.
enum class VarKind : uint8_t { Local, Global, Dyn, Field, Up };

// A statement's code range [start, end): where On Error Resume Next continues after an error
// inside it (`resume`), and the statement's position for error messages.
struct StmtRange {
    uint32_t start = 0, end = 0, resume = 0;
    int line = 0, col = 0;
};

struct ClassDef;

struct Function {
    Function();
    uint64_t serial; // unique for the life of the process (caches key on it, never on addresses)
    std::string name;
    ProcKind kind = ProcKind::Sub;
    bool is_public = true;
    bool option_explicit = false;
    bool up_scope = false; // Execute/Eval text run in a procedure's scope (LOADU)
    int nparams = 0;
    std::vector<uint8_t> by_val;          // per parameter
    int result_slot = -1;                 // Function/Property Get: the local holding the result
    int nlocals = 0;                      // parameters, result, declared, implicit and hidden
    int max_stack = 0;                    // operand stack the body needs at most
    std::vector<std::string> local_names; // by slot; hidden ones empty or past the end
    std::vector<Instr> code;
    std::vector<Value> consts;
    std::vector<StmtRange> ranges;
    ClassDef* cls = nullptr; // the class of a method
};

enum class MemberKind : uint8_t { Field, Method, Property };

struct ClassMember {
    std::string name;
    MemberKind kind = MemberKind::Field;
    bool is_public = true;
    int field = -1;
    Function* method = nullptr; // Sub/Function
    Function* get = nullptr;
    Function* let = nullptr;
    Function* set = nullptr;
};

struct FieldInfo {
    std::string name;
    std::vector<int32_t> fixed_counts; // a fixed array field: element counts per dimension
    bool dynamic_array = false;        // `Private items()`
};

struct ClassDef {
    std::string name;
    std::vector<ClassMember> members;
    std::unordered_map<std::string, int> index; // lower-case name -> member
    int default_member = -1;
    std::vector<FieldInfo> fields;
    Function* initialize = nullptr;
    Function* terminate = nullptr;
    std::vector<std::unique_ptr<Function>> functions;
};

// The main code of a unit, kept inside the unit so that a short text's unit is one
// allocation; reached as through a pointer (`unit.main->code`, `unit.main.get()`).
class MainFunction {
public:
    Function* get() { return &fn_; }
    const Function* get() const { return &fn_; }
    Function& operator*() { return fn_; }
    const Function& operator*() const { return fn_; }
    Function* operator->() { return &fn_; }
    const Function* operator->() const { return &fn_; }
    explicit operator bool() const { return true; }

private:
    Function fn_;
};

// The compiled form of one text: its main code and the procedures and classes it defines.
struct Unit {
    MainFunction main;
    std::vector<std::unique_ptr<Function>> procs;
    std::vector<std::shared_ptr<ClassDef>> classes;
    std::vector<std::pair<int, Function*>> proc_slots;  // global slot -> procedure
    std::vector<std::pair<int, ClassDef*>> class_slots; // global slot -> class
    // Joined texts (compile_parts): where the main code of each text starts.
    std::vector<uint32_t> part_starts;
    bool defines_names() const { return !proc_slots.empty() || !class_slots.empty(); }
};

} // namespace vbs
