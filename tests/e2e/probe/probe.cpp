// lumbra_probe: the end-to-end tests' eyes and hands on the Windows side (tests/e2e/README.md
// lists the commands). Each command prints one line of JSON, {"ok":true,"command":...,answer...}
// or {"ok":false,"error":...}; `serve` answers one tab-separated command per input line, so that
// a caller keeps one Wine process for a whole session. Text in and out is UTF-8.
//
// Started as lumbra_openhandler.exe it is instead the program the wallpaper tests register as the
// "open" action of a file type: it writes its arguments after the first, one per line, into the
// file the first names (under another name first: a reader never sees half of it).
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <psapi.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Text = std::wstring;
using Args = std::vector<Text>;
using Options = std::map<Text, Text>;

// JSON texts: a string, a number, a flag, an array of JSON texts, an object of named JSON texts.
Text Q(std::wstring_view s) {
    Text out = L"\"";
    for (wchar_t c : s) out += c == L'"' || c == L'\\' ? Text{L'\\', c} : c < 0x20 ? L"\\u00" + Text{L"01"[c >> 4], L"0123456789abcdef"[c & 15]} : Text{c};
    return out + L"\"";
}
Text N(long long v) { return std::to_wstring(v); }
Text B(bool v) { return v ? L"true" : L"false"; }
Text List(const std::vector<Text>& items, const wchar_t* brackets = L"[]") {
    Text out{brackets[0]};
    for (const Text& item : items) out += (out.size() > 1 ? L"," : L"") + item;
    return out + brackets[1];
}
Text Obj(std::initializer_list<std::pair<const wchar_t*, Text>> members) {
    std::vector<Text> items;
    for (const auto& [key, value] : members) items.push_back(Q(key) + L":" + value);
    return List(items, L"{}");
}

long long Int(const Text& text) { return std::stoll(text, nullptr, 0); }
Text Done(BOOL ok) { return ok ? L"{}" : throw std::runtime_error("failed with error " + std::to_string(GetLastError())); }
Text RectJson(RECT r) { return Obj({{L"left", N(r.left)}, {L"top", N(r.top)}, {L"right", N(r.right)}, {L"bottom", N(r.bottom)}}); }

// The first argument: a handle (decimal or 0x...; 65535 is every top-level window), or a
// top-level window's title, with --class=NAME its class.
HWND Window(const Args& a, const Options& opt) {
    const wchar_t* cls = opt.count(L"class") ? opt.at(L"class").c_str() : nullptr;
    HWND h = iswdigit(a.at(0)[0]) ? reinterpret_cast<HWND>(Int(a[0])) : FindWindowW(cls, a[0].empty() ? nullptr : a[0].c_str());
    return h == HWND_BROADCAST || IsWindow(h) ? h : throw std::runtime_error("no such window");
}

// A window with its children down to depth; "inParent" is its place in its parent's client area.
Text WindowJson(HWND h, int depth) {
    wchar_t title[512] = {}, cls[256] = {};
    DWORD_PTR copied = 0;  // WM_GETTEXT, as a tool tip gives its text; a hung window cannot hang the probe
    if (!SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG, 1000, &copied)) InternalGetWindowText(h, title, 512);
    GetClassNameW(h, cls, 256);
    RECT r{}, c{}, in{};
    GetWindowRect(h, &r), GetClientRect(h, &c), in = r;
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&c), 2);
    MapWindowPoints(nullptr, GetAncestor(h, GA_PARENT), reinterpret_cast<POINT*>(&in), 2);
    std::vector<Text> children;
    for (HWND k = GetWindow(h, GW_CHILD); depth > 0 && k; k = GetWindow(k, GW_HWNDNEXT)) children.push_back(WindowJson(k, depth - 1));
    return Obj({{L"hwnd", N(reinterpret_cast<INT_PTR>(h))}, {L"class", Q(cls)}, {L"title", Q(title)}, {L"rect", RectJson(r)},
                {L"client", RectJson(c)}, {L"inParent", RectJson(in)}, {L"id", N(GetDlgCtrlID(h))}, {L"visible", B(IsWindowVisible(h))},
                {L"topmost", B(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST)}, {L"iconic", B(IsIconic(h))}, {L"children", List(children)}});
}

#define WIDE(text) L##text

// post|send WINDOW MSG [WPARAM] [LPARAM] [--timeout=MS]: MSG a number
Text Message(const Args& a, const Options& opt, bool send) {
    HWND h = Window(a, opt);
    const auto msg = static_cast<UINT>(Int(a.at(1)));
    const auto wp = static_cast<WPARAM>(a.size() > 2 ? Int(a[2]) : 0);
    const auto lp = static_cast<LPARAM>(a.size() > 3 ? Int(a[3]) : 0);
    const UINT timeout = opt.count(L"timeout") ? static_cast<UINT>(Int(opt.at(L"timeout"))) : 5000;
    DWORD_PTR result = 0;
    Done(send ? SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, timeout, &result) != 0 : PostMessageW(h, msg, wp, lp));
    return Obj({{L"hwnd", N(reinterpret_cast<INT_PTR>(h))}, {L"message", N(msg)}, {L"result", N(static_cast<LONG_PTR>(result))}});
}

// A registry key written HKCU\..., HKLM\... or HKCR\...: its root, and the path under it.
std::pair<HKEY, Text> Key(const Text& path) {
    return {path.starts_with(L"HKLM") ? HKEY_LOCAL_MACHINE : path.starts_with(L"HKCR") ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER, path.substr(std::min<std::size_t>(path.size(), 5))};
}

// reg-list KEY: every value, name: [type, data]: the text up to its NUL for the string types, a
// number for REG_DWORD, null for the rest.
Text RegList(const Args& a) {
    const auto [root, sub] = Key(a.at(0));
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ, &key)) return Obj({{L"keyExists", L"false"}});
    const wchar_t* types[] = {L"REG_NONE", L"REG_SZ", L"REG_EXPAND_SZ", L"REG_BINARY", L"REG_DWORD", L"", L"", L"REG_MULTI_SZ"};
    std::vector<Text> values;
    std::vector<BYTE> data(1 << 20);
    wchar_t name[16384];
    DWORD length = 16384, type = 0, size = 1 << 20;
    for (DWORD i = 0; !RegEnumValueW(key, i, name, &length, nullptr, &type, data.data(), &size); ++i, length = 16384, size = 1 << 20) {
        const Text text(reinterpret_cast<const wchar_t*>(data.data()), size / 2);
        const Text value = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ ? Q(text.c_str())
                           : type == REG_DWORD ? N(*reinterpret_cast<const DWORD*>(data.data())) : L"null";
        values.push_back(Q({name, length}) + L":" + List({Q(type < 8 ? types[type] : L"other"), value}));
    }
    RegCloseKey(key);
    return Obj({{L"keyExists", L"true"}, {L"values", List(values, L"{}")}});
}

// reg-set KEY NAME DATA [--type=sz|dword]
Text RegSet(const Args& a, const Options& opt) {
    const auto [root, sub] = Key(a.at(0));
    const bool dword = opt.count(L"type") && opt.at(L"type") == L"dword";
    const DWORD number = dword ? static_cast<DWORD>(Int(a.at(2))) : 0, bytes = dword ? 4 : static_cast<DWORD>(a.at(2).size() * 2 + 2);
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (!status) status = RegSetValueExW(key, a.at(1).c_str(), 0, dword ? REG_DWORD : REG_SZ, dword ? reinterpret_cast<const BYTE*>(&number)
                                         : reinterpret_cast<const BYTE*>(a[2].c_str()), bytes);
    return key && RegCloseKey(key), SetLastError(static_cast<DWORD>(status)), Done(!status);
}

Text Rgb(COLORREF c) { return List({N(GetRValue(c)), N(GetGValue(c)), N(GetBValue(c))}); }

// pixels X,Y ...: [r,g,b] of each point, from one BitBlt of the box around them into a bitmap of ours
Text Pixels(const Args& a) {
    std::vector<POINT> points(a.size());
    RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (swscanf(a[i].c_str(), L"%ld,%ld", &points[i].x, &points[i].y) != 2) throw std::invalid_argument("not X,Y");
        box = {std::min(box.left, points[i].x), std::min(box.top, points[i].y), std::max(box.right, points[i].x + 1), std::max(box.bottom, points[i].y + 1)};
    }
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, box.right - box.left, box.bottom - box.top);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const BOOL ok = bitmap && BitBlt(memory, 0, 0, box.right - box.left, box.bottom - box.top, screen, box.left, box.top, SRCCOPY | CAPTUREBLT);
    std::vector<Text> list;
    for (const POINT p : points) list.push_back(Obj({{L"x", N(p.x)}, {L"y", N(p.y)}, {L"rgb", Rgb(GetPixel(memory, p.x - box.left, p.y - box.top))}}));
    SelectObject(memory, old), DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen), Done(ok);
    return Obj({{L"pixels", List(list)}});
}

// counters WINDOW: its process's GDI and USER objects, kernel handles and memory (0 where not counted)
Text Counters(const Args& a, const Options& opt) {
    DWORD pid = 0, handles = 0;
    GetWindowThreadProcessId(Window(a, opt), &pid);
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS_EX m{};
    const BOOL ok = p && GetProcessMemoryInfo(p, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m) && GetProcessHandleCount(p, &handles);
    const Text out = Obj({{L"gdi", N(GetGuiResources(p, GR_GDIOBJECTS))}, {L"user", N(GetGuiResources(p, GR_USEROBJECTS))}, {L"handles", N(handles)},
                          {L"workingSet", N(m.WorkingSetSize)}, {L"peakWorkingSet", N(m.PeakWorkingSetSize)}, {L"privateBytes", N(m.PrivateUsage)}});
    return p && CloseHandle(p), Done(ok), out;
}

#define COMMAND(name) {WIDE(name), []([[maybe_unused]] const Args& a, [[maybe_unused]] const Options& opt) -> Text
const std::map<Text, Text (*)(const Args&, const Options&)> kCommands = {
    COMMAND("find") {  // TITLE [--class=C]: a top-level window with two levels of children
        HWND h = FindWindowW(opt.count(L"class") ? opt.at(L"class").c_str() : nullptr, a.empty() || a[0].empty() ? nullptr : a[0].c_str());
        return h ? Obj({{L"found", L"true"}, {L"window", WindowJson(h, 2)}}) : Obj({{L"found", L"false"}});
    }},
    COMMAND("windows") {  // every visible top-level window
        std::vector<Text> list;
        for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) IsWindowVisible(h) ? list.push_back(WindowJson(h, 0)) : void();
        return Obj({{L"windows", List(list)}});
    }},
    COMMAND("post") { return Message(a, opt, false); }},
    COMMAND("send") { return Message(a, opt, true); }},
    COMMAND("close") { return Done(PostMessageW(Window(a, opt), WM_CLOSE, 0, 0)); }},
    COMMAND("redraw") { return Done(RedrawWindow(Window(a, opt), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN)); }},
    COMMAND("wheel") {  // WINDOW DELTA X Y: WM_MOUSEWHEEL as the system posts it
        return Done(PostMessageW(Window(a, opt), WM_MOUSEWHEEL, MAKEWPARAM(0, Int(a.at(1))), MAKELPARAM(Int(a.at(2)), Int(a.at(3))))); }},
    COMMAND("resize") {  // WINDOW WIDTH HEIGHT: the outer size, as a drag of the frame leaves it
        return Done(SetWindowPos(Window(a, opt), nullptr, 0, 0, int(Int(a.at(1))), int(Int(a.at(2))), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)); }},
    COMMAND("settingchange") { return Message({L"65535", L"26"}, opt, true); }},  // WM_SETTINGCHANGE to every window, as the system sends it
    COMMAND("reg-list") { return RegList(a); }},
    COMMAND("reg-set") { return RegSet(a, opt); }},
    COMMAND("reg-delete") {  // KEY [NAME]: the value, or without NAME the key and everything below it (never a root)
        const auto [root, sub] = Key(a.at(0));
        if (a.size() > 1) return Obj({{L"deleted", B(!RegDeleteKeyValueW(root, sub.c_str(), a[1].c_str()))}});
        const bool deleted = !sub.empty() && !RegDeleteTreeW(root, sub.c_str());
        return deleted && RegDeleteKeyW(root, sub.c_str()), Obj({{L"deleted", B(deleted)}});
    }},
    COMMAND("profile-set") { return Done(WritePrivateProfileStringW(a.at(1).c_str(), a.at(2).c_str(), a.at(3).c_str(), a[0].c_str())); }},
    COMMAND("profile-delete") {  // FILE SECTION [KEY]: the key, or the whole section
        return Done(WritePrivateProfileStringW(a.at(1).c_str(), a.size() > 2 ? a[2].c_str() : nullptr, nullptr, a[0].c_str())); }},
    COMMAND("pixels") { return Pixels(a); }},
    COMMAND("syscolor") { return Obj({{L"rgb", Rgb(GetSysColor(COLOR_DESKTOP))}}); }},  // the desktop's system colour
    COMMAND("wallpaper") {  // PATH: as the display settings set it
        return Done(SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(a.at(0).c_str()), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)); }},
    COMMAND("foreground") { return Obj({{L"window", WindowJson(GetForegroundWindow(), 0)}}); }},  // the window the user works in
    COMMAND("counters") { return Counters(a, opt); }},
};

bool Run(const Args& tokens) {  // whether it went well
    Args at;
    Options opt;
    for (std::size_t i = 1; i < tokens.size(); ++i) {  // --name=value is an option
        const std::size_t equals = std::min(tokens[i].find(L'='), tokens[i].size());
        tokens[i].starts_with(L"--") ? void(opt[tokens[i].substr(2, equals - 2)] = tokens[i].substr(std::min(equals + 1, tokens[i].size()))) : at.push_back(tokens[i]);
    }
    Text out;
    try {
        const Text answer = kCommands.at(tokens.at(0))(at, opt);
        out = L"{\"ok\":true,\"command\":" + Q(tokens[0]) + (answer.size() > 2 ? L"," + answer.substr(1) : L"}");
    } catch (const std::exception& e) {
        out = Obj({{L"ok", L"false"}, {L"error", Q(Text(e.what(), e.what() + std::strlen(e.what())))}});
    }
    std::fwprintf(stdout, L"%ls\n", out.c_str());
    return std::fflush(stdout), out.starts_with(L"{\"ok\":true");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (wcsstr(self, L"lumbra_openhandler") && argc > 1) {
        const Text partial = Text(argv[1]) + L".part";
        FILE* out = _wfopen(partial.c_str(), L"wb");
        if (out) _setmode(_fileno(out), _O_U8TEXT);
        for (int i = 2; out && i < argc; ++i) std::fwprintf(out, L"%ls\n", argv[i]);
        return out && std::fclose(out) == 0 && MoveFileExW(partial.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
    }
    _setmode(_fileno(stdout), _O_U8TEXT), _setmode(_fileno(stdin), _O_U8TEXT);
    SetProcessDPIAware();  // screen coordinates in physical pixels, whatever the program declares
    if (argc < 2 || Text(argv[1]) != L"serve") return !Run({argv + 1, argv + argc});
    static wchar_t line[1 << 20];
    while (std::fgetws(line, 1 << 20, stdin) && Text(line) != L"quit\n") {
        Args tokens;
        const Text text = Text(line).substr(0, Text(line).find_last_not_of(L"\r\n") + 1);
        for (std::size_t start = 0, tab = 0; tab != Text::npos; start = tab + 1) tokens.push_back(text.substr(start, (tab = text.find(L'\t', start)) - start));
        Run(tokens);
    }
    return 0;
}
