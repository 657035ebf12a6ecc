#include "platform/win32/FileSystem.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using platform::FileResult;

FileResult LastError() { return FileResult::Fail(SystemErrorText(::GetLastError())); }

// Attributes a copied folder takes over from its original.
constexpr DWORD kFolderAttributesKept =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER total, LARGE_INTEGER done, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                                   HANDLE, HANDLE, LPVOID data) noexcept {
    auto* progress = static_cast<platform::CopyProgress*>(data);
    try {
        progress->Bytes(static_cast<std::uint64_t>(done.QuadPart), static_cast<std::uint64_t>(total.QuadPart));
    } catch (...) {
    }
    // A file once begun is finished: cancelling takes effect between files.
    return PROGRESS_CONTINUE;
}

struct Identity {
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
};

bool IdentityOf(const std::wstring& path, Identity& id) {
    unique_file file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)) return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

std::wstring FullPath(const std::wstring& path) {
    DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    DWORD written = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    full.resize(written < needed ? written : 0);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return full;
}

// Clears the read-only bit for `act` and puts it back when `act` fails.
template <class Act>
BOOL WithoutReadOnly(const std::wstring& path, Act act) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (act()) return TRUE;
    const DWORD error = ::GetLastError();
    if (readOnly) ::SetFileAttributesW(path.c_str(), attributes);
    ::SetLastError(error);
    return FALSE;
}

}  // namespace

FileResult Win32FileSystem::GetAttributes(std::string_view path, std::uint32_t& attributes) {
    const DWORD a = ::GetFileAttributesW(Widen(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return LastError();
    attributes = a;
    return FileResult::Ok();
}

bool Win32FileSystem::Exists(std::string_view path) {
    return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32FileSystem::FileExists(std::string_view path) {
    WIN32_FIND_DATAW data{};
    unique_find find(::FindFirstFileW(Widen(path).c_str(), &data));
    return find && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::SameItem(std::string_view a, std::string_view b) {
    const std::wstring wa = Widen(a);
    const std::wstring wb = Widen(b);
    Identity ia;
    Identity ib;
    if (IdentityOf(wa, ia) && IdentityOf(wb, ib)) {
        return ia.volume == ib.volume && ia.high == ib.high && ia.low == ib.low;
    }
    // Where an item cannot be opened, at least the same spelling counts.
    if (::GetFileAttributesW(wa.c_str()) == INVALID_FILE_ATTRIBUTES ||
        ::GetFileAttributesW(wb.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const std::wstring fa = FullPath(wa);
    const std::wstring fb = FullPath(wb);
    return ::CompareStringOrdinal(fa.c_str(), static_cast<int>(fa.size()), fb.c_str(), static_cast<int>(fb.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::string Win32FileSystem::VolumeRoot(std::string_view path) {
    std::vector<wchar_t> root(MAX_PATH + 1, L'\0');
    if (::GetVolumePathNameW(Widen(path).c_str(), root.data(), static_cast<DWORD>(root.size()))) {
        return NarrowZ(root.data(), root.size());
    }
    return std::string(path.substr(0, 3));
}

FileResult Win32FileSystem::ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) {
    entries.clear();
    std::wstring pattern = Widen(path);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    unique_find find(::FindFirstFileW(pattern.c_str(), &data));
    if (!find) {
        // An empty root has no "." entry: nothing to list is not a failure.
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) return FileResult::Ok();
        return LastError();
    }
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        entries.push_back({Narrow(name), data.dwFileAttributes});
    } while (::FindNextFileW(find.get(), &data));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return LastError();
    return FileResult::Ok();
}

FileResult Win32FileSystem::CreateFolder(std::string_view path, std::string_view like) {
    const std::wstring target = Widen(path);
    if (!::CreateDirectoryW(target.c_str(), nullptr)) return LastError();
    if (!like.empty()) {
        const DWORD model = ::GetFileAttributesW(Widen(like).c_str());
        if (model != INVALID_FILE_ATTRIBUTES && (model & kFolderAttributesKept)) {
            ::SetFileAttributesW(target.c_str(), model & kFolderAttributesKept);
        }
    }
    return FileResult::Ok();
}

FileResult Win32FileSystem::CopyFileTo(std::string_view from, std::string_view to, bool replace,
                                     platform::CopyProgress* progress) {
    BOOL cancel = FALSE;
    const DWORD flags = replace ? 0 : COPY_FILE_FAIL_IF_EXISTS;
    if (!::CopyFileExW(Widen(from).c_str(), Widen(to).c_str(), progress ? &CopyProgressRoutine : nullptr, progress,
                       &cancel, flags)) {
        return LastError();
    }
    return FileResult::Ok();
}

FileResult Win32FileSystem::Rename(std::string_view from, std::string_view to) {
    // No replacing and no copying: a move onto an existing name fails, and one that would have
    // to cross volumes is the caller's to do step by step.
    if (!::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), 0)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_NOT_SAME_DEVICE) return {FileResult::Status::OtherVolume, SystemErrorText(error)};
        return FileResult::Fail(SystemErrorText(error));
    }
    return FileResult::Ok();
}

FileResult Win32FileSystem::DeleteFileAt(std::string_view path) {
    const std::wstring p = Widen(path);
    if (!WithoutReadOnly(p, [&] { return ::DeleteFileW(p.c_str()); })) return LastError();
    return FileResult::Ok();
}

FileResult Win32FileSystem::RemoveFolder(std::string_view path) {
    const std::wstring p = Widen(path);
    if (!WithoutReadOnly(p, [&] { return ::RemoveDirectoryW(p.c_str()); })) return LastError();
    return FileResult::Ok();
}

}  // namespace lumbra::win32
