#pragma once
// The names and captions of the desktop entries in the popup menu.
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace lumbra::menu {

// The name of a desktop entry: the part of its path after the last "\". A file whose name ends
// in ".lnk" (any case) shows without its extension; a folder keeps its whole name.
std::string EntryName(std::string_view path, bool isFile);

// A name as menu text: every "&" doubled, so that it shows as itself and marks no mnemonic.
std::string DoubleAmpersands(std::string_view name);

// The caption passed to the menu for a name: the name and one "x" for every double-byte
// character in code page 932 (its byte length there minus its length in characters).
std::string PadCaption(std::string_view name, platform::CodePageCounter& codePage);

}  // namespace lumbra::menu
