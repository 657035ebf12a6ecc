#pragma once
// The element model of the picture panel: a background colour and named image elements, kept
// between compositions and painted by the window. Positions and sizes are twips; like the
// window system's own elements, each takes whole screen pixels, so reading a value back gives
// the size the element actually took.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
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

class Scene;

class ImageElement {
public:
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
    friend class Scene;
    ImageElement(std::string name, float tppX, float tppY)
        : name_(std::move(name)), tppX_(tppX), tppY_(tppY) {}

    std::string name_;
    float tppX_;
    float tppY_;
    std::size_t slot_ = 0;  // position in the scene's painting order
    float left_ = 0.0f;
    float top_ = 0.0f;
    float width_ = 0.0f;
    float height_ = 0.0f;
    bool visible_ = false;
    bool stretch_ = false;
    PictureRef picture_;
};

class Scene {
public:
    explicit Scene(float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f);

    OleColor BackColor() const { return backColor_; }
    void SetBackColor(OleColor color) { backColor_ = color; }

    // A new hidden element at the top of the painting order. An element of the same name is
    // replaced.
    ImageElement& Add(std::string_view name);
    // False when no element has that name.
    bool Remove(std::string_view name);
    ImageElement* Find(std::string_view name);
    const ImageElement* Find(std::string_view name) const;
    std::size_t Count() const { return index_.size(); }

    // Elements in painting order, bottom first.
    template <class Visit>
    void ForEach(Visit&& visit) const {
        for (const auto& e : order_) {
            if (e) visit(*e);
        }
    }

    float TwipsPerPixelX() const { return tppX_; }
    float TwipsPerPixelY() const { return tppY_; }

private:
    void Compact();

    float tppX_;
    float tppY_;
    OleColor backColor_ = kSystemDesktopColor;
    std::vector<std::unique_ptr<ImageElement>> order_;  // removed elements leave a null slot
    std::unordered_map<std::string, ImageElement*> index_;
    std::size_t holes_ = 0;
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
