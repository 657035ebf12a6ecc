#include "desktop/PictureCache.h"

#include <algorithm>
#include <cmath>

namespace lumbra::desktop {
namespace {

// The master serves a shown size when it holds at least as many pixels in each direction, or
// all the picture has.
bool Covers(platform::PixelSize master, platform::PixelSize shown, platform::PixelSize natural) {
    return master.width >= std::min(shown.width, natural.width) &&
           master.height >= std::min(shown.height, natural.height);
}

}  // namespace

platform::PixelSize CappedCopySize(platform::PixelSize shown) {
    if (shown.Empty()) return {};
    const double pixels = static_cast<double>(shown.width) * shown.height;
    if (pixels <= static_cast<double>(PictureCache::kMaxCopyPixels)) return shown;
    const double most = static_cast<double>(PictureCache::kMaxCopyPixels);
    const double k = std::sqrt(most / pixels);
    // A side that the proportions would leave without a pixel keeps one, and the other side then
    // takes only what the cap leaves it.
    const int height = std::max(1, static_cast<int>(shown.height * k));
    const int width = std::max(1, static_cast<int>(std::min(shown.width * k, most / height)));
    return {width, std::min(height, static_cast<int>(most / width))};
}

platform::PixelSize MasterSize(platform::PixelSize shown, platform::PixelSize natural) {
    if (shown.Empty() || natural.Empty()) return {};
    const double k = std::max(static_cast<double>(shown.width) / natural.width,
                              static_cast<double>(shown.height) / natural.height) *
                     PictureCache::kHeadroom;
    if (k >= 1.0) return natural;
    platform::PixelSize master{static_cast<int>(std::lround(natural.width * k)),
                               static_cast<int>(std::lround(natural.height * k))};
    master.width = std::clamp(master.width, std::min(shown.width, natural.width), natural.width);
    master.height = std::clamp(master.height, std::min(shown.height, natural.height), natural.height);
    const platform::PixelSize capped = CappedCopySize(master);
    // The cap may not take the master below what it must cover.
    return Covers(capped, shown, natural) ? capped : master;
}

PictureCache::PictureCache(platform::PictureLoader& loader, platform::FileFacts& files)
    : loader_(loader), files_(files) {}

void PictureCache::Clear() { entry_.reset(); }

void PictureCache::Decode(const SizeFor& sizeFor) {
    Entry& e = *entry_;
    // The old copies go before the new one is made.
    e.master.reset();
    e.shown.reset();
    e.masterSize = {};
    e.shownSize = {};
    ++decodes_;
    platform::LoadedPicture loaded = loader_.Load(e.path, [&](platform::PixelSize natural) {
        return MasterSize(CappedCopySize(sizeFor(natural)), natural);
    });
    e.status = loaded.status;
    e.natural = loaded.natural;
    if (loaded.status == platform::PictureStatus::Ok && loaded.picture) {
        e.master = std::move(loaded.picture);
        e.masterSize = {e.master->PixelWidth(), e.master->PixelHeight()};
    } else if (loaded.status == platform::PictureStatus::Ok) {
        e.status = platform::PictureStatus::NotAPicture;
    }
}

PictureCache::Result PictureCache::Get(std::string_view path, const SizeFor& sizeFor) {
    const std::optional<platform::FileStamp> stamp = files_.Stamp(path);
    if (!entry_ || entry_->path != path || entry_->stamp != stamp) {
        entry_.reset();  // the previous file's copies are freed before anything is decoded
        entry_.emplace();
        entry_->path = std::string(path);
        entry_->stamp = stamp;
        if (!stamp) return {platform::PictureStatus::Unreadable, {}, nullptr};
        Decode(sizeFor);
    }
    Entry& e = *entry_;
    const bool knownPicture = e.status == platform::PictureStatus::Ok || e.status == platform::PictureStatus::Refused;
    if (!knownPicture) return {e.status, {}, nullptr};

    const platform::PixelSize shown = CappedCopySize(sizeFor(e.natural));
    if (shown.Empty()) return {platform::PictureStatus::Refused, e.natural, nullptr};
    if (e.shown && e.shownSize == shown) return {platform::PictureStatus::Ok, e.natural, e.shown};

    if (!e.master || !Covers(e.masterSize, shown, e.natural)) {
        Decode(sizeFor);
        if (e.status != platform::PictureStatus::Ok) return {e.status, {}, nullptr};
    }
    if (e.masterSize == shown) {
        e.shown = e.master;
    } else {
        e.shown.reset();  // the old copy goes before the new one is made
        e.shown = loader_.Scale(e.master, shown);
        if (!e.shown) return {platform::PictureStatus::NotAPicture, e.natural, nullptr};
    }
    e.shownSize = shown;
    return {platform::PictureStatus::Ok, e.natural, e.shown};
}

}  // namespace lumbra::desktop
