#pragma once
// The two rewrites a run makes when it starts, after include files have been loaded: vb
// blocks become one script each, and "{}" lines gather their child lines into one array.
// Both run in time linear in the number of lines and work on trees of any depth.

namespace mondrel {

class mondrel_doc;

// Clears the block-head flag on every line, then: a vb line with children whose whole subtree
// is vb lines becomes a block head (flag 8) whose script is the auxiliary texts of the subtree
// in document order, and the other lines of the block get empty scripts, so a `for` ... `next`
// may span lines. Every other vb line gets its own auxiliary text back as its script. Lines
// inside a block are not looked at again.
void rewrite_vb_blocks(mondrel_doc& doc);

// For each expression line with children whose code, trimmed, is "{}": builds a literal from
// the children (an expression leaf gives its code; an expression line with children gives
// "{", its code, ",", its children's contributions, "}"; a line of any other code word gives
// an empty element and its subtree is not read), translates it under the line's name and puts
// the script and display text on the line. The expression children read get empty scripts and
// display texts, so only the list line reports values. When the gathered literal does not
// translate, the list line carries the error as a run-time error (status 1), which the next run
// clears. Lines inside a list already gathered are not looked at again.
void rewrite_brace_lists(mondrel_doc& doc);

// Both rewrites in the order a run needs them.
void rewrite_for_run(mondrel_doc& doc);

} // namespace mondrel
