#include "fakes/CallLog.h"

#include <charconv>

namespace lumbra::fakes {

std::ptrdiff_t CallLog::Find(std::string_view entry, std::size_t from) const {
    for (std::size_t i = from; i < entries_.size(); ++i) {
        if (entries_[i] == entry) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::ptrdiff_t CallLog::FindPrefix(std::string_view prefix, std::size_t from) const {
    for (std::size_t i = from; i < entries_.size(); ++i) {
        if (std::string_view(entries_[i]).substr(0, prefix.size()) == prefix) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::vector<std::string> CallLog::WithPrefix(std::string_view prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : entries_) {
        if (std::string_view(e).substr(0, prefix.size()) == prefix) out.push_back(e);
    }
    return out;
}

std::size_t CallLog::Count(std::string_view entry) const {
    std::size_t n = 0;
    for (const std::string& e : entries_) n += e == entry ? 1 : 0;
    return n;
}

std::string FloatText(float value) {
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}

std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace lumbra::fakes
