#include "platform/Scene.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace lumbra::platform {

int TwipsToPixels(float twips, float twipsPerPixel) {
    if (!(twipsPerPixel > 0.0f) || std::isnan(twips)) return 0;
    // Far beyond any screen, and still safe to add and multiply in 32 bits.
    constexpr double kLimit = 1 << 24;
    return static_cast<int>(std::clamp(std::floor(static_cast<double>(twips) / twipsPerPixel + 0.5), -kLimit, kLimit));
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

std::size_t TileGrid::Count() const {
    return columns > 0 && rows > 0 ? static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) : 0;
}

std::optional<ImageElement> TileGrid::Tile(std::size_t index) const {
    if (index >= Count()) return std::nullopt;
    const std::size_t column = index % static_cast<std::size_t>(columns);
    const std::size_t row = index / static_cast<std::size_t>(columns);
    ImageElement tile(prefix + std::to_string(index), cell);
    tile.SetLeft(cell.Left() + cell.Width() * static_cast<float>(column));
    tile.SetTop(cell.Top() + cell.Height() * static_cast<float>(row));
    return tile;
}

std::optional<ImageElement> TileGrid::Find(std::string_view name) const {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
    // One name for each tile: "imgTile07" is none of them.
    if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
    std::size_t index = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return Tile(index);
}

Scene::Scene(float twipsPerPixelX, float twipsPerPixelY)
    : tppX_(twipsPerPixelX), tppY_(twipsPerPixelY), tiles_{"", ImageElement("", twipsPerPixelX, twipsPerPixelY)} {}

ImageElement& Scene::Add(std::string_view name) {
    Remove(name);
    elements_.push_back(std::make_unique<ImageElement>(std::string(name), tppX_, tppY_));
    return *elements_.back();
}

bool Scene::Remove(std::string_view name) {
    return std::erase_if(elements_, [&](const auto& e) { return e->Name() == name; }) > 0;
}

ImageElement* Scene::Find(std::string_view name) {
    auto it = std::find_if(elements_.begin(), elements_.end(), [&](const auto& e) { return e->Name() == name; });
    return it == elements_.end() ? nullptr : it->get();
}

const ImageElement* Scene::Find(std::string_view name) const { return const_cast<Scene*>(this)->Find(name); }

}  // namespace lumbra::platform
