#pragma once
// Icons from files, from the shell and from the program's resources, and the 16 x 16 canvas
// picIcon that turns an icon into a picture for the image list.
#include <cstdint>
#include <memory>
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
    IconPtr small;  // the 16 x 16 one
};

// The shell's own pictures of the system folders, for when the registered one cannot be had.
enum class StockIcon { MyComputer, Network, MyDocuments, Internet, RecycleBinEmpty, RecycleBinFull };

class IconSource {
public:
    virtual ~IconSource() = default;
    // One icon of file at index (a negative index is a resource identifier).
    virtual ExtractedIcon ExtractFileIcon(std::string_view file, std::int32_t index) = 0;
    // The icon the shell associates with the file, copied at 16 x 16; nullptr when there is none.
    virtual IconPtr AssociatedIcon(std::string_view path) = 0;
    // The shell's small icon for the path (file information); nullptr when there is none.
    virtual IconPtr ShellSmallIcon(std::string_view path) = 0;
    virtual IconPtr Stock(StockIcon which) = 0;
    // Pictures of the program's own resources by number.
    virtual PictureRef ResourceIcon(int id) = 0;
    virtual PictureRef ResourceBitmap(int id) = 0;
};

// picIcon: a 16 x 16 canvas whose drawing persists until cleared.
class IconCanvas {
public:
    virtual ~IconCanvas() = default;
    // Draws the icon at (0, 0), 16 x 16, through its mask, over what is there.
    virtual void DrawIcon(const Icon& icon) = 0;
    // The current drawing as a picture (unaffected by later drawing or clearing).
    virtual PictureRef Picture() = 0;
    // Back to an empty canvas.
    virtual void Clear() = 0;
};

}  // namespace lumbra::platform
