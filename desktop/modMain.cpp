#include "desktop/modMain.h"

#include <vector>

#include "desktop/NumericValue.h"
#include "platform/Scene.h"
#include "platform/Text.h"

namespace lumbra::desktop {
namespace {

constexpr std::string_view kWinIni = "WIN.INI";

bool IsStringType(platform::RegType type) {
    return type == platform::RegType::String || type == platform::RegType::ExpandString ||
           type == platform::RegType::MultiString;
}

std::string DecodeRegistryText(const platform::RegQueryResult& value) {
    const auto& data = value.data;
    if (IsStringType(value.type)) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
            char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
            if (unit == u'\0') break;
            units.push_back(unit);
        }
        return text::Utf16ToUtf8(units);
    }
    // Any other type is taken as text byte by byte, up to the first zero byte.
    std::string bytes;
    for (std::uint8_t b : data) {
        if (b == 0) break;
        bytes.push_back(static_cast<char>(b));
    }
    return text::Latin1ToUtf8(bytes);
}

std::vector<std::string_view> SplitAtBlanks(std::string_view text) {
    std::vector<std::string_view> fields;
    if (text.empty()) return fields;
    std::size_t start = 0;
    while (true) {
        std::size_t blank = text.find(' ', start);
        fields.push_back(text.substr(start, blank == std::string_view::npos ? std::string_view::npos : blank - start));
        if (blank == std::string_view::npos) break;
        start = blank + 1;
    }
    return fields;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A tile flag or style that does not fit 16 bits counts as missing.
std::int16_t Int16Field(std::string_view text, std::int16_t missing) {
    return ToInt16(NumericValue(text)).value_or(missing);
}

}  // namespace

std::string TrimAtNull(std::string_view text) {
    std::size_t nul = text.find('\0');
    return std::string(nul == std::string_view::npos ? text : text.substr(0, nul));
}

std::string ReadIniString(platform::ProfileFile& profile, std::string_view section, std::string_view key,
                          std::uint32_t size, std::string_view file) {
    platform::ProfileRead read = profile.ReadProfileString(section, key, "", size, file);
    if (read.count == 0) return std::string(kMissingProfileValue);
    return TrimAtNull(read.text);
}

std::string ReadRegString(platform::Registry& registry, platform::RootKey root, std::string_view path,
                          std::string_view name) {
    std::unique_ptr<platform::RegistryKey> key = registry.OpenKey(root, path);
    if (!key) return {};
    platform::RegQueryResult value = key->QueryValue(name, kRegistryBufferBytes);
    key.reset();
    // Nothing read (a missing value leaves the buffer blank) or a value too large for the buffer.
    if (value.status != platform::RegQueryResult::Status::Ok) return {};
    // A value that fills the whole buffer leaves no room for the NUL the reader stops at: it
    // counts as too large as well, so 1024 bytes and more all read as empty text.
    if (value.data.size() >= kRegistryBufferBytes) return {};
    return DecodeRegistryText(value);
}

std::int32_t ParseColorTriplet(std::string_view text) {
    if (text == kMissingProfileValue) return platform::kSystemDesktopColor;
    std::vector<std::string_view> fields = SplitAtBlanks(text);
    if (fields.size() < 3) return platform::kSystemDesktopColor;
    std::int64_t sum = 0;
    const std::int64_t weights[3] = {1, 256, 65536};
    for (int i = 0; i < 3; ++i) {
        std::optional<std::int32_t> component = ToInt32(NumericValue(fields[i]));
        if (!component) return platform::kSystemDesktopColor;
        sum += *component * weights[i];
    }
    if (sum < INT32_MIN || sum > INT32_MAX) return platform::kSystemDesktopColor;
    return static_cast<std::int32_t>(sum);
}

WallpaperInfo GetWallpaperInfo(platform::ProfileFile& profile, platform::Registry& registry) {
    WallpaperInfo info;
    auto desktop = [&](std::string_view key) {
        return ReadIniString(profile, "Desktop", key, kProfileBufferChars, kWinIni);
    };
    info.wallpaper = desktop("Wallpaper");
    info.tileWallpaper = Int16Field(desktop("TileWallpaper"), -1);
    info.wallpaperStyle = Int16Field(desktop("WallPaperStyle"), -1);
    info.pattern = desktop("Pattern");
    info.backColor = ParseColorTriplet(ReadIniString(profile, "colors", "BackGround", kProfileBufferChars, kWinIni));

    if (info.wallpaper == kMissingProfileValue) info.wallpaper = std::string(kNoWallpaper);
    if (info.tileWallpaper == -1) info.tileWallpaper = 1;
    if (info.wallpaperStyle == -1) info.wallpaperStyle = 1;

    const auto root = platform::RootKey::CurrentUser;
    std::string registryWallpaper = ReadRegString(registry, root, kDesktopGeneralKey, "Wallpaper");
    if (!registryWallpaper.empty()) {
        // A value without any "." has no extension, so it is no HTML page.
        std::size_t dot = registryWallpaper.rfind('.');
        std::string_view extension =
            dot == std::string::npos ? std::string_view() : std::string_view(registryWallpaper).substr(dot);
        if (!EqualsIgnoreAsciiCase(extension, ".htm") && !EqualsIgnoreAsciiCase(extension, ".html")) {
            info.wallpaper = std::move(registryWallpaper);
            info.tileWallpaper = Int16Field(ReadRegString(registry, root, kDesktopGeneralKey, "TileWallpaper"), 0);
            info.wallpaperStyle = Int16Field(ReadRegString(registry, root, kDesktopGeneralKey, "WallpaperStyle"), 0);
        }
    }
    return info;
}

}  // namespace lumbra::desktop
