#include "platform/Dpi.h"

#include <cmath>

#include "platform/Scene.h"

namespace lumbra::platform {

int UsableDpi(int dpi) { return dpi > 0 ? dpi : kLogicalDpi; }

float DeviceTwipsPerPixel(int dpi) { return static_cast<float>(1440.0 / UsableDpi(dpi)); }

float PixelsToTwips(int pixels, int dpi) { return static_cast<float>(pixels * 1440.0 / UsableDpi(dpi)); }

int TwipsToDevicePixels(float twips, int dpi) { return TwipsToPixels(twips, DeviceTwipsPerPixel(dpi)); }

int LogicalPixels(int pixels, int dpi) {
    return static_cast<int>(std::floor(pixels * static_cast<double>(kLogicalDpi) / UsableDpi(dpi) + 0.5));
}

}  // namespace lumbra::platform
