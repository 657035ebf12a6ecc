// lumbra_openhandler.exe MARKER [ARG...]: the program the wallpaper tests register as the "open"
// action of a file type of their own. It writes its arguments after MARKER, one per line in
// UTF-8, into the file MARKER and ends, so that a test can see that the shell started it and
// with which file.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<std::size_t>(n - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    // Written under another name first: a reader never sees half a marker.
    const std::wstring partial = std::wstring(argv[1]) + L".part";
    FILE* out = _wfopen(partial.c_str(), L"wb");
    if (out == nullptr) return 1;
    for (int i = 2; i < argc; ++i) {
        const std::string line = Utf8(argv[i]) + "\n";
        std::fwrite(line.data(), 1, line.size(), out);
    }
    std::fclose(out);
    return ::MoveFileExW(partial.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
