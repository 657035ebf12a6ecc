#pragma once
// One ordered record shared by several fakes, for a test that checks an order of calls across
// interfaces that a user or a peer can see.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::fakes {

class CallLog {
public:
    void Add(std::string entry) { entries_.push_back(std::move(entry)); }
    void Clear() { entries_.clear(); }
    const std::vector<std::string>& Entries() const { return entries_; }

    // Index of the first entry equal to `entry` (or starting with `prefix`) at or after `from`, or -1.
    std::ptrdiff_t Find(std::string_view entry, std::size_t from = 0) const {
        return FindIf(from, [&](std::string_view e) { return e == entry; });
    }
    std::ptrdiff_t FindPrefix(std::string_view prefix, std::size_t from = 0) const {
        return FindIf(from, [&](std::string_view e) { return e.rfind(prefix, 0) == 0; });
    }
    // The entries that start with `prefix`, in order.
    std::vector<std::string> WithPrefix(std::string_view prefix) const;
    std::size_t Count(std::string_view entry) const {
        return static_cast<std::size_t>(std::count(entries_.begin(), entries_.end(), entry));
    }

private:
    std::ptrdiff_t FindIf(std::size_t from, const std::function<bool(std::string_view)>& match) const;
    std::vector<std::string> entries_;
};

// ASCII case folding, as Windows compares registry, profile and settings names.
std::string FoldCase(std::string_view text);

}  // namespace lumbra::fakes
