#include "fakes/FakeMainWindow.h"

#include <cmath>
#include <string>

namespace lumbra::fakes {

const char* GeometryName(Geometry what) {
    switch (what) {
    case Geometry::Left: return "SetLeft";
    case Geometry::Top: return "SetTop";
    case Geometry::Width: return "SetWidth";
    case Geometry::Height: return "SetHeight";
    case Geometry::PanelWidth: return "SetPanelWidth";
    case Geometry::PanelHeight: return "SetPanelHeight";
    }
    return "?";
}

FakeMainWindow::FakeMainWindow(float twipsPerPixelX, float twipsPerPixelY, CallLog* log, DesignedLayout layout)
    : tppX_(twipsPerPixelX), tppY_(twipsPerPixelY), log_(log), scene_(twipsPerPixelX, twipsPerPixelY) {
    widthPx_ = Pixels(layout.clientWidth, tppX_) + layout.nonClientWidthPixels;
    heightPx_ = Pixels(layout.clientHeight, tppY_) + layout.nonClientHeightPixels;
    panelWidthPx_ = panelWidth_.Request(layout.panelWidth, tppX_);
    panelHeightPx_ = panelHeight_.Request(layout.panelHeight, tppY_);
    // One monitor of 1024 x 768 pixels whose work area leaves 40 pixels for the task bar.
    workAreas_ = {{0.0f, 0.0f, Twips(1024, tppX_), Twips(728, tppY_)}};
}

int FakeMainWindow::Pixels(float twips, float tpp) {
    return static_cast<int>(std::floor(static_cast<double>(twips) / static_cast<double>(tpp) + 0.5));
}

void FakeMainWindow::Set(Geometry what, float twips) {
    if (onSet) onSet(what, twips);
    if (log_) log_->Add(std::string(GeometryName(what)) + " " + FloatText(twips));
    const bool horizontal = what == Geometry::Left || what == Geometry::Width || what == Geometry::PanelWidth;
    int px = Pixels(twips, horizontal ? tppX_ : tppY_);
    if ((what == Geometry::Width || what == Geometry::Height || what == Geometry::PanelWidth ||
         what == Geometry::PanelHeight) && px < 0) {
        px = 0;
    }
    bool sizeChanged = false;
    switch (what) {
    case Geometry::Left: leftPx_ = px; break;
    case Geometry::Top: topPx_ = px; break;
    case Geometry::Width: sizeChanged = px != widthPx_; widthPx_ = px; break;
    case Geometry::Height: sizeChanged = px != heightPx_; heightPx_ = px; break;
    case Geometry::PanelWidth: panelWidthPx_ = panelWidth_.Request(twips, tppX_); break;
    case Geometry::PanelHeight: panelHeightPx_ = panelHeight_.Request(twips, tppY_); break;
    }
    sets_.push_back({what, twips, Twips(px, horizontal ? tppX_ : tppY_)});
    if (sizeChanged && shownOnce_ && !minimized_) RaiseResize();
}

void FakeMainWindow::RaiseResize() {
    ++resizeEvents_;
    if (log_) log_->Add("event Form_Resize");
    if (!events_) return;
    ++resizeDepth_;
    if (resizeDepth_ > maxResizeDepth_) maxResizeDepth_ = resizeDepth_;
    events_->Form_Resize();
    --resizeDepth_;
}

void FakeMainWindow::RefreshPanel() {
    ++refreshCount_;
    if (log_) log_->Add("RefreshPanel");
}

void FakeMainWindow::Show() {
    ++showCalls_;
    if (log_) log_->Add("Show");
    visible_ = true;
    if (!shownOnce_) {
        shownOnce_ = true;
        if (!minimized_) RaiseResize();
    }
}

void FakeMainWindow::Hide() {
    ++hideCalls_;
    if (log_) log_->Add("Hide");
    visible_ = false;
}

void FakeMainWindow::SetIcon(platform::AppIcon icon) {
    // Every load gives a new handle, as loading a resource picture does.
    ++iconLoads_;
    iconHandle_ = (static_cast<std::uintptr_t>(icon) << 16) | static_cast<std::uintptr_t>(iconLoads_);
    iconHandles_[iconHandle_] = icon;
    if (log_) log_->Add("SetIcon " + std::to_string(static_cast<int>(icon)));
}

std::optional<platform::AppIcon> FakeMainWindow::IconOfHandle(std::uintptr_t handle) const {
    auto it = iconHandles_.find(handle);
    if (it == iconHandles_.end()) return std::nullopt;
    return it->second;
}

void FakeMainWindow::MakeTopmost() {
    ++topmostRequests_;
    if (log_) log_->Add("MakeTopmost");
}

void FakeMainWindow::InstallMessageHook() {
    ++hookInstalls_;
    if (log_) log_->Add("InstallMessageHook");
}

void FakeMainWindow::Place(float left, float top, float width, float height) {
    leftPx_ = Pixels(left, tppX_);
    topPx_ = Pixels(top, tppY_);
    widthPx_ = Pixels(width, tppX_);
    heightPx_ = Pixels(height, tppY_);
}

void FakeMainWindow::PlacePanel(float width, float height) {
    panelWidthPx_ = panelWidth_.Request(width, tppX_);
    panelHeightPx_ = panelHeight_.Request(height, tppY_);
}

void FakeMainWindow::MarkShown() {
    shownOnce_ = true;
    visible_ = true;
}

void FakeMainWindow::UserResize(float width, float height) {
    const int w = Pixels(width, tppX_);
    const int h = Pixels(height, tppY_);
    const bool changed = w != widthPx_ || h != heightPx_;
    widthPx_ = w;
    heightPx_ = h;
    if (changed && shownOnce_ && !minimized_) RaiseResize();
}

}  // namespace lumbra::fakes
