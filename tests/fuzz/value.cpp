// One value as a setting holds it, read every way the program reads one: its numeric value and the
// narrowing to fields, a colour triplet, stored window geometry, a DefaultIcon value, UTF-8 and
// UTF-16 conversions, (the first byte choosing the type and whether the value is there) the
// registry reader over the rest as the value's bytes, and the desktop background settings and
// wallpaper path made of it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "FuzzInput.h"
#include "app/frmMain.h"
#include "desktop/Composition.h"
#include "desktop/NumericValue.h"
#include "desktop/modMain.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/WallpaperFakes.h"
#include "menu/DefaultIcon.h"
#include "platform/Scene.h"

namespace {

using namespace lumbra;
constexpr auto npos = std::string_view::npos;

void Numbers(std::string_view text) {
    const double value = desktop::NumericValue(text);
    FUZZ_CHECK(!std::isnan(value));  // a number or an infinity, never NaN
    const double rounded = desktop::RoundHalfEven(value);
    if (std::isfinite(value)) FUZZ_CHECK(std::fabs(rounded - value) <= 0.5 && desktop::RoundHalfEven(rounded) == rounded);
    if (const auto narrow = desktop::ToInt16(value)) FUZZ_CHECK(*narrow == rounded);
    if (const auto wide = desktop::ToInt32(value)) FUZZ_CHECK(*wide == rounded && (desktop::ToInt16(value) || *wide < -32768 || *wide > 32767));

    // Fewer than three blank-separated fields always mean the system's desktop colour.
    const auto colour = desktop::ParseColorTriplet(text);
    FUZZ_CHECK(std::count(text.begin(), text.end(), ' ') >= 2 || colour == platform::kSystemDesktopColor);

    for (float twipsPerPixel : {15.0f, 12.0f, 10.0f}) {
        if (const auto stored = app::ParseStoredSingle(text, twipsPerPixel)) {
            FUZZ_CHECK(std::isfinite(*stored) && std::fabs(*stored) <= 32767.0f * twipsPerPixel);
            FUZZ_CHECK(app::ParseStoredSingle(app::FormatSingle(*stored), twipsPerPixel) == stored);  // what is written reads back
        }
    }
}

// A DefaultIcon value is split at its last comma only, the file passed on untouched; a last part
// that cannot start a number names index 0.
void DefaultIcon(std::string_view value) {
    const menu::IconLocation location = menu::SplitDefaultIcon(value);
    const std::size_t comma = value.rfind(',');
    FUZZ_CHECK(location.file == value.substr(0, comma));
    const std::string_view last = comma == npos ? "" : value.substr(comma + 1);
    const std::size_t first = last.find_first_not_of(" \t\n");
    if (first == npos || std::string_view("0123456789+-.&").find(last[first]) == npos) FUZZ_CHECK(location.index == 0);
}

void Texts(std::string_view bytes) {
    const std::u16string units = text::Utf8ToUtf16(bytes);
    FUZZ_CHECK(units.size() == text::Utf16Length(bytes));
    const std::string clean = text::Utf16ToUtf8(units);
    FUZZ_CHECK(text::Utf8ToUtf16(clean) == units && clean.size() <= 3 * bytes.size());  // repaired text is a fixed point
    std::u16string raw(bytes.size() / 2, u'\0');
    std::memcpy(raw.data(), bytes.data(), raw.size() * 2);
    const std::string fromRaw = text::Utf16ToUtf8(raw);
    FUZZ_CHECK(text::Utf16ToUtf8(text::Utf8ToUtf16(fromRaw)) == fromRaw);
}

// The first byte: bit 7 leaves the key out, bits 0-1 equal to 1 the value, bits 2-5 are its type.
void Registry(std::string_view bytes) {
    const auto control = static_cast<std::uint8_t>(bytes.empty() ? 0 : bytes[0]);
    fakes::FakeRegistry registry;
    if (!(control & 0x80)) registry.PutKey(platform::RootKey::CurrentUser, "Any");
    if (!(control & 0x80) && control % 4 != 1 && !bytes.empty())
        registry.PutValue(platform::RootKey::CurrentUser, "Any", "Value", static_cast<platform::RegType>((control >> 2) % 12), {bytes.begin() + 1, bytes.end()});
    const std::string text = desktop::ReadRegString(registry, platform::RootKey::CurrentUser, "Any", "Value");
    FUZZ_CHECK(text.find('\0') == npos);  // cut at the first NUL
    FUZZ_CHECK(fuzz::WellFormed(text) == text && text.size() <= 3 * desktop::kRegistryBufferBytes);
}

// The value as every desktop background setting at once, in WIN.INI and in the registry, and as
// the wallpaper path to expand. The tile flag and the style are read by one rule from whichever
// store wins, so they agree; every key is closed again. A path with fewer than two "%" stands;
// otherwise a "%" left after its first reference is expanded means no wallpaper.
void Wallpaper(std::string_view bytes) {
    const std::string value = fuzz::WellFormed(bytes);
    fakes::FakeProfileFile profile;
    fakes::FakeRegistry registry;
    for (const char* key : {"Wallpaper", "TileWallpaper", "WallPaperStyle", "Pattern"}) profile.Put("WIN.INI", "Desktop", key, value);
    for (const char* name : {"Wallpaper", "TileWallpaper", "WallpaperStyle"})
        registry.PutString(platform::RootKey::CurrentUser, desktop::kDesktopGeneralKey, name, value);
    const desktop::WallpaperInfo info = desktop::GetWallpaperInfo(profile, registry);
    FUZZ_CHECK(info.tileWallpaper == info.wallpaperStyle && registry.KeysOpened() == registry.KeysClosed());
    fakes::FakeEnvironment environment;
    environment.Set("A", "x");
    environment.Set("B", "%");
    const std::string path = desktop::ExpandWallpaperPath(value, environment);
    const bool pair = std::count(value.begin(), value.end(), '%') >= 2;
    FUZZ_CHECK(pair ? path == desktop::kNoWallpaper || path.find('%') == npos : path == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    Numbers(input);
    DefaultIcon(input);
    Texts(input);
    Registry(input);
    Wallpaper(input);
    return 0;
}
