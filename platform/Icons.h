#pragma once
// Icons from files, from the shell and from the program's resources, and the canvas picIcon that
// turns an icon into a picture for the image list. Menu pictures are of the system's small-icon
// size (16 x 16 at 96 DPI).
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/Scene.h"

namespace lumbra::platform {

// An icon handle owned by the platform, released with the object.
class Icon {
public:
    virtual ~Icon() = default;
};
using IconPtr = std::unique_ptr<Icon>;

struct ExtractedIcon {
    // How many icons the extraction reports; a handle beside a count of 0 is not an icon.
    std::uint32_t count = 0;
    IconPtr small;  // the small one
};

// The shell's own pictures of the system folders, for when the registered one cannot be had.
enum class StockIcon { MyComputer, Network, MyDocuments, Internet, RecycleBinEmpty, RecycleBinFull };

class IconSource {
public:
    virtual ~IconSource() = default;
    // One icon of file at index (a negative index is a resource identifier).
    virtual ExtractedIcon ExtractFileIcon(std::string_view file, std::int32_t index) = 0;
    // The icon the shell associates with the file, copied at the small size; nullptr when none.
    virtual IconPtr AssociatedIcon(std::string_view path) = 0;
    // The small icon the shell shows for the path, overlays included (a shortcut's arrow, a sync
    // state). With attributesOnly the file is not touched: the icon comes from the name and those
    // attributes. nullptr when the shell has none.
    virtual IconPtr ShellIcon(std::string_view path, std::optional<std::uint32_t> attributesOnly) = 0;
    virtual IconPtr Stock(StockIcon which) = 0;
    // Pictures of the program's own resources by number.
    virtual PictureRef ResourceIcon(int id) = 0;
    virtual PictureRef ResourceBitmap(int id) = 0;
};

// picIcon: a canvas of the small-icon size whose drawing persists until cleared.
class IconCanvas {
public:
    virtual ~IconCanvas() = default;
    // Draws the icon at (0, 0), at the canvas's size, through its mask, over what is there.
    virtual void DrawIcon(const Icon& icon) = 0;
    // The current drawing as a picture (unaffected by later drawing or clearing).
    virtual PictureRef Picture() = 0;
    // Back to an empty canvas.
    virtual void Clear() = 0;
};

}  // namespace lumbra::platform
