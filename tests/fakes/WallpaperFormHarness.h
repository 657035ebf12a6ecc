#pragma once
// frmMain with just enough of a window, stores and system around it to compose the miniature and
// answer a double-click: WIN.INI's [Desktop] and [colors] and the registry's wallpaper values in
// memory, a panel with the window's two elements, and the wallpaper fakes.
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "app/frmMain.h"
#include "desktop/Composer.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::fakes {

class WallpaperProfile final : public platform::ProfileFile {
public:
    void Put(const std::string& section, const std::string& key, const std::string& value) {
        values_[{section, key}] = value;
    }
    platform::ProfileRead ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                            std::uint32_t size, std::string_view /*file*/) override {
        auto it = values_.find({std::string(section), std::string(key)});
        std::string text = it == values_.end() || it->second.empty() ? std::string(defaultValue) : it->second;
        if (size == 0) return {};
        if (text.size() > size - 1) text.resize(size - 1);
        return {static_cast<std::uint32_t>(it == values_.end() || it->second.empty() ? 0 : text.size()), text};
    }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

// One key's text values (ASCII here), under any path.
class WallpaperRegistry final : public platform::Registry {
public:
    void Put(const std::string& name, const std::string& value) { values_[name] = value; }
    std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey, std::string_view path) override {
        if (path != "Software\\Microsoft\\Internet Explorer\\Desktop\\General" || values_.empty()) return nullptr;
        return std::make_unique<Key>(values_);
    }

private:
    struct Key final : platform::RegistryKey {
        explicit Key(const std::map<std::string, std::string>& v) : values(v) {}
        platform::RegQueryResult QueryValue(std::string_view name, std::size_t) override {
            auto it = values.find(std::string(name));
            if (it == values.end()) return {platform::RegQueryResult::Status::NotFound, platform::RegType::None, {}};
            platform::RegQueryResult r{platform::RegQueryResult::Status::Ok, platform::RegType::String, {}};
            for (char c : it->second) {
                r.data.push_back(static_cast<std::uint8_t>(c));
                r.data.push_back(0);
            }
            r.data.push_back(0);
            r.data.push_back(0);
            return r;
        }
        std::map<std::string, std::string> values;
    };
    std::map<std::string, std::string> values_;
};

// The panel picDT and its elements; the rest of the window only as far as frmMain asks.
class WallpaperWindow final : public platform::MainWindowView {
public:
    explicit WallpaperWindow(float panelWidth, float panelHeight) : panelWidth_(panelWidth), panelHeight_(panelHeight) {
        scene_.Add("imgWall");
        scene_.Add("picWall");
    }
    float Left() const override { return 0.0f; }
    float Top() const override { return 0.0f; }
    float Width() const override { return panelWidth_ + 75.0f; }
    float Height() const override { return panelHeight_ + 400.0f; }
    void SetLeft(float) override {}
    void SetTop(float) override {}
    void SetWidth(float) override {}
    void SetHeight(float) override {}
    float PanelWidth() const override { return panelWidth_; }
    float PanelHeight() const override { return panelHeight_; }
    void SetPanelWidth(float twips) override { panelWidth_ = twips; }
    void SetPanelHeight(float twips) override { panelHeight_ = twips; }
    platform::Scene& Panel() override { return scene_; }
    void RefreshPanel() override { ++refreshes; }
    bool Minimised() const override { return false; }
    bool IsVisible() const override { return true; }
    void Show() override {}
    void Hide() override {}
    void SetIcon(platform::AppIcon) override {}
    std::uintptr_t IconHandle() const override { return 0; }
    std::uintptr_t Handle() const override { return kHandle; }
    void MakeTopmost() override {}
    void InstallMessageHook() override {}
    std::vector<platform::TwipsRect> MonitorWorkAreas() const override { return {}; }

    static constexpr std::uintptr_t kHandle = 0x00C0FFEE;
    int refreshes = 0;

private:
    float panelWidth_;
    float panelHeight_;
    platform::Scene scene_;
};

class WallpaperSystem final : public platform::SystemInfo {
public:
    std::string CommandLine() override { return ""; }
    std::string ProgramFolder() override { return "C:\\Lumbra"; }
    platform::ScreenMetrics Screen() override { return screen; }
    platform::ScreenMetrics screen{15.0f, 15.0f, 15360.0f, 11520.0f};
};

class WallpaperSettingsStore final : public platform::SettingsStore {
public:
    std::optional<std::string> GetSetting(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view) override {}
};

class WallpaperNotifyIcon final : public platform::NotifyIcon {
public:
    void AddIcon(std::uintptr_t, std::string_view) override {}
    void ChangeIcon(std::uintptr_t, std::string_view) override {}
    void RemoveIcon() override {}
};

// A screen of 15360 x 11520 twips (1024 x 768 at 15 twips per pixel) and a panel of 3840 x 2880.
struct WallpaperFormHarness {
    explicit WallpaperFormHarness(bool withServices = true)
        : services{environment, files, files, watch, shell},
          form(app::FormServices{settings, profile, registry, system, window, prcIcon,
                                 withServices ? &services : nullptr}) {}

    void SetWallpaper(const std::string& path, const std::string& tile, const std::string& style) {
        profile.Put("Desktop", "Wallpaper", path);
        profile.Put("Desktop", "TileWallpaper", tile);
        profile.Put("Desktop", "WallPaperStyle", style);
    }

    FakeEnvironment environment;
    FakePictureFiles files;
    FakeFolderWatch watch;
    FakeShellLauncher shell;
    desktop::WallpaperServices services;
    WallpaperSettingsStore settings;
    WallpaperProfile profile;
    WallpaperRegistry registry;
    WallpaperSystem system;
    WallpaperWindow window{3840.0f, 2880.0f};
    WallpaperNotifyIcon prcIcon;
    app::frmMain form;
};

}  // namespace lumbra::fakes
