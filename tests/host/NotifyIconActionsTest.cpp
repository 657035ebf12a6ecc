// The notification-area icon: left clicks hide and show the window and swap the icons; the icon's
// menu; starting with Windows; a second start of the program.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

constexpr std::int32_t L = platform::kIconLeft, R = platform::kIconRight, M = platform::kIconMiddle;
constexpr std::int32_t kDown = platform::kIconButtonDown, kUp = platform::kIconButtonUp;
const std::string kOwnValue = "\"C:\\Users\\Ren\\Downloads\\Lumbra 1.12\\LumbraPanel.exe\"";

struct Program {
    Program() {
        h.form.Form_Load();
        h.log.Clear();
    }
    void Click(std::int32_t button, std::int32_t action) { h.form.prcIcon_IconMouse(button, action); }
    // The window, its icon and the notification-area icon agree on one state.
    void ExpectShown(bool shown) const {
        EXPECT_EQ(h.window.IsVisible(), shown);
        EXPECT_EQ(h.form.panelEnabled, shown);
        const auto& last = h.prcIcon.Calls().back();
        EXPECT_EQ(last.icon, h.window.IconHandle());
        EXPECT_EQ(last.tip, shown ? "LumbraPanel" : "LumbraPanel (Disabled)");
        const bool changed = h.prcIcon.Calls().size() > 1;
        EXPECT_EQ(h.window.IconOfHandle(last.icon), changed ? std::optional(shown ? platform::AppIcon::Colour
                                                                                  : platform::AppIcon::Grey)
                                                            : std::nullopt);
    }

    fakes::FormHarness h;
};

TEST(NotifyIcon, EachLeftPressTogglesOnceAndNothingElseDoes) {
    const struct {
        std::vector<std::pair<std::int32_t, std::int32_t>> mouse;
        bool shown;
        std::size_t iconChanges;
    } cases[] = {
        {{{L, kDown}}, false, 1},
        {{{L, kDown}, {L, kUp}, {L, kDown}, {L, kUp}}, true, 2},
        {{{L, kDown}, {L, kUp}, {L, platform::kIconDoubleClick}, {L, kUp}}, false, 1},  // a double click
        {{{L, 7}}, false, 1},  // an action the component may add later
        {{{L, kUp}, {R, kDown}, {R, kUp}, {R, 3}, {M, kDown}, {0, kDown}, {-1, kDown}, {3, kDown}}, true, 0},
    };
    for (const auto& c : cases) {
        Program p;
        for (auto [button, action] : c.mouse) p.Click(button, action);
        SCOPED_TRACE(testing::Message() << c.mouse.size() << " actions, first " << c.mouse[0].second);
        p.ExpectShown(c.shown);
        EXPECT_EQ(p.h.prcIcon.Calls().size(), 1 + c.iconChanges);
    }
}

TEST(NotifyIcon, MenuChecksAreReadAtEveryShowingAndShowTakesTheClickPath) {
    Program p;
    p.h.form.prcIcon_IconMenu();
    p.h.run.values["LumbraPanel"] = kOwnValue;
    p.h.window.whileIconMenuOpen = [&] { p.h.form.mnuShow_Click(); };
    p.h.form.prcIcon_IconMenu();
    p.ExpectShown(false);
    p.h.form.prcIcon_IconMenu();
    p.ExpectShown(true);
    EXPECT_EQ(p.h.window.iconMenus, (std::vector<std::pair<bool, bool>>{{true, false}, {true, true}, {false, true}}));
    fakes::FormHarness without(15.0f, 15.0f, false);  // no Run list: unchecked, and choosing it does nothing
    without.form.mnuStartup_Click();
    without.form.prcIcon_IconMenu();
    EXPECT_EQ(without.window.iconMenus, (std::vector<std::pair<bool, bool>>{{false, false}}));
}

TEST(NotifyIcon, StartWithWindowsRemovesThisProgramsValueOrWritesItQuoted) {
    const std::optional<std::string> cases[][2] = {
        {std::nullopt, kOwnValue},
        {kOwnValue, std::nullopt},
        {"c:\\users\\ren\\downloads\\lumbra 1.12\\lumbrapanel.EXE", std::nullopt},
        {"\"D:\\Lumbra\\LumbraPanel.exe\"", kOwnValue},  // another copy's value is replaced
        {kOwnValue + " /dbg", kOwnValue},
    };
    for (const auto& [before, after] : cases) {
        Program p;
        if (before) p.h.run.values["LumbraPanel"] = *before;
        p.h.form.mnuStartup_Click();
        EXPECT_EQ(p.h.run.ReadValue("LumbraPanel"), after) << before.value_or("(none)");
    }
}

TEST(NotifyIcon, RunValueNamesTheProgramUnquotedWithoutRegardToCase) {
    const std::string path = "C:\\Tools\\azàþαϋσςаяѐџａｚ\\LumbraPanel.exe";
    EXPECT_TRUE(RunValueNamesProgram(RunValueFor(path), path));
    EXPECT_TRUE(RunValueNamesProgram(" \t\"c:\\TOOLS\\AZÀÞΑΫΣΣАЯЀЏＡＺ\\lumbrapanel.exe\" ", path));
    EXPECT_TRUE(RunValueNamesProgram("c:\\tools\\AZÀÞΑΫΣΣАЯЀЏＡＺ\\LUMBRAPANEL.EXE", path));
    const std::string others[] = {"", "\"\"", "C:\\Tools\\LumbraPanel.exe", "\"" + path.substr(0, path.size() - 1) + "\"",
                                  path + "\"", "\"" + path + "\" /dbg"};
    for (const std::string& other : others) EXPECT_FALSE(RunValueNamesProgram(other, path)) << other;
    // Characters next to the folded ranges keep their case (each is 0x20 or 0x50 from another).
    const std::pair<const char*, const char*> neighbours[] = {{"{", "["}, {"`", "@"}, {"÷", "×"}, {"ÿ", "ß"},
                                                              {"ß", "¿"}, {"ΰ", "ΐ"}, {"ό", "ά"}, {"Я", "Џ"},
                                                              {"Ѡ", "А"}, {"｀", "＠"}, {"｛", "［"}, {"", ""}};
    for (auto [a, b] : neighbours) EXPECT_FALSE(RunValueNamesProgram(a, b)) << a;
}

TEST(NotifyIcon, ExitClosesAsTheCloseButtonDoes) {
    Program p;
    p.h.window.whileIconMenuOpen = [&] { p.h.form.mnuExit_Click(); };
    p.h.form.prcIcon_IconMenu();
    for (const char* key : {"Left", "Top", "Width", "Height"}) EXPECT_TRUE(p.h.settings.Value("Lumbra", "Setting", key));
    EXPECT_FALSE(p.h.prcIcon.Present());
}

TEST(NotifyIcon, ASecondStartBringsTheWindowBackByTheClickPath) {
    for (const bool hidden : {false, true}) {
        Program p;
        if (hidden) p.Click(L, kDown);
        p.h.window.SetMinimized(!hidden);
        p.h.form.Form_SecondStart();
        p.ExpectShown(true);
        EXPECT_FALSE(p.h.window.Minimised());
        EXPECT_EQ(p.h.prcIcon.Calls().size(), hidden ? 3u : 1u);
    }
}

}  // namespace
}  // namespace lumbra::app
