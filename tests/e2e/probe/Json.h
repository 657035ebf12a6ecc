#pragma once
// A minimal JSON writer for the probe's answers: objects and arrays built as text, UTF-8 out.
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace probe {

inline std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

inline std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

inline std::string Quote(std::string_view utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

inline std::string Quote(std::wstring_view text) { return Quote(std::string_view(Utf8(text))); }

// Values already rendered as JSON text.
class JsonArray {
public:
    JsonArray& Raw(std::string json) {
        if (!body_.empty()) body_ += ",";
        body_ += std::move(json);
        return *this;
    }
    JsonArray& Num(long long v) { return Raw(std::to_string(v)); }
    JsonArray& Str(std::wstring_view v) { return Raw(Quote(v)); }
    std::string Text() const { return "[" + body_ + "]"; }

private:
    std::string body_;
};

class JsonObject {
public:
    JsonObject& Raw(std::string_view key, std::string json) {
        if (!body_.empty()) body_ += ",";
        body_ += Quote(key);
        body_ += ":";
        body_ += std::move(json);
        return *this;
    }
    JsonObject& Str(std::string_view key, std::wstring_view v) { return Raw(key, Quote(v)); }
    JsonObject& Str(std::string_view key, std::string_view utf8) { return Raw(key, Quote(utf8)); }
    JsonObject& Str(std::string_view key, const char* utf8) { return Raw(key, Quote(std::string_view(utf8))); }
    JsonObject& Str(std::string_view key, const wchar_t* v) { return Raw(key, Quote(std::wstring_view(v))); }
    JsonObject& Num(std::string_view key, long long v) { return Raw(key, std::to_string(v)); }
    JsonObject& Real(std::string_view key, double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.4f", v);
        return Raw(key, buf);
    }
    JsonObject& Bool(std::string_view key, bool v) { return Raw(key, v ? "true" : "false"); }
    JsonObject& Null(std::string_view key) { return Raw(key, "null"); }
    JsonObject& Obj(std::string_view key, const JsonObject& v) { return Raw(key, v.Text()); }
    JsonObject& Arr(std::string_view key, const JsonArray& v) { return Raw(key, v.Text()); }
    std::string Text() const { return "{" + body_ + "}"; }

private:
    std::string body_;
};

}  // namespace probe
