#include "platform/win32/FileSystem.h"

#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using platform::FileResult;

FileResult LastError() { return FileResult::Fail(SystemErrorText(::GetLastError())); }

// Attributes a copied folder takes over from its original.
constexpr DWORD kFolderAttributesKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                        FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

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

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// Symbolic links and junctions name another place; other reparse points (files kept in the
// cloud, deduplicated files) hold their own content. Wine reports a Unix symbolic link with no
// tag at all.
bool IsLink(DWORD attributes, DWORD tag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && (tag == 0 || IsReparseTagNameSurrogate(tag));
}

platform::ItemFacts FactsOf(const WIN32_FIND_DATAW& data) {
    return {data.dwFileAttributes, Join(data.nFileSizeHigh, data.nFileSizeLow),
            Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
            IsLink(data.dwFileAttributes, data.dwReserved0)};
}

unique_find FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    return unique_find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                          FIND_FIRST_EX_LARGE_FETCH));
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

// A file just written is often opened for a moment by someone else: the shell reading its icon,
// a virus scanner. Renaming or deleting it then fails with a sharing violation that is gone a
// little later, so such a call is tried again for about a second.
template <class Act>
BOOL Patiently(Act act) {
    for (int attempt = 0;; ++attempt) {
        if (act()) return TRUE;
        const DWORD error = ::GetLastError();
        if (attempt == 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)) return FALSE;
        ::Sleep(50);
    }
}

// Clears the read-only bit for `act` and puts it back when `act` fails.
template <class Act>
BOOL WithoutReadOnly(const std::wstring& path, Act act) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly) ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (Patiently(act)) return TRUE;
    const DWORD error = ::GetLastError();
    if (readOnly) ::SetFileAttributesW(path.c_str(), attributes);
    ::SetLastError(error);
    return FALSE;
}

// The layout of a symbolic link's reparse data (REPARSE_DATA_BUFFER, which only the driver
// headers declare).
struct SymbolicLinkData {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    DWORD flags;
    wchar_t path[1];
};

// Makes `made` a link with the reparse data of another. A junction takes its data as it is; a
// symbolic link is made the documented way, which also works without the privilege where the
// system allows that.
BOOL MakeLink(const std::wstring& made, bool folder, std::vector<BYTE>& data, DWORD size) {
    const auto* symlink = reinterpret_cast<const SymbolicLinkData*>(data.data());
    const std::size_t printEnd = offsetof(SymbolicLinkData, path) + symlink->printOffset + symlink->printLength;
    if (symlink->tag == IO_REPARSE_TAG_SYMLINK && size >= sizeof(SymbolicLinkData) && printEnd <= size) {
        std::wstring target(symlink->path + symlink->printOffset / 2, symlink->printLength / 2);
        DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
        if (::CreateSymbolicLinkW(made.c_str(), target.c_str(), flags)) return TRUE;
        return ::CreateSymbolicLinkW(made.c_str(), target.c_str(),
                                     flags & ~SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    }
    if (folder ? !::CreateDirectoryW(made.c_str(), nullptr)
               : !unique_file(::CreateFileW(made.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr))) {
        return FALSE;
    }
    unique_file file(::CreateFileW(made.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD unused = 0;
    return file &&
           ::DeviceIoControl(file.get(), FSCTL_SET_REPARSE_POINT, data.data(), size, nullptr, 0, &unused, nullptr);
}

}  // namespace

std::wstring ExactPath(std::string_view path) {
    std::wstring p = Widen(path);
    for (wchar_t& c : p) {
        if (c == L'/') c = L'\\';
    }
    if (p.starts_with(L"\\\\?\\") || p.starts_with(L"\\\\.\\")) return p;
    if (p.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + p.substr(2);
    return L"\\\\?\\" + p;
}

FileResult Win32FileSystem::Facts(std::string_view path, platform::ItemFacts& facts) {
    const std::wstring p = ExactPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data)) return LastError();
    facts = {data.dwFileAttributes, Join(data.nFileSizeHigh, data.nFileSizeLow),
             Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime), false};
    // The reparse tag comes only with a directory entry (a root has none and is no link).
    WIN32_FIND_DATAW found{};
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && FindFirst(p, found)) {
        facts.link = IsLink(found.dwFileAttributes, found.dwReserved0);
    }
    return FileResult::Ok();
}

bool Win32FileSystem::SameItem(std::string_view a, std::string_view b) {
    const std::wstring wa = ExactPath(a);
    const std::wstring wb = ExactPath(b);
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
    return ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::string Win32FileSystem::VolumeRoot(std::string_view path) {
    std::vector<wchar_t> root(32768, L'\0');
    if (::GetVolumePathNameW(ExactPath(path).c_str(), root.data(), static_cast<DWORD>(root.size()))) {
        return NarrowZ(root.data(), root.size());
    }
    return std::string(path.substr(0, 3));
}

FileResult Win32FileSystem::ListFolder(std::string_view path, std::vector<platform::FolderEntry>& entries) {
    entries.clear();
    std::wstring pattern = ExactPath(path);
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW data{};
    unique_find find = FindFirst(pattern, data);
    if (!find) {
        // An empty root has no "." entry: nothing to list is not a failure.
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) return FileResult::Ok();
        return LastError();
    }
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        entries.push_back({Narrow(name), FactsOf(data)});
    } while (::FindNextFileW(find.get(), &data));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return LastError();
    return FileResult::Ok();
}

FileResult Win32FileSystem::CreateFolder(std::string_view path, std::string_view like) {
    const std::wstring target = ExactPath(path);
    if (!::CreateDirectoryW(target.c_str(), nullptr)) return LastError();
    if (!like.empty()) {
        const DWORD model = ::GetFileAttributesW(ExactPath(like).c_str());
        if (model != INVALID_FILE_ATTRIBUTES && (model & kFolderAttributesKept)) {
            ::SetFileAttributesW(target.c_str(), model & kFolderAttributesKept);
        }
    }
    return FileResult::Ok();
}

FileResult Win32FileSystem::CopyFileTo(std::string_view from, std::string_view to, platform::CopyProgress* progress) {
    BOOL cancel = FALSE;
    if (!::CopyFileExW(ExactPath(from).c_str(), ExactPath(to).c_str(), progress ? &CopyProgressRoutine : nullptr,
                       progress, &cancel, COPY_FILE_FAIL_IF_EXISTS)) {
        return LastError();
    }
    return FileResult::Ok();
}

FileResult Win32FileSystem::CopyLink(std::string_view from, std::string_view to) {
    const std::wstring source = ExactPath(from);
    const std::wstring made = ExactPath(to);
    // The link's own data, read without following it.
    unique_file link(::CreateFileW(source.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    std::vector<BYTE> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    if (!link || !::DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                                    static_cast<DWORD>(data.size()), &size, nullptr)) {
        return LastError();
    }
    if (::GetFileAttributesW(made.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return FileResult::Fail(SystemErrorText(static_cast<DWORD>(ERROR_ALREADY_EXISTS)));
    }
    const bool folder = (::GetFileAttributesW(source.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const BOOL said = MakeLink(made, folder, data, size);
    const DWORD error = said ? ERROR_NOT_A_REPARSE_POINT : ::GetLastError();
    // A system may say yes and make nothing: only a link that is there counts.
    const DWORD attributes = ::GetFileAttributesW(made.c_str());
    if (said && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return FileResult::Ok();
    }
    // Nothing was there before: whatever is there now is this call's own.
    if (attributes != INVALID_FILE_ATTRIBUTES) folder ? ::RemoveDirectoryW(made.c_str()) : ::DeleteFileW(made.c_str());
    return FileResult::Fail(SystemErrorText(error));
}

FileResult Win32FileSystem::Rename(std::string_view from, std::string_view to) {
    // No replacing and no copying: a move onto an existing name fails, and one that would have
    // to cross volumes is the caller's to do step by step.
    const std::wstring source = ExactPath(from);
    const std::wstring target = ExactPath(to);
    if (!Patiently([&] { return ::MoveFileExW(source.c_str(), target.c_str(), 0); })) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_NOT_SAME_DEVICE) return {FileResult::Status::OtherVolume, SystemErrorText(error)};
        return FileResult::Fail(SystemErrorText(error));
    }
    return FileResult::Ok();
}

FileResult Win32FileSystem::ReplaceFileAt(std::string_view from, std::string_view to) {
    const std::wstring source = ExactPath(from);
    const std::wstring target = ExactPath(to);
    if (!WithoutReadOnly(target, [&] {
            return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        })) {
        return LastError();
    }
    return FileResult::Ok();
}

FileResult Win32FileSystem::DeleteFileAt(std::string_view path) {
    const std::wstring p = ExactPath(path);
    if (!WithoutReadOnly(p, [&] { return ::DeleteFileW(p.c_str()); })) return LastError();
    return FileResult::Ok();
}

FileResult Win32FileSystem::RemoveFolder(std::string_view path) {
    const std::wstring p = ExactPath(path);
    if (!WithoutReadOnly(p, [&] { return ::RemoveDirectoryW(p.c_str()); })) return LastError();
    return FileResult::Ok();
}

}  // namespace lumbra::win32
