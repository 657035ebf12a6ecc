#include "platform/win32/SingleInstance.h"

#include <sddl.h>

#include <string>
#include <vector>

#include "platform/win32/MainWindow.h"

namespace lumbra::win32 {
namespace {

// The user's SID as text ("S-1-5-21-..."); empty when the token cannot be read.
std::wstring UserSid() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const unique_handle_ptr token(raw);
    DWORD bytes = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &bytes);
    std::vector<BYTE> buffer(bytes);
    if (bytes == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), bytes, &bytes)) return {};
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    std::wstring sid(text);
    ::LocalFree(text);
    return sid;
}

constexpr DWORD kWaitForWindowMs = 10000;
constexpr DWORD kPollMs = 100;

}  // namespace

UINT SecondStartMessage() {
    static const UINT message = ::RegisterWindowMessageW((L"LumbraPanel.SecondStart." + UserSid()).c_str());
    return message;
}

SingleInstance::SingleInstance() {
    // "Local\": the session's namespace, so each signed-in session (and each user) has its own.
    const std::wstring name = L"Local\\LumbraPanel.Instance." + UserSid();
    // Owned by the first start while it runs, so that a start that finds it taken also finds out
    // when that program has ended.
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, name.c_str());
    // Without a mutex at all (no rights, no memory) the program runs as the first.
    first_ = mutex == nullptr || ::GetLastError() != ERROR_ALREADY_EXISTS;
    mutex_.reset(mutex);
}

bool SingleInstance::AskFirstToComeBack() {
    const UINT message = SecondStartMessage();
    for (DWORD waited = 0; waited <= kWaitForWindowMs; waited += kPollMs) {
        // Ended meanwhile (closing as this one started): this start takes its place.
        const DWORD state = ::WaitForSingleObject(mutex_.get(), 0);
        if (state == WAIT_OBJECT_0 || state == WAIT_ABANDONED) {
            first_ = true;
            return false;
        }
        // Every main window of the class: another user's program ignores a message it never registered.
        bool found = false;
        for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, kMainWindowClass, nullptr)) != nullptr;) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(w, &process);
            ::AllowSetForegroundWindow(process);
            ::PostMessageW(w, message, 0, 0);
            found = true;
        }
        if (found) return true;
        ::Sleep(kPollMs);
    }
    return true;
}

}  // namespace lumbra::win32
