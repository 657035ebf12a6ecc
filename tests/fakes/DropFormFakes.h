#pragma once
// frmMain with inert stand-ins for everything but the file drop, so that the drop handlers can
// be driven: the window's drop menu runs whatever item a test picks while it is "open".
#include <functional>
#include <memory>

#include "app/frmMain.h"
#include "fakes/DropFakes.h"

namespace lumbra::fakes {

class DropInertSettings final : public platform::SettingsStore {
public:
    std::optional<std::string> GetSetting(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view) override {}
};

class DropInertProfile final : public platform::ProfileFile {
public:
    platform::ProfileRead ReadProfileString(std::string_view, std::string_view, std::string_view, std::uint32_t,
                                            std::string_view) override {
        return {};
    }
};

class DropInertRegistry final : public platform::Registry {
public:
    std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey, std::string_view) override { return nullptr; }
};

class DropInertSystem final : public platform::SystemInfo {
public:
    std::string CommandLine() override { return {}; }
    std::string ProgramFolder() override { return "C:\\Program Files\\Lumbra"; }
    platform::ScreenMetrics Screen() override { return {15.0f, 15.0f, 15360.0f, 11520.0f}; }
};

class DropInertIcon final : public platform::NotifyIcon {
public:
    void AddIcon(std::uintptr_t, std::string_view) override {}
    void ChangeIcon(std::uintptr_t, std::string_view) override {}
    void RemoveIcon() override {}
};

// The window: nothing but the drop menu is of interest here.
class DropMenuWindow final : public platform::MainWindowView {
public:
    int menusShown = 0;
    // What the user does while the menu is open (pick an item by calling its handler, or nothing).
    std::function<void()> whileOpen;

    void PopupDropMenu() override {
        ++menusShown;
        if (whileOpen) whileOpen();
    }

    float Left() const override { return 0; }
    float Top() const override { return 0; }
    float Width() const override { return 4000; }
    float Height() const override { return 3000; }
    void SetLeft(float) override {}
    void SetTop(float) override {}
    void SetWidth(float) override {}
    void SetHeight(float) override {}
    float PanelWidth() const override { return 3840; }
    float PanelHeight() const override { return 2880; }
    void SetPanelWidth(float) override {}
    void SetPanelHeight(float) override {}
    platform::Scene& Panel() override { return scene_; }
    void RefreshPanel() override {}
    bool Minimised() const override { return false; }
    bool IsVisible() const override { return true; }
    void Show() override {}
    void Hide() override {}
    void SetIcon(platform::AppIcon) override {}
    std::uintptr_t IconHandle() const override { return 0; }
    std::uintptr_t Handle() const override { return 0; }
    void MakeTopmost() override {}
    void InstallMessageHook() override {}
    std::vector<platform::TwipsRect> MonitorWorkAreas() const override { return {}; }

private:
    platform::Scene scene_;
};

struct DropForm {
    DropWorld world;
    DropInertSettings settings;
    DropInertProfile profile;
    DropInertRegistry registry;
    DropInertSystem system;
    DropMenuWindow window;
    DropInertIcon icon;
    app::frmMain form{app::FormServices{settings, profile, registry, system, window, icon, &world.services}};
};

}  // namespace lumbra::fakes
