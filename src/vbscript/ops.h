// The operators on Values with VBScript's promotion rules: Byte -> Integer -> Long -> Double
// on overflow, Currency exact, Null propagating, strings converted to numbers for arithmetic.
// The virtual machine handles Integer/Long/Double operands inline and calls these for the
// rest. All raise errors through raise_error.
#pragma once

#include "vbscript/ast.h"
#include "vbscript/variant.h"

namespace vbs {

Value op_arith(BinOp op, const Value& a, const Value& b); // Add Sub Mul Div IDiv Mod Pow
Value op_concat(const Value& a, const Value& b);
Value op_logic(BinOp op, const Value& a, const Value& b); // And Or Xor Eqv Imp
Value op_neg(const Value& a);
Value op_not(const Value& a);
// = <> < > <= >= : Boolean, or Null when either side is Null.
Value op_compare(BinOp op, const Value& a, const Value& b);
// Three-way comparison for sorting and Select Case; sets `null` when either side is Null.
int compare_values(const Value& a, const Value& b, bool text_compare, bool& null);
bool op_is(const Value& a, const Value& b);

// The value an integer result takes: Integer when it fits 16 bits and `small` (both operands
// Integer-sized), else Long when it fits 32 bits, else Double.
Value widen_integer(int64_t v, bool small);

} // namespace vbs
