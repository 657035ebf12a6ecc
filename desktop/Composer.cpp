#include "desktop/Composer.h"

#include <cmath>
#include <utility>

namespace lumbra::desktop {
namespace {

class NoEnvironment final : public platform::Environment {
public:
    std::string ExpandVariables(std::string_view text) override { return std::string(text); }
};

class NoPictures final : public platform::PictureLoader, public platform::FileFacts {
public:
    platform::LoadedPicture Load(std::string_view, const std::function<platform::PixelSize(platform::PixelSize)>&) override {
        return {};
    }
    platform::PictureRef Scale(const platform::PictureRef&, platform::PixelSize) override { return nullptr; }
    std::optional<platform::FileStamp> Stamp(std::string_view) override { return std::nullopt; }
};

class NoWatch final : public platform::FolderWatch {
public:
    bool Watch(std::string_view, std::function<void()>) override { return false; }
    void Stop() override {}
};

class NoShell final : public platform::ShellLauncher {
public:
    void Execute(std::uintptr_t, std::string_view, std::string_view, std::string_view, std::string_view, int) override {}
};

}  // namespace

std::string TileName(std::size_t index) { return std::string(kTilePrefix) + std::to_string(index); }

const WallpaperServices& NoWallpaperServices() {
    static NoEnvironment environment;
    static NoPictures pictures;
    static NoWatch watch;
    static NoShell shell;
    static WallpaperServices services{environment, pictures, pictures, watch, shell};
    return services;
}

Composer::Composer(WallpaperServices services, std::function<void()> fileChanged)
    : s_(services), fileChanged_(std::move(fileChanged)), cache_(services.pictures, services.files) {}

Composer::~Composer() {
    // The watch's callback refers to this object.
    if (watching_) s_.watch.Stop();
}

std::vector<platform::ImageElement*> Composer::TakeTiles(platform::Scene& panel) {
    std::vector<platform::ImageElement*> standing;
    if (!tilesShown) return standing;
    if (&panel == tilesScene_) standing = std::move(tileImages);
    tileImages.assign(1, nullptr);
    if (standing.empty()) {
        const std::int64_t count = static_cast<std::int64_t>(tileColumns) * tileRows;
        for (std::int64_t i = 0; i < count; ++i) panel.Remove(TileName(static_cast<std::size_t>(i)));
    }
    return standing;
}

void Composer::RemoveTiles(platform::Scene& panel, const std::vector<platform::ImageElement*>& standing,
                           std::size_t from) {
    for (std::size_t i = from; i < standing.size(); ++i) {
        if (standing[i] != nullptr) panel.Remove(TileName(i));
    }
}

void Composer::Compose(platform::Scene& panel, const WallpaperInfo& info, const PanelMetrics& metrics) {
    platform::ImageElement* wall = panel.Find(kWallElement);
    if (wall == nullptr) wall = &panel.Add(kWallElement);
    platform::ImageElement* holder = panel.Find(kWallHolder);
    if (holder == nullptr) holder = &panel.Add(kWallHolder);

    wall->SetVisible(false);
    // The previous composition's tiles go. Those that a tiled composition needs again under the
    // same name are taken over below instead of being destroyed and made anew: the same
    // elements, names, geometry and order result, without thousands of allocations per repaint.
    std::vector<platform::ImageElement*> standing = TakeTiles(panel);

    const std::string path = ExpandWallpaperPath(info.wallpaper, s_.environment);
    Layout layout = LayoutOfMode(CompositionMode(info.wallpaperStyle, info.tileWallpaper));
    panel.SetBackColor(info.backColor);

    // picWall measures the picture; the cache hands over the copy at the shown size, decoded
    // only when the file or the needed size changed.
    PictureCache::Result picture;
    if (path == kNoWallpaper) {
        cache_.Clear();
    } else {
        picture = cache_.Get(path, [&](platform::PixelSize natural) {
            return ShownPixels(WallSize(layout, NaturalTwips(natural, metrics.screen), metrics), metrics);
        });
    }
    const TwipsSize natural = NaturalTwips(picture.natural, metrics.screen);
    holder->SetWidth(natural.width);
    holder->SetHeight(natural.height);
    const bool hasPicture = picture.picture != nullptr;
    // Without a picture there is nothing to repeat or to scale: the colour alone shows, with
    // the empty imgWall in the middle (or over the whole panel when stretched).
    if (!hasPicture && layout != Layout::Stretch) layout = Layout::Centre;

    const TwipsSize size = WallSize(layout, natural, metrics);
    wall->SetWidth(size.width);
    wall->SetHeight(size.height);
    if (hasPicture) {
        // However small at the panel's scale, a picture keeps one pixel in each direction.
        if (wall->PixelWidth() < 1) wall->SetWidth(metrics.screen.twipsPerPixelX);
        if (wall->PixelHeight() < 1) wall->SetHeight(metrics.screen.twipsPerPixelY);
    }

    const float width = wall->Width();
    const float height = wall->Height();
    switch (layout) {
    case Layout::Centre:
    case Layout::Fit:
    case Layout::Fill:
        wall->SetLeft((metrics.width - width) / 2.0f);
        wall->SetTop((metrics.height - height) / 2.0f);
        tilesShown = false;
        break;
    case Layout::Stretch:
        wall->SetLeft(0.0f);
        wall->SetTop(0.0f);
        tilesShown = false;
        break;
    case Layout::Tile: {
        tilesShown = true;
        tileColumns = static_cast<std::int32_t>(std::floor(static_cast<double>(metrics.width) / width)) + 1;
        tileRows = static_cast<std::int32_t>(std::floor(static_cast<double>(metrics.height) / height)) + 1;
        tileImages.assign(static_cast<std::size_t>(tileColumns) * static_cast<std::size_t>(tileRows), nullptr);
        for (std::int32_t r = 0; r < tileRows; ++r) {
            for (std::int32_t c = 0; c < tileColumns; ++c) {
                const std::size_t index = static_cast<std::size_t>(r) * tileColumns + c;
                platform::ImageElement& tile = index < standing.size() && standing[index] != nullptr
                                                   ? *standing[index]
                                                   : panel.Add(TileName(index));
                tileImages[index] = &tile;
                tile.SetVisible(false);
                tile.SetStretch(true);
                tile.SetWidth(width);
                tile.SetHeight(height);
                tile.SetLeft(width * static_cast<float>(c));
                tile.SetTop(height * static_cast<float>(r));
                // Taken-over tiles mostly show the same copy already.
                if (tile.Picture() != picture.picture) tile.SetPicture(picture.picture);
            }
        }
        RemoveTiles(panel, standing, tileImages.size());
        tilesScene_ = &panel;
        break;
    }
    }
    if (!tilesShown) RemoveTiles(panel, standing, 0);

    holder->SetPicture(nullptr);
    wall->SetStretch(true);
    wall->SetPicture(picture.picture);

    if (tilesShown) {
        for (platform::ImageElement* tile : tileImages) {
            if (tile != nullptr) tile->SetVisible(true);
        }
    } else {
        wall->SetVisible(true);
    }

    shownPath_ = path;
    Follow(path);
}

void Composer::Follow(const std::string& path) {
    if (path == kNoWallpaper) {
        if (watching_) s_.watch.Stop();
        watching_ = false;
        watchedPath_.clear();
        return;
    }
    if (watching_ && path == watchedPath_) return;
    watchedPath_ = path;
    watching_ = s_.watch.Watch(path, [this] { OnFolderChanged(); });
}

void Composer::OnFolderChanged() {
    if (!watching_ || shownPath_ != watchedPath_) return;
    if (cache_.Changed(watchedPath_) && fileChanged_) fileChanged_();
}

}  // namespace lumbra::desktop
