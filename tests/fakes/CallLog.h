#pragma once
// One ordered record shared by several fakes, so that a test can check the order of calls that
// cross different interfaces (the settings store, the window, the notification-area icon).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::fakes {

class CallLog {
public:
    void Add(std::string entry) { entries_.push_back(std::move(entry)); }
    void Clear() { entries_.clear(); }
    const std::vector<std::string>& Entries() const { return entries_; }
    std::size_t Size() const { return entries_.size(); }

    // Index of the first entry equal to `entry` at or after `from`, or -1.
    std::ptrdiff_t Find(std::string_view entry, std::size_t from = 0) const;
    // Index of the first entry that starts with `prefix` at or after `from`, or -1.
    std::ptrdiff_t FindPrefix(std::string_view prefix, std::size_t from = 0) const;
    // The entries that start with `prefix`, in order.
    std::vector<std::string> WithPrefix(std::string_view prefix) const;
    std::size_t Count(std::string_view entry) const;

private:
    std::vector<std::string> entries_;
};

// Shortest text that reads back as the same float, for log entries ("1687.5", "-2910").
std::string FloatText(float value);

// ASCII case folding, as Windows compares registry, profile and settings names.
std::string FoldCase(std::string_view text);

}  // namespace lumbra::fakes
