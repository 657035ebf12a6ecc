#pragma once
// frmMain wired to the in-memory fakes, with the file-drop services in place, so that the drop
// handlers can be driven: the fake window's drop menu runs whatever item a test picks while it
// is "open", and it keeps what each drop came to.
#include "app/frmMain.h"
#include "fakes/CallLog.h"
#include "fakes/DropFakes.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeNotifyIcon.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/FakeSystemInfo.h"

namespace lumbra::fakes {

class DropFakeWindow final : public FakeMainWindow {
public:
    using FakeMainWindow::FakeMainWindow;
    std::vector<platform::DropOutcome> ended;
    void EndDrop(platform::DropOutcome outcome) override { ended.push_back(outcome); }
};

struct DropForm {
    DropWorld world;
    CallLog log;
    FakeSettingsStore settings{&log};
    FakeProfileFile profile;
    FakeRegistry registry;
    FakeSystemInfo system;
    DropFakeWindow window{15.0f, 15.0f, &log};
    FakeNotifyIcon icon{&log};
    app::frmMain form{app::FormServices{settings, profile, registry, system, window, icon, &world.services}};
};

}  // namespace lumbra::fakes
