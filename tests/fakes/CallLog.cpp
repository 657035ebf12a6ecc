#include "fakes/CallLog.h"

#include <algorithm>
#include <iterator>

namespace lumbra::fakes {

std::ptrdiff_t CallLog::FindIf(std::size_t from, const std::function<bool(std::string_view)>& match) const {
    for (std::size_t i = from; i < entries_.size(); ++i) {
        if (match(entries_[i])) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::vector<std::string> CallLog::WithPrefix(std::string_view prefix) const {
    std::vector<std::string> out;
    std::copy_if(entries_.begin(), entries_.end(), std::back_inserter(out),
                 [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
    return out;
}

std::string FoldCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

}  // namespace lumbra::fakes
