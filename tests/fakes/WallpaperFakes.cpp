#include "fakes/WallpaperFakes.h"

namespace lumbra::fakes {

std::string FakeEnvironment::ExpandVariables(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    for (std::size_t open = text.find('%'); open != std::string_view::npos; open = text.find('%', i)) {
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        auto found = values_.find(std::string(text.substr(open + 1, close - open - 1)));
        out.append(text.substr(i, open - i));
        if (found != values_.end()) {
            out.append(found->second);
            i = close + 1;
        } else {
            out.append(text.substr(open, close - open));  // the closing "%" may open the next
            i = close;
        }
    }
    return out.append(text.substr(i));
}

std::optional<platform::FileStamp> FakePictureFiles::Stamp(std::string_view path) {
    auto it = files_.find(std::string(path));
    if (it == files_.end()) return std::nullopt;
    return platform::FileStamp{1000, it->second.writeTime};
}

platform::LoadedPicture FakePictureFiles::Load(std::string_view path,
                                               const std::function<platform::PixelSize(platform::PixelSize)>& sizeFor) {
    ++loads;
    auto it = files_.find(std::string(path));
    if (it == files_.end()) return {platform::PictureStatus::Unreadable, {}, nullptr};
    const platform::PixelSize natural = it->second.natural;
    if (natural.Empty() || failLoads) return {platform::PictureStatus::NotAPicture, {}, nullptr};
    if (!platform::IsPlausiblePictureSize(natural)) return {platform::PictureStatus::Implausible, natural, nullptr};
    const platform::PixelSize size = sizeFor(natural);
    if (size.Empty()) return {platform::PictureStatus::Refused, natural, nullptr};
    decodedSizes.push_back(size);
    return {platform::PictureStatus::Ok, natural, std::make_shared<FakePicture>(size.width, size.height, std::string(path))};
}

platform::PictureRef FakePictureFiles::Scale(const platform::PictureRef& picture, platform::PixelSize size) {
    ++scales;
    const auto* source = dynamic_cast<const FakePicture*>(picture.get());
    if (source == nullptr || size.Empty() || failScales) return nullptr;
    return std::make_shared<FakePicture>(size.width, size.height, source->source);
}

}  // namespace lumbra::fakes
