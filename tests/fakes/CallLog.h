#pragma once
// One ordered record shared by several fakes, for a test that checks an order of calls across
// interfaces that a user or a peer can see.
#include <algorithm>
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

    // Index of the first entry equal to `entry` (or starting with `prefix`) at or after `from`, or -1.
    std::ptrdiff_t Find(std::string_view entry, std::size_t from = 0) const { return Index(entry, from, false); }
    std::ptrdiff_t FindPrefix(std::string_view prefix, std::size_t from = 0) const { return Index(prefix, from, true); }
    // The entries that start with `prefix`, in order.
    std::vector<std::string> WithPrefix(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const std::string& e : entries_) {
            if (e.starts_with(prefix)) out.push_back(e);
        }
        return out;
    }
    std::size_t Count(std::string_view entry) const {
        return static_cast<std::size_t>(std::count(entries_.begin(), entries_.end(), entry));
    }

private:
    std::ptrdiff_t Index(std::string_view text, std::size_t from, bool prefix) const {
        for (std::size_t i = from; i < entries_.size(); ++i) {
            if (prefix ? entries_[i].starts_with(text) : entries_[i] == text) return static_cast<std::ptrdiff_t>(i);
        }
        return -1;
    }
    std::vector<std::string> entries_;
};

// ASCII case folding, as Windows compares registry, profile and settings names.
inline std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

}  // namespace lumbra::fakes
