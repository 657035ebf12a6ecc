#pragma once
// frmMain wired to in-memory fakes of everything it talks to, with one call log shared by the
// settings store, the window and the notification-area icon.
#include <cstdint>

#include "app/frmMain.h"
#include "fakes/CallLog.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeSystemInfo.h"

namespace lumbra::fakes {

struct FormHarness {
    // A screen of screenWidth x screenHeight pixels; its one monitor's work area leaves 40 pixels
    // at the bottom for the task bar.
    explicit FormHarness(float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f, int screenWidth = 1024,
                         int screenHeight = 768, DesignedLayout layout = {})
        : window(twipsPerPixelX, twipsPerPixelY, &log, layout),
          form(app::FormServices{settings, profile, registry, system, window, prcIcon}) {
        system.SetScreen(screenWidth, screenHeight, twipsPerPixelX, twipsPerPixelY);
        window.SetMonitorWorkAreas({{0.0f, 0.0f, static_cast<float>(screenWidth * double(twipsPerPixelX)),
                                     static_cast<float>((screenHeight - 40) * double(twipsPerPixelY))}});
        window.SetEvents(&form);
    }

    CallLog log;
    FakeSettingsStore settings{&log};
    FakeProfileFile profile;
    FakeRegistry registry;
    FakeSystemInfo system;
    FakeMainWindow window;
    FakeNotifyIcon prcIcon{&log};
    app::frmMain form;
};

// The wParam of a wheel message: the rotation in the high word, key flags in the low word.
inline std::int32_t WheelDelta(int rotation, std::uint16_t keyFlags = 0) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(rotation)) << 16) |
                                     keyFlags);
}

// The lParam of a wheel message: screen x in the low word, y in the high word, both signed.
inline std::int32_t PointerXY(int x, int y) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                                     static_cast<std::uint16_t>(x));
}

}  // namespace lumbra::fakes
