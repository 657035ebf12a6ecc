#pragma once
// How dropped items are named in the desktop folder.
#include <string>
#include <string_view>

namespace lumbra::drop {

// Appended to an item's name to name its shortcut: "への" and half-width "ｼｮｰﾄｶｯﾄ.lnk".
inline constexpr std::string_view kShortcutSuffix = "へのｼｮｰﾄｶｯﾄ.lnk";

// The text after the last backslash: a file's name with its extension, a folder's name, and
// nothing for a drive root or any path that ends in a backslash.
std::string_view ItemName(std::string_view path);

// The item's name followed directly by the shortcut suffix.
std::string ShortcutFileName(std::string_view itemName);

// folder + "\" + name, exactly so: an empty name leaves the trailing backslash.
std::string InFolder(std::string_view folder, std::string_view name);

// The folder that holds the path; empty for a root or a bare name.
std::string_view ParentFolder(std::string_view path);

// A drive's root ("D:\", "D:") or a share's ("\\server\share"), which no folder holds.
bool IsRoot(std::string_view path);

// The question before an existing item is replaced, with its name in front.
std::string OverwriteQuestion(std::string_view name);

// The n-th name a file being written may have before it takes the place of another.
std::string TempName(std::string_view folder, int n);

}  // namespace lumbra::drop
