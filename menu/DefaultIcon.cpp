#include "menu/DefaultIcon.h"

#include "desktop/NumericValue.h"

namespace lumbra::menu {

IconLocation SplitDefaultIcon(std::string_view value) {
    IconLocation location;
    const std::size_t comma = value.rfind(',');
    if (comma == std::string_view::npos) {
        location.file = std::string(value);
        return location;
    }
    location.file = std::string(value.substr(0, comma));
    // An index beyond 32 bits cannot name an icon; it reads as the first one.
    location.index = desktop::ToInt32(desktop::NumericValue(value.substr(comma + 1))).value_or(0);
    return location;
}

}  // namespace lumbra::menu
