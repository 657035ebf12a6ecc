#pragma once
// Facts about the running program and the screen.
#include <string>

namespace lumbra::platform {

// The primary screen. Its twips are logical (15 to a pixel at 96 DPI, platform/Dpi.h); what the
// system draws is physical pixels, twipsPerPixel twips each.
struct ScreenMetrics {
    float twipsPerPixelX = 15.0f;  // twips per physical pixel: 1440 / the system DPI
    float twipsPerPixelY = 15.0f;
    float widthTwips = 0.0f;
    float heightTwips = 0.0f;
    int dpiX = 96;  // the system DPI
    int dpiY = 96;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // Everything after the program name, leading blanks removed.
    virtual std::string CommandLine() = 0;
    // The folder that holds the program file, without a trailing separator (unless it is a root).
    virtual std::string ProgramFolder() = 0;
    virtual ScreenMetrics Screen() = 0;
};

}  // namespace lumbra::platform
