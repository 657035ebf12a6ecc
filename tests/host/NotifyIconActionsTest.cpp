// The notification-area icon: left clicks hide and show the window and swap the icons; the icon's
// menu; starting with Windows; a second start of the program.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FakeStartupRun.h"
#include "fakes/FormHarness.h"

namespace lumbra::app {
namespace {

using platform::AppIcon;
constexpr std::int32_t L = platform::kIconLeft, R = platform::kIconRight, M = platform::kIconMiddle;
constexpr std::int32_t kDown = platform::kIconButtonDown, kUp = platform::kIconButtonUp;
constexpr std::int32_t kDouble = platform::kIconDoubleClick;

struct Program {
    Program() {
        h.window.SetEvents(&form);
        form.Form_Load();
        h.log.Clear();
    }
    void Click(std::int32_t button, std::int32_t action) { form.prcIcon_IconMouse(button, action); }
    // The window, its icon and the notification-area icon agree on one state.
    void ExpectShown(bool shown) const {
        EXPECT_EQ(h.window.IsVisible(), shown);
        EXPECT_EQ(form.panelEnabled, shown);
        const auto& last = h.prcIcon.Calls().back();
        EXPECT_EQ(last.icon, h.window.IconHandle());
        EXPECT_EQ(last.tip, shown ? "LumbraPanel" : "LumbraPanel (Disabled)");
        if (h.prcIcon.Calls().size() > 1) {
            EXPECT_EQ(h.window.IconOfHandle(last.icon), shown ? AppIcon::Colour : AppIcon::Grey);
        }
    }

    fakes::FormHarness h;
    fakes::FakeStartupRun run;
    frmMain form{FormServices{h.settings, h.profile, h.registry, h.system, h.window, h.prcIcon, nullptr, nullptr,
                              nullptr, &run}};
};

TEST(NotifyIcon, EachLeftPressTogglesOnceAndNothingElseDoes) {
    const struct {
        std::vector<std::pair<std::int32_t, std::int32_t>> mouse;
        bool shown;
        std::size_t iconChanges;
    } cases[] = {
        {{{L, kDown}}, false, 1},
        {{{L, kDown}, {L, kUp}, {L, kDown}, {L, kUp}}, true, 2},
        {{{L, kDown}, {L, kUp}, {L, kDouble}, {L, kUp}}, false, 1},  // a double click
        {{{L, 7}}, false, 1},  // an action the component may add later
        {{{L, kUp}, {R, kDown}, {R, kUp}, {R, kDouble}, {M, kDown}, {0, kDown}, {-1, kDown}, {3, kDown}}, true, 0},
    };
    for (const auto& c : cases) {
        Program p;
        for (auto [button, action] : c.mouse) p.Click(button, action);
        SCOPED_TRACE(testing::Message() << c.mouse.size() << " actions, first " << c.mouse[0].second);
        p.ExpectShown(c.shown);
        EXPECT_EQ(p.h.prcIcon.Calls().size(), 1 + c.iconChanges);
    }
}

TEST(NotifyIcon, TheWindowIsHiddenBeforeTheIconGreysAndShownBeforeItColours) {
    Program p;
    p.Click(L, kDown);
    p.Click(L, kDown);
    const std::string grey = std::to_string(p.h.prcIcon.Calls()[1].icon);
    const std::string colour = std::to_string(p.h.prcIcon.Calls()[2].icon);
    EXPECT_EQ(p.h.log.Entries(),
              (std::vector<std::string>{"Hide", "SetIcon 101", "ChangeIcon " + grey + " LumbraPanel (Disabled)", "Show",
                                        "SetIcon 102", "ChangeIcon " + colour + " LumbraPanel"}));
}

TEST(NotifyIcon, MenuChecksAreReadAfreshAtEveryShowingAndShowTakesTheClickPath) {
    Program p;
    p.form.prcIcon_IconMenu();
    p.run.values["LumbraPanel"] = "\"" + p.run.programPath + "\"";
    p.h.window.whileIconMenuOpen = [&] { p.form.mnuShow_Click(); };
    p.form.prcIcon_IconMenu();
    p.ExpectShown(false);
    p.form.prcIcon_IconMenu();
    p.ExpectShown(true);
    EXPECT_EQ(p.h.window.iconMenus, (std::vector<std::pair<bool, bool>>{{true, false}, {true, true}, {false, true}}));
}

TEST(NotifyIcon, StartWithWindowsRemovesThisProgramsValueOrWritesItQuoted) {
    const std::string own = "\"C:\\Users\\Ren\\Downloads\\Lumbra 1.12\\LumbraPanel.exe\"";
    const struct {
        std::optional<std::string> before, after;
    } cases[] = {
        {std::nullopt, own},
        {own, std::nullopt},
        {"c:\\users\\ren\\downloads\\lumbra 1.12\\lumbrapanel.EXE", std::nullopt},
        {"\"D:\\Lumbra\\LumbraPanel.exe\"", own},  // another copy's value is replaced
        {own + " /dbg", own},
    };
    for (const auto& c : cases) {
        Program p;
        if (c.before) p.run.values["LumbraPanel"] = *c.before;
        p.form.mnuStartup_Click();
        EXPECT_EQ(p.run.ReadValue("LumbraPanel"), c.after) << c.before.value_or("(none)");
    }
    fakes::FormHarness without;  // no Run list to read: unchecked, and choosing it does nothing
    without.form.mnuStartup_Click();
    without.form.prcIcon_IconMenu();
    EXPECT_EQ(without.window.iconMenus, (std::vector<std::pair<bool, bool>>{{false, false}}));
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
                                                              {"Ѡ", "А"}, {"｀", "＠"}, {"｛", "［"}};
    for (auto [a, b] : neighbours) EXPECT_FALSE(RunValueNamesProgram(a, b)) << a;
    EXPECT_FALSE(RunValueNamesProgram("", ""));
}

TEST(NotifyIcon, ExitClosesAsTheCloseButtonDoes) {
    Program p;
    p.h.window.whileIconMenuOpen = [&] { p.form.mnuExit_Click(); };
    p.form.prcIcon_IconMenu();
    for (const char* key : {"Left", "Top", "Width", "Height"}) EXPECT_TRUE(p.h.settings.Value("Lumbra", "Setting", key));
    EXPECT_FALSE(p.h.prcIcon.Present());
}

TEST(NotifyIcon, ASecondStartBringsTheWindowBackByTheClickPath) {
    for (const bool hidden : {false, true}) {
        Program p;
        if (hidden) p.Click(L, kDown);
        p.h.window.SetMinimized(!hidden);
        p.form.Form_SecondStart();
        p.ExpectShown(true);
        EXPECT_FALSE(p.h.window.Minimised());
        EXPECT_EQ(p.h.window.frontRequests, 1);
        EXPECT_EQ(p.h.prcIcon.Calls().size(), hidden ? 3u : 1u);
    }
}

}  // namespace
}  // namespace lumbra::app
