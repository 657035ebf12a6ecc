#include "ProcessProbe.h"

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace probe::process {
namespace {

[[noreturn]] void Fail(const std::string& what, DWORD error = GetLastError()) {
    throw std::runtime_error(what + " failed (error " + std::to_string(error) + ")");
}

class Stopwatch {
public:
    Stopwatch() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Milliseconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

struct ProcessHandle {
    HANDLE h = nullptr;
    ~ProcessHandle() {
        if (h) CloseHandle(h);
    }
};

// WM_NULL behind everything already queued; true when the window answered in time.
bool Answers(HWND window, UINT timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

// The commit charge on Windows; under Wine, which leaves that at 0, the resident anonymous
// memory it reports in the page-file field.
unsigned long long PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

}  // namespace

JsonObject Ping(HWND window, UINT timeoutMs) {
    Stopwatch watch;
    const bool answered = Answers(window, timeoutMs);
    JsonObject o;
    o.Bool("answered", answered).Real("ms", watch.Milliseconds());
    return o;
}

JsonObject Counters(HWND window) {
    DWORD pid = 0;
    if (!GetWindowThreadProcessId(window, &pid) || pid == 0) Fail("GetWindowThreadProcessId");
    ProcessHandle process;
    process.h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process.h) process.h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process.h) Fail("OpenProcess");
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    const bool haveMemory = GetProcessMemoryInfo(process.h, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                                 sizeof memory) != FALSE;
    DWORD handles = 0;
    GetProcessHandleCount(process.h, &handles);
    JsonObject o;
    o.Num("pid", pid);
    o.Num("gdi", GetGuiResources(process.h, GR_GDIOBJECTS)).Num("user", GetGuiResources(process.h, GR_USEROBJECTS));
    // The peak flavours exist from Windows 7 on; elsewhere they read 0 like any unkept counter.
    o.Num("gdiPeak", GetGuiResources(process.h, 2)).Num("userPeak", GetGuiResources(process.h, 4));
    o.Num("handles", handles);
    o.Bool("memoryKnown", haveMemory);
    o.Num("workingSet", static_cast<long long>(memory.WorkingSetSize));
    o.Num("peakWorkingSet", static_cast<long long>(memory.PeakWorkingSetSize));
    o.Num("privateBytes", static_cast<long long>(memory.PrivateUsage));
    o.Num("pagefile", static_cast<long long>(memory.PagefileUsage));
    return o;
}

JsonObject Burst(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int count, UINT timeoutMs) {
    Stopwatch watch;
    double slowest = 0.0;
    int answered = 0;
    for (int i = 0; i < count; ++i) {
        Stopwatch one;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result)) break;
        ++answered;
        slowest = std::max(slowest, one.Milliseconds());
    }
    JsonObject o;
    o.Num("sent", answered).Bool("answered", answered == count).Real("ms", watch.Milliseconds());
    o.Real("slowestMs", slowest);
    return o;
}

JsonObject Resize(HWND window, int width, int height) {
    if (!SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        Fail("SetWindowPos");
    }
    RECT r{};
    GetWindowRect(window, &r);
    JsonObject rect;
    rect.Num("left", r.left).Num("top", r.top).Num("right", r.right).Num("bottom", r.bottom);
    rect.Num("width", r.right - r.left).Num("height", r.bottom - r.top);
    JsonObject o;
    o.Obj("rect", rect);
    return o;
}

JsonObject RecycleBinCost(int count) {
    auto query = [] {
        SHQUERYRBINFO info{};
        info.cbSize = sizeof info;
        SHQueryRecycleBinW(nullptr, &info);
    };
    // The first queries set up what stays anyway.
    for (int i = 0; i < 50; ++i) query();
    const unsigned long long before = PrivateBytes();
    for (int i = 0; i < count; ++i) query();
    const unsigned long long after = PrivateBytes();
    int fixed = 0;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', 0};
        if (GetDriveTypeW(root) == DRIVE_FIXED) ++fixed;
    }
    JsonObject o;
    o.Num("queries", count).Num("privateBefore", static_cast<long long>(before));
    o.Num("privateAfter", static_cast<long long>(after));
    o.Real("bytesPerQuery", after > before && count > 0 ? static_cast<double>(after - before) / count : 0.0);
    o.Num("fixedDrives", fixed);
    return o;
}

}  // namespace probe::process
