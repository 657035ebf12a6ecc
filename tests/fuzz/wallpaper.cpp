// The desktop background settings as the program resolves them (GetWallpaperInfo) over a profile
// file and a registry made from the input, and the %NAME% expansion of the wallpaper path over an
// environment made from it too. Input, one value per line:
//   0 Wallpaper, 1 TileWallpaper, 2 WallPaperStyle, 3 Pattern of WIN.INI [Desktop]; 4 BackGround of [colors]
//   5 Wallpaper, 6 TileWallpaper, 7 WallpaperStyle under HKCU\...\Desktop\General
// A profile line "~", or a missing line, is an absent entry. A registry line starts with its kind:
//   s REG_SZ of the text with its NUL, n the same without the NUL, e REG_EXPAND_SZ, u REG_SZ whose
//   bytes are the rest of the line as they stand, b REG_BINARY, d REG_DWORD of the decimal number,
//   anything else absent; a line 5 that starts with "!" leaves the whole key out.
// The path to expand is line 0; every line NAME=value (from line 1) sets a variable.
#include <algorithm>
#include <array>
#include <charconv>

#include "FuzzInput.h"
#include "desktop/Composition.h"
#include "desktop/NumericValue.h"
#include "desktop/modMain.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/WallpaperFakes.h"
#include "platform/Scene.h"

namespace {

using namespace lumbra;
constexpr auto kUser = platform::RootKey::CurrentUser;
constexpr std::string_view kKey = desktop::kDesktopGeneralKey;

void PutRegistry(fakes::FakeRegistry& registry, std::string_view name, std::string_view line) {
    const std::string_view rest = line.substr(std::min<std::size_t>(1, line.size()));
    std::vector<std::uint8_t> bytes(rest.begin(), rest.end()), utf16;
    for (char16_t unit : text::Utf8ToUtf16(rest)) utf16.insert(utf16.end(), {std::uint8_t(unit & 0xFF), std::uint8_t(unit >> 8)});
    std::uint32_t number = 0;
    std::from_chars(rest.data(), rest.data() + rest.size(), number);
    switch (line.empty() ? '~' : line[0]) {
        case 's': return registry.PutString(kUser, kKey, name, fuzz::WellFormed(rest));
        case 'e': return registry.PutString(kUser, kKey, name, fuzz::WellFormed(rest), platform::RegType::ExpandString);
        case 'n': return registry.PutValue(kUser, kKey, name, platform::RegType::String, utf16);
        case 'u': return registry.PutValue(kUser, kKey, name, platform::RegType::String, bytes);
        case 'b': return registry.PutBinary(kUser, kKey, name, bytes);
        case 'd': return registry.PutDword(kUser, kKey, name, number);
    }
}

// A plain value: printable ASCII, no room for cutting, NUL or conversion to change it.
bool Plain(std::string_view text, std::size_t longest) {
    return !text.empty() && text.size() <= longest && std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

void Settings(const std::vector<std::string_view>& lines) {
    auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string_view("~"); };
    fakes::FakeProfileFile profile;
    for (std::size_t i = 0; i < 5; ++i)
        if (line(i) != "~") profile.Put("WIN.INI", i < 4 ? "Desktop" : "colors", std::array{"Wallpaper", "TileWallpaper", "WallPaperStyle", "Pattern", "BackGround"}[i], fuzz::WellFormed(line(i)));
    fakes::FakeRegistry registry;
    if (!line(5).starts_with("!")) {
        registry.PutKey(kUser, kKey);
        for (std::size_t i = 5; i < 8; ++i) PutRegistry(registry, std::array{"Wallpaper", "TileWallpaper", "WallpaperStyle"}[i - 5], line(i));
    }
    const desktop::WallpaperInfo info = desktop::GetWallpaperInfo(profile, registry);

    // The stores were asked as the program asks: 261 characters of WIN.INI, 1024 registry bytes, every key closed again.
    for (const auto& call : profile.Calls()) FUZZ_CHECK(call.size == 261 && call.file == "WIN.INI" && call.defaultValue.empty());
    for (const auto& query : registry.Queries()) FUZZ_CHECK(query.bufferBytes == 1024 && query.root == kUser);
    FUZZ_CHECK(registry.KeysOpened() == registry.KeysClosed());

    // What the resolution must have been built from: the readers' answers, asked afresh.
    auto ini = [&](const char* section, const char* key) { return desktop::ReadIniString(profile, section, key, 261, "WIN.INI"); };
    auto reg = [&](const char* name) { return desktop::ReadRegString(registry, kUser, kKey, name); };
    auto field = [](const std::string& text, std::int16_t missing) { return desktop::ToInt16(desktop::NumericValue(text)).value_or(missing); };
    // Pattern and colour always come from the profile file.
    FUZZ_CHECK(info.pattern == ini("Desktop", "Pattern") && info.backColor == desktop::ParseColorTriplet(ini("colors", "BackGround")));
    FUZZ_CHECK(line(4) != "~" || info.backColor == platform::kSystemDesktopColor);
    FUZZ_CHECK((line(3) != "~" && !line(3).empty()) || info.pattern == "-1");

    const std::string wallpaper = reg("Wallpaper");
    std::string extension = wallpaper.substr(std::min(wallpaper.rfind('.'), wallpaper.size()));
    std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    if (!wallpaper.empty() && extension != ".htm" && extension != ".html") {
        // A picture named in the registry wins with the registry's tile flag and style (absent: 0).
        FUZZ_CHECK(info.wallpaper == wallpaper && info.tileWallpaper == field(reg("TileWallpaper"), 0) && info.wallpaperStyle == field(reg("WallpaperStyle"), 0));
        FUZZ_CHECK(!line(5).starts_with("s") || !Plain(line(5).substr(1), 500) || info.wallpaper == line(5).substr(1));
        return;
    }
    // Otherwise the profile's: a missing wallpaper is the none marker, a missing or unreadable tile
    // flag or style 1, never -1; the path is read into 261 characters.
    const std::string profileWallpaper = ini("Desktop", "Wallpaper");
    FUZZ_CHECK(info.wallpaper == (profileWallpaper == "-1" ? std::string(desktop::kNoWallpaper) : profileWallpaper));
    const std::int16_t tile = field(ini("Desktop", "TileWallpaper"), -1), style = field(ini("Desktop", "WallPaperStyle"), -1);
    FUZZ_CHECK(info.tileWallpaper == (tile == -1 ? 1 : tile) && info.wallpaperStyle == (style == -1 ? 1 : style));
    FUZZ_CHECK((line(0) != "~" && !line(0).empty()) || info.wallpaper == desktop::kNoWallpaper);
    FUZZ_CHECK(!Plain(line(0), 260) || line(0) == "-1" || line(0) == "~" || info.wallpaper == line(0));
    FUZZ_CHECK(!Plain(line(0), 100000) || line(0).size() <= 260 || info.wallpaper == line(0).substr(0, 260));
}

// Without a pair of "%" the path stands and nothing is asked. Otherwise exactly one expansion, of the
// first reference, replaces every occurrence of it left to right (the replaced text not searched
// again); a "%" left after that (an undefined variable, a second reference, one in the value)
// means the path names nothing.
void Expansion(const std::vector<std::string_view>& lines) {
    const std::string path(lines[0]);
    fakes::FakeEnvironment environment, same;  // the other one is asked here, so the first one's requests stay the program's
    for (std::size_t i = 1, equals; i < lines.size(); ++i)
        if ((equals = lines[i].find('=')) != std::string_view::npos && equals > 0)
            for (auto* e : {&environment, &same}) e->Set(std::string(lines[i].substr(0, equals)), std::string(lines[i].substr(equals + 1)));
    const std::string result = desktop::ExpandWallpaperPath(path, environment);
    const std::size_t p1 = path.find('%'), p2 = p1 == std::string::npos ? p1 : path.find('%', p1 + 1);
    if (p2 == std::string::npos) return FUZZ_CHECK(result == path && environment.Requests().empty());
    const std::string reference = path.substr(p1, p2 - p1 + 1), expansion = same.ExpandVariables(reference);
    FUZZ_CHECK(environment.Requests() == std::vector<std::string>{reference});
    std::string rebuilt;
    std::size_t from = 0, k = 0;
    for (std::size_t at; (at = path.find(reference, from)) != std::string::npos; from = at + reference.size(), ++k) rebuilt += path.substr(from, at - from) + expansion;
    rebuilt += path.substr(from);
    if (rebuilt.find('%') != std::string::npos) return FUZZ_CHECK(result == desktop::kNoWallpaper);
    FUZZ_CHECK(result == rebuilt && expansion != reference);  // so an undefined variable never gets here
    FUZZ_CHECK(result.compare(0, p1, path, 0, p1) == 0 && result.compare(p1, expansion.size(), expansion) == 0);
    FUZZ_CHECK(k >= 1 && result.size() + k * reference.size() == path.size() + k * expansion.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = fuzz::Split(fuzz::AsText(data, size), '\n');
    Settings(lines);
    Expansion(lines);
    return 0;
}
