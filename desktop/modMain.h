#pragma once
// Shared procedures: the profile and registry readers and the desktop background settings.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Profile.h"
#include "platform/Registry.h"

namespace lumbra::desktop {

// A missing profile value, and the wallpaper path when there is no wallpaper.
inline constexpr std::string_view kMissingProfileValue = "-1";
inline constexpr std::string_view kNoWallpaper = "(なし)";
inline constexpr std::string_view kDesktopGeneralKey = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";
// The registry buffer of the reader, in bytes: a value of this size or more reads as empty text.
inline constexpr std::size_t kRegistryBufferBytes = 1024;
// The buffer the desktop settings are read with: values are cut to 260 characters.
inline constexpr std::uint32_t kProfileBufferChars = 261;

// The text up to (not including) its first NUL; the whole text when it holds none.
std::string TrimAtNull(std::string_view text);

// The value text, or "-1" when nothing was read (missing file, section or key, or empty value).
std::string ReadIniString(platform::ProfileFile& profile, std::string_view section, std::string_view key,
                          std::uint32_t size, std::string_view file);

// The value text up to its first NUL, or "" when the key or value is missing or too large.
std::string ReadRegString(platform::Registry& registry, platform::RootKey root, std::string_view path,
                          std::string_view name);

// The resolved desktop background settings.
struct WallpaperInfo {
    std::string wallpaper;             // full path, or kNoWallpaper
    std::int16_t tileWallpaper = 0;    // 1 means tile
    std::int16_t wallpaperStyle = 0;   // 0 centre, 2 stretch; 6 fit, 10 fill, 22 span on newer systems
    std::string pattern;               // raw profile text, "-1" when absent
    std::int32_t backColor = 0;        // red + green * 256 + blue * 65536, or 0x80000001
};

// Three numbers separated by single blanks to a colour; the system's desktop colour when the
// text is missing, empty, has fewer than three fields, or leaves the 32-bit range.
std::int32_t ParseColorTriplet(std::string_view text);

WallpaperInfo GetWallpaperInfo(platform::ProfileFile& profile, platform::Registry& registry);

}  // namespace lumbra::desktop
