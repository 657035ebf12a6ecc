#pragma once
// Just enough of the main window's platform for the popup menu's tests of frmMain: a window with
// settable geometry, a settings store, an empty profile file, system facts and a notification
// icon that can report what had happened when it was added.
#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "platform/MainWindow.h"
#include "platform/NotifyIcon.h"
#include "platform/Profile.h"
#include "platform/Settings.h"
#include "platform/SystemInfo.h"

namespace lumbra::fakes {

class MenuTestWindow final : public platform::MainWindowView {
public:
    float left = 0, top = 0, width = 4000, height = 3200, panelWidth = 3840, panelHeight = 2880;
    bool visible = false;
    std::uintptr_t handle = 0x1234;
    platform::Scene scene;

    float Left() const override { return left; }
    float Top() const override { return top; }
    float Width() const override { return width; }
    float Height() const override { return height; }
    void SetLeft(float v) override { left = v; }
    void SetTop(float v) override { top = v; }
    void SetWidth(float v) override { width = v; }
    void SetHeight(float v) override { height = v; }
    float PanelWidth() const override { return panelWidth; }
    float PanelHeight() const override { return panelHeight; }
    void SetPanelWidth(float v) override { panelWidth = v; }
    void SetPanelHeight(float v) override { panelHeight = v; }
    platform::Scene& Panel() override { return scene; }
    void RefreshPanel() override {}
    bool Minimised() const override { return false; }
    bool IsVisible() const override { return visible; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void SetIcon(platform::AppIcon) override {}
    std::uintptr_t IconHandle() const override { return 0x77; }
    std::uintptr_t Handle() const override { return handle; }
    void MakeTopmost() override {}
    void InstallMessageHook() override {}
    std::vector<platform::TwipsRect> MonitorWorkAreas() const override { return {}; }
};

class MenuTestSettings final : public platform::SettingsStore {
public:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
    std::optional<std::string> GetSetting(std::string_view app, std::string_view section,
                                          std::string_view key) override {
        auto found = values.find({std::string(app), std::string(section), std::string(key)});
        if (found == values.end()) return std::nullopt;
        return found->second;
    }
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override {
        values[{std::string(app), std::string(section), std::string(key)}] = std::string(value);
    }
};

class MenuTestProfile final : public platform::ProfileFile {
public:
    platform::ProfileRead ReadProfileString(std::string_view, std::string_view, std::string_view, std::uint32_t,
                                            std::string_view) override {
        return {};
    }
};

class MenuTestSystem final : public platform::SystemInfo {
public:
    std::string CommandLine() override { return ""; }
    std::string ProgramFolder() override { return "C:\\Lumbra"; }
    platform::ScreenMetrics Screen() override { return {15.0f, 15.0f, 1024 * 15.0f, 768 * 15.0f}; }
};

class MenuTestNotifyIcon final : public platform::NotifyIcon {
public:
    std::function<void()> onAdd;
    int added = 0;
    void AddIcon(std::uintptr_t, std::string_view) override {
        ++added;
        if (onAdd) onAdd();
    }
    void ChangeIcon(std::uintptr_t, std::string_view) override {}
    void RemoveIcon() override {}
};

}  // namespace lumbra::fakes
