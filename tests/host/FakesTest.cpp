// The fakes stand in for Windows in every host test; these checks hold them to the behaviour the
// tests assume of the real calls.
#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeMainWindow.h"
#include "fakes/FakeProfileFile.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeSettingsStore.h"

namespace lumbra::fakes {
namespace {

using platform::RegQueryResult;
using platform::RegType;
using platform::RootKey;

TEST(FakeProfileFile, CountsCharactersCopiedWithoutTheNul) {
    FakeProfileFile profile;
    profile.Put("WIN.INI", "Desktop", "Wallpaper", "C:\\a.bmp");
    platform::ProfileRead read = profile.ReadProfileString("Desktop", "Wallpaper", "", 261, "WIN.INI");
    EXPECT_EQ(read.count, 8u);
    EXPECT_EQ(read.text, "C:\\a.bmp");
}

TEST(FakeProfileFile, CutsToOneLessThanTheBuffer) {
    FakeProfileFile profile;
    profile.Put("f.ini", "s", "k", "abcdef");
    platform::ProfileRead read = profile.ReadProfileString("s", "k", "", 4, "f.ini");
    EXPECT_EQ(read.count, 3u);
    EXPECT_EQ(read.text, "abc");
    EXPECT_EQ(profile.ReadProfileString("s", "k", "", 1, "f.ini").count, 0u);
}

TEST(FakeProfileFile, MissingFileSectionKeyOrEmptyValueGiveZero) {
    FakeProfileFile profile;
    profile.Put("f.ini", "s", "k", "v");
    profile.Put("f.ini", "s", "empty", "");
    EXPECT_EQ(profile.ReadProfileString("s", "k", "", 10, "other.ini").count, 0u);
    EXPECT_EQ(profile.ReadProfileString("t", "k", "", 10, "f.ini").count, 0u);
    EXPECT_EQ(profile.ReadProfileString("s", "x", "", 10, "f.ini").count, 0u);
    EXPECT_EQ(profile.ReadProfileString("s", "empty", "", 10, "f.ini").count, 0u);
}

TEST(FakeProfileFile, ComparesNamesWithoutCaseAndRecordsTheExactCall) {
    FakeProfileFile profile;
    profile.Put("WIN.INI", "Desktop", "WallPaperStyle", "2");
    EXPECT_EQ(profile.ReadProfileString("DESKTOP", "wallpaperstyle", "", 261, "win.ini").text, "2");
    ASSERT_EQ(profile.Calls().size(), 1u);
    EXPECT_EQ(profile.Calls()[0].section, "DESKTOP");
    EXPECT_EQ(profile.Calls()[0].key, "wallpaperstyle");
    EXPECT_EQ(profile.Calls()[0].size, 261u);
}

TEST(FakeProfileFile, CountsUtf16UnitsAndNeverSplitsASurrogatePair) {
    FakeProfileFile profile;
    profile.Put("f.ini", "s", "k", "壁😀");  // 1 + 2 UTF-16 units
    EXPECT_EQ(profile.ReadProfileString("s", "k", "", 10, "f.ini").count, 3u);
    platform::ProfileRead cut = profile.ReadProfileString("s", "k", "", 3, "f.ini");
    EXPECT_EQ(cut.count, 1u);
    EXPECT_EQ(cut.text, "壁");
}

TEST(FakeRegistry, StoresStringsAsUtf16WithTheirNul) {
    FakeRegistry reg;
    reg.PutString(RootKey::CurrentUser, "K", "v", "Aあ");
    auto key = reg.OpenKey(RootKey::CurrentUser, "k");
    ASSERT_NE(key, nullptr);
    RegQueryResult r = key->QueryValue("V", 1024);
    EXPECT_EQ(r.status, RegQueryResult::Status::Ok);
    EXPECT_EQ(r.type, RegType::String);
    EXPECT_EQ(r.data, (std::vector<std::uint8_t>{0x41, 0x00, 0x42, 0x30, 0x00, 0x00}));
}

TEST(FakeRegistry, DwordIsFourLittleEndianBytes) {
    FakeRegistry reg;
    reg.PutDword(RootKey::CurrentUser, "K", "d", 0x04030201u);
    RegQueryResult r = reg.OpenKey(RootKey::CurrentUser, "K")->QueryValue("d", 1024);
    EXPECT_EQ(r.type, RegType::Dword);
    EXPECT_EQ(r.data, (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(FakeRegistry, ReportsMoreDataWhenTheValueDoesNotFit) {
    FakeRegistry reg;
    reg.PutBinary(RootKey::CurrentUser, "K", "b", std::vector<std::uint8_t>(11, 'x'));
    auto key = reg.OpenKey(RootKey::CurrentUser, "K");
    EXPECT_EQ(key->QueryValue("b", 10).status, RegQueryResult::Status::MoreData);
    EXPECT_EQ(key->QueryValue("b", 11).status, RegQueryResult::Status::Ok);
    EXPECT_EQ(key->QueryValue("missing", 11).status, RegQueryResult::Status::NotFound);
}

TEST(FakeRegistry, CountsOpenedAndClosedKeysAndSeparatesRoots) {
    FakeRegistry reg;
    reg.PutString(RootKey::ClassesRoot, "A\\B", "", "x");
    EXPECT_EQ(reg.OpenKey(RootKey::CurrentUser, "A\\B"), nullptr);
    EXPECT_EQ(reg.KeysOpened(), 0);
    {
        auto parent = reg.OpenKey(RootKey::ClassesRoot, "a");  // parents exist too
        EXPECT_NE(parent, nullptr);
        EXPECT_EQ(reg.KeysOpened(), 1);
        EXPECT_EQ(reg.KeysClosed(), 0);
    }
    EXPECT_EQ(reg.KeysClosed(), 1);
    EXPECT_EQ(reg.OpenAttempts(), 2);
}

TEST(FakeSettingsStore, KeepsWritesInOrderAndReadsWithoutCase) {
    FakeSettingsStore store;
    store.SaveSetting("Lumbra", "Setting", "Left", "15");
    store.SaveSetting("Lumbra", "Setting", "Left", "30");
    EXPECT_EQ(store.GetSetting("lumbra", "SETTING", "left"), "30");
    EXPECT_EQ(store.GetSetting("Lumbra", "Setting", "Top"), std::nullopt);
    ASSERT_EQ(store.Writes().size(), 2u);
    EXPECT_EQ(store.Writes()[0].value, "15");
}

class RecordingEvents : public platform::MainWindowEvents {
public:
    explicit RecordingEvents(FakeMainWindow& w) : window(w) {}
    void Form_Resize() override {
        ++resizes;
        // A handler that changes the size again, once, as a resize handler does.
        if (resizes == 1 && bounceTo > 0.0f) window.SetWidth(bounceTo);
    }
    void Form_QueryUnload(bool&, platform::UnloadMode) override {}
    void Form_Unload(bool&) override {}
    void WindowProc(std::uint32_t, std::int32_t, std::int32_t) override {}
    void picDT_MouseUp(int, int, float, float) override {}
    void imgWall_MouseUp(int, int, float, float) override {}
    void imgWall_DblClick() override {}

    FakeMainWindow& window;
    int resizes = 0;
    float bounceTo = 0.0f;
};

TEST(FakeMainWindow, TakesWholePixelsAndReadsThemBack) {
    FakeMainWindow w(15.0f, 15.0f);
    w.SetWidth(3072.0f);  // 204.8 px
    EXPECT_EQ(w.PixelWidth(), 205);
    EXPECT_FLOAT_EQ(w.Width(), 3075.0f);
    w.SetHeight(2304.0f);  // 153.6 px
    EXPECT_EQ(w.PixelHeight(), 154);
    EXPECT_FLOAT_EQ(w.Height(), 2310.0f);
    w.SetLeft(1687.5f);  // 112.5 px
    EXPECT_FLOAT_EQ(w.Left(), 1695.0f);
    w.SetLeft(-1312.5f);  // -87.5 px
    EXPECT_FLOAT_EQ(w.Left(), -1305.0f);
    ASSERT_FALSE(w.Sets().empty());
    EXPECT_FLOAT_EQ(w.Sets().back().requested, -1312.5f);
}

TEST(FakeMainWindow, PanelTakesWholePixelsAndReadsBackTheTwipsSet) {
    FakeMainWindow w(15.0f, 15.0f);
    w.SetPanelWidth(3072.0f);   // 204.8 px
    w.SetPanelHeight(2304.0f);  // 153.6 px
    EXPECT_EQ(w.PanelPixelWidth(), 205);
    EXPECT_EQ(w.PanelPixelHeight(), 154);
    EXPECT_FLOAT_EQ(w.PanelWidth(), 3072.0f);
    EXPECT_FLOAT_EQ(w.PanelHeight(), 2304.0f);
    // The test controls set the panel the same way.
    w.PlacePanel(2272.5f, 1704.375f);  // 151.5 -> 152 px, 113.625 -> 114 px
    EXPECT_EQ(w.PanelPixelWidth(), 152);
    EXPECT_EQ(w.PanelPixelHeight(), 114);
    EXPECT_FLOAT_EQ(w.PanelWidth(), 2272.5f);
    EXPECT_FLOAT_EQ(w.PanelHeight(), 1704.375f);
    // Below zero the panel has no pixels and reads back nothing, not the request.
    w.SetPanelWidth(-165.0f);
    EXPECT_EQ(w.PanelPixelWidth(), 0);
    EXPECT_FLOAT_EQ(w.PanelWidth(), 0.0f);
}

TEST(FakeMainWindow, RaisesResizeOnlyOnceShownAndOnlyForSizeChanges) {
    FakeMainWindow w(15.0f, 15.0f);
    RecordingEvents events(w);
    w.SetEvents(&events);
    w.SetWidth(3000.0f);
    EXPECT_EQ(events.resizes, 0);  // never shown yet
    w.Show();
    EXPECT_EQ(events.resizes, 1);  // the first showing
    w.Hide();
    w.Show();
    EXPECT_EQ(events.resizes, 1);  // showing again is no size change
    w.SetLeft(150.0f);
    w.SetPanelWidth(1500.0f);
    w.SetWidth(3007.0f);  // still 200 px
    EXPECT_EQ(events.resizes, 1);
    w.SetWidth(3015.0f);
    EXPECT_EQ(events.resizes, 2);
    w.SetMinimized(true);
    w.SetWidth(4500.0f);
    EXPECT_EQ(events.resizes, 2);
}

TEST(FakeMainWindow, ASizeChangeInsideTheHandlerRunsNested) {
    FakeMainWindow w(15.0f, 15.0f);
    RecordingEvents events(w);
    w.SetEvents(&events);
    w.MarkShown();
    events.bounceTo = 4500.0f;
    w.UserResize(3000.0f, 3000.0f);
    EXPECT_EQ(events.resizes, 2);
    EXPECT_EQ(w.MaxResizeDepth(), 2);
    EXPECT_FLOAT_EQ(w.Width(), 4500.0f);
}

TEST(FakeMainWindow, EachIconLoadGivesANewHandle) {
    FakeMainWindow w;
    EXPECT_EQ(w.IconHandle(), FakeMainWindow::kCreationIconHandle);
    w.SetIcon(platform::AppIcon::Grey);
    const std::uintptr_t grey = w.IconHandle();
    w.SetIcon(platform::AppIcon::Grey);
    EXPECT_NE(w.IconHandle(), grey);
    EXPECT_EQ(w.IconOfHandle(grey), platform::AppIcon::Grey);
    EXPECT_EQ(w.IconOfHandle(FakeMainWindow::kCreationIconHandle), std::nullopt);
}

}  // namespace
}  // namespace lumbra::fakes
