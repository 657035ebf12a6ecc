#include "platform/win32/SystemError.h"

#include <cstdio>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

std::wstring FormatFromSystem(DWORD code, LANGID language) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) ::LocalFree(buffer);
    // The system's texts end in a line break.
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text;
}

}  // namespace

std::string SystemErrorText(DWORD code) {
    // The system's own language first; where it has no text for the code, whatever language
    // the system finds.
    std::wstring text = FormatFromSystem(code, ::GetSystemDefaultUILanguage());
    if (text.empty()) text = FormatFromSystem(code, 0);
    if (!text.empty()) return Narrow(text);
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "エラー 0x%08lX", static_cast<unsigned long>(code));
    return fallback;
}

std::string SystemErrorText(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return SystemErrorText(static_cast<DWORD>(HRESULT_CODE(hr)));
    return SystemErrorText(static_cast<DWORD>(hr));
}

}  // namespace lumbra::win32
