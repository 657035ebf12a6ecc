// lumbra_probe: the end-to-end tests' eyes and hands on the Windows side.
//
// A console program run through Wine next to LumbraPanel.exe. Each call runs one subcommand and
// prints exactly one JSON object on one line ("ok": true plus the answer, or "ok": false plus
// "error"). `serve` keeps one probe running and answers one tab-separated command line per input
// line, which saves a Wine process start per question.
//
// Adding a subcommand: write `JsonObject CmdSomething(const Args& a)` and add one row to
// kCommands at the bottom (name, argument synopsis, summary, minimum positional arguments).
// Throw ProbeError for anything the caller should see as a failure.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "Json.h"
#include "ProcessProbe.h"

namespace probe {
namespace {

struct ProbeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& what) { throw ProbeError(what); }

[[noreturn]] void FailWin32(const std::string& what, DWORD error = GetLastError()) {
    Fail(what + " failed (error " + std::to_string(error) + ")");
}

// ---------------------------------------------------------------------------------------------
// Arguments: positional values, and options written --name=value or --flag.

class Args {
public:
    explicit Args(const std::vector<std::wstring>& tokens) {
        for (const auto& t : tokens) {
            if (t.size() > 2 && t.compare(0, 2, L"--") == 0) {
                auto eq = t.find(L'=');
                if (eq == std::wstring::npos)
                    options_[t.substr(2)] = L"";
                else
                    options_[t.substr(2, eq - 2)] = t.substr(eq + 1);
            } else {
                positional_.push_back(t);
            }
        }
    }

    std::size_t Count() const { return positional_.size(); }
    const std::wstring& At(std::size_t i) const { return positional_.at(i); }
    bool Has(const std::wstring& name) const { return options_.count(name) != 0; }
    std::wstring Opt(const std::wstring& name, const std::wstring& fallback = L"") const {
        auto it = options_.find(name);
        return it == options_.end() ? fallback : it->second;
    }
    long long OptInt(const std::wstring& name, long long fallback) const;
    long long Int(std::size_t i) const;

private:
    std::vector<std::wstring> positional_;
    std::map<std::wstring, std::wstring> options_;
};

long long ParseInt(const std::wstring& text) {
    if (text.empty()) throw UsageError("empty number");
    wchar_t* end = nullptr;
    errno = 0;
    long long v = std::wcstoll(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != L'\0') throw UsageError("not a number: " + Utf8(text));
    return v;
}

long long Args::OptInt(const std::wstring& name, long long fallback) const {
    return Has(name) ? ParseInt(Opt(name)) : fallback;
}

long long Args::Int(std::size_t i) const {
    if (i >= positional_.size()) throw UsageError("missing argument " + std::to_string(i + 1));
    return ParseInt(positional_[i]);
}

// "X,Y" → POINT
POINT ParsePoint(const std::wstring& text) {
    auto comma = text.find(L',');
    if (comma == std::wstring::npos) throw UsageError("expected X,Y: " + Utf8(text));
    return POINT{static_cast<LONG>(ParseInt(text.substr(0, comma))),
                 static_cast<LONG>(ParseInt(text.substr(comma + 1)))};
}

// ---------------------------------------------------------------------------------------------
// Windows

JsonObject RectJson(const RECT& r) {
    JsonObject o;
    o.Num("left", r.left).Num("top", r.top).Num("right", r.right).Num("bottom", r.bottom);
    o.Num("width", r.right - r.left).Num("height", r.bottom - r.top);
    return o;
}

std::wstring ClassOf(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

std::wstring TitleOf(HWND h) {
    // WM_GETTEXT through SendMessageTimeout so that a hung window cannot hang the probe.
    wchar_t buf[512] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 1000, &copied))
        InternalGetWindowText(h, buf, 512);
    return buf;
}

std::string Hex(unsigned long long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", v);
    return buf;
}

RECT ClientRectOnScreen(HWND h) {
    RECT c{};
    GetClientRect(h, &c);
    MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&c), 2);
    return c;
}

JsonObject WindowInfo(HWND h, int childDepth) {
    JsonObject o;
    RECT wr{};
    GetWindowRect(h, &wr);
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(h, &pid);
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    LONG_PTR exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE);
    o.Num("hwnd", static_cast<long long>(reinterpret_cast<UINT_PTR>(h)));
    o.Str("class", ClassOf(h)).Str("title", TitleOf(h));
    o.Num("pid", pid).Num("tid", tid);
    o.Obj("rect", RectJson(wr)).Obj("client", RectJson(ClientRectOnScreen(h)));
    HWND parent = GetAncestor(h, GA_PARENT);
    if (parent && parent != GetDesktopWindow()) {
        // Position inside the parent's client area, the way the program places its children.
        RECT rel = wr;
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rel), 2);
        o.Obj("inParent", RectJson(rel));
        o.Num("id", GetDlgCtrlID(h));
    }
    o.Bool("visible", IsWindowVisible(h) != FALSE).Bool("iconic", IsIconic(h) != FALSE);
    o.Bool("zoomed", IsZoomed(h) != FALSE).Bool("enabled", IsWindowEnabled(h) != FALSE);
    o.Bool("topmost", (exStyle & WS_EX_TOPMOST) != 0);
    o.Bool("foreground", GetForegroundWindow() == h);
    o.Str("style", Hex(static_cast<unsigned long long>(style) & 0xffffffffULL));
    o.Str("exStyle", Hex(static_cast<unsigned long long>(exStyle) & 0xffffffffULL));
    if (childDepth > 0) {
        JsonArray children;
        for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            children.Raw(WindowInfo(c, childDepth - 1).Text());
        o.Arr("children", children);
    }
    return o;
}

// A window named on the command line: "0x1234" or "1234" is a handle; anything else is a
// top-level window's title, narrowed by --class=NAME. An empty title with --class matches any.
HWND FindTopLevel(const std::wstring& title, const std::wstring& cls) {
    return FindWindowW(cls.empty() ? nullptr : cls.c_str(), title.empty() ? nullptr : title.c_str());
}

bool LooksLikeHandle(const std::wstring& which) {
    if (which.empty()) return false;
    if (which.rfind(L"0x", 0) == 0) return which.size() > 2;
    return std::all_of(which.begin(), which.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

HWND ResolveWindow(const std::wstring& which, const Args& a) {
    if (LooksLikeHandle(which)) {
        HWND h = reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseInt(which)));
        if (!IsWindow(h)) Fail("no window with handle " + Utf8(which));
        return h;
    }
    HWND h = FindTopLevel(which, a.Opt(L"class"));
    if (!h) Fail("no top-level window titled \"" + Utf8(which) + "\"" +
                 (a.Has(L"class") ? " of class " + Utf8(a.Opt(L"class")) : std::string()));
    return h;
}

// find TITLE [--class=C] [--depth=N]
JsonObject CmdFind(const Args& a) {
    HWND h = FindTopLevel(a.Count() ? a.At(0) : L"", a.Opt(L"class"));
    JsonObject o;
    o.Bool("found", h != nullptr);
    if (h) o.Obj("window", WindowInfo(h, static_cast<int>(a.OptInt(L"depth", 2))));
    return o;
}

// wait TITLE [--class=C] [--state=visible|hidden|gone|exists] [--timeout=MS]
JsonObject CmdWait(const Args& a) {
    const std::wstring title = a.Count() ? a.At(0) : L"";
    const std::wstring state = a.Opt(L"state", L"visible");
    if (state != L"visible" && state != L"hidden" && state != L"gone" && state != L"exists")
        throw UsageError("unknown state " + Utf8(state));
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(a.OptInt(L"timeout", 5000));
    for (;;) {
        HWND h = FindTopLevel(title, a.Opt(L"class"));
        bool matched = (state == L"exists" && h) || (state == L"gone" && !h) ||
                       (state == L"visible" && h && IsWindowVisible(h)) ||
                       (state == L"hidden" && h && !IsWindowVisible(h));
        if (matched || GetTickCount64() >= deadline) {
            JsonObject o;
            o.Bool("matched", matched).Bool("found", h != nullptr);
            if (h) o.Obj("window", WindowInfo(h, static_cast<int>(a.OptInt(L"depth", 2))));
            return o;
        }
        Sleep(20);
    }
}

BOOL CALLBACK CollectTopLevel(HWND h, LPARAM list) noexcept {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
}

// windows [--all]
JsonObject CmdWindows(const Args& a) {
    std::vector<HWND> all;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&all));
    JsonArray list;
    for (HWND h : all)
        if (a.Has(L"all") || IsWindowVisible(h)) list.Raw(WindowInfo(h, 0).Text());
    JsonObject o;
    o.Arr("windows", list);
    return o;
}

// tray: the task bar with its child windows (the notification area sits at its right end)
JsonObject CmdTray(const Args& a) {
    HWND h = FindWindowW(L"Shell_TrayWnd", nullptr);
    JsonObject o;
    o.Bool("found", h != nullptr);
    if (h) o.Obj("window", WindowInfo(h, static_cast<int>(a.OptInt(L"depth", 3))));
    return o;
}

JsonObject PointWindow(POINT p) {
    JsonObject o;
    HWND under = WindowFromPoint(p);
    o.Num("x", p.x).Num("y", p.y);
    if (under) {
        o.Num("hwnd", static_cast<long long>(reinterpret_cast<UINT_PTR>(under)));
        o.Str("class", ClassOf(under));
        HWND root = GetAncestor(under, GA_ROOT);
        o.Num("rootHwnd", static_cast<long long>(reinterpret_cast<UINT_PTR>(root)));
        o.Str("rootClass", ClassOf(root)).Str("rootTitle", TitleOf(root));
    }
    return o;
}

// cursor: the pointer position and the window under it
JsonObject CmdCursor(const Args&) {
    POINT p{};
    if (!GetCursorPos(&p)) FailWin32("GetCursorPos");
    return PointWindow(p);
}

// at X Y: the window at a screen point
JsonObject CmdAt(const Args& a) {
    return PointWindow(POINT{static_cast<LONG>(a.Int(0)), static_cast<LONG>(a.Int(1))});
}

// foreground
JsonObject CmdForeground(const Args&) {
    HWND h = GetForegroundWindow();
    JsonObject o;
    o.Bool("found", h != nullptr);
    if (h) o.Obj("window", WindowInfo(h, 0));
    return o;
}

// ---------------------------------------------------------------------------------------------
// Messages

struct NamedMessage {
    const wchar_t* name;
    UINT value;
};

constexpr NamedMessage kMessages[] = {
    {L"WM_CLOSE", WM_CLOSE},           {L"WM_PAINT", WM_PAINT},
    {L"WM_SETTINGCHANGE", WM_SETTINGCHANGE}, {L"WM_MOUSEWHEEL", WM_MOUSEWHEEL},
    {L"WM_SYSCOMMAND", WM_SYSCOMMAND}, {L"WM_NULL", WM_NULL},
    {L"WM_LBUTTONDOWN", WM_LBUTTONDOWN}, {L"WM_LBUTTONUP", WM_LBUTTONUP},
    {L"WM_RBUTTONDOWN", WM_RBUTTONDOWN}, {L"WM_RBUTTONUP", WM_RBUTTONUP},
    {L"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK}, {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
    {L"WM_ENDSESSION", WM_ENDSESSION},
};

UINT ParseMessage(const std::wstring& text) {
    for (const auto& m : kMessages)
        if (_wcsicmp(m.name, text.c_str()) == 0) return m.value;
    return static_cast<UINT>(ParseInt(text));
}

// post WINDOW MSG [WPARAM] [LPARAM] [--class=C]
JsonObject CmdPost(const Args& a) {
    HWND h = ResolveWindow(a.At(0), a);
    UINT msg = ParseMessage(a.At(1));
    WPARAM wp = a.Count() > 2 ? static_cast<WPARAM>(a.Int(2)) : 0;
    LPARAM lp = a.Count() > 3 ? static_cast<LPARAM>(a.Int(3)) : 0;
    if (!PostMessageW(h, msg, wp, lp)) FailWin32("PostMessageW");
    JsonObject o;
    o.Num("hwnd", static_cast<long long>(reinterpret_cast<UINT_PTR>(h))).Num("message", msg);
    return o;
}

// send WINDOW MSG [WPARAM] [LPARAM] [--class=C] [--timeout=MS]
JsonObject CmdSend(const Args& a) {
    HWND h = ResolveWindow(a.At(0), a);
    UINT msg = ParseMessage(a.At(1));
    WPARAM wp = a.Count() > 2 ? static_cast<WPARAM>(a.Int(2)) : 0;
    LPARAM lp = a.Count() > 3 ? static_cast<LPARAM>(a.Int(3)) : 0;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, static_cast<UINT>(a.OptInt(L"timeout", 5000)), &result))
        FailWin32("SendMessageTimeoutW");
    JsonObject o;
    o.Num("hwnd", static_cast<long long>(reinterpret_cast<UINT_PTR>(h))).Num("message", msg);
    o.Num("result", static_cast<long long>(result));
    return o;
}

// close WINDOW [--class=C]
JsonObject CmdClose(const Args& a) {
    HWND h = ResolveWindow(a.At(0), a);
    if (!PostMessageW(h, WM_CLOSE, 0, 0)) FailWin32("PostMessageW(WM_CLOSE)");
    JsonObject o;
    o.Num("hwnd", static_cast<long long>(reinterpret_cast<UINT_PTR>(h)));
    return o;
}

// redraw WINDOW [--class=C]: invalidate the window and its children, as an uncovered window is
JsonObject CmdRedraw(const Args& a) {
    HWND h = ResolveWindow(a.At(0), a);
    if (!RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN))
        FailWin32("RedrawWindow");
    JsonObject o;
    o.Num("hwnd", static_cast<long long>(reinterpret_cast<UINT_PTR>(h)));
    return o;
}

// wheel WINDOW DELTA X Y [--class=C] [--keys=MK]: one WM_MOUSEWHEEL as the system would post it
JsonObject CmdWheel(const Args& a) {
    HWND h = ResolveWindow(a.At(0), a);
    auto delta = static_cast<SHORT>(a.Int(1));
    auto x = static_cast<SHORT>(a.Int(2));
    auto y = static_cast<SHORT>(a.Int(3));
    WPARAM wp = MAKEWPARAM(static_cast<WORD>(a.OptInt(L"keys", 0)), static_cast<WORD>(delta));
    LPARAM lp = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
    if (!PostMessageW(h, WM_MOUSEWHEEL, wp, lp)) FailWin32("PostMessageW(WM_MOUSEWHEEL)");
    JsonObject o;
    o.Num("hwnd", static_cast<long long>(reinterpret_cast<UINT_PTR>(h)));
    o.Num("wParam", static_cast<long long>(wp)).Num("lParam", static_cast<long long>(lp));
    return o;
}

struct NamedCode {
    const char* name;
    LRESULT value;
};

constexpr NamedCode kHitCodes[] = {
    {"HTERROR", HTERROR},       {"HTTRANSPARENT", HTTRANSPARENT}, {"HTNOWHERE", HTNOWHERE},
    {"HTCLIENT", HTCLIENT},     {"HTCAPTION", HTCAPTION},         {"HTSYSMENU", HTSYSMENU},
    {"HTGROWBOX", HTGROWBOX},   {"HTMENU", HTMENU},               {"HTHSCROLL", HTHSCROLL},
    {"HTVSCROLL", HTVSCROLL},   {"HTMINBUTTON", HTMINBUTTON},     {"HTMAXBUTTON", HTMAXBUTTON},
    {"HTLEFT", HTLEFT},         {"HTRIGHT", HTRIGHT},             {"HTTOP", HTTOP},
    {"HTTOPLEFT", HTTOPLEFT},   {"HTTOPRIGHT", HTTOPRIGHT},       {"HTBOTTOM", HTBOTTOM},
    {"HTBOTTOMLEFT", HTBOTTOMLEFT}, {"HTBOTTOMRIGHT", HTBOTTOMRIGHT}, {"HTBORDER", HTBORDER},
    {"HTCLOSE", HTCLOSE},       {"HTHELP", HTHELP},
};

// hittest WINDOW X,Y [X,Y ...] [--class=C]: WM_NCHITTEST at screen points (frame parts, caption buttons)
JsonObject CmdHitTest(const Args& a) {
    HWND h = ResolveWindow(a.At(0), a);
    JsonArray hits;
    for (std::size_t i = 1; i < a.Count(); ++i) {
        POINT p = ParsePoint(a.At(i));
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(h, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)),
                                 SMTO_ABORTIFHUNG, 2000, &result))
            FailWin32("SendMessageTimeoutW(WM_NCHITTEST)");
        auto code = static_cast<LRESULT>(static_cast<LONG_PTR>(static_cast<int>(result)));
        const char* name = "other";
        for (const auto& c : kHitCodes)
            if (c.value == code) name = c.name;
        JsonObject hit;
        hit.Num("x", p.x).Num("y", p.y).Num("code", static_cast<long long>(code)).Str("name", name);
        hits.Raw(hit.Text());
    }
    JsonObject o;
    o.Arr("hits", hits);
    return o;
}

// settingchange [--param=TEXT] [--wparam=N] [--timeout=MS]
JsonObject CmdSettingChange(const Args& a) {
    std::wstring param = a.Opt(L"param");
    LPARAM lp = a.Has(L"param") ? reinterpret_cast<LPARAM>(param.c_str()) : 0;
    DWORD_PTR result = 0;
    // A posted broadcast of WM_SETTINGCHANGE is refused; the system itself sends it.
    LRESULT sent = SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, static_cast<WPARAM>(a.OptInt(L"wparam", 0)),
                                       lp, SMTO_ABORTIFHUNG, static_cast<UINT>(a.OptInt(L"timeout", 5000)), &result);
    if (!sent) FailWin32("SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE)");
    return JsonObject{};
}

// ---------------------------------------------------------------------------------------------
// Registry

struct RegPath {
    HKEY root;
    std::wstring sub;
};

RegPath ParseRegPath(const std::wstring& path) {
    static const struct {
        const wchar_t* name;
        HKEY root;
    } roots[] = {
        {L"HKCU", HKEY_CURRENT_USER},  {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKLM", HKEY_LOCAL_MACHINE}, {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKCR", HKEY_CLASSES_ROOT},  {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    };
    auto slash = path.find(L'\\');
    std::wstring head = path.substr(0, slash);
    for (const auto& r : roots)
        if (_wcsicmp(head.c_str(), r.name) == 0)
            return {r.root, slash == std::wstring::npos ? L"" : path.substr(slash + 1)};
    return {HKEY_CURRENT_USER, path};  // a bare path is under HKEY_CURRENT_USER
}

class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (h_) RegCloseKey(h_);
    }
    HKEY* Out() { return &h_; }
    HKEY Get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

const char* RegTypeName(DWORD type) {
    switch (type) {
        case REG_SZ: return "REG_SZ";
        case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
        case REG_MULTI_SZ: return "REG_MULTI_SZ";
        case REG_DWORD: return "REG_DWORD";
        case REG_QWORD: return "REG_QWORD";
        case REG_BINARY: return "REG_BINARY";
        case REG_NONE: return "REG_NONE";
        default: return "other";
    }
}

void AddRegData(JsonObject& o, DWORD type, const std::vector<BYTE>& data) {
    o.Str("type", RegTypeName(type));
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        if (type == REG_MULTI_SZ) {
            JsonArray items;
            std::size_t start = 0;
            while (start < text.size() && text[start] != L'\0') {
                std::size_t end = text.find(L'\0', start);
                if (end == std::wstring::npos) end = text.size();
                items.Str(std::wstring_view(text).substr(start, end - start));
                start = end + 1;
            }
            o.Arr("data", items);
        } else {
            // The stored text ends at its first NUL, as every reader of it sees it.
            auto nul = text.find(L'\0');
            o.Str("data", std::wstring_view(text).substr(0, nul));
        }
    } else if (type == REG_DWORD && data.size() >= 4) {
        DWORD v;
        std::memcpy(&v, data.data(), 4);
        o.Num("data", v);
    } else if (type == REG_QWORD && data.size() >= 8) {
        unsigned long long v;
        std::memcpy(&v, data.data(), 8);
        o.Num("data", static_cast<long long>(v));
    } else {
        std::string hex;
        char buf[4];
        for (BYTE b : data) {
            std::snprintf(buf, sizeof buf, "%02x", b);
            hex += buf;
        }
        o.Str("data", hex);
    }
}

// reg-get KEY NAME ("" for the default value)
JsonObject CmdRegGet(const Args& a) {
    RegPath p = ParseRegPath(a.At(0));
    JsonObject o;
    Key key;
    if (RegOpenKeyExW(p.root, p.sub.c_str(), 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) {
        o.Bool("keyExists", false).Bool("exists", false);
        return o;
    }
    o.Bool("keyExists", true);
    DWORD type = 0, size = 0;
    const wchar_t* name = a.At(1).c_str();
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        o.Bool("exists", false);
        return o;
    }
    std::vector<BYTE> data(size + sizeof(wchar_t), 0);
    if (RegQueryValueExW(key.Get(), name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        FailWin32("RegQueryValueExW");
    data.resize(size);
    o.Bool("exists", true);
    AddRegData(o, type, data);
    return o;
}

// reg-list KEY: every value and subkey name
JsonObject CmdRegList(const Args& a) {
    RegPath p = ParseRegPath(a.At(0));
    JsonObject o;
    Key key;
    if (RegOpenKeyExW(p.root, p.sub.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
        o.Bool("keyExists", false);
        return o;
    }
    o.Bool("keyExists", true);
    JsonObject values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLen = 16384, type = 0, size = 0;
        if (RegEnumValueW(key.Get(), i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size + sizeof(wchar_t), 0);
        nameLen = 16384;
        if (RegEnumValueW(key.Get(), i, name, &nameLen, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        JsonObject v;
        AddRegData(v, type, data);
        values.Obj(Utf8(std::wstring_view(name, nameLen)), v);
    }
    JsonArray subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = 256;
        if (RegEnumKeyExW(key.Get(), i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.Str(std::wstring_view(name, nameLen));
    }
    o.Obj("values", values).Arr("subkeys", subkeys);
    return o;
}

// reg-set KEY NAME DATA [--type=sz|expand|dword]
JsonObject CmdRegSet(const Args& a) {
    RegPath p = ParseRegPath(a.At(0));
    Key key;
    LSTATUS st = RegCreateKeyExW(p.root, p.sub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Out(), nullptr);
    if (st != ERROR_SUCCESS) FailWin32("RegCreateKeyExW", static_cast<DWORD>(st));
    const std::wstring type = a.Opt(L"type", L"sz");
    if (type == L"dword") {
        DWORD v = static_cast<DWORD>(a.Int(2));
        st = RegSetValueExW(key.Get(), a.At(1).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    } else if (type == L"sz" || type == L"expand") {
        const std::wstring& text = a.At(2);
        st = RegSetValueExW(key.Get(), a.At(1).c_str(), 0, type == L"sz" ? REG_SZ : REG_EXPAND_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    } else {
        throw UsageError("unknown --type " + Utf8(type));
    }
    if (st != ERROR_SUCCESS) FailWin32("RegSetValueExW", static_cast<DWORD>(st));
    return JsonObject{};
}

// reg-delete KEY [NAME]: the value, or without NAME the key with everything below it
JsonObject CmdRegDelete(const Args& a) {
    RegPath p = ParseRegPath(a.At(0));
    JsonObject o;
    if (a.Count() > 1) {
        Key key;
        if (RegOpenKeyExW(p.root, p.sub.c_str(), 0, KEY_SET_VALUE, key.Out()) != ERROR_SUCCESS) {
            o.Bool("deleted", false);
            return o;
        }
        LSTATUS st = RegDeleteValueW(key.Get(), a.At(1).c_str());
        if (st != ERROR_SUCCESS && st != ERROR_FILE_NOT_FOUND) FailWin32("RegDeleteValueW", static_cast<DWORD>(st));
        o.Bool("deleted", st == ERROR_SUCCESS);
        return o;
    }
    if (p.sub.empty()) throw UsageError("refusing to delete a root key");
    LSTATUS st = RegDeleteTreeW(p.root, p.sub.c_str());
    if (st != ERROR_SUCCESS && st != ERROR_FILE_NOT_FOUND) FailWin32("RegDeleteTreeW", static_cast<DWORD>(st));
    // RegDeleteTreeW with a subkey removes that key as well; make sure of it where it does not.
    RegDeleteKeyW(p.root, p.sub.c_str());
    o.Bool("deleted", st == ERROR_SUCCESS);
    return o;
}

// ---------------------------------------------------------------------------------------------
// Profile files ("WIN.INI" is the system's own, mapped the same way the program reads it)

// profile-get FILE SECTION KEY
JsonObject CmdProfileGet(const Args& a) {
    const wchar_t* kAbsent = L"\x01<absent>\x01";
    std::vector<wchar_t> buf(4096);
    GetPrivateProfileStringW(a.At(1).c_str(), a.At(2).c_str(), kAbsent, buf.data(), static_cast<DWORD>(buf.size()),
                             a.At(0).c_str());
    JsonObject o;
    std::wstring value = buf.data();
    o.Bool("exists", value != kAbsent);
    if (value != kAbsent) o.Str("value", value);
    return o;
}

// profile-set FILE SECTION KEY VALUE
JsonObject CmdProfileSet(const Args& a) {
    if (!WritePrivateProfileStringW(a.At(1).c_str(), a.At(2).c_str(), a.At(3).c_str(), a.At(0).c_str()))
        FailWin32("WritePrivateProfileStringW");
    return JsonObject{};
}

// profile-delete FILE SECTION [KEY]: the key, or the whole section
JsonObject CmdProfileDelete(const Args& a) {
    const wchar_t* key = a.Count() > 2 ? a.At(2).c_str() : nullptr;
    if (!WritePrivateProfileStringW(a.At(1).c_str(), key, nullptr, a.At(0).c_str()))
        FailWin32("WritePrivateProfileStringW");
    return JsonObject{};
}

// ---------------------------------------------------------------------------------------------
// Screen pixels: one BitBlt of the bounding box into a top-down 32-bit DIB.

// Owners of the GDI objects a capture needs.
struct ScreenDcRelease {
    void operator()(HDC dc) const noexcept { ReleaseDC(nullptr, dc); }
};
struct DcDelete {
    void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};
struct GdiObjectDelete {
    void operator()(HBITMAP bitmap) const noexcept { DeleteObject(bitmap); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenDcRelease>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDelete>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDelete>;

class ScreenCapture {
public:
    explicit ScreenCapture(RECT r) : left_(r.left), top_(r.top), width_(r.right - r.left), height_(r.bottom - r.top) {
        if (width_ <= 0 || height_ <= 0) throw UsageError("empty capture area");
        ScreenDc screen(GetDC(nullptr));
        if (!screen) FailWin32("GetDC");
        MemoryDc mem(CreateCompatibleDC(screen.get()));
        if (!mem) FailWin32("CreateCompatibleDC");
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = width_;
        bi.bmiHeader.biHeight = -height_;  // top-down rows
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        Bitmap dib(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dib) FailWin32("CreateDIBSection");
        HGDIOBJ old = SelectObject(mem.get(), dib.get());
        const bool ok = BitBlt(mem.get(), 0, 0, width_, height_, screen.get(), left_, top_, SRCCOPY | CAPTUREBLT) != FALSE;
        const DWORD error = GetLastError();
        GdiFlush();
        if (ok) {
            const auto* px = static_cast<const DWORD*>(bits);
            pixels_.assign(px, px + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
        }
        SelectObject(mem.get(), old);
        if (!ok) FailWin32("BitBlt from the screen", error);
    }

    // 0x00RRGGBB of a screen point inside the captured area
    DWORD At(int x, int y) const {
        return pixels_.at(static_cast<std::size_t>(y - top_) * static_cast<std::size_t>(width_) +
                          static_cast<std::size_t>(x - left_)) & 0xffffffu;
    }

private:
    int left_, top_, width_, height_;
    std::vector<DWORD> pixels_;
};

JsonArray RgbJson(DWORD c) {
    JsonArray a;
    a.Num((c >> 16) & 0xff).Num((c >> 8) & 0xff).Num(c & 0xff);
    return a;
}

// pixels X,Y [X,Y ...]
JsonObject CmdPixels(const Args& a) {
    std::vector<POINT> points;
    for (std::size_t i = 0; i < a.Count(); ++i) points.push_back(ParsePoint(a.At(i)));
    RECT box{points[0].x, points[0].y, points[0].x + 1, points[0].y + 1};
    for (const POINT& p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x + 1);
        box.bottom = std::max(box.bottom, p.y + 1);
    }
    ScreenCapture cap(box);
    JsonArray list;
    for (const POINT& p : points) {
        JsonObject px;
        px.Num("x", p.x).Num("y", p.y).Arr("rgb", RgbJson(cap.At(p.x, p.y)));
        list.Raw(px.Text());
    }
    JsonObject o;
    o.Arr("pixels", list);
    return o;
}

// area X Y W H [--dump]: colour statistics of a screen rectangle ("chroma" = max - min channel)
JsonObject CmdArea(const Args& a) {
    RECT r{static_cast<LONG>(a.Int(0)), static_cast<LONG>(a.Int(1)), 0, 0};
    r.right = r.left + static_cast<LONG>(a.Int(2));
    r.bottom = r.top + static_cast<LONG>(a.Int(3));
    ScreenCapture cap(r);
    long long sum[3] = {0, 0, 0};
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    int maxChroma = 0;
    long long sumChroma = 0;
    std::set<DWORD> distinct;
    JsonArray rows;
    for (LONG y = r.top; y < r.bottom; ++y) {
        std::string row;
        for (LONG x = r.left; x < r.right; ++x) {
            DWORD c = cap.At(x, y);
            int ch[3] = {static_cast<int>((c >> 16) & 0xff), static_cast<int>((c >> 8) & 0xff), static_cast<int>(c & 0xff)};
            for (int i = 0; i < 3; ++i) {
                sum[i] += ch[i];
                lo[i] = std::min(lo[i], ch[i]);
                hi[i] = std::max(hi[i], ch[i]);
            }
            int chroma = std::max({ch[0], ch[1], ch[2]}) - std::min({ch[0], ch[1], ch[2]});
            maxChroma = std::max(maxChroma, chroma);
            sumChroma += chroma;
            distinct.insert(c);
            char buf[8];
            std::snprintf(buf, sizeof buf, "%06lx", static_cast<unsigned long>(c));
            if (!row.empty()) row += ' ';
            row += buf;
        }
        if (a.Has(L"dump")) rows.Raw(Quote(std::string_view(row)));
    }
    const long long n = static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    JsonArray mean, min, max;
    for (int i = 0; i < 3; ++i) {
        mean.Raw(std::to_string(static_cast<double>(sum[i]) / static_cast<double>(n)));
        min.Num(lo[i]);
        max.Num(hi[i]);
    }
    JsonObject o;
    o.Obj("area", RectJson(r)).Arr("mean", mean).Arr("min", min).Arr("max", max);
    o.Num("maxChroma", maxChroma).Real("meanChroma", static_cast<double>(sumChroma) / static_cast<double>(n));
    o.Num("distinct", static_cast<long long>(distinct.size()));
    if (a.Has(L"dump")) o.Arr("rows", rows);
    return o;
}

// syscolor [INDEX]: a system colour (default COLOR_DESKTOP, the desktop colour without a setting)
JsonObject CmdSysColor(const Args& a) {
    int index = a.Count() ? static_cast<int>(a.Int(0)) : COLOR_DESKTOP;
    COLORREF c = GetSysColor(index);
    JsonObject o;
    JsonArray rgb;
    rgb.Num(GetRValue(c)).Num(GetGValue(c)).Num(GetBValue(c));
    o.Num("index", index).Arr("rgb", rgb);
    return o;
}

// ---------------------------------------------------------------------------------------------
// Desktop settings and system metrics

// wallpaper PATH ("" for none)
JsonObject CmdWallpaper(const Args& a) {
    std::wstring path = a.At(0);
    if (!SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE))
        FailWin32("SystemParametersInfoW(SPI_SETDESKWALLPAPER)");
    return JsonObject{};
}

JsonObject Pair(int x, int y) {
    JsonObject o;
    o.Num("x", x).Num("y", y);
    return o;
}

// metrics
JsonObject CmdMetrics(const Args&) {
    JsonObject o;
    o.Obj("screen", Pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    RECT vs{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    vs.right = vs.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    vs.bottom = vs.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    o.Obj("virtualScreen", RectJson(vs));
    HDC screen = GetDC(nullptr);
    o.Obj("dpi", Pair(GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)));
    o.Num("bitsPerPixel", GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
    o.Num("caption", GetSystemMetrics(SM_CYCAPTION)).Num("smallCaption", GetSystemMetrics(SM_CYSMCAPTION));
    o.Obj("border", Pair(GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)));
    o.Obj("edge", Pair(GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE)));
    o.Obj("fixedFrame", Pair(GetSystemMetrics(SM_CXFIXEDFRAME), GetSystemMetrics(SM_CYFIXEDFRAME)));
    o.Obj("sizeFrame", Pair(GetSystemMetrics(SM_CXSIZEFRAME), GetSystemMetrics(SM_CYSIZEFRAME)));
    o.Num("paddedBorder", GetSystemMetrics(SM_CXPADDEDBORDER));
    o.Obj("minTrack", Pair(GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)));
    o.Obj("icon", Pair(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    o.Obj("smallIcon", Pair(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    o.Obj("workArea", RectJson(work));
    o.Num("monitors", GetSystemMetrics(SM_CMONITORS));
    return o;
}

// ---------------------------------------------------------------------------------------------
// The program as a process (ProcessProbe.cpp)

// ping WINDOW [--class=C] [--timeout=MS]
JsonObject CmdPing(const Args& a) {
    return process::Ping(ResolveWindow(a.At(0), a), static_cast<UINT>(a.OptInt(L"timeout", 2000)));
}

// counters WINDOW [--class=C]
JsonObject CmdCounters(const Args& a) { return process::Counters(ResolveWindow(a.At(0), a)); }

// burst WINDOW MSG COUNT [WPARAM] [LPARAM] [--class=C] [--timeout=MS]
JsonObject CmdBurst(const Args& a) {
    HWND h = ResolveWindow(a.At(0), a);
    WPARAM wp = a.Count() > 3 ? static_cast<WPARAM>(a.Int(3)) : 0;
    LPARAM lp = a.Count() > 4 ? static_cast<LPARAM>(a.Int(4)) : 0;
    return process::Burst(h, ParseMessage(a.At(1)), wp, lp, static_cast<int>(a.Int(2)),
                          static_cast<UINT>(a.OptInt(L"timeout", 10000)));
}

// recyclebin-cost [COUNT]
JsonObject CmdRecycleBinCost(const Args& a) {
    return process::RecycleBinCost(a.Count() ? static_cast<int>(a.Int(0)) : 2000);
}

// resize WINDOW WIDTH HEIGHT [--class=C]
JsonObject CmdResize(const Args& a) {
    return process::Resize(ResolveWindow(a.At(0), a), static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)));
}

// ---------------------------------------------------------------------------------------------
// Dispatch

struct Command {
    const wchar_t* name;
    const char* synopsis;
    const char* summary;
    std::size_t minArgs;
    JsonObject (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {L"find", "TITLE [--class=C] [--depth=N]", "a top-level window: rects, state, children", 0, CmdFind},
    {L"wait", "TITLE [--class=C] [--state=visible|hidden|gone|exists] [--timeout=MS]",
     "poll until a top-level window reaches a state (\"matched\" tells)", 0, CmdWait},
    {L"windows", "[--all]", "every (visible) top-level window", 0, CmdWindows},
    {L"tray", "[--depth=N]", "the task bar window and its children", 0, CmdTray},
    {L"cursor", "", "pointer position and the window under it", 0, CmdCursor},
    {L"at", "X Y", "the window at a screen point", 2, CmdAt},
    {L"foreground", "", "the foreground window", 0, CmdForeground},
    {L"post", "WINDOW MSG [WPARAM] [LPARAM] [--class=C]", "PostMessageW (MSG a number or WM_ name)", 2, CmdPost},
    {L"send", "WINDOW MSG [WPARAM] [LPARAM] [--class=C] [--timeout=MS]", "SendMessageTimeoutW", 2, CmdSend},
    {L"close", "WINDOW [--class=C]", "post WM_CLOSE", 1, CmdClose},
    {L"redraw", "WINDOW [--class=C]", "invalidate a window and its children (a repaint)", 1, CmdRedraw},
    {L"wheel", "WINDOW DELTA X Y [--class=C] [--keys=MK]", "post WM_MOUSEWHEEL at screen X,Y", 4, CmdWheel},
    {L"hittest", "WINDOW X,Y [X,Y ...] [--class=C]", "WM_NCHITTEST at screen points", 2, CmdHitTest},
    {L"settingchange", "[--param=TEXT] [--wparam=N] [--timeout=MS]", "broadcast WM_SETTINGCHANGE", 0,
     CmdSettingChange},
    {L"reg-get", "KEY NAME", "one registry value (KEY like HKCU\\Software\\...)", 2, CmdRegGet},
    {L"reg-list", "KEY", "all values and subkeys of a key", 1, CmdRegList},
    {L"reg-set", "KEY NAME DATA [--type=sz|expand|dword]", "write a registry value", 3, CmdRegSet},
    {L"reg-delete", "KEY [NAME]", "delete a value, or a key with its subkeys", 1, CmdRegDelete},
    {L"profile-get", "FILE SECTION KEY", "GetPrivateProfileStringW", 3, CmdProfileGet},
    {L"profile-set", "FILE SECTION KEY VALUE", "WritePrivateProfileStringW", 4, CmdProfileSet},
    {L"profile-delete", "FILE SECTION [KEY]", "delete a profile key or section", 2, CmdProfileDelete},
    {L"pixels", "X,Y [X,Y ...]", "screen pixel colours [r,g,b]", 1, CmdPixels},
    {L"area", "X Y W H [--dump]", "colour statistics of a screen rectangle", 4, CmdArea},
    {L"syscolor", "[INDEX]", "GetSysColor (default COLOR_DESKTOP)", 0, CmdSysColor},
    {L"wallpaper", "PATH", "SPI_SETDESKWALLPAPER with SPIF_UPDATEINIFILE|SPIF_SENDCHANGE", 1, CmdWallpaper},
    {L"metrics", "", "screen size, DPI, frame and caption sizes", 0, CmdMetrics},
    {L"ping", "WINDOW [--class=C] [--timeout=MS]", "WM_NULL through SendMessageTimeoutW: answered, ms", 1, CmdPing},
    {L"counters", "WINDOW [--class=C]", "the window's process: GDI/USER objects, memory, handles", 1, CmdCounters},
    {L"burst", "WINDOW MSG COUNT [WPARAM] [LPARAM] [--class=C] [--timeout=MS]",
     "send COUNT messages one after the other (SendMessageTimeoutW): ms, slowestMs", 3, CmdBurst},
    {L"resize", "WINDOW WIDTH HEIGHT [--class=C]", "SetWindowPos to an outer size in pixels", 3, CmdResize},
    {L"recyclebin-cost", "[COUNT]", "private bytes a recycle-bin query leaves in this process; fixed drives", 0,
     CmdRecycleBinCost},
};

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void PrintUsage() {
    std::string text =
        "usage: lumbra_probe COMMAND [ARGS...]    (one JSON object per call)\n"
        "       lumbra_probe serve                (one tab-separated command per input line)\n\n"
        "WINDOW is a handle (decimal or 0x...) or a top-level window title.\n\ncommands:\n";
    for (const auto& c : kCommands) {
        std::string line = "  " + Utf8(c.name) + " " + c.synopsis;
        if (line.size() < 64) line.resize(64, ' ');
        text += line + "  " + c.summary + "\n";
    }
    std::fputs(text.c_str(), stderr);
}

// Runs one command; returns the process exit code (0 ok, 1 failed, 2 usage).
int Run(const std::vector<std::wstring>& tokens) {
    JsonObject out;
    int code = 0;
    const Command* cmd = nullptr;
    for (const auto& c : kCommands)
        if (!tokens.empty() && tokens[0] == c.name) cmd = &c;
    try {
        if (!cmd) throw UsageError(tokens.empty() ? "no command" : "unknown command " + Utf8(tokens[0]));
        Args args(std::vector<std::wstring>(tokens.begin() + 1, tokens.end()));
        if (args.Count() < cmd->minArgs)
            throw UsageError(Utf8(cmd->name) + " needs " + std::to_string(cmd->minArgs) + " argument(s): " + cmd->synopsis);
        JsonObject answer = cmd->run(args);
        std::string body = answer.Text();
        out.Bool("ok", true).Str("command", cmd->name);
        // Splice the answer's members after "ok" and "command".
        std::string head = out.Text();
        head.pop_back();
        if (body.size() > 2) head += "," + body.substr(1, body.size() - 2);
        PrintLine(head + "}");
        return 0;
    } catch (const UsageError& e) {
        out.Bool("ok", false).Str("error", e.what()).Bool("usage", true);
        code = 2;
    } catch (const std::exception& e) {
        out.Bool("ok", false).Str("error", e.what());
        code = 1;
    }
    PrintLine(out.Text());
    return code;
}

// serve: answers until end of input. Arguments of one line are separated by tabs (UTF-8).
int Serve() {
    std::string line;
    int ch;
    for (;;) {
        line.clear();
        while ((ch = std::fgetc(stdin)) != EOF && ch != '\n') line += static_cast<char>(ch);
        if (ch == EOF && line.empty()) return 0;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::wstring> tokens;
        std::size_t start = 0;
        while (start <= line.size()) {
            std::size_t tab = line.find('\t', start);
            if (tab == std::string::npos) tab = line.size();
            tokens.push_back(Wide(std::string_view(line).substr(start, tab - start)));
            start = tab + 1;
        }
        if (tokens.size() == 1 && tokens[0].empty()) continue;
        if (tokens[0] == L"quit") return 0;
        Run(tokens);
        if (ch == EOF) return 0;
    }
}

}  // namespace
}  // namespace probe

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    // Screen coordinates in physical pixels, whatever the program under test declares.
    SetProcessDPIAware();
    std::vector<std::wstring> tokens(argv + 1, argv + argc);
    if (tokens.empty() || tokens[0] == L"help" || tokens[0] == L"--help") {
        probe::PrintUsage();
        return tokens.empty() ? 2 : 0;
    }
    if (tokens[0] == L"serve") return probe::Serve();
    return probe::Run(tokens);
}
