#pragma once
// The main window in memory. Like a real window it takes whole pixels (the nearest; halves go
// up) and reads them back as pixels times the twips per pixel; the panel picDT reads back the
// twips last set while it keeps the pixels they made (platform::PanelLength).
//
// Once shown, a change of the window's size raises Form_Resize synchronously, inside the setter,
// as Windows sends WM_SIZE from inside SetWindowPos, so a handler that resizes runs nested. The
// first Show raises it once; nothing is raised before, while minimised, or for a position.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "fakes/CallLog.h"
#include "platform/MainWindow.h"
#include "platform/Scene.h"

namespace lumbra::fakes {

enum class Geometry { Left, Top, Width, Height, PanelWidth, PanelHeight };

class FakeMainWindow : public platform::MainWindowView {
public:
    // Twips per physical pixel. Created as designed: a client area of 3915 x 2955 twips inside
    // 16 x 39 px of borders and caption, picDT 3840 x 2880 twips. MakeTopmost goes to `log`.
    explicit FakeMainWindow(float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f, CallLog* log = nullptr);
    void SetEvents(platform::MainWindowEvents* events) { events_ = events; }

    float Left() const override { return Twips(0); }
    float Top() const override { return Twips(1); }
    float Width() const override { return Twips(2); }
    float Height() const override { return Twips(3); }
    void SetLeft(float twips) override { Set(Geometry::Left, twips); }
    void SetTop(float twips) override { Set(Geometry::Top, twips); }
    void SetWidth(float twips) override { Set(Geometry::Width, twips); }
    void SetHeight(float twips) override { Set(Geometry::Height, twips); }
    float PanelWidth() const override { return panel_[0].Read(px_[4], tppX_); }
    float PanelHeight() const override { return panel_[1].Read(px_[5], tppY_); }
    void SetPanelWidth(float twips) override { Set(Geometry::PanelWidth, twips); }
    void SetPanelHeight(float twips) override { Set(Geometry::PanelHeight, twips); }
    platform::Scene& Panel() override { return scene_; }
    void RefreshPanel() override { ++refreshCount_; }
    bool Minimised() const override { return minimized_; }
    bool IsVisible() const override { return visible_; }
    void Show() override { visible_ = true; if (!std::exchange(shownOnce_, true)) RaiseResize(); }
    void Hide() override { visible_ = false; }
    void SetIcon(platform::AppIcon icon) override;
    std::uintptr_t IconHandle() const override { return iconHandle_; }
    std::uintptr_t Handle() const override { return kWindowHandle; }
    void MakeTopmost() override {
        if (log_) log_->Add("MakeTopmost");
        ++topmostRequests_;
    }
    void InstallMessageHook() override { ++hookInstalls_; }
    std::vector<platform::TwipsRect> MonitorWorkAreas() const override { return workAreas_; }
    // Counted; while "open" it runs whatever the test picks (an item's handler, or nothing).
    void PopupDropMenu() override { ++dropMenus; if (whileDropMenuOpen) whileDropMenuOpen(); }
    int dropMenus = 0;
    std::function<void()> whileDropMenuOpen;
    // What each drop came to, as told to the drag source.
    void EndDrop(platform::DropOutcome outcome) override { ended.push_back(outcome); }
    std::vector<platform::DropOutcome> ended;
    // The icon's menu likewise, keeping the check marks of each showing.
    void PopupIconMenu(bool shown, bool startsWithWindows) override {
        iconMenus.push_back({shown, startsWithWindows});
        if (whileIconMenuOpen) whileIconMenuOpen();
    }
    std::vector<std::pair<bool, bool>> iconMenus;
    std::function<void()> whileIconMenuOpen;
    void BringToFront() override { minimized_ = false; }
    // As the close button, the unload events at once.
    void Close() override {
        bool cancel = false;
        if (events_) events_->Form_Unload(cancel);
    }

    // Test controls: not logged, raising nothing but where said.
    void Place(float left, float top, float width, float height);
    void PlacePanel(float width, float height) {
        px_[4] = panel_[0].Request(width, tppX_);
        px_[5] = panel_[1].Request(height, tppY_);
    }
    void MarkShown() { shownOnce_ = visible_ = true; }  // as after the first showing, without its pass
    void SetMinimized(bool minimized) { minimized_ = minimized; }
    void SetMonitorWorkAreas(std::vector<platform::TwipsRect> areas) { workAreas_ = std::move(areas); }
    // The user drags the frame to a new size: raises Form_Resize like any size change.
    void UserResize(float width, float height);

    // The window's left, top, width and height and picDT's width and height, in physical pixels.
    std::vector<int> PixelGeometry() const { return {px_, px_ + 6}; }
    int RefreshCount() const { return refreshCount_; }
    int HookInstalls() const { return hookInstalls_; }
    int TopmostRequests() const { return topmostRequests_; }

    static constexpr std::uintptr_t kWindowHandle = 0x000A0042;
    // The icon the window is created with, not loaded from the resources.
    static constexpr std::uintptr_t kCreationIconHandle = 0x0000C0DE;
    // Which resource icon a handle came from; nullopt for the creation icon or an unknown handle.
    std::optional<platform::AppIcon> IconOfHandle(std::uintptr_t handle) const {
        return iconHandles_.count(handle) ? std::optional(iconHandles_.at(handle)) : std::nullopt;
    }

    struct SetRecord { Geometry what; float requested; };
    // Every geometry request made through the view, in order.
    const std::vector<SetRecord>& Sets() const { return sets_; }

private:
    float Twips(int i) const { return static_cast<float>(px_[i] * static_cast<double>(i % 2 ? tppY_ : tppX_)); }
    void Set(Geometry what, float twips);
    void RaiseResize();

    float tppX_, tppY_;
    CallLog* log_;
    platform::MainWindowEvents* events_ = nullptr;
    platform::Scene scene_;
    int px_[6] = {};  // left, top, width, height, panel width, panel height
    platform::PanelLength panel_[2];
    bool visible_ = false, shownOnce_ = false, minimized_ = false;
    std::uintptr_t iconHandle_ = kCreationIconHandle;
    std::map<std::uintptr_t, platform::AppIcon> iconHandles_;
    std::vector<platform::TwipsRect> workAreas_;
    std::vector<SetRecord> sets_;
    int refreshCount_ = 0, hookInstalls_ = 0, topmostRequests_ = 0;
};

}  // namespace lumbra::fakes
