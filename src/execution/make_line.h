#pragma once
// The line maker: the only way a line record is made. It translates the line's code into the
// script texts the run engine executes, and never fails: a syntax error is stored on the line.

#include <cstdint>
#include <string>

#include "document/source_list_item.h"

namespace mondrel {

class mondrel_doc;

line_ptr make_line(mondrel_doc& doc, int32_t count, int32_t code_word, std::string name,
                   std::string code);

} // namespace mondrel
