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

std::u16string WidenForFake(std::string_view utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        std::size_t n;
        if (b < 0x80) { cp = b; n = 1; }
        else if (b < 0xE0) { cp = b & 0x1F; n = 2; }
        else if (b < 0xF0) { cp = b & 0x0F; n = 3; }
        else { cp = b & 0x07; n = 4; }
        for (std::size_t k = 1; k < n && i + k < utf8.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += n;
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string NarrowForFake(std::u16string_view utf16) {
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size()) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace lumbra::fakes
