#pragma once
// Facts about the running program and the screen.
#include <string>

namespace lumbra::platform {

struct ScreenMetrics {
    float twipsPerPixelX = 15.0f;  // 1440 / horizontal dots per inch
    float twipsPerPixelY = 15.0f;
    float widthTwips = 0.0f;       // the primary screen
    float heightTwips = 0.0f;
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
