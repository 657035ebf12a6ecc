#include "fakes/FakeProfileFile.h"

#include "fakes/CallLog.h"
#include "platform/Text.h"

namespace lumbra::fakes {

std::string FakeProfileFile::Id(std::string_view file, std::string_view section, std::string_view key) {
    return FoldCase(file) + '\x1F' + FoldCase(section) + '\x1F' + FoldCase(key);
}

void FakeProfileFile::Put(std::string_view file, std::string_view section, std::string_view key,
                          std::string_view value) {
    values_[Id(file, section, key)] = std::string(value);
}

void FakeProfileFile::Remove(std::string_view file, std::string_view section, std::string_view key) {
    values_.erase(Id(file, section, key));
}

platform::ProfileRead FakeProfileFile::ReadProfileString(std::string_view section, std::string_view key,
                                                         std::string_view defaultValue, std::uint32_t size,
                                                         std::string_view file) {
    calls_.push_back({std::string(section), std::string(key), std::string(defaultValue), size, std::string(file)});
    auto it = values_.find(Id(file, section, key));
    const std::u16string source = text::Utf8ToUtf16(it == values_.end() ? defaultValue : std::string_view(it->second));

    platform::ProfileRead read;
    if (size == 0) return read;
    std::size_t room = size - 1;
    std::size_t copied = source.size() < room ? source.size() : room;
    // A pair of surrogates that does not fit whole is left out rather than split.
    if (copied > 0 && copied < source.size() && source[copied - 1] >= 0xD800 && source[copied - 1] <= 0xDBFF) {
        --copied;
    }
    read.count = static_cast<std::uint32_t>(copied);
    read.text = text::Utf16ToUtf8(std::u16string_view(source).substr(0, copied));
    return read;
}

}  // namespace lumbra::fakes
