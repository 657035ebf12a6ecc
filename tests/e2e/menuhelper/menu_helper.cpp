// lumbra_menuhelper: the popup menu's end-to-end tests' helper on the Windows side. One
// subcommand per call, one JSON object on one line as the answer.
//
//   recycle PATH...   delete the files to the recycle bin (as Explorer's Delete does)
//   bin               what every recycle bin holds together: {"items": n, "size": n}
//   empty-bin         empty every bin without asking
//   menus             the open popup menus, outermost first: [{"hwnd", "rect": [l, t, r, b]}]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

int Answer(const std::string& json) {
    std::printf("%s\n", json.c_str());
    std::fflush(stdout);
    return 0;
}

int Failure(const std::string& what) {
    Answer("{\"ok\":false,\"error\":\"" + what + "\"}");
    return 1;
}

int Recycle(int argc, wchar_t** argv) {
    std::wstring from;
    for (int i = 2; i < argc; ++i) {
        from += argv[i];
        from.push_back(L'\0');
    }
    if (from.empty()) return Failure("no path");
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int result = ::SHFileOperationW(&operation);
    return Answer("{\"ok\":" + std::string(result == 0 ? "true" : "false") + ",\"result\":" + std::to_string(result) +
                  "}");
}

int Bin() {
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    const HRESULT hr = ::SHQueryRecycleBinW(nullptr, &info);
    if (FAILED(hr)) return Failure("SHQueryRecycleBinW");
    return Answer("{\"ok\":true,\"items\":" + std::to_string(info.i64NumItems) + ",\"size\":" +
                  std::to_string(info.i64Size) + "}");
}

int EmptyBin() {
    ::SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
    return Bin();
}

int Menus() {
    std::vector<HWND> menus;
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[32] = {};
            ::GetClassNameW(window, name, 32);
            if (std::wstring(name) == L"#32768" && ::IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&menus));
    // Z order puts the newest (innermost) first.
    std::string json = "{\"ok\":true,\"menus\":[";
    for (auto it = menus.rbegin(); it != menus.rend(); ++it) {
        RECT r{};
        ::GetWindowRect(*it, &r);
        if (it != menus.rbegin()) json += ",";
        json += "{\"hwnd\":" + std::to_string(reinterpret_cast<ULONG_PTR>(*it)) + ",\"rect\":[" +
                std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                std::to_string(r.bottom) + "]}";
    }
    return Answer(json + "]}");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"recycle") return Recycle(argc, argv);
    if (command == L"bin") return Bin();
    if (command == L"empty-bin") return EmptyBin();
    if (command == L"menus") return Menus();
    return Failure("usage: recycle PATH... | bin | empty-bin | menus (got " + Utf8(command) + ")");
}
