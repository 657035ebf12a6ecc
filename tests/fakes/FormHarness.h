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
#include "fakes/FakeStartupRun.h"
#include "fakes/FakeSystemInfo.h"

namespace lumbra::fakes {

// A 1024 x 768 screen of physical pixels of the given twips each (1440 / DPI), whose one
// monitor's work area leaves 40 pixels at the bottom for the task bar; without `withRunList` the
// form has no list of programs started with Windows.
struct FormHarness {
    // With the file-drop services, the drop menu's commands run against them.
    explicit FormHarness(float twipsPerPixelX = 15.0f, float twipsPerPixelY = 15.0f, bool withRunList = true,
                         const drop::DropServices* fileDrop = nullptr)
        : window(twipsPerPixelX, twipsPerPixelY, &log),
          form({settings, profile, registry, system, window, prcIcon, fileDrop, nullptr, nullptr,
                withRunList ? &run : nullptr}) {
        system.SetScreen(1024, 768, twipsPerPixelX, twipsPerPixelY);
        window.SetEvents(&form);
    }

    // Shown and settled: picDT of the given size inside the frame, the default 3390 x 2970.
    void Settle(float left, float top, float panelWidth, float panelHeight, float frameWidth, float frameHeight) {
        form.frameWidth = frameWidth;
        form.frameHeight = frameHeight;
        form.defaultWidth = 3390.0f;
        form.defaultHeight = 2970.0f;
        window.Place(left, top, panelWidth + frameWidth, panelHeight + frameHeight);
        window.PlacePanel(panelWidth, panelHeight);
        window.MarkShown();
    }

    CallLog log;
    FakeSettingsStore settings{&log};
    FakeProfileFile profile;
    FakeRegistry registry;
    FakeSystemInfo system;
    FakeMainWindow window;
    FakeNotifyIcon prcIcon{&log};
    FakeStartupRun run;
    app::frmMain form;
};

// A wheel message's wParam (the rotation in the high word, key flags in the low one) and lParam
// (screen x in the low word, y in the high one).
inline std::int32_t WheelDelta(int rotation, std::uint16_t keyFlags = 0) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(rotation)) << 16) |
                                     keyFlags);
}
inline std::int32_t PointerXY(int x, int y) { return WheelDelta(y, static_cast<std::uint16_t>(x)); }

}  // namespace lumbra::fakes
