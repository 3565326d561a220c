#pragma once
// Picture names as sheets and the display use them: the program's image set (outline markers,
// command images, code-word images, the application icon) and, for any other name, a picture
// file relative to the sheet's folder.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"

namespace mondrel {

// Logical size of the command and code-word images, of the outline markers and of the
// application icon.
inline constexpr int image_size = 16;
inline constexpr int marker_size = 9;
inline constexpr int app_icon_size = 32;

// The image set in lookup order (capitals). The first match wins.
const std::vector<std::string_view>& image_set_names();

// The link icon's picture name for a link target ("__back", "__newfile", "__page", "**x",
// "::x", a file name).
std::string_view link_icon_name(std::string_view target);

class picture_library {
public:
    explicit picture_library(picture_source& source) : source_(source) {}

    // The folder relative picture file names are read from (the sheet's folder). Forgets the
    // pictures found so far.
    void set_folder(std::string folder);

    // The picture `name` names, or nullptr. Image-set names are compared in capitals; any
    // other name is a file, as written. A picture that cannot be found writes "Unable to load
    // picture file: " and `log_name` (the name when empty) to the diagnostic log, once per
    // name while the folder stays the same. Found pictures and failures are remembered.
    picture_ptr load_picture(std::string_view name, std::string_view log_name = {});

    picture_source& source() { return source_; }

private:
    picture_source& source_;
    std::string folder_;
    std::map<std::string, picture_ptr, std::less<>> found_;
};

} // namespace mondrel
