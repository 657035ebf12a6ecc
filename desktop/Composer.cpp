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
    void Listen(std::function<void(platform::FolderEvent)>) override {}
    void Open(std::string_view) override {}
    void Close() override {}
};

class NoShell final : public platform::ShellLauncher {
public:
    void Execute(std::uintptr_t, std::string_view, std::string_view, std::string_view, std::string_view, int) override {}
};

}  // namespace

const WallpaperServices& NoWallpaperServices() {
    static NoEnvironment environment;
    static NoPictures pictures;
    static NoWatch watch;
    static NoShell shell;
    static WallpaperServices services{environment, pictures, pictures, watch, shell};
    return services;
}

Composer::Composer(WallpaperServices services, std::function<void()> fileChanged)
    : s_(services), fileChanged_(std::move(fileChanged)), cache_(services.pictures, services.files),
      watch_(services.watch, [this] { CheckFile(); }) {}

void Composer::Compose(platform::Scene& panel, const WallpaperInfo& info, const PanelMetrics& metrics) {
    platform::ImageElement* wall = panel.Find(kWallElement);
    if (wall == nullptr) wall = &panel.Add(kWallElement);
    platform::ImageElement* holder = panel.Find(kWallHolder);
    if (holder == nullptr) holder = &panel.Add(kWallHolder);
    platform::TileGrid& tiles = panel.Tiles();

    wall->SetVisible(false);
    // The previous composition's tiles go, and their picture with them.
    tiles.columns = tiles.rows = 0;
    tiles.cell.SetPicture(nullptr);

    const std::string path = ExpandWallpaperPath(info.wallpaper, s_.environment);
    Layout layout = LayoutOfMode(CompositionMode(info.wallpaperStyle, info.tileWallpaper));
    panel.SetBackColor(info.backColor);

    // picWall measures the picture; the cache hands over the copy at the shown size, decoded
    // only when the file or the needed size changed.
    PictureCache::Result picture;
    shownStamp_.reset();
    if (path == kNoWallpaper) {
        cache_.Clear();
    } else {
        shownStamp_ = s_.files.Stamp(path);
        std::string source = path;
        // Windows goes on showing its own copy of a wallpaper whose file is gone (deleted, moved,
        // on a drive that is not there).
        if (!shownStamp_) {
            std::string copy = s_.environment.ExpandVariables(kTranscodedWallpaper);
            if (s_.files.Stamp(copy)) source = std::move(copy);
        }
        picture = cache_.Get(source, [&](platform::PixelSize natural) {
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
    tilesShown = layout == Layout::Tile;
    switch (layout) {
    case Layout::Centre:
    case Layout::Fit:
    case Layout::Fill:
        wall->SetLeft((metrics.width - width) / 2.0f);
        wall->SetTop((metrics.height - height) / 2.0f);
        break;
    case Layout::Stretch:
        wall->SetLeft(0.0f);
        wall->SetTop(0.0f);
        break;
    case Layout::Tile:
        // One element describes them all: the names and places of the tiles follow from it.
        tileColumns = static_cast<std::int32_t>(std::floor(static_cast<double>(metrics.width) / width)) + 1;
        tileRows = static_cast<std::int32_t>(std::floor(static_cast<double>(metrics.height) / height)) + 1;
        tiles.prefix = kTilePrefix;
        tiles.cell = platform::ImageElement(std::string(kTilePrefix) + "0", *wall);
        tiles.cell.SetLeft(0.0f);
        tiles.cell.SetTop(0.0f);
        tiles.cell.SetStretch(true);
        tiles.cell.SetPicture(picture.picture);
        tiles.columns = tileColumns;
        tiles.rows = tileRows;
        break;
    }

    holder->SetPicture(nullptr);
    wall->SetStretch(true);
    wall->SetPicture(picture.picture);
    // The new tiles are shown together, or imgWall alone.
    (tilesShown ? tiles.cell : *wall).SetVisible(true);

    shownPath_ = path;
    watch_.Follow(path);
}

void Composer::CheckFile() {
    if (shownPath_ != kNoWallpaper && s_.files.Stamp(shownPath_) != shownStamp_ && fileChanged_) fileChanged_();
}

}  // namespace lumbra::desktop
