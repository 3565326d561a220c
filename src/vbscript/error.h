// Script errors: VBScript's numbers and texts, and the one way to raise them.
//
// Every failure inside the engine, a built-in or an object is raised with raise_error, which
// throws ScriptException. The virtual machine catches it at the statement that failed: under
// On Error Resume Next it fills the Err object and goes on, otherwise the error travels to the
// caller and finally out of Engine::execute_statement / Engine::eval as a ScriptError.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace vbs {

// Numbers used by the engine and the library (VBScript's own).
enum ErrorNumber : int32_t {
    kErrIllegalCall = 5,       // Invalid procedure call or argument
    kErrOverflow = 6,          // Overflow
    kErrOutOfMemory = 7,       // Out of memory
    kErrSubscript = 9,         // Subscript out of range
    kErrArrayLocked = 10,      // This array is fixed or temporarily locked
    kErrDivByZero = 11,        // Division by zero
    kErrTypeMismatch = 13,     // Type mismatch
    kErrOutOfString = 14,      // Out of string space
    kErrOutOfStack = 28,       // Out of stack space
    kErrSubNotDefined = 35,    // Sub or Function not defined
    kErrFileNotFound = 53,     // File not found
    kErrInputPastEnd = 62,     // Input past end of file
    kErrObjectNotSet = 91,     // Object variable not set
    kErrInvalidUseOfNull = 94, // Invalid use of Null
    kErrCantCreate = 429,      // ActiveX component can't create object
    kErrNoMember = 438,        // Object doesn't support this property or method
    kErrObjectRequired = 424,  // Object required
    kErrWrongArgs = 450,       // Wrong number of arguments or invalid property assignment
    kErrNotCollection = 451,   // Object not a collection
    kErrKeyExists = 457,       // This key is already associated with an element of ...
    kErrObjectGone = 462,      // The remote server machine does not exist or is unavailable
    kErrUndefined = 500,       // Variable is undefined
    kErrIllegalAssign = 501,   // Illegal assignment
    kErrNotAClass = 506,       // Class not defined
    kErrInterrupted = 5100,    // Script interrupted (engine-specific)
    kErrTimeout = 5101,        // Script timed out (engine-specific)
};

// The standard text of an error number; "Unknown runtime error" for numbers without one.
std::string_view error_text(int32_t number);

class ScriptException : public std::exception {
public:
    ScriptException(int32_t number, std::string description, std::string source = {})
        : number(number), description(std::move(description)), source(std::move(source)) {}
    const char* what() const noexcept override { return description.c_str(); }

    int32_t number;
    std::string description;
    std::string source;
    // Err.Raise set HelpFile and HelpContext for this error; any other error clears them.
    bool keeps_help = false;
};

// The VBScript error number for a number given to Err.Raise: HRESULTs of VBScript's own
// facility (&h800A....) and the common system HRESULTs (&h8007000E& is 7, Out of memory) map to
// their VBScript errors; other numbers stay as they are.
int32_t script_error_number(int32_t number);

// Throws ScriptException. An empty description takes the standard text of the number.
[[noreturn]] void raise_error(int32_t number, std::string_view description = {});

} // namespace vbs
