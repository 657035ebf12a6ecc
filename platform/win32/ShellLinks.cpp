#include "platform/win32/ShellLinks.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include "platform/win32/FileSystem.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using Microsoft::WRL::ComPtr;
using platform::FileResult;

HRESULT NewLink(ComPtr<IShellLinkW>& link) {
    return ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
}

// The file's attributes a rewritten shortcut keeps.
constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Shortcut files are read and written as streams on files opened by their exact paths, so that
// long paths and odd names reach the file they name.
// A new file (never one that is there) when `create`, else an existing one.
HRESULT OpenStream(std::string_view path, DWORD mode, bool create, ComPtr<IStream>& stream) {
    return ::SHCreateStreamOnFileEx(ExactPath(path).c_str(), mode, FILE_ATTRIBUTE_NORMAL, create, nullptr, &stream);
}

class Win32ShortcutShell final : public platform::ShortcutShell {
public:
    FileResult SaveShortcut(std::string_view path, std::string_view target, std::string_view model) override {
        // A fresh object for every shortcut, so that nothing of one shortcut carries over into
        // the next.
        ComPtr<IShellLinkW> link;
        HRESULT hr = NewLink(link);
        ComPtr<IPersistStream> persist;
        if (SUCCEEDED(hr)) hr = link.As(&persist);
        if (FAILED(hr)) return FileResult::Fail(SystemErrorText(hr));
        // The shortcut it replaces lends everything but the target; a file there that is no
        // shortcut lends nothing.
        DWORD attributes = 0;
        ComPtr<IStream> old;
        if (!model.empty() && SUCCEEDED(OpenStream(model, STGM_READ | STGM_SHARE_DENY_WRITE, false, old))) {
            persist->Load(old.Get());
            attributes = ::GetFileAttributesW(ExactPath(model).c_str()) & kKept;
        }
        hr = link->SetPath(Widen(target).c_str());
        ComPtr<IStream> file;
        if (SUCCEEDED(hr)) hr = OpenStream(path, STGM_WRITE | STGM_SHARE_EXCLUSIVE, true, file);
        if (SUCCEEDED(hr)) hr = persist->Save(file.Get(), TRUE);
        if (SUCCEEDED(hr)) hr = file->Commit(STGC_DEFAULT);
        file.Reset();
        if (FAILED(hr)) return FileResult::Fail(SystemErrorText(hr));
        if (attributes != 0) ::SetFileAttributesW(ExactPath(path).c_str(), attributes);
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
