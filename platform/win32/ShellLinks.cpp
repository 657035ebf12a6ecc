#include "platform/win32/ShellLinks.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "platform/win32/SystemError.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using Microsoft::WRL::ComPtr;
using platform::FileResult;

HRESULT NewLink(ComPtr<IShellLinkW>& link) {
    return ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
}

// Attributes that make writing over an existing file fail.
constexpr DWORD kBlocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class Win32ShortcutShell final : public platform::ShortcutShell {
public:
    FileResult SaveShortcut(std::string_view path, std::string_view target) override {
        const std::wstring file = Widen(path);
        // A fresh object for every shortcut, so that nothing of one shortcut carries over into
        // the next.
        ComPtr<IShellLinkW> link;
        HRESULT hr = NewLink(link);
        if (FAILED(hr)) return FileResult::Fail(SystemErrorText(hr));
        ComPtr<IPersistFile> persist;
        hr = link.As(&persist);
        if (FAILED(hr)) return FileResult::Fail(SystemErrorText(hr));

        const DWORD existing = ::GetFileAttributesW(file.c_str());
        const bool isFile = existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY);
        // An existing shortcut is opened and only its target changes; a file there that is no
        // shortcut is simply written over.
        if (isFile) persist->Load(file.c_str(), STGM_READ);
        hr = link->SetPath(Widen(target).c_str());
        if (FAILED(hr)) return FileResult::Fail(SystemErrorText(hr));

        // The user has agreed to replace it: a hidden, system or read-only shortcut is written
        // all the same and keeps those attributes.
        const bool unblock = isFile && (existing & kBlocking);
        if (unblock) ::SetFileAttributesW(file.c_str(), existing & ~kBlocking);
        hr = persist->Save(file.c_str(), TRUE);
        if (unblock) ::SetFileAttributesW(file.c_str(), existing);
        if (FAILED(hr)) return FileResult::Fail(SystemErrorText(hr));
        return FileResult::Ok();
    }
};

}  // namespace

std::unique_ptr<platform::ShortcutShell> Win32ShellLinks::CreateShell(std::string& error) {
    ComPtr<IShellLinkW> probe;
    const HRESULT hr = NewLink(probe);
    if (FAILED(hr)) {
        error = SystemErrorText(hr);
        return nullptr;
    }
    return std::make_unique<Win32ShortcutShell>();
}

std::string ReadShortcutTarget(std::string_view path) {
    ComPtr<IShellLinkW> link;
    if (FAILED(NewLink(link))) return {};
    ComPtr<IPersistFile> persist;
    if (FAILED(link.As(&persist)) || FAILED(persist->Load(Widen(path).c_str(), STGM_READ))) return {};
    wchar_t target[MAX_PATH + 1] = {};
    // The item list keeps the target's name in full Unicode; the plain path of a shortcut may
    // have passed through a narrow code page.
    PIDLIST_ABSOLUTE items = nullptr;
    if (SUCCEEDED(link->GetIDList(&items)) && items != nullptr) {
        const BOOL named = ::SHGetPathFromIDListW(items, target);
        ::CoTaskMemFree(items);
        if (named && target[0] != L'\0') return NarrowZ(target, MAX_PATH + 1);
    }
    if (FAILED(link->GetPath(target, MAX_PATH + 1, nullptr, SLGP_RAWPATH))) return {};
    return NarrowZ(target, MAX_PATH + 1);
}

}  // namespace lumbra::win32
