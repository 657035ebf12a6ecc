#include "menu/Captions.h"

#include "platform/MenuCaption.h"

namespace lumbra::menu {
namespace {

bool EndsWithLnk(std::string_view name) {
    if (name.size() < 4) return false;
    std::string_view tail = name.substr(name.size() - 4);
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return tail[0] == '.' && lower(tail[1]) == 'l' && lower(tail[2]) == 'n' && lower(tail[3]) == 'k';
}

}  // namespace

std::string EntryName(std::string_view path, bool isFile) {
    const std::size_t slash = path.rfind('\\');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (isFile && EndsWithLnk(name)) name = name.substr(0, name.rfind('.'));
    return std::string(name);
}

std::string DoubleAmpersands(std::string_view name) {
    std::string text;
    for (char c : name) {
        if (c == '&') text += '&';
        text += c;
    }
    return text;
}

std::string PadCaption(std::string_view name, platform::CodePageCounter& codePage) {
    const std::size_t bytes = codePage.Cp932ByteCount(name);
    const std::size_t characters = platform::CaptionLength(name);
    std::string caption(name);
    if (bytes > characters) caption.append(bytes - characters, 'x');
    return caption;
}

}  // namespace lumbra::menu
