#pragma once
// The benchmark program's table of named benchmarks. Each benchmark is a function that prints
// its figures through the Report and returns 0, or non-zero when it could not run. A benchmark
// file registers itself:
//
//     LUMBRA_BENCHMARK(MenuShowing, "menu", "showing the popup menu with 200 desktop entries") {
//         ...; report.Figure("show", seconds); return 0;
//     }
//
// Figures are printed, never judged by a test: a limit given to Ratio is only printed beside it.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace lumbra::bench {

class Report {
public:
    explicit Report(std::string benchmark) : benchmark_(std::move(benchmark)) {}
    // A duration in seconds, printed in milliseconds.
    void Time(const std::string& what, double seconds, const std::string& how = "");
    // A size in bytes, printed in MB.
    void Bytes(const std::string& what, double bytes, const std::string& how = "");
    void Count(const std::string& what, double value, const std::string& unit = "");
    void Note(const std::string& text);
    // numerator / denominator against a limit ("at most"); prints the quotient and whether it holds.
    void Ratio(const std::string& what, double numerator, double denominator, double limit, bool percent = false);

private:
    void Line(const std::string& what, const std::string& value, const std::string& how);
    std::string benchmark_;
};

struct Benchmark {
    std::string name;
    std::string description;
    std::function<int(Report&)> run;
};

std::vector<Benchmark>& Benchmarks();

struct Registration {
    Registration(std::string name, std::string description, std::function<int(Report&)> run) {
        Benchmarks().push_back({std::move(name), std::move(description), std::move(run)});
    }
};

#define LUMBRA_BENCHMARK(id, name, description)                                   \
    static int id(::lumbra::bench::Report& report);                              \
    static ::lumbra::bench::Registration id##Registration(name, description, id); \
    static int id(::lumbra::bench::Report& report)

// Seconds one call of f takes.
template <class F>
double Seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The median of n timings of f.
double Median(int n, const std::function<void()>& f);

}  // namespace lumbra::bench
