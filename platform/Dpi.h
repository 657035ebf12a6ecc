#pragma once
// Display scaling. The window's twips are those of a 96-DPI screen: 15 to a logical pixel at
// every scaling, so sizes and stored geometry mean the same on any display. The window system
// counts physical pixels at the system DPI; these convert where values cross into or out of it.
namespace lumbra::platform {

// Twips per logical pixel, a pixel at 96 DPI.
inline constexpr float kTwipsPerPixel = 15.0f;
inline constexpr int kLogicalDpi = 96;

// The DPI as given, or 96 where the system could not tell (0 or less).
int UsableDpi(int dpi);
// Twips per physical pixel: 1440 / DPI (15 at 96 DPI, 10 at 144).
float DeviceTwipsPerPixel(int dpi);
// A length or position in physical pixels, in twips.
float PixelsToTwips(int pixels, int dpi);
// Twips to the nearest physical pixel, clamped like TwipsToPixels.
int TwipsToDevicePixels(float twips, int dpi);
// A physical screen coordinate in whole logical pixels, to the nearest (halves upwards).
int LogicalPixels(int pixels, int dpi);

}  // namespace lumbra::platform
