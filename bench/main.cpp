// lumbra_bench.exe [--list] [name ...]: runs the named benchmarks (all without names) and
// prints their figures. Run through Wine by the `bench` target of the win build.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "Bench.h"
#include "platform/win32/WinText.h"

namespace lumbra::bench {

std::vector<Benchmark>& Benchmarks() {
    static std::vector<Benchmark> table;
    return table;
}

double Median(int n, const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i < n; ++i) times.push_back(Seconds(f));
    std::sort(times.begin(), times.end());
    return times.empty() ? 0.0 : times[times.size() / 2];
}

void Report::Line(const std::string& what, const std::string& value, const std::string& how) {
    std::printf("%-10s %-58s %14s  %s\n", benchmark_.c_str(), what.c_str(), value.c_str(), how.c_str());
    std::fflush(stdout);
}

void Report::Time(const std::string& what, double seconds, const std::string& how) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1000.0);
    Line(what, text, how);
}

void Report::Bytes(const std::string& what, double bytes, const std::string& how) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f MB", bytes / (1024.0 * 1024.0));
    Line(what, text, how);
}

void Report::Count(const std::string& what, double value, const std::string& unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f %s", value, unit.c_str());
    Line(what, text, "");
}

void Report::Note(const std::string& text) { Line(text, "", ""); }

void Report::Ratio(const std::string& what, double numerator, double denominator, double limit, bool percent) {
    const double ratio = denominator > 0.0 ? numerator / denominator : 0.0;
    char text[64];
    char how[96];
    if (percent) {
        std::snprintf(text, sizeof text, "%.2f %%", ratio * 100.0);
        std::snprintf(how, sizeof how, "at most %.1f %%: %s", limit * 100.0, ratio <= limit ? "met" : "NOT MET");
    } else {
        std::snprintf(text, sizeof text, "%.3f x", ratio);
        std::snprintf(how, sizeof how, "at most %.2f x: %s", limit, ratio <= limit ? "met" : "NOT MET");
    }
    Line(what, text, how);
}

namespace {

std::string ProcessorName() {
    wchar_t name[256] = {};
    DWORD bytes = sizeof name;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString",
                       RRF_RT_REG_SZ, nullptr, name, &bytes) != ERROR_SUCCESS) {
        return "unknown processor";
    }
    return win32::Narrow(name);
}

}  // namespace
}  // namespace lumbra::bench

int main(int argc, char** argv) {
    using namespace lumbra::bench;
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0) {
            for (const Benchmark& b : Benchmarks()) std::printf("%-12s %s\n", b.name.c_str(), b.description.c_str());
            return 0;
        }
        wanted.emplace_back(argv[i]);
    }
    std::printf("machine: %u logical processors, %s\n", std::thread::hardware_concurrency(), ProcessorName().c_str());
    int failures = 0;
    for (const Benchmark& b : Benchmarks()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), b.name) == wanted.end()) continue;
        std::printf("\n== %s: %s\n", b.name.c_str(), b.description.c_str());
        Report report(b.name);
        int code = 1;
        try {
            code = b.run(report);
        } catch (...) {
            code = 1;
        }
        if (code != 0) {
            std::printf("%s: could not run (%d)\n", b.name.c_str(), code);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
