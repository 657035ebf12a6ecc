#pragma once
// How the popup menu reads a caption. The text before an optional tab ends in a padding of "x",
// one for every double-byte character of the visible text in code page 932 (a separator's
// heading one fewer, its leading "-" counting as a character). The menu shows, of that text, as
// many code-page-932 bytes as it has characters as passed, which is exactly the visible text,
// and shows it in full Unicode rather than through the code page.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace lumbra::platform {

struct CaptionText {
    bool separator = false;  // a leading "-": no command, the text is its heading
    std::string text;        // the visible text, "&" mnemonics kept
    std::string shortcut;    // the text after the tab; "" when there is none
};

CaptionText VisibleCaption(std::string_view caption, CodePageCounter& codePage);

// Characters as the captions count them: UTF-16 units.
std::size_t CaptionLength(std::string_view utf8);

}  // namespace lumbra::platform
