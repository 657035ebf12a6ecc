#include "platform/win32/ShellServices.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <algorithm>

#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

using Microsoft::WRL::ComPtr;

namespace lumbra::win32 {
namespace {

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += name;
    return path;
}

// Entries of folder matching the pattern, directories or files, as full paths sorted by name.
// No folder lists nothing: a bare pattern would list the current directory instead.
std::string List(std::string_view folder, std::string_view pattern, bool directories) {
    if (folder.empty()) return {};
    const std::wstring wideFolder = Widen(folder);
    const std::wstring search = JoinPath(wideFolder, pattern.empty() ? std::wstring(L"*") : Widen(pattern));
    WIN32_FIND_DATAW data{};
    unique_find find(::FindFirstFileExW(search.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                        FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return {};
    std::vector<std::wstring> names;
    do {
        const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (directory != directories) continue;
        if (data.dwFileAttributes & kHiddenOrSystem) continue;
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        names.emplace_back(name);
    } while (::FindNextFileW(find.get(), &data));
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return ::StrCmpLogicalW(a.c_str(), b.c_str()) < 0; });
    std::string text;
    for (const std::wstring& name : names) {
        if (!text.empty()) text += platform::kListSeparator;
        text += Narrow(JoinPath(wideFolder, name));
    }
    return text;
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

std::string Win32FileLister::ListFiles(std::string_view folder, std::string_view filter) {
    return List(folder, filter, false);
}

std::string Win32FileLister::ListFolders(std::string_view folder) { return List(folder, "", true); }

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

std::optional<std::int64_t> Win32Shell::LastWriteTime(std::string_view path) {
    const std::wstring wide = Widen(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    ULARGE_INTEGER t;
    t.LowPart = data.ftLastWriteTime.dwLowDateTime;
    t.HighPart = data.ftLastWriteTime.dwHighDateTime;
    return static_cast<std::int64_t>(t.QuadPart);
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
