#include "platform/win32/ShellFolder.h"

#include <shlobj.h>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {

std::string Win32ShellFolder::GetFolderPath(std::int32_t folder) {
    wchar_t buffer[MAX_PATH + 1] = {};
    // The result is not examined: a failed lookup leaves the buffer empty.
    ::SHGetFolderPathW(owner_, folder, nullptr, SHGFP_TYPE_CURRENT, buffer);
    return NarrowZ(buffer, MAX_PATH + 1);
}

}  // namespace lumbra::win32
