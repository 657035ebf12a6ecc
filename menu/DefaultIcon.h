#pragma once
// A registry DefaultIcon value: an icon file, a comma, an icon index.
#include <cstdint>
#include <string>
#include <string_view>

namespace lumbra::menu {

struct IconLocation {
    std::string file;        // used as it stands: nothing expanded, no quotes removed
    std::int32_t index = 0;  // a negative index is a resource identifier
};

// Only the last comma separates (the file may hold commas). The index is the number at the
// start of the last part: blanks passed over, a sign allowed, 0 when it does not start with a
// number, a fraction rounded to the nearest whole number, a half to the even neighbour. Without
// a comma the whole value is the file and the index is 0.
IconLocation SplitDefaultIcon(std::string_view value);

}  // namespace lumbra::menu
