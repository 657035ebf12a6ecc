// Captions of the popup menu over any desktop path: the entry's name, its padding for code page
// 932, and the text the menu shows of the padded caption. Whatever the name, the menu must show
// exactly the name, never a padding "x" and never less.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "fakes/HostCodePage932.h"
#include "menu/Captions.h"
#include "platform/MenuCaption.h"
#include "platform/Text.h"

namespace {

using lumbra::platform::CaptionLength;
using lumbra::platform::VisibleCaption;

lumbra::fakes::HostCodePage932 cp932;

// What Windows makes of a text: the menu shows UTF-16.
std::u16string Shown(std::string_view utf8) { return lumbra::text::Utf8ToUtf16(utf8); }

// Any caption at all: the parts are where the caption puts them and the shown text fits the
// byte budget of the caption's own length.
void AnyCaption(std::string_view caption) {
    const auto shown = VisibleCaption(caption, cp932);
    const std::size_t tab = caption.find('\t');
    const std::string_view part = caption.substr(0, tab);
    FUZZ_CHECK(shown.shortcut == (tab == std::string_view::npos ? std::string_view() : caption.substr(tab + 1)));
    FUZZ_CHECK(shown.separator == (!part.empty() && part.front() == '-'));
    const std::string_view body = shown.separator ? part.substr(1) : part;
    FUZZ_CHECK(body.substr(0, shown.text.size()) == shown.text);
    FUZZ_CHECK(cp932.Cp932ByteCount(shown.text) <= CaptionLength(part));
}

// A desktop entry's name through padding and showing: the name comes back whole.
void EntryCaption(const std::string& name) {
    const std::size_t units = CaptionLength(name);
    const std::size_t bytes = cp932.Cp932ByteCount(name);
    // Every unit takes one or two bytes in the code page.
    FUZZ_CHECK(bytes >= units && bytes <= 2 * units);

    const std::string caption = lumbra::menu::PadCaption(name, cp932);
    FUZZ_CHECK(caption.compare(0, name.size(), name) == 0);
    FUZZ_CHECK(caption.size() - name.size() == bytes - units);
    FUZZ_CHECK(caption.find_first_not_of('x', name.size()) == std::string::npos);

    // A name that starts with "-" turns into a separator heading and one with a tab into a
    // shortcut text; Windows file names hold no tab, and the "-" names are left to the
    // separator check below.
    if (name.find('\t') != std::string::npos) return;
    if (!name.empty() && name.front() != '-') {
        const auto shown = VisibleCaption(caption, cp932);
        FUZZ_CHECK(!shown.separator);
        FUZZ_CHECK(Shown(shown.text) == Shown(name));
        FUZZ_CHECK(shown.shortcut.empty());
        const auto withShortcut = VisibleCaption(caption + "\tCtrl+Shift+E", cp932);
        FUZZ_CHECK(Shown(withShortcut.text) == Shown(name));
        FUZZ_CHECK(withShortcut.shortcut == "Ctrl+Shift+E");
    }

    // The same text as a separator heading: one "x" fewer, its "-" counting as a character.
    const std::size_t doubleBytes = bytes - units;
    const std::string heading = "-" + name + std::string(doubleBytes > 0 ? doubleBytes - 1 : 0, 'x');
    const auto shownHeading = VisibleCaption(heading, cp932);
    FUZZ_CHECK(shownHeading.separator);
    FUZZ_CHECK(Shown(shownHeading.text) == Shown(name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = lumbra::fuzz::AsText(data, size);
    AnyCaption(input);

    // Counting is additive at any character boundary: the menu counts a caption a character at
    // a time, the padding counts it whole.
    const std::string text = lumbra::fuzz::WellFormed(input);
    if (!text.empty()) {
        std::size_t cut = static_cast<std::size_t>(data[0]) % (text.size() + 1);
        while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;
        FUZZ_CHECK(cp932.Cp932ByteCount(text) ==
              cp932.Cp932ByteCount(std::string_view(text).substr(0, cut)) +
                  cp932.Cp932ByteCount(std::string_view(text).substr(cut)));
    }

    // The input as a desktop path, raw and as Windows would hand it over, file and folder.
    for (const std::string& path : {std::string(input), text}) {
        for (bool isFile : {true, false}) {
            const std::string name = lumbra::menu::EntryName(path, isFile);
            FUZZ_CHECK(name.find('\\') == std::string::npos);
            const std::size_t slash = path.rfind('\\');
            const std::string_view last = slash == std::string::npos ? std::string_view(path)
                                                                      : std::string_view(path).substr(slash + 1);
            // The name is the last part of the path, less ".lnk" for a shortcut file.
            FUZZ_CHECK(name == last || (isFile && last.size() == name.size() + 4 && last.substr(0, name.size()) == name &&
                                   last[name.size()] == '.'));
            EntryCaption(name);
        }
    }
    return 0;
}
