// lumbra_dragsource: the other program of the file-drop end-to-end tests.
//
//   drag [--text] [--out=FILE] PATH...   a window that starts an OLE drag of the paths (CF_HDROP;
//                                        with --text plain text instead) when a mouse button goes
//                                        down on it; writes {"hr":..,"effect":..} to FILE at the end
//   resolve LNK                          the target of a shortcut file
//   find CLASS [TITLE]                   a visible top-level window: its rect, and its buttons
//
// Each answer is one JSON line on standard output (UTF-8).
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/DropDataObject.h"

namespace {

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void Print(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

class DropSource final : public lumbra::testdata::ComObject<IDropSource> {
public:
    DropSource() : ComObject(IID_IDropSource) {}
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// ---- drag ---------------------------------------------------------------------------------------

struct DragState {
    bool text = false;
    std::vector<std::wstring> paths;
    std::wstring out;
    bool done = false;
};
DragState g_drag;

void StartDrag(HWND window) {
    using lumbra::testdata::OneFormatData;
    IDataObject* data = g_drag.text ? new OneFormatData(CF_UNICODETEXT, lumbra::testdata::TextMemory(L"not a file list"))
                                    : new OneFormatData(CF_HDROP, lumbra::testdata::FileListMemory(g_drag.paths));
    IDropSource* source = new DropSource;
    DWORD effect = 0;
    const HRESULT hr = ::DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    source->Release();
    data->Release();
    char line[96];
    std::snprintf(line, sizeof line, "{\"ok\":true,\"hr\":%ld,\"effect\":%lu}", static_cast<long>(hr),
                  static_cast<unsigned long>(effect));
    Print(line);
    if (!g_drag.out.empty()) {
        HANDLE f = ::CreateFileW(g_drag.out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(f, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
            ::CloseHandle(f);
        }
    }
    g_drag.done = true;
    ::DestroyWindow(window);
}

LRESULT CALLBACK DragWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!g_drag.done) StartDrag(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

int Drag(const std::vector<std::wstring>& args) {
    for (const auto& a : args) {
        if (a == L"--text") {
            g_drag.text = true;
        } else if (a.rfind(L"--out=", 0) == 0) {
            g_drag.out = a.substr(6);
        } else {
            g_drag.paths.push_back(a);
        }
    }
    ::OleInitialize(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DragWindow;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
    wc.lpszClassName = L"LumbraDragSource";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(WS_EX_TOPMOST, L"LumbraDragSource", L"LumbraDragSource", WS_POPUP | WS_VISIBLE,
                                    760, 420, 200, 150, nullptr, nullptr, wc.hInstance, nullptr);
    RECT r{};
    ::GetWindowRect(window, &r);
    char line[128];
    std::snprintf(line, sizeof line, "{\"ok\":true,\"ready\":true,\"rect\":[%ld,%ld,%ld,%ld]}", r.left, r.top,
                  r.right, r.bottom);
    Print(line);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::OleUninitialize();
    return 0;
}

// ---- resolve and find ---------------------------------------------------------------------------

int Resolve(const std::wstring& path) {
    ::CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    std::string target;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
                wchar_t buffer[MAX_PATH + 1] = {};
                PIDLIST_ABSOLUTE items = nullptr;
                if (SUCCEEDED(link->GetIDList(&items)) && items && ::SHGetPathFromIDListW(items, buffer)) {
                    target = Utf8(buffer);
                } else if (SUCCEEDED(link->GetPath(buffer, MAX_PATH + 1, nullptr, SLGP_RAWPATH))) {
                    target = Utf8(buffer);
                }
                if (items) ::CoTaskMemFree(items);
            }
            file->Release();
        }
        link->Release();
    }
    Print(std::string("{\"ok\":true,\"target\":") + Quote(target) + "}");
    return 0;
}

int Find(const std::wstring& cls, const std::wstring& title) {
    HWND found = nullptr;
    for (HWND w = ::FindWindowExW(nullptr, nullptr, cls.c_str(), nullptr); w;
         w = ::FindWindowExW(nullptr, w, cls.c_str(), nullptr)) {
        wchar_t text[256] = {};
        ::GetWindowTextW(w, text, 256);
        if (::IsWindowVisible(w) && (title.empty() || title == text)) {
            found = w;
            break;
        }
    }
    if (!found) {
        Print("{\"ok\":true,\"found\":false}");
        return 0;
    }
    RECT r{};
    ::GetWindowRect(found, &r);
    std::string json = "{\"ok\":true,\"found\":true,\"rect\":[" + std::to_string(r.left) + "," +
                       std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom) +
                       "],\"foreground\":" + (::GetForegroundWindow() == found ? "true" : "false") + ",\"children\":[";
    struct Collect {
        std::string* json;
        bool first = true;
    } collect{&json};
    ::EnumChildWindows(
        found,
        [](HWND child, LPARAM data) -> BOOL {
            auto* c = reinterpret_cast<Collect*>(data);
            wchar_t text[512] = {};
            wchar_t cls[64] = {};
            ::GetWindowTextW(child, text, 512);
            ::GetClassNameW(child, cls, 64);
            RECT r{};
            ::GetWindowRect(child, &r);
            if (!c->first) *c->json += ",";
            c->first = false;
            *c->json += "{\"id\":" + std::to_string(::GetDlgCtrlID(child)) + ",\"class\":" + Quote(Utf8(cls)) +
                        ",\"text\":" + Quote(Utf8(text)) + ",\"rect\":[" + std::to_string(r.left) + "," +
                        std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom) + "]}";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collect));
    json += "]}";
    Print(json);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.empty()) {
        Print("{\"ok\":false,\"error\":\"usage: drag|resolve|find\"}");
        return 2;
    }
    const std::wstring command = args.front();
    args.erase(args.begin());
    if (command == L"drag") return Drag(args);
    if (command == L"resolve" && !args.empty()) return Resolve(args[0]);
    if (command == L"find" && !args.empty()) return Find(args[0], args.size() > 1 ? args[1] : L"");
    Print("{\"ok\":false,\"error\":\"unknown command\"}");
    return 2;
}
