// Paths and names, read every way the program reads one. The first line is a dropped item's path
// (the second, when there is one, the desktop folder): its name, its destination and the walk up
// its folders. The input as a desktop entry's path: the entry's name,
// its caption padded for code page 932 and the text the menu shows of it (exactly the name, never a
// padding "x" and never less). The input split at NULs (which no command line holds) as a program
// and its arguments: the started program's parser (tests/common/CommandLineParser.h) gives back
// exactly the arguments.
#include <algorithm>

#include "FuzzInput.h"
#include "common/CommandLineParser.h"
#include "drop/DropNames.h"
#include "fakes/HostCodePage932.h"
#include "menu/Captions.h"
#include "platform/CommandLine.h"
#include "platform/MenuCaption.h"

namespace {

using namespace lumbra;
constexpr auto npos = std::string_view::npos;
constexpr std::string_view kDesktop = "C:\\Users\\me\\Desktop";
fakes::HostCodePage932 cp932;

// Every step is a strictly shorter beginning of the path, one step per backslash at most; a parent
// keeps no backslash at its end but a drive's root (or after two in a row: an empty name).
void WalkUp(std::string_view path) {
    const bool doubled = path.find("\\\\", 1) != npos;
    std::size_t steps = 0;
    for (std::string_view p = path, up; !p.empty(); p = up) {
        up = drop::ParentFolder(p);
        FUZZ_CHECK(up.size() < p.size() && p.starts_with(up) && ++steps <= 1 + std::size_t(std::count(path.begin(), path.end(), '\\')));
        FUZZ_CHECK(doubled || up.empty() || up.back() != '\\' || (up.size() == 3 && up[1] == ':'));
    }
}

void DroppedItem(std::string_view path, std::string_view folder) {
    const std::string_view name = drop::ItemName(path);  // the end of the path after its last backslash
    FUZZ_CHECK(name.find('\\') == npos && path.ends_with(name) && (name.size() == path.size() || path[path.size() - name.size() - 1] == '\\'));
    WalkUp(path);
    const std::string destination = drop::InFolder(folder, name);
    FUZZ_CHECK(drop::ItemName(destination) == name);
    WalkUp(destination);
    // A named item goes one level down into a folder written as the shell writes folders.
    const std::size_t share = folder.starts_with("\\\\") ? folder.find('\\', 2) : npos;
    const bool plain = !folder.ends_with('\\') && ((folder.size() >= 4 && folder.substr(1, 2) == ":\\") || (share != npos && share > 2 && share + 1 < folder.size()));
    if (!name.empty() && plain) FUZZ_CHECK(drop::ParentFolder(destination) == folder);
}

std::u16string Shown(std::string_view utf8) { return text::Utf8ToUtf16(utf8); }  // the menu shows UTF-16

// Any caption: the parts are where it puts them, and what shows fits the bytes of its length.
void AnyCaption(std::string_view caption) {
    const auto shown = platform::VisibleCaption(caption, cp932);
    const std::string_view part = caption.substr(0, caption.find('\t'));
    FUZZ_CHECK(shown.shortcut == (part.size() == caption.size() ? "" : caption.substr(part.size() + 1)));
    FUZZ_CHECK(shown.separator == part.starts_with('-') && part.substr(shown.separator).starts_with(shown.text));
    FUZZ_CHECK(cp932.Cp932ByteCount(shown.text) <= platform::CaptionLength(part));
}

void EntryCaption(const std::string& name) {
    const std::size_t units = platform::CaptionLength(name), bytes = cp932.Cp932ByteCount(name);
    FUZZ_CHECK(bytes >= units && bytes <= 2 * units);  // every unit takes one or two bytes in the code page
    const std::string caption = menu::PadCaption(name, cp932);
    FUZZ_CHECK(caption.starts_with(name) && caption.size() - name.size() == bytes - units && caption.find_first_not_of('x', name.size()) == npos);
    if (name.find('\t') != npos) return;  // Windows file names hold no tab
    // As a separator heading: one "x" fewer, its "-" counting as a character.
    const auto heading = platform::VisibleCaption("-" + name + std::string(bytes - units - (bytes > units), 'x'), cp932);
    FUZZ_CHECK(heading.separator && Shown(heading.text) == Shown(name));
    if (name.empty() || name[0] == '-') return;  // a name that starts with "-" is a heading itself
    const auto shown = platform::VisibleCaption(caption, cp932), withKey = platform::VisibleCaption(caption + "\tCtrl+E", cp932);
    FUZZ_CHECK(!shown.separator && shown.shortcut.empty() && Shown(shown.text) == Shown(name));
    FUZZ_CHECK(Shown(withKey.text) == Shown(name) && withKey.shortcut == "Ctrl+E");
}

void MenuEntry(std::string_view input) {
    AnyCaption(input);
    const std::string text = fuzz::WellFormed(input);  // as Windows hands a path over
    // Counting is additive at any character boundary: the menu counts a character at a time.
    std::size_t cut = input.empty() ? 0 : static_cast<unsigned char>(input[0]) % (text.size() + 1);
    while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;
    FUZZ_CHECK(cp932.Cp932ByteCount(text) == cp932.Cp932ByteCount(text.substr(0, cut)) + cp932.Cp932ByteCount(text.substr(cut)));
    for (const std::string& path : {std::string(input), text}) {
        for (bool isFile : {true, false}) {
            // The name is the last part of the path, less ".lnk" for a shortcut file.
            const std::string name = menu::EntryName(path, isFile);
            const std::string_view last = std::string_view(path).substr(path.rfind('\\') + 1);
            FUZZ_CHECK(name.find('\\') == npos && (name == last || (isFile && last.size() == name.size() + 4 && last.starts_with(name) && last[name.size()] == '.')));
            EntryCaption(name);
        }
    }
}

void CommandLine(std::string_view input) {
    std::vector<std::string> arguments;
    for (std::string_view part : fuzz::Split(input, '\0')) arguments.emplace_back(part);
    std::erase(arguments[0], '"');  // Windows forbids quotes in a file name
    FUZZ_CHECK(testdata::SplitCommandLine(platform::BuildCommandLine(arguments)) == arguments);
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string quoted = platform::QuoteArgument(arguments[i]);
        FUZZ_CHECK((testdata::SplitCommandLine("p.exe " + quoted) == std::vector<std::string>{"p.exe", arguments[i]}));
        // Quoted only when it must be: a plain argument stands as it is.
        FUZZ_CHECK((!arguments[i].empty() && arguments[i].find_first_of(" \t\n\v\"") == npos) == (quoted == arguments[i]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    const auto lines = fuzz::Split(input, '\n');
    DroppedItem(lines[0], lines.size() > 1 ? lines[1] : kDesktop);
    MenuEntry(input);
    CommandLine(input);
    return 0;
}
