// What the panel answers a drag source, and frmMain's drop handling: the recorded buttons
// decide between the drop menu and shortcuts, and each drop ends with what its command did.
#include <gtest/gtest.h>

#include "drop/DropEffects.h"
#include "fakes/DropFakes.h"
#include "fakes/FormHarness.h"

namespace lumbra::fakes {
namespace {

using platform::DropOutcome;

TEST(DropEffects, FeedbackAndAnswerPerButtonsAndAllowedSetNeverMoveInTheAnswer) {
    // Buttons, allowed set, file list or not; then the cursor and the drop's answer.
    const std::uint32_t rows[][5] = {
        // Any drop but the right button alone makes shortcuts: link, else copy, else move.
        {1, 7, 1, 4, 4}, {1, 3, 1, 1, 1}, {1, 2, 1, 2, 0}, {4, 5, 1, 4, 4}, {3, 6, 1, 4, 4}, {0, 1, 1, 1, 1},
        // The right button alone opens the menu: move, else copy, else link; nothing done yet.
        {2, 7, 1, 2, 0}, {2, 5, 1, 1, 0}, {2, 4, 1, 4, 0},
        // Nothing allowed, or no file list: nothing.
        {1, 0, 1, 0, 0}, {2, 0, 1, 0, 0}, {1, 7, 0, 0, 0}, {2, 7, 0, 0, 0},
    };
    for (const auto& r : rows) {
        const int buttons = static_cast<int>(r[0]);
        EXPECT_EQ(drop::DragFeedback(buttons, r[1], r[2] != 0), r[3]) << r[0] << " " << r[1] << " " << r[2];
        EXPECT_EQ(drop::DropAnswer(buttons, r[1], r[2] != 0), r[4]) << r[0] << " " << r[1] << " " << r[2];
    }
}

TEST(DropEffects, AWaitingSourceHearsWhatWasDoneAndAMoveAsTheTargetsOwn) {
    // Outcome, allowed set; then succeeded, EndOperation's effect, performed, logical.
    const std::pair<DropOutcome, std::vector<std::uint32_t>> rows[] = {
        {DropOutcome::Nothing, {7, 0, 0, 0, 0}}, {DropOutcome::Copied, {7, 1, 1, 1, 1}},
        {DropOutcome::Copied, {6, 1, 0, 0, 0}},  {DropOutcome::Linked, {7, 1, 4, 4, 4}},
        {DropOutcome::Linked, {3, 1, 1, 1, 1}},  {DropOutcome::Moved, {7, 1, 0, 0, 2}},
    };
    for (const auto& [outcome, r] : rows) {
        const drop::EndEffects e = drop::EndOfDrop(outcome, r[0]);
        EXPECT_EQ((std::vector<std::uint32_t>{r[0], e.succeeded, e.effect, e.performed, e.logical}), r);
    }
}

TEST(DropRouting, TheLastDragOverButtonsChooseMenuOrShortcutsAndTheDropEndsWithItsOutcome) {
    const std::string lnk = "a.txtへのｼｮｰﾄｶｯﾄ.lnk=link:C:\\src\\a.txt";
    // Buttons of the last drag-over (-1: none came), the menu's choice (0 dismisses it), a file
    // list or not; then menus shown, the outcome and the desktop folder.
    const std::tuple<int, char, bool, int, DropOutcome, std::vector<std::string>> rows[] = {
        {2, 'm', true, 1, DropOutcome::Moved, {"a.txt=A"}},  {2, 'c', true, 1, DropOutcome::Copied, {"a.txt=A"}},
        {2, 's', true, 1, DropOutcome::Linked, {lnk}},       {2, 0, true, 1, DropOutcome::Nothing, {}},
        {1, 0, true, 0, DropOutcome::Linked, {lnk}},         {3, 0, true, 0, DropOutcome::Linked, {lnk}},
        {4, 0, true, 0, DropOutcome::Linked, {lnk}},         {-1, 0, true, 0, DropOutcome::Linked, {lnk}},
        {2, 'c', false, 0, DropOutcome::Nothing, {}},        {1, 0, false, 0, DropOutcome::Nothing, {}},
    };
    for (const auto& [buttons, choice, fileList, menus, outcome, desk] : rows) {
        SCOPED_TRACE(std::to_string(buttons) + choice);
        DropWorld world;
        FormHarness f(15.0f, 15.0f, true, &world.services);
        world.fs.AddFile("C:\\src\\a.txt", "A");
        world.fs.AddFolder("C:\\Users\\me\\Desktop");
        f.window.whileDropMenuOpen = [&, choice = choice] {
            if (choice == 'm') f.form.mnuMove_Click();
            if (choice == 'c') f.form.mnuCopy_Click();
            if (choice == 's') f.form.mnuShortCut_Click();
        };
        if (buttons >= 0) f.form.picDT_OLEDragOver(buttons, 0, 10.0f, 10.0f);
        // The buttons given with the drop itself are not looked at.
        f.form.imgWall_OLEDragDrop({fileList, {"C:\\src\\a.txt"}}, platform::kLeftButton, 0, 10.0f, 10.0f);
        EXPECT_EQ(f.window.dropMenus, menus);
        EXPECT_EQ(f.window.ended, std::vector<DropOutcome>{outcome});
        EXPECT_EQ(world.fs.Tree("C:\\Users\\me\\Desktop"), desk);
        EXPECT_EQ(world.fs.At("C:\\src\\a.txt") != nullptr, outcome != DropOutcome::Moved);
        EXPECT_EQ(f.form.dropData.hasFileList, fileList) << "every drop is kept";
    }
}

}  // namespace
}  // namespace lumbra::fakes
