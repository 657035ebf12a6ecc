#include "fakes/FakeMainWindow.h"

#include <algorithm>
#include <cmath>

namespace lumbra::fakes {
namespace {

int Pixels(float twips, float tpp) { return static_cast<int>(std::floor(static_cast<double>(twips) / tpp + 0.5)); }

}  // namespace

FakeMainWindow::FakeMainWindow(float twipsPerPixelX, float twipsPerPixelY, CallLog* log)
    : tppX_(twipsPerPixelX), tppY_(twipsPerPixelY), log_(log), scene_(twipsPerPixelX, twipsPerPixelY) {
    px_[2] = Pixels(3915.0f, tppX_) + 16;
    px_[3] = Pixels(2955.0f, tppY_) + 39;
    PlacePanel(3840.0f, 2880.0f);
    // One monitor of 1024 x 768 pixels whose work area leaves 40 pixels for the task bar.
    workAreas_ = {{0.0f, 0.0f, 1024 * tppX_, 728 * tppY_}};
}

// Sizes below zero are none; a change of the window's size (once shown) raises a resize.
void FakeMainWindow::Set(Geometry what, float twips) {
    const auto i = static_cast<std::size_t>(what);
    const float tpp = i % 2 ? tppY_ : tppX_;
    const int before = px_[i];
    sets_.push_back({what, twips});
    px_[i] = i >= 4 ? panel_[i - 4].Request(twips, tpp) : i >= 2 ? std::max(0, Pixels(twips, tpp)) : Pixels(twips, tpp);
    if (i >= 2 && i < 4 && px_[i] != before) RaiseResize();
}

void FakeMainWindow::RaiseResize() {
    if (!shownOnce_ || minimized_ || !events_) return;
    events_->Form_Resize();
}

void FakeMainWindow::UserResize(float width, float height) {
    const int before[] = {px_[2], px_[3]};
    px_[2] = Pixels(width, tppX_);
    px_[3] = Pixels(height, tppY_);
    if (px_[2] != before[0] || px_[3] != before[1]) RaiseResize();
}

void FakeMainWindow::SetIcon(platform::AppIcon icon) {
    // Every load gives a new handle, as loading a resource picture does.
    iconHandle_ = (static_cast<std::uintptr_t>(icon) << 16) | (iconHandles_.size() + 1);
    iconHandles_[iconHandle_] = icon;
}

void FakeMainWindow::Place(float left, float top, float width, float height) {
    const float twips[] = {left, top, width, height};
    for (int i = 0; i < 4; ++i) px_[i] = Pixels(twips[i], i % 2 ? tppY_ : tppX_);
}

}  // namespace lumbra::fakes
