#include "platform/Scene.h"

#include <algorithm>
#include <cmath>

namespace lumbra::platform {

int TwipsToPixels(float twips, float twipsPerPixel) {
    if (!(twipsPerPixel > 0.0f) || std::isnan(twips)) return 0;
    // Far beyond any screen, and still safe to add and multiply in 32 bits.
    constexpr double kLimit = 1 << 24;
    double px = std::floor(static_cast<double>(twips) / twipsPerPixel + 0.5);
    if (px > kLimit) px = kLimit;
    if (px < -kLimit) px = -kLimit;
    return static_cast<int>(px);
}

int PanelLength::Request(float twips, float twipsPerPixel) {
    requested_ = twips;
    pixels_ = std::max(0, TwipsToPixels(twips, twipsPerPixel));
    return pixels_;
}

float PanelLength::Read(int pixels, float twipsPerPixel) const {
    if (pixels == pixels_ && pixels > 0 && requested_ > 0.0f) return requested_;
    return static_cast<float>(pixels * static_cast<double>(twipsPerPixel));
}

namespace {
float Snap(float twips, float tpp) { return static_cast<float>(TwipsToPixels(twips, tpp) * static_cast<double>(tpp)); }
}  // namespace

void ImageElement::SetLeft(float twips) { left_ = Snap(twips, tppX_); }
void ImageElement::SetTop(float twips) { top_ = Snap(twips, tppY_); }
void ImageElement::SetWidth(float twips) { width_ = std::max(0.0f, Snap(twips, tppX_)); }
void ImageElement::SetHeight(float twips) { height_ = std::max(0.0f, Snap(twips, tppY_)); }

int ImageElement::PixelLeft() const { return TwipsToPixels(left_, tppX_); }
int ImageElement::PixelTop() const { return TwipsToPixels(top_, tppY_); }
int ImageElement::PixelWidth() const { return TwipsToPixels(width_, tppX_); }
int ImageElement::PixelHeight() const { return TwipsToPixels(height_, tppY_); }

Scene::Scene(float twipsPerPixelX, float twipsPerPixelY) : tppX_(twipsPerPixelX), tppY_(twipsPerPixelY) {}

ImageElement& Scene::Add(std::string_view name) {
    Remove(name);
    auto element = std::unique_ptr<ImageElement>(new ImageElement(std::string(name), tppX_, tppY_));
    ImageElement* raw = element.get();
    raw->slot_ = order_.size();
    order_.push_back(std::move(element));
    index_.emplace(raw->Name(), raw);
    return *raw;
}

bool Scene::Remove(std::string_view name) {
    auto it = index_.find(std::string(name));
    if (it == index_.end()) return false;
    ImageElement* target = it->second;
    index_.erase(it);
    order_[target->slot_].reset();
    ++holes_;
    if (holes_ > 64 && holes_ * 2 > order_.size()) Compact();
    return true;
}

void Scene::Compact() {
    std::erase_if(order_, [](const auto& e) { return !e; });
    for (std::size_t i = 0; i < order_.size(); ++i) order_[i]->slot_ = i;
    holes_ = 0;
}

ImageElement* Scene::Find(std::string_view name) {
    auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : it->second;
}

const ImageElement* Scene::Find(std::string_view name) const {
    auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : it->second;
}

}  // namespace lumbra::platform
