#pragma once
// The main window in memory. Like a real window it takes whole pixels: every position and size
// asked for in twips is taken as the nearest whole pixel (halves away from below: 12.5 px -> 13 px,
// -87.5 px -> -87 px) and read back as that pixel count times the twips per pixel. The panel picDT
// takes whole pixels too, and reads back as the twips last set while it still has the pixels they
// made, as the real panel does (platform::PanelLength).
//
// Once the window has been shown (hidden again or not), a change of its size raises Form_Resize on
// the events sink synchronously, inside the setter, as Windows sends WM_SIZE from inside
// SetWindowPos; a resize handler that changes the size again therefore runs nested. Before the
// first showing nothing is raised; the first Show raises Form_Resize once, later ones do not.
// Nothing is raised while the window is minimised, and a change of position, of the panel alone,
// or to the size the window already has raises nothing.
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
const char* GeometryName(Geometry what);

// The window as it is created, before loading changes it: a client area of 3915 x 2955 twips
// holding picDT at 30, 30 with 3840 x 2880 twips, inside a frame of borders and caption.
struct DesignedLayout {
    int nonClientWidthPixels = 16;   // left and right border
    int nonClientHeightPixels = 39;  // caption, top and bottom border
    float clientWidth = 3915.0f;
    float clientHeight = 2955.0f;
    float panelWidth = 3840.0f;
    float panelHeight = 2880.0f;
};

class FakeMainWindow : public platform::MainWindowView {
public:
    // Requests go to `log` as "SetWidth 3390", "Show", "MakeTopmost", ...; raised events as
    // "event Form_Resize".
    explicit FakeMainWindow(float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f, CallLog* log = nullptr,
                            DesignedLayout layout = {});

    void SetEvents(platform::MainWindowEvents* events) { events_ = events; }

    // MainWindowView
    float Left() const override { return Twips(leftPx_, tppX_); }
    float Top() const override { return Twips(topPx_, tppY_); }
    float Width() const override { return Twips(widthPx_, tppX_); }
    float Height() const override { return Twips(heightPx_, tppY_); }
    void SetLeft(float twips) override { Set(Geometry::Left, twips); }
    void SetTop(float twips) override { Set(Geometry::Top, twips); }
    void SetWidth(float twips) override { Set(Geometry::Width, twips); }
    void SetHeight(float twips) override { Set(Geometry::Height, twips); }
    float PanelWidth() const override { return panelWidth_.Read(panelWidthPx_, tppX_); }
    float PanelHeight() const override { return panelHeight_.Read(panelHeightPx_, tppY_); }
    void SetPanelWidth(float twips) override { Set(Geometry::PanelWidth, twips); }
    void SetPanelHeight(float twips) override { Set(Geometry::PanelHeight, twips); }
    platform::Scene& Panel() override { return scene_; }
    void RefreshPanel() override;
    bool Minimised() const override { return minimized_; }
    bool IsVisible() const override { return visible_; }
    void Show() override;
    void Hide() override;
    void SetIcon(platform::AppIcon icon) override;
    std::uintptr_t IconHandle() const override { return iconHandle_; }
    std::uintptr_t Handle() const override { return kWindowHandle; }
    void MakeTopmost() override;
    void InstallMessageHook() override;
    std::vector<platform::TwipsRect> MonitorWorkAreas() const override { return workAreas_; }
    // The drop menu: counted, and while it is "open" whatever the test picks runs (an item's
    // handler, or nothing for a dismissed menu).
    void PopupDropMenu() override {
        ++dropMenus;
        if (whileDropMenuOpen) whileDropMenuOpen();
    }
    int dropMenus = 0;
    std::function<void()> whileDropMenuOpen;
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

    // Test controls: none of these is logged or raises an event.
    void Place(float left, float top, float width, float height);
    void PlacePanel(float width, float height);
    // As after the first showing, without its resize pass.
    void MarkShown();
    void SetMinimized(bool minimized) { minimized_ = minimized; }
    void SetMonitorWorkAreas(std::vector<platform::TwipsRect> areas) { workAreas_ = std::move(areas); }
    // The user drags the frame to a new size: taken like any size change, raising Form_Resize.
    void UserResize(float width, float height);

    int PixelLeft() const { return leftPx_; }
    int PixelTop() const { return topPx_; }
    int PixelWidth() const { return widthPx_; }
    int PixelHeight() const { return heightPx_; }
    int PanelPixelWidth() const { return panelWidthPx_; }
    int PanelPixelHeight() const { return panelHeightPx_; }

    int ResizeEvents() const { return resizeEvents_; }
    int MaxResizeDepth() const { return maxResizeDepth_; }
    int RefreshCount() const { return refreshCount_; }
    int HookInstalls() const { return hookInstalls_; }
    int TopmostRequests() const { return topmostRequests_; }
    int ShowCalls() const { return showCalls_; }
    int HideCalls() const { return hideCalls_; }
    bool EverShown() const { return shownOnce_; }

    static constexpr std::uintptr_t kWindowHandle = 0x000A0042;
    // The icon the window is created with: the coloured image, not loaded from the resources.
    static constexpr std::uintptr_t kCreationIconHandle = 0x0000C0DE;
    // Which resource icon a handle came from; nullopt for the creation icon or an unknown handle.
    std::optional<platform::AppIcon> IconOfHandle(std::uintptr_t handle) const;

    struct SetRecord {
        Geometry what;
        float requested;
        float taken;
    };
    // Every geometry request made through the view, in order.
    const std::vector<SetRecord>& Sets() const { return sets_; }
    // Called with each geometry request before it takes effect, so a test can look at the state of
    // the program at that moment.
    std::function<void(Geometry, float)> onSet;

private:
    static int Pixels(float twips, float tpp);
    static float Twips(int pixels, float tpp) { return static_cast<float>(pixels * static_cast<double>(tpp)); }
    void Set(Geometry what, float twips);
    void RaiseResize();

    float tppX_;
    float tppY_;
    CallLog* log_;
    platform::MainWindowEvents* events_ = nullptr;
    platform::Scene scene_;

    int leftPx_ = 0;
    int topPx_ = 0;
    int widthPx_ = 0;
    int heightPx_ = 0;
    int panelWidthPx_ = 0;
    int panelHeightPx_ = 0;
    platform::PanelLength panelWidth_;
    platform::PanelLength panelHeight_;
    bool visible_ = false;
    bool shownOnce_ = false;
    bool minimized_ = false;

    std::uintptr_t iconHandle_ = kCreationIconHandle;
    std::map<std::uintptr_t, platform::AppIcon> iconHandles_;
    int iconLoads_ = 0;

    std::vector<platform::TwipsRect> workAreas_;
    std::vector<SetRecord> sets_;
    int resizeEvents_ = 0;
    int resizeDepth_ = 0;
    int maxResizeDepth_ = 0;
    int refreshCount_ = 0;
    int hookInstalls_ = 0;
    int topmostRequests_ = 0;
    int showCalls_ = 0;
    int hideCalls_ = 0;
};

}  // namespace lumbra::fakes
