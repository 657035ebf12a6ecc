#pragma once
// The image list ilsIcons: pictures of the system's small-icon size, addressed by 1-based position or by key. Pixels of
// the mask colour count as transparent in pictures that carry no transparency of their own.
#include <cstdint>
#include <string_view>

#include "platform/Scene.h"

namespace lumbra::platform {

// RGB(128, 128, 128) as 0x00BBGGRR.
inline constexpr std::uint32_t kImageMaskColor = 0x00808080u;

class ImageList {
public:
    virtual ~ImageList() = default;
    virtual std::int32_t Count() const = 0;
    // Appends at the end; an empty key means none. Pictures of another size are scaled to the list's.
    virtual void Add(const PictureRef& picture, std::string_view key) = 0;
    // 1-based position of the image with that key; 0 when no image has it.
    virtual std::int32_t PositionOfKey(std::string_view key) const = 0;
    // Later images move up by one. A position outside 1..Count() is ignored.
    virtual void Remove(std::int32_t position) = 0;
    // nullptr outside 1..Count().
    virtual PictureRef Picture(std::int32_t position) const = 0;
    virtual std::uint32_t MaskColor() const { return kImageMaskColor; }
};

}  // namespace lumbra::platform
