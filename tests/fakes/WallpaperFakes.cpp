#include "fakes/WallpaperFakes.h"

#include <cctype>

namespace lumbra::fakes {
namespace {

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

void FakeEnvironment::Set(const std::string& name, const std::string& value) { values_[Upper(name)] = value; }

std::string FakeEnvironment::ExpandVariables(std::string_view text) {
    requests_.emplace_back(text);
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out.push_back(text[i++]);
            continue;
        }
        const std::size_t close = text.find('%', i + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        auto found = values_.find(Upper(text.substr(i + 1, close - i - 1)));
        if (found != values_.end() && close > i + 1) {
            out.append(found->second);
            i = close + 1;
        } else {
            out.append(text.substr(i, close - i));
            i = close;
        }
    }
    return out;
}

void FakePictureFiles::PutPicture(const std::string& path, int width, int height, std::uint64_t bytes) {
    files_[path] = File{Kind::Picture, {width, height}, bytes, ++clock_};
}

void FakePictureFiles::PutDamaged(const std::string& path, std::uint64_t bytes) {
    files_[path] = File{Kind::Damaged, {}, bytes, ++clock_};
}

void FakePictureFiles::PutFolder(const std::string& path) { files_[path] = File{Kind::Folder, {}, 0, ++clock_}; }

void FakePictureFiles::Remove(const std::string& path) { files_.erase(path); }

void FakePictureFiles::Touch(const std::string& path) { files_.at(path).writeTime = ++clock_; }

void FakePictureFiles::Resize(const std::string& path, std::uint64_t bytes) { files_.at(path).bytes = bytes; }

std::optional<platform::FileStamp> FakePictureFiles::Stamp(std::string_view path) {
    auto it = files_.find(std::string(path));
    if (it == files_.end() || it->second.kind == Kind::Folder) return std::nullopt;
    return platform::FileStamp{it->second.bytes, it->second.writeTime};
}

platform::LoadedPicture FakePictureFiles::Load(std::string_view path,
                                               const std::function<platform::PixelSize(platform::PixelSize)>& sizeFor) {
    loadedPaths_.emplace_back(path);
    auto it = files_.find(std::string(path));
    if (it == files_.end() || it->second.kind == Kind::Folder) return {platform::PictureStatus::Unreadable, {}, nullptr};
    const File& file = it->second;
    if (file.kind == Kind::Damaged) return {platform::PictureStatus::NotAPicture, {}, nullptr};
    if (!platform::IsPlausiblePictureSize(file.natural)) {
        return {platform::PictureStatus::Implausible, file.natural, nullptr};
    }
    const platform::PixelSize size = sizeFor(file.natural);
    if (size.Empty()) return {platform::PictureStatus::Refused, file.natural, nullptr};
    decodedSizes_.push_back(size);
    return {platform::PictureStatus::Ok, file.natural,
            std::make_shared<FakePicture>(size.width, size.height, std::string(path), Loads())};
}

platform::PictureRef FakePictureFiles::Scale(const platform::PictureRef& picture, platform::PixelSize size) {
    ++scales_;
    const auto* source = dynamic_cast<const FakePicture*>(picture.get());
    if (source == nullptr || size.Empty()) return nullptr;
    return std::make_shared<FakePicture>(size.width, size.height, source->Source(), source->Decode());
}

bool FakeFolderWatch::Watch(std::string_view file, std::function<void()> changed) {
    ++watchCalls_;
    callback_ = nullptr;
    file_ = std::string(file);
    if (failing_) return false;
    callback_ = std::move(changed);
    return true;
}

void FakeFolderWatch::Stop() {
    ++stopCalls_;
    callback_ = nullptr;
    file_.clear();
}

void FakeFolderWatch::Fire() {
    if (!callback_) return;
    auto callback = callback_;  // the callback may re-target the watch
    callback();
}

}  // namespace lumbra::fakes
