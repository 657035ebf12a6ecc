#include "platform/MenuCaption.h"

#include "platform/Text.h"

namespace lumbra::platform {

std::size_t CaptionLength(std::string_view utf8) { return text::Utf16Length(utf8); }

CaptionText VisibleCaption(std::string_view caption, CodePageCounter& codePage) {
    CaptionText result;
    std::string_view part = caption;
    const std::size_t tab = caption.find('\t');
    if (tab != std::string_view::npos) {
        part = caption.substr(0, tab);
        result.shortcut = std::string(caption.substr(tab + 1));
    }
    // The budget counts the whole part, a separator's "-" included; the "-" itself is not shown.
    const std::size_t budget = CaptionLength(part);
    std::string_view body = part;
    if (!body.empty() && body.front() == '-') {
        result.separator = true;
        body.remove_prefix(1);
    }
    // Whole characters only: a double-byte character that would straddle the end is left out.
    // A broken byte sequence is one character exactly as the conversion to UTF-16 (and with it
    // the padding's count) takes it, or what follows it falls out of the budget.
    std::size_t used = 0;
    std::size_t end = 0;
    while (end < body.size()) {
        const std::size_t length = text::CharacterBytes(body, end);
        const std::size_t bytes = codePage.Cp932ByteCount(body.substr(end, length));
        if (used + bytes > budget) break;
        used += bytes;
        end += length;
    }
    result.text = std::string(body.substr(0, end));
    return result;
}

}  // namespace lumbra::platform
