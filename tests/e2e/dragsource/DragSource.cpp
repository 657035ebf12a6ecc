// lumbra_dragsource [--async] [--text] --out=FILE PATH...: the strict drag source of the
// file-drop end-to-end tests. A window that starts an OLE drag of the paths (CF_HDROP; --text:
// plain text) when a mouse button goes down on it. Like a file manager it deletes the paths
// whenever the answer it gets holds the move effect: the drop's answer, or with --async (a source
// that can wait) the effect at EndOperation and "Performed DropEffect". Writes what it got as one
// JSON line to FILE.
#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/DropDataObject.h"

namespace {

using lumbra::testdata::Data;
using lumbra::testdata::Memory;

class Source final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDropSource ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// Deletes a file or a folder with everything in it, a link as a link: never what a link leads to
// (the shell's own delete follows a link to a parent folder until its paths overflow, and then
// deletes in the current folder).
void Delete(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW entry;
    HANDLE find = attributes & FILE_ATTRIBUTE_REPARSE_POINT ? INVALID_HANDLE_VALUE
                                                            : ::FindFirstFileW((path + L"\\*").c_str(), &entry);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &entry)) {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") Delete(path + L"\\" + name);
    }
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    ::RemoveDirectoryW(path.c_str());
}

std::vector<std::wstring> g_paths;
std::wstring g_out;
bool g_async = false, g_text = false;

void Drag() {
    HGLOBAL memory = g_text ? Memory(L"text", sizeof L"text") : lumbra::testdata::FileList(g_paths);
    Data data(g_text ? CF_UNICODETEXT : CF_HDROP, memory);
    data.SetAsyncMode(g_async);
    Source source;
    DWORD effect = 0;
    ::DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    // A target that started an operation ends it later; until then the source waits.
    for (DWORD start = ::GetTickCount(); data.started && !data.ended && ::GetTickCount() - start < 120000;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    const auto performed = data.told.find(static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_PERFORMEDDROPEFFECT)));
    const bool move = (effect & DROPEFFECT_MOVE) || (data.ended && (data.endEffect & DROPEFFECT_MOVE)) ||
                      (performed != data.told.end() && performed->second == DROPEFFECT_MOVE);
    for (std::size_t i = 0; move && i < g_paths.size(); ++i) Delete(L"\\\\?\\" + g_paths[i]);
    char line[128];
    std::snprintf(line, sizeof line, "{\"effect\":%lu,\"end\":%ld,\"deleted\":%s}\n", effect,
                  data.ended ? static_cast<long>(data.endEffect) : -1L, move ? "true" : "false");
    FILE* out = _wfopen(g_out.c_str(), L"wb");
    if (out) std::fputs(line, out), std::fclose(out);
}

LRESULT CALLBACK DragWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) {
        Drag();
        ::DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--async") g_async = true;
        if (a == L"--text") g_text = true;
        if (a.rfind(L"--out=", 0) == 0) g_out = a.substr(6);
        if (a.rfind(L"--", 0) != 0) g_paths.push_back(a);
    }
    ::OleInitialize(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DragWindow;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
    wc.lpszClassName = L"LumbraDragSource";
    ::RegisterClassW(&wc);
    ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, wc.lpszClassName, WS_POPUP | WS_VISIBLE, 760, 420, 200, 150,
                      nullptr, nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::OleUninitialize();
    return 0;
}
