#pragma once
// Facts about the program and the screen, set by the test.
#include <string>

#include "platform/SystemInfo.h"

namespace lumbra::fakes {

class FakeSystemInfo : public platform::SystemInfo {
public:
    std::string CommandLine() override { return commandLine; }
    std::string ProgramFolder() override { return programFolder; }
    platform::ScreenMetrics Screen() override { return screen; }

    // A screen of the given pixels at the given twips per pixel.
    void SetScreen(int widthPixels, int heightPixels, float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f) {
        screen.twipsPerPixelX = twipsPerPixelX;
        screen.twipsPerPixelY = twipsPerPixelY;
        screen.widthTwips = static_cast<float>(widthPixels) * twipsPerPixelX;
        screen.heightTwips = static_cast<float>(heightPixels) * twipsPerPixelY;
    }

    std::string commandLine;
    std::string programFolder = "C:\\Program Files\\Lumbra";
    platform::ScreenMetrics screen{15.0f, 15.0f, 1024.0f * 15.0f, 768.0f * 15.0f};
};

}  // namespace lumbra::fakes
