#pragma once
// Reading picture files into pictures the panel can draw.
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/Scene.h"

namespace lumbra::platform {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// Beyond these a stated picture size is taken for a damaged or hostile file: decoding it would
// need more memory than any wallpaper deserves (the largest passes are about 512 MB as 32-bit
// pixels, e.g. 16384 x 8192).
inline constexpr int kMaxPictureSide = 32768;
inline constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 27;

inline bool IsPlausiblePictureSize(PixelSize size) {
    if (size.Empty() || size.width > kMaxPictureSide || size.height > kMaxPictureSide) return false;
    return static_cast<std::uint64_t>(size.width) * static_cast<std::uint64_t>(size.height) <= kMaxPicturePixels;
}

enum class PictureStatus {
    Ok,
    Unreadable,   // no such file, a folder, no access
    NotAPicture,  // no known format, or damaged data
    Implausible,  // the stated size fails IsPlausiblePictureSize, or is more than the file can hold
    Refused,      // the caller asked for no picture at this natural size
};

struct LoadedPicture {
    PictureStatus status = PictureStatus::Unreadable;
    PixelSize natural;   // the first frame's stated size, once it could be read
    PictureRef picture;  // Ok only: the whole frame at the size asked for
};

class PictureLoader {
public:
    virtual ~PictureLoader() = default;
    // Decodes the first frame of the file, its format recognised by content (the name's
    // extension does not matter), scaled to sizeFor(natural size) while decoding, so that the
    // memory taken stays near the size asked for. An empty size from sizeFor refuses the
    // picture. The natural size is checked with IsPlausiblePictureSize, and against what the
    // file's length can describe (PictureBounds.h), before any pixel is read.
    virtual LoadedPicture Load(std::string_view path, const std::function<PixelSize(PixelSize natural)>& sizeFor) = 0;
    // A copy of a picture this loader made, scaled to `size`; null when it cannot be made.
    virtual PictureRef Scale(const PictureRef& picture, PixelSize size) = 0;
};

}  // namespace lumbra::platform
