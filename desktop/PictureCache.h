#pragma once
// The wallpaper picture, decoded once and kept at the size the panel shows it.
//
// One file at a time is kept, known by its path, length and last write time. For it the cache
// holds a decoded copy (the "master", never the full-size picture unless the panel needs that
// much) and the copy at exactly the shown size, made from the master in memory. A composition at
// an unchanged size costs a look at the file's stamp; a new shown size that the master still
// covers costs a scaling in memory; only a new file, a rewritten one, or a shown size beyond the
// master's decodes again. Decoding reads the whole file whatever the output size, so the master
// is decoded with headroom (half as large again as first needed) and the wheel zoom can grow
// the panel a few steps before the file is read again.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileFacts.h"
#include "platform/PictureLoader.h"

namespace lumbra::desktop {

class PictureCache {
public:
    // How large the master is decoded relative to the first size asked for.
    static constexpr double kHeadroom = 1.5;
    // No copy is made larger than this many pixels (64 MB as 32-bit pixels); a larger shown size
    // gets a copy scaled down to it, which the panel stretches.
    static constexpr std::uint64_t kMaxCopyPixels = std::uint64_t{1} << 24;

    using SizeFor = std::function<platform::PixelSize(platform::PixelSize natural)>;

    struct Result {
        platform::PictureStatus status = platform::PictureStatus::Unreadable;
        platform::PixelSize natural;   // the file's picture size; empty when it has none
        platform::PictureRef picture;  // at sizeFor(natural) (or the cap); null when there is none
    };

    PictureCache(platform::PictureLoader& loader, platform::FileFacts& files);

    // The picture of the file at sizeFor(its natural size) pixels; a file that is missing,
    // damaged, not a picture or implausibly large gives no picture until it changes.
    Result Get(std::string_view path, const SizeFor& sizeFor);

    // Forgets the file and frees its copies.
    void Clear();

    // How often a file was decoded.
    int Decodes() const { return decodes_; }

private:
    struct Entry {
        // Declared, so that std::optional<Entry> can tell it is default-constructible inside
        // this class (clang otherwise decides before the member initialisers are seen).
        Entry() {}
        std::string path;
        std::optional<platform::FileStamp> stamp;
        platform::PictureStatus status = platform::PictureStatus::Unreadable;
        platform::PixelSize natural;
        platform::PictureRef master;
        platform::PixelSize masterSize;
        platform::PictureRef shown;
        platform::PixelSize shownSize;
    };

    void Decode(const SizeFor& sizeFor);

    platform::PictureLoader& loader_;
    platform::FileFacts& files_;
    std::optional<Entry> entry_;
    int decodes_ = 0;
};

// The size of a copy for a shown size: at most kMaxCopyPixels, the proportions kept.
platform::PixelSize CappedCopySize(platform::PixelSize shown);

// The size the master is decoded at: the natural size, or less when the shown size is smaller,
// with the proportions of the picture and the headroom.
platform::PixelSize MasterSize(platform::PixelSize shown, platform::PixelSize natural);

}  // namespace lumbra::desktop
