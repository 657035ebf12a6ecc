// The whole resolution of the desktop background settings (GetWallpaperInfo) over a profile file
// and a registry whose values come from the input.
//
// Input, one value per line:
//   0 Wallpaper, 1 TileWallpaper, 2 WallPaperStyle, 3 Pattern of WIN.INI [Desktop]
//   4 BackGround of WIN.INI [colors]
//   5 Wallpaper, 6 TileWallpaper, 7 WallpaperStyle under HKCU\...\Desktop\General
// A profile line "~", or a missing line, is an absent entry. A registry line starts with its kind:
//   s REG_SZ of the text with its NUL, n the same without the NUL, e REG_EXPAND_SZ,
//   u REG_SZ whose stored bytes are the rest of the line as they are, b REG_BINARY of the bytes,
//   d REG_DWORD of the decimal number, ~ (or anything else) absent;
//   a line 5 that starts with "!" leaves the whole key out.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "desktop/NumericValue.h"
#include "desktop/modMain.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"
#include "platform/Scene.h"
#include "platform/Text.h"

namespace {

namespace desktop = lumbra::desktop;
namespace platform = lumbra::platform;

constexpr auto kUser = platform::RootKey::CurrentUser;

std::string_view Line(const std::vector<std::string_view>& lines, std::size_t i) {
    return i < lines.size() ? lines[i] : std::string_view("~");
}

void PutProfile(lumbra::fakes::FakeProfileFile& profile, std::string_view section, std::string_view key,
                std::string_view line) {
    if (line == "~") return;
    profile.Put("WIN.INI", section, key, lumbra::fuzz::WellFormed(line));
}

void PutRegistry(lumbra::fakes::FakeRegistry& registry, std::string_view name, std::string_view line) {
    if (line.empty()) return;
    const std::string_view rest = line.substr(1);
    const std::string_view key = desktop::kDesktopGeneralKey;
    switch (line.front()) {
    case 's':
        registry.PutString(kUser, key, name, lumbra::fuzz::WellFormed(rest));
        break;
    case 'e':
        registry.PutString(kUser, key, name, lumbra::fuzz::WellFormed(rest), platform::RegType::ExpandString);
        break;
    case 'n': {
        std::vector<std::uint8_t> bytes;
        for (char16_t unit : lumbra::text::Utf8ToUtf16(rest)) {
            bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        registry.PutValue(kUser, key, name, platform::RegType::String, std::move(bytes));
        break;
    }
    case 'u':
        registry.PutValue(kUser, key, name, platform::RegType::String, {rest.begin(), rest.end()});
        break;
    case 'b':
        registry.PutBinary(kUser, key, name, {rest.begin(), rest.end()});
        break;
    case 'd': {
        std::uint32_t value = 0;
        std::from_chars(rest.data(), rest.data() + rest.size(), value);
        registry.PutDword(kUser, key, name, value);
        break;
    }
    default:
        break;
    }
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// A plain value: printable ASCII, no room for cutting, NUL or conversion to change it.
bool Plain(std::string_view text, std::size_t longest) {
    if (text.empty() || text.size() > longest) return false;
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = lumbra::fuzz::Split(lumbra::fuzz::AsText(data, size), '\n');

    lumbra::fakes::FakeProfileFile profile;
    PutProfile(profile, "Desktop", "Wallpaper", Line(lines, 0));
    PutProfile(profile, "Desktop", "TileWallpaper", Line(lines, 1));
    PutProfile(profile, "Desktop", "WallPaperStyle", Line(lines, 2));
    PutProfile(profile, "Desktop", "Pattern", Line(lines, 3));
    PutProfile(profile, "colors", "BackGround", Line(lines, 4));

    lumbra::fakes::FakeRegistry registry;
    if (!Line(lines, 5).starts_with("!")) {
        registry.PutKey(kUser, desktop::kDesktopGeneralKey);
        PutRegistry(registry, "Wallpaper", Line(lines, 5));
        PutRegistry(registry, "TileWallpaper", Line(lines, 6));
        PutRegistry(registry, "WallpaperStyle", Line(lines, 7));
    }

    const desktop::WallpaperInfo info = desktop::GetWallpaperInfo(profile, registry);

    // How the stores were asked: the profile always with 261 characters from WIN.INI, the
    // registry with 1024 bytes, every key that was opened closed again.
    for (const auto& call : profile.Calls()) FUZZ_CHECK(call.size == 261 && call.file == "WIN.INI" && call.defaultValue.empty());
    for (const auto& query : registry.Queries()) FUZZ_CHECK(query.bufferBytes == 1024 && query.root == kUser);
    FUZZ_CHECK(registry.KeysOpened() == registry.KeysClosed());

    // The readers' answers, asked afresh: what the resolution must have built from.
    auto ini = [&](std::string_view section, std::string_view key) {
        return desktop::ReadIniString(profile, section, key, 261, "WIN.INI");
    };
    auto reg = [&](std::string_view name) { return desktop::ReadRegString(registry, kUser, desktop::kDesktopGeneralKey, name); };
    auto field = [](const std::string& text, std::int16_t missing) {
        return desktop::ToInt16(desktop::NumericValue(text)).value_or(missing);
    };

    // Pattern and colour always come from the profile file.
    FUZZ_CHECK(info.pattern == ini("Desktop", "Pattern"));
    FUZZ_CHECK(info.backColor == desktop::ParseColorTriplet(ini("colors", "BackGround")));
    if (Line(lines, 4) == "~") FUZZ_CHECK(info.backColor == platform::kSystemDesktopColor);
    if (Line(lines, 3) == "~" || Line(lines, 3).empty()) FUZZ_CHECK(info.pattern == "-1");

    const std::string registryWallpaper = reg("Wallpaper");
    const std::size_t dot = registryWallpaper.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : Lower(registryWallpaper.substr(dot));
    const bool fromRegistry = !registryWallpaper.empty() && extension != ".htm" && extension != ".html";

    if (fromRegistry) {
        // A picture named in the registry wins, with the registry's tile flag and style, an
        // absent one 0; nothing of the profile's layout stays.
        FUZZ_CHECK(info.wallpaper == registryWallpaper);
        FUZZ_CHECK(info.tileWallpaper == field(reg("TileWallpaper"), 0));
        FUZZ_CHECK(info.wallpaperStyle == field(reg("WallpaperStyle"), 0));
        const std::string_view stored = Line(lines, 5);
        if (stored.starts_with("s") && Plain(stored.substr(1), 500)) FUZZ_CHECK(info.wallpaper == stored.substr(1));
        return 0;
    }

    // Otherwise the profile's wallpaper, tile flag and style stand; a missing wallpaper is the
    // none marker, a missing or unreadable tile flag or style 1, never -1.
    const std::string profileWallpaper = ini("Desktop", "Wallpaper");
    FUZZ_CHECK(info.wallpaper == (profileWallpaper == "-1" ? std::string(desktop::kNoWallpaper) : profileWallpaper));
    const std::int16_t tile = field(ini("Desktop", "TileWallpaper"), -1);
    const std::int16_t style = field(ini("Desktop", "WallPaperStyle"), -1);
    FUZZ_CHECK(info.tileWallpaper == (tile == -1 ? 1 : tile));
    FUZZ_CHECK(info.wallpaperStyle == (style == -1 ? 1 : style));
    FUZZ_CHECK(info.tileWallpaper != -1 && info.wallpaperStyle != -1);
    const std::string_view stored = Line(lines, 0);
    if (stored == "~" || stored.empty()) FUZZ_CHECK(info.wallpaper == desktop::kNoWallpaper);
    if (Plain(stored, 260) && stored != "-1" && stored != "~") FUZZ_CHECK(info.wallpaper == stored);
    if (Plain(stored, 100000) && stored.size() > 260) FUZZ_CHECK(info.wallpaper == stored.substr(0, 260));
    return 0;
}
