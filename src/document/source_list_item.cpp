#include "document/source_list_item.h"

#include "display/prop_stuff.h"

namespace mondrel {

source_list_item::source_list_item(int32_t count_, std::string name_, std::string code_)
    : count(count_), code(std::move(code_)), name(std::move(name_)),
      format(std::make_unique<prop_list>()) {}

source_list_item::~source_list_item() = default;

} // namespace mondrel
