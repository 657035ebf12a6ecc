// Loading the main window: the version record, the hook, the first picture, and the geometry from
// the screen and the stored settings at every display scaling.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

using fakes::FormHarness;

TEST(FormLoad, FirstStartWritesTheUpdateRecordAndNothingIsDrawnBeforeTheFirstRepaint) {
    FormHarness h;
    h.system.programFolder = "C:\\Program Files\\ルンブラ";
    h.settings.Put("Lumbra", "UpdateInfo", "CurrentVersion", "1.11.0000");
    h.form.Form_Load();
    EXPECT_EQ(h.settings.Value("Lumbra", "UpdateInfo", "ApplicationPath"), "C:\\Program Files\\ルンブラ");
    EXPECT_EQ(h.settings.Value("Lumbra", "UpdateInfo", "CurrentVersion"), "1.12.0000");
    EXPECT_EQ(FormatVersion(2, 3, 45), "2.03.0045");
    EXPECT_EQ(h.log.WithPrefix("SaveSetting ").size(), 2u) << "the geometry is written only at close";
    EXPECT_TRUE(h.window.IsVisible() && h.form.panelEnabled && !h.form.formLoading && !h.form.resizeLock);
    EXPECT_EQ(h.window.TopmostRequests(), 1);
    EXPECT_GE(h.log.Find("AddIcon 49374 LumbraPanel"), 0) << "the icon the window has";
    EXPECT_EQ(h.form.folderClsids[4] + h.form.folderApplets[3], std::string(kFolderClsids[4]) + "Inetcpl.cpl");
    EXPECT_EQ(h.window.RefreshCount(), 0);
    h.form.WindowProc(platform::kMsgPaint, 0, 0);
    EXPECT_EQ(h.window.RefreshCount(), 1);
    for (const auto& [commandLine, hooks] : std::vector<std::pair<const char*, int>>{
             {"", 1}, {"/dbg", 0}, {"/DBG", 1}, {"/dbg ", 1}, {"x /dbg", 1}}) {
        FormHarness other;
        other.system.commandLine = commandLine;
        other.form.Form_Load();
        EXPECT_EQ(other.window.HookInstalls(), hooks) << '"' << commandLine << '"';
    }
}

TEST(StoredGeometry, DecimalTextOfASingleOnAScreenReadsBackAndNothingElseDoes) {
    const std::optional<float> no;
    const std::vector<std::pair<const char*, std::optional<float>>> cases = {
        {"1500", 1500.0f}, {" 1500 ", 1500.0f}, {"\t+1500\t", 1500.0f}, {"-2906.25", -2906.25f}, {"-0", 0.0f},
        {"491505", 491505.0f}, {"-491505", -491505.0f}, {"491506", no}, {"", no}, {" ", no}, {"+", no},
        {"12abc", no}, {"1,5", no}, {"1 5", no}, {"nan", no}, {"inf", no}, {"1e39", no}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseStoredSingle(text, 15.0f), value) << '"' << text << '"';
    for (float value : {0.0f, -2906.25f, 857.142883f, 0.1f, 491505.0f}) {
        EXPECT_EQ(ParseStoredSingle(FormatSingle(value), 15.0f), value) << FormatSingle(value);
    }
    EXPECT_EQ(FormatSingle(-2906.25f), "-2906.25");
}

// A 1024 x 768 screen of physical pixels; the fake frames picDT with 16 x 39 px of borders and
// caption plus margins of 30 and 45 twips. At every scaling the default picture is a fifth of the
// screen, 205 x 154 px (3072 x 2304 twips at 96 DPI, 2048 x 1536 at 144), and a stored size keeps
// its logical size (4815 x 2970 twips: 321 x 198 px at 96 DPI, 482 x 297 at 144). Garbage is the
// key's default; a stored size goes in as stored and the first showing's pass brings it to at least
// half the default and the picture's proportions; a position on no monitor moves onto the primary.
TEST(FormLoad, GeometryFromTheScreenAndTheStoredSettingsAtEveryScaling) {
    const platform::TwipsRect primary{0, 0, 15360, 10920}, right{15360, 0, 19200, 15360}, left{-19200, 0, 19200, 15360};
    const struct {
        int dpi;
        const char* stored[4];  // left, top, width, height; nullptr: none
        std::vector<platform::TwipsRect> monitors;
        std::vector<int> pixels;  // the window and picDT
    } cases[] = {
        {96, {}, {primary}, {0, 0, 226, 198, 205, 154}},
        {144, {}, {primary}, {0, 0, 229, 201, 205, 154}},
        {120, {}, {primary}, {0, 0, 227, 199, 205, 154}},
        {96, {"1500", "nan", "x", " 2970 "}, {primary}, {100, 0, 226, 198, 205, 154}},
        {96, {nullptr, nullptr, "4815", "2970"}, {primary}, {0, 0, 321, 198, 300, 154}},  // other proportions
        {144, {nullptr, nullptr, "4815", "2970"}, {primary}, {0, 0, 482, 297, 458, 250}},
        {96, {nullptr, nullptr, "1500", "1200"}, {primary}, {0, 0, 142, 99, 121, 55}},  // wide, below half
        {96, {nullptr, nullptr, "1200", "1560"}, {primary}, {0, 0, 113, 138, 92, 94}},  // tall, below half
        {96, {nullptr, nullptr, "150", "1200"}, {primary}, {0, 0, 113, 113, 92, 69}},  // no width: the default's
        {96, {"60000", "30000", "4815", "2970"}, {primary, right}, {703, 530, 321, 198, 300, 154}},
        {96, {"-19200", "3000"}, {primary}, {0, 200, 226, 198, 205, 154}},
        {96, {"3000", "-6000"}, {primary}, {200, 0, 226, 198, 205, 154}},
        {96, {"-2670", "10560"}, {primary}, {-178, 704, 226, 198, 205, 154}},  // 48 x 24 px on the screen
        {96, {"-2685", "10575"}, {primary}, {0, 530, 226, 198, 205, 154}},     // 47 x 23 px
        {96, {"19995", "3000"}, {primary, right, left}, {1333, 200, 226, 198, 205, 154}},
        {96, {"-15000", "1500"}, {primary, left}, {-1000, 100, 226, 198, 205, 154}},
        {96, {"60000", "30000"}, {}, {4000, 2000, 226, 198, 205, 154}},  // no monitor known: as stored
    };
    for (const auto& c : cases) {
        const float tpp = 1440.0f / static_cast<float>(c.dpi);
        FormHarness h(tpp, tpp);
        h.window.SetMonitorWorkAreas(c.monitors);
        const char* keys[] = {"Left", "Top", "Width", "Height"};
        for (int k = 0; k < 4; ++k) {
            if (c.stored[k] != nullptr) h.settings.Put("Lumbra", "Setting", keys[k], c.stored[k]);
        }
        h.form.Form_Load();
        EXPECT_EQ(h.window.PixelGeometry(), c.pixels)
            << c.dpi << " DPI, " << (c.stored[0] ? c.stored[0] : "") << ", " << (c.stored[2] ? c.stored[2] : "");
    }
}

}  // namespace
}  // namespace lumbra::app
