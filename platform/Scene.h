#pragma once
// The element model of the picture panel: a background colour, named image elements and a grid
// of tiles, kept between compositions and painted by the window. Positions and sizes are twips;
// like the window system's own elements, each takes whole screen pixels, so reading a value back
// gives the size the element actually took.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::platform {

// A colour as the window system stores it: 0x00BBGGRR, or 0x800000nn for system colour nn.
using OleColor = std::int32_t;
inline constexpr OleColor kSystemDesktopColor = static_cast<OleColor>(0x80000001u);

// A decoded picture, owned by the platform that drew it.
class Picture {
public:
    virtual ~Picture() = default;
    virtual int PixelWidth() const = 0;
    virtual int PixelHeight() const = 0;
};
using PictureRef = std::shared_ptr<const Picture>;

class ImageElement {
public:
    ImageElement(std::string name, float twipsPerPixelX, float twipsPerPixelY)
        : name_(std::move(name)), tppX_(twipsPerPixelX), tppY_(twipsPerPixelY) {}
    // A copy of `like` under another name.
    ImageElement(std::string name, const ImageElement& like) : ImageElement(like) { name_ = std::move(name); }

    const std::string& Name() const { return name_; }
    float Left() const { return left_; }
    float Top() const { return top_; }
    float Width() const { return width_; }
    float Height() const { return height_; }
    bool Visible() const { return visible_; }
    bool Stretch() const { return stretch_; }
    const PictureRef& Picture() const { return picture_; }

    void SetLeft(float twips);
    void SetTop(float twips);
    void SetWidth(float twips);
    void SetHeight(float twips);
    void SetVisible(bool visible) { visible_ = visible; }
    void SetStretch(bool stretch) { stretch_ = stretch; }
    void SetPicture(PictureRef picture) { picture_ = std::move(picture); }

    // Geometry in whole pixels of the panel.
    int PixelLeft() const;
    int PixelTop() const;
    int PixelWidth() const;
    int PixelHeight() const;

private:
    std::string name_;
    float tppX_;
    float tppY_;
    float left_ = 0.0f;
    float top_ = 0.0f;
    float width_ = 0.0f;
    float height_ = 0.0f;
    bool visible_ = false;
    bool stretch_ = false;
    PictureRef picture_;
};

// One picture repeated in columns and rows, described once: the tile of index i (row by row)
// is named prefix + i and stands at its column and row times the cell's size from the cell's
// place. A tile exists only when it is asked for, so a million of them cost no more than one.
struct TileGrid {
    std::string prefix;
    ImageElement cell;  // the first tile: size, place, picture, visibility and stretching of all
    std::int32_t columns = 0;
    std::int32_t rows = 0;

    std::size_t Count() const;
    // The tile of that index, or nothing beyond the last.
    std::optional<ImageElement> Tile(std::size_t index) const;
    // The tile of that name ("imgTile" and the index in decimal without leading zeros).
    std::optional<ImageElement> Find(std::string_view name) const;
};

class Scene {
public:
    explicit Scene(float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f);

    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color) { backColor_ = color; }

    // A new hidden element at the top of the painting order, in place of one of the same name.
    ImageElement& Add(std::string_view name);
    // False when no element has that name.
    bool Remove(std::string_view name);
    ImageElement* Find(std::string_view name);
    const ImageElement* Find(std::string_view name) const;
    std::size_t Count() const { return elements_.size(); }

    // Elements in painting order, bottom first.
    template <class Visit>
    void ForEach(Visit&& visit) const {
        for (const auto& e : elements_) visit(*e);
    }

    // The tiles, painted above the elements; none while its count is 0.
    TileGrid& Tiles() { return tiles_; }
    const TileGrid& Tiles() const { return tiles_; }

    float TwipsPerPixelX() const { return tppX_; }
    float TwipsPerPixelY() const { return tppY_; }

private:
    float tppX_;
    float tppY_;
    OleColor backColor_ = kSystemDesktopColor;
    std::vector<std::unique_ptr<ImageElement>> elements_;
    TileGrid tiles_;
};

// Twips to whole pixels the way window elements take them: to the nearest pixel, clamped to a
// range the window system can hold.
int TwipsToPixels(float twips, float twipsPerPixel);

// A length of the picture panel as the program set it. The panel takes whole pixels; read back,
// the length is the twips as set for as long as the panel still has the pixels they made. The
// resize handling takes the picture's proportions from the panel at every pass: read back as
// bare pixels, each pass would round them once more and a slow drag of the frame would bend the
// proportions step by step.
class PanelLength {
public:
    // Remembers the request; returns the whole pixels the panel is to take.
    int Request(float twips, float twipsPerPixel);
    // The length in twips, given the pixels the panel has now.
    float Read(int pixels, float twipsPerPixel) const;

private:
    float requested_ = 0.0f;
    int pixels_ = -1;
};

}  // namespace lumbra::platform
