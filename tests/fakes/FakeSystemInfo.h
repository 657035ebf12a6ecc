#pragma once
// Facts about the program and the screen, set by the test.
#include <cmath>
#include <string>

#include "platform/SystemInfo.h"

namespace lumbra::fakes {

class FakeSystemInfo : public platform::SystemInfo {
public:
    std::string CommandLine() override { return commandLine; }
    std::string ProgramFolder() override { return programFolder; }
    platform::ScreenMetrics Screen() override { return screen; }

    // A screen of the given physical pixels, each of the given twips (1440 / DPI).
    void SetScreen(int widthPixels, int heightPixels, float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f) {
        screen = {twipsPerPixelX, twipsPerPixelY, widthPixels * twipsPerPixelX, heightPixels * twipsPerPixelY,
                  static_cast<int>(std::lround(1440.0f / twipsPerPixelX)),
                  static_cast<int>(std::lround(1440.0f / twipsPerPixelY))};
    }

    std::string commandLine;
    std::string programFolder = "C:\\Program Files\\Lumbra";
    platform::ScreenMetrics screen{15.0f, 15.0f, 1024.0f * 15.0f, 768.0f * 15.0f};
};

}  // namespace lumbra::fakes
