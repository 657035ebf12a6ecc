#include "platform/win32/ShellServices.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "platform/win32/Handles.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WinText.h"

using Microsoft::WRL::ComPtr;

namespace lumbra::win32 {
namespace {

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += name;
    return path;
}

class Bstr {
public:
    explicit Bstr(std::string_view text) : value_(::SysAllocString(Widen(text).c_str())) {}
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(value_); }
    BSTR get() const { return value_; }
    BSTR* put() {
        ::SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::string Text() const { return value_ ? Narrow(std::wstring_view(value_, ::SysStringLen(value_))) : ""; }

private:
    BSTR value_ = nullptr;
};

// An optional argument left out, the way automation callers say it.
VARIANT Missing() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

class Win32ShellVerb final : public platform::ShellVerb {
public:
    explicit Win32ShellVerb(ComPtr<FolderItemVerb> verb) : verb_(std::move(verb)) {}
    std::string Name() override {
        Bstr name;
        if (FAILED(verb_->get_Name(name.put()))) return {};
        return name.Text();
    }
    void DoIt() override { verb_->DoIt(); }

private:
    ComPtr<FolderItemVerb> verb_;
};

class Win32FolderItem final : public platform::ShellFolderItem {
public:
    explicit Win32FolderItem(ComPtr<FolderItem> item) : item_(std::move(item)) {}
    std::vector<std::unique_ptr<platform::ShellVerb>> Verbs() override {
        std::vector<std::unique_ptr<platform::ShellVerb>> result;
        ComPtr<FolderItemVerbs> verbs;
        if (FAILED(item_->Verbs(&verbs)) || !verbs) return result;
        long count = 0;
        if (FAILED(verbs->get_Count(&count))) return result;
        for (long i = 0; i < count; ++i) {
            VARIANT index;
            ::VariantInit(&index);
            index.vt = VT_I4;
            index.lVal = i;
            ComPtr<FolderItemVerb> verb;
            if (SUCCEEDED(verbs->Item(index, &verb)) && verb) {
                result.push_back(std::make_unique<Win32ShellVerb>(std::move(verb)));
            }
        }
        return result;
    }
    bool InvokeVerb(std::string_view canonicalName) override {
        VARIANT verb;
        ::VariantInit(&verb);
        verb.vt = VT_BSTR;
        verb.bstrVal = ::SysAllocString(Widen(canonicalName).c_str());
        const HRESULT hr = item_->InvokeVerb(verb);
        ::VariantClear(&verb);
        if (SUCCEEDED(hr)) return true;
        // Where the automation object cannot run it, the shell's own verb on the item's path.
        Bstr path;
        if (FAILED(item_->get_Path(path.put())) || path.get() == nullptr) return false;
        const std::wstring wideVerb = Widen(canonicalName);
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = wideVerb.c_str();
        info.lpFile = path.get();
        info.nShow = SW_SHOWNORMAL;
        return ::ShellExecuteExW(&info) != FALSE;
    }

private:
    ComPtr<FolderItem> item_;
};

class Win32ShellNameSpace final : public platform::ShellNameSpace {
public:
    explicit Win32ShellNameSpace(ComPtr<Folder> folder) : folder_(std::move(folder)) {}
    std::unique_ptr<platform::ShellFolderItem> ParseName(std::string_view name) override {
        Bstr wide(name);
        ComPtr<FolderItem> item;
        if (folder_->ParseName(wide.get(), &item) != S_OK || !item) return nullptr;
        return std::make_unique<Win32FolderItem>(std::move(item));
    }
    std::unique_ptr<platform::ShellFolderItem> OwnItem() override {
        ComPtr<FolderItems> items;
        if (FAILED(folder_->Items(&items)) || !items) return nullptr;
        ComPtr<FolderItem> item;
        if (items->Item(Missing(), &item) != S_OK || !item) return nullptr;
        return std::make_unique<Win32FolderItem>(std::move(item));
    }

private:
    ComPtr<Folder> folder_;
};

class Win32ShellDispatch final : public platform::ShellDispatch {
public:
    Win32ShellDispatch(ComPtr<IShellDispatch> shell, MinimizedWindows& fallback)
        : shell_(std::move(shell)), fallback_(fallback) {}
    void MinimizeAll() override {
        if (FAILED(shell_->MinimizeAll())) fallback_.MinimizeAll();
    }
    void UndoMinimizeALL() override {
        if (FAILED(shell_->UndoMinimizeALL())) fallback_.RestoreAll();
    }
    std::unique_ptr<platform::ShellNameSpace> NameSpace(std::int32_t number) override {
        VARIANT folderNumber;
        ::VariantInit(&folderNumber);
        folderNumber.vt = VT_I4;
        folderNumber.lVal = number;
        ComPtr<Folder> folder;
        if (shell_->NameSpace(folderNumber, &folder) != S_OK || !folder) return nullptr;
        return std::make_unique<Win32ShellNameSpace>(std::move(folder));
    }

private:
    ComPtr<IShellDispatch> shell_;
    MinimizedWindows& fallback_;
};

constexpr UINT_PTR kShellMenuSubclass = 0x4C53;  // "LS"

// While the shell's menu of an item is open, its sub-menus ("送る" for one) are filled and
// drawn by the shell: the owner's menu messages go to it first.
LRESULT CALLBACK ForwardToShellMenu(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                                    DWORD_PTR data) noexcept {
    if (message == WM_INITMENUPOPUP || message == WM_DRAWITEM || message == WM_MEASUREITEM || message == WM_MENUCHAR) {
        auto* menu = reinterpret_cast<IContextMenu*>(data);
        ComPtr<IContextMenu3> menu3;
        ComPtr<IContextMenu2> menu2;
        LRESULT result = 0;
        if (SUCCEEDED(menu->QueryInterface(IID_PPV_ARGS(&menu3))) &&
            SUCCEEDED(menu3->HandleMenuMsg2(message, wParam, lParam, &result))) {
            return result;
        }
        if (message != WM_MENUCHAR && SUCCEEDED(menu->QueryInterface(IID_PPV_ARGS(&menu2))) &&
            SUCCEEDED(menu2->HandleMenuMsg(message, wParam, lParam))) {
            return message == WM_INITMENUPOPUP ? 0 : TRUE;
        }
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

bool IsShellWindow(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    const std::wstring_view cls(name);
    return cls == L"Shell_TrayWnd" || cls == L"Progman" || cls == L"WorkerW" || cls == L"Shell_SecondaryTrayWnd";
}

}  // namespace

// ---- code page 932 --------------------------------------------------------------------------

std::size_t Win32CodePage932::Cp932ByteCount(std::string_view utf8) {
    if (utf8.empty()) return 0;
    const std::wstring wide = Widen(utf8);
    const int bytes = ::WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                            nullptr);
    return bytes > 0 ? static_cast<std::size_t>(bytes) : wide.size();
}

// ---- the lister -----------------------------------------------------------------------------

platform::FolderListing Win32FileLister::List(std::string_view folder) {
    platform::FolderListing listing;
    // No folder lists nothing: a bare pattern would list the current directory instead.
    if (folder.empty()) return listing;
    const std::wstring wideFolder = Widen(folder);
    WIN32_FIND_DATAW data{};
    unique_find find(::FindFirstFileExW(JoinPath(wideFolder, L"*").c_str(), FindExInfoBasic, &data,
                                        FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        // A drive's empty root has no "." entry: nothing there is no failure.
        if (const DWORD error = ::GetLastError(); error != ERROR_FILE_NOT_FOUND) listing.error = SystemErrorText(error);
        return listing;
    }
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        const ULARGE_INTEGER written{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}};
        listing.entries.push_back({Narrow(JoinPath(wideFolder, name)), data.dwFileAttributes,
                                   static_cast<std::int64_t>(written.QuadPart)});
    } while (::FindNextFileW(find.get(), &data));
    return listing;
}

int Win32FileLister::CompareNames(std::string_view a, std::string_view b) {
    return ::StrCmpLogicalW(Widen(a).c_str(), Widen(b).c_str());
}

// ---- minimising without the shell -----------------------------------------------------------

void MinimizedWindows::MinimizeAll() {
    windows_.clear();
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* list = reinterpret_cast<std::vector<HWND>*>(data);
            const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
            const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
            if (!::IsWindowVisible(window) || ::IsIconic(window) || ::GetWindow(window, GW_OWNER) != nullptr) return TRUE;
            if (!(style & WS_MINIMIZEBOX) || (exStyle & WS_EX_TOOLWINDOW) || IsShellWindow(window)) return TRUE;
            list->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows_));
    // Asynchronously: a hung window of another program must not stop this one.
    for (HWND window : windows_) ::ShowWindowAsync(window, SW_MINIMIZE);
}

void MinimizedWindows::RestoreAll() {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        if (::IsWindow(*it) && ::IsIconic(*it)) ::ShowWindowAsync(*it, SW_RESTORE);
    }
    windows_.clear();
}

// ---- the shell ------------------------------------------------------------------------------

std::wstring ProgramOf(std::wstring_view commandLine) {
    if (!commandLine.empty() && commandLine.front() == L'"') {
        const std::size_t close = commandLine.find(L'"', 1);
        return std::wstring(commandLine.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1));
    }
    return std::wstring(commandLine.substr(0, commandLine.find_first_of(L" \t")));
}

bool Win32Shell::StartProcess(std::string_view commandLine, std::int32_t show) {
    std::wstring line = Widen(commandLine);
    // A bare program name is taken from the system folder when it is there, not from the
    // current folder or the program's own.
    std::wstring application;
    const std::wstring program = ProgramOf(line);
    if (!program.empty() && program.find_first_of(L"\\/:") == std::wstring::npos) {
        const std::wstring candidate = Widen(SystemFolder()) + L"\\" + program;
        if (::GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) application = candidate;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    line.push_back(L'\0');
    if (!::CreateProcessW(application.empty() ? nullptr : application.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &process)) {
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

std::unique_ptr<platform::ShellDispatch> Win32Shell::CreateShellDispatch() {
    ComPtr<IShellDispatch> shell;
    if (FAILED(::CoCreateInstance(CLSID_Shell, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shell))) || !shell) {
        return nullptr;
    }
    return std::make_unique<Win32ShellDispatch>(std::move(shell), minimized_);
}

bool Win32Shell::QueryRecycleBin(std::string_view root, platform::RecycleBinInfo& info) {
    const std::wstring wideRoot = Widen(root);
    SHQUERYRBINFO query{};
    query.cbSize = sizeof query;
    if (FAILED(::SHQueryRecycleBinW(wideRoot.empty() ? nullptr : wideRoot.c_str(), &query))) return false;
    info.size = query.i64Size;
    info.items = query.i64NumItems;
    return true;
}

void Win32Shell::EmptyRecycleBin(std::uintptr_t owner, std::string_view root, std::uint32_t flags) {
    const std::wstring wideRoot = Widen(root);
    ::SHEmptyRecycleBinW(reinterpret_cast<HWND>(owner), wideRoot.empty() ? nullptr : wideRoot.c_str(), flags);
}

platform::DriveType Win32Shell::GetDriveType(std::string_view root) {
    const std::wstring wideRoot = Widen(root);
    return static_cast<platform::DriveType>(::GetDriveTypeW(wideRoot.c_str()));
}

std::string Win32Shell::SystemFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    const UINT n = ::GetSystemDirectoryW(path, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    return Narrow(std::wstring_view(path, n));
}

bool Win32Shell::FileExists(std::string_view path) {
    const std::wstring wide = Widen(path);
    return ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Win32Shell::ShowItemMenu(std::uintptr_t ownerWindow, std::string_view path, std::int32_t x, std::int32_t y) {
    const HWND owner = reinterpret_cast<HWND>(ownerWindow);
    LPITEMIDLIST parsed = nullptr;
    if (FAILED(::SHParseDisplayName(Widen(path).c_str(), nullptr, &parsed, 0, nullptr))) return;
    const unique_item_id item(parsed);
    ComPtr<IShellFolder> parent;
    LPCITEMIDLIST child = nullptr;
    if (FAILED(::SHBindToParent(item.get(), IID_IShellFolder, reinterpret_cast<void**>(parent.GetAddressOf()), &child))) {
        return;
    }
    ComPtr<IContextMenu> menu;
    if (FAILED(parent->GetUIObjectOf(owner, 1, &child, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(menu.GetAddressOf())))) {
        return;
    }
    constexpr UINT kFirstCommand = 1;
    constexpr UINT kLastCommand = 0x7FFF;
    unique_hmenu popup(::CreatePopupMenu());
    if (!popup || FAILED(menu->QueryContextMenu(popup.get(), 0, kFirstCommand, kLastCommand, CMF_NORMAL))) return;

    const bool subclassed = ::SetWindowSubclass(owner, &ForwardToShellMenu, kShellMenuSubclass,
                                                reinterpret_cast<DWORD_PTR>(menu.Get())) != FALSE;
    // A popup menu closes properly on a click elsewhere only when its owner is in the foreground.
    ::SetForegroundWindow(owner);
    const auto chosen =
        static_cast<UINT>(::TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, owner, nullptr));
    if (subclassed) ::RemoveWindowSubclass(owner, &ForwardToShellMenu, kShellMenuSubclass);
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (chosen < kFirstCommand) return;

    CMINVOKECOMMANDINFOEX invoke{};
    invoke.cbSize = sizeof invoke;
    invoke.fMask = CMIC_MASK_UNICODE | CMIC_MASK_PTINVOKE;
    invoke.hwnd = owner;
    invoke.lpVerb = MAKEINTRESOURCEA(chosen - kFirstCommand);
    invoke.lpVerbW = MAKEINTRESOURCEW(chosen - kFirstCommand);
    invoke.nShow = SW_SHOWNORMAL;
    invoke.ptInvoke = {x, y};
    menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&invoke));
}

platform::WindowsVersion Win32Shell::Version() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    if (!::GetVersionExW(&info)) return {};
    return {info.dwMajorVersion, info.dwMinorVersion};
}

}  // namespace lumbra::win32
