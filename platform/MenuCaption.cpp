#include "platform/MenuCaption.h"

#include "platform/Text.h"

namespace lumbra::platform {
namespace {

// Bytes of the UTF-8 sequence that starts at s[i]; a stray byte stands alone.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = 3;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    }
    if (i + length > s.size()) return 1;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

}  // namespace

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
    std::size_t used = 0;
    std::size_t end = 0;
    while (end < body.size()) {
        const std::size_t length = SequenceLength(body, end);
        const std::size_t bytes = codePage.Cp932ByteCount(body.substr(end, length));
        if (used + bytes > budget) break;
        used += bytes;
        end += length;
    }
    result.text = std::string(body.substr(0, end));
    return result;
}

}  // namespace lumbra::platform
