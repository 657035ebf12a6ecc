// What the panel answers a drag source, and frmMain's drop handling: the recorded buttons
// decide between the drop menu and shortcuts, and each drop ends with what its command did.
#include <gtest/gtest.h>

#include "drop/DropEffects.h"
#include "fakes/DropFormFakes.h"

namespace lumbra::fakes {
namespace {

using platform::DropOutcome;

TEST(DropEffects, FeedbackAndAnswerPerButtonsAndAllowedSetNeverMoveInTheAnswer) {
    struct Row {
        int buttons;
        std::uint32_t allowed;
        bool fileList;
        std::uint32_t feedback;
        std::uint32_t answer;
    };
    const Row rows[] = {
        // Any drop but the right button alone makes shortcuts: link, else copy, else move.
        {1, 7, true, 4, 4}, {1, 3, true, 1, 1}, {1, 2, true, 2, 0}, {4, 5, true, 4, 4}, {3, 6, true, 4, 4}, {0, 1, true, 1, 1},
        // The right button alone opens the menu: move, else copy, else link; nothing done yet.
        {2, 7, true, 2, 0}, {2, 5, true, 1, 0}, {2, 4, true, 4, 0},
        // Nothing allowed, or no file list: nothing.
        {1, 0, true, 0, 0}, {2, 0, true, 0, 0}, {1, 7, false, 0, 0}, {2, 7, false, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.buttons) + " " + std::to_string(r.allowed) + " " + std::to_string(r.fileList));
        EXPECT_EQ(drop::DragFeedback(r.buttons, r.allowed, r.fileList), r.feedback);
        EXPECT_EQ(drop::DropAnswer(r.buttons, r.allowed, r.fileList), r.answer);
    }
}

TEST(DropEffects, AWaitingSourceHearsWhatWasDoneAndAMoveAsTheTargetsOwn) {
    struct Row {
        DropOutcome outcome;
        std::uint32_t allowed;
        drop::EndEffects end;
    };
    const Row rows[] = {
        {DropOutcome::Nothing, 7, {false, 0, 0, 0}}, {DropOutcome::Copied, 7, {true, 1, 1, 1}},
        {DropOutcome::Copied, 6, {true, 0, 0, 0}},   {DropOutcome::Linked, 7, {true, 4, 4, 4}},
        {DropOutcome::Linked, 3, {true, 1, 1, 1}},   {DropOutcome::Moved, 7, {true, 0, 0, 2}},
    };
    for (const Row& r : rows) {
        const drop::EndEffects got = drop::EndOfDrop(r.outcome, r.allowed);
        EXPECT_EQ(std::vector<std::uint32_t>({got.succeeded, got.effect, got.performed, got.logical}),
                  std::vector<std::uint32_t>({r.end.succeeded, r.end.effect, r.end.performed, r.end.logical}))
            << static_cast<int>(r.outcome) << " " << r.allowed;
    }
}

TEST(DropRouting, TheLastDragOverButtonsChooseMenuOrShortcutsAndTheDropEndsWithItsOutcome) {
    struct Row {
        int buttons;  // -1: no drag-over report came
        char choice;  // m, c, s from the menu; 0 dismisses it
        bool fileList;
        int menus;
        DropOutcome outcome;
        std::vector<std::string> desk;
        bool sourceStays;
    };
    const std::string lnk = "a.txtへのｼｮｰﾄｶｯﾄ.lnk=link:C:\\src\\a.txt";
    const Row rows[] = {
        {2, 'm', true, 1, DropOutcome::Moved, {"a.txt=A"}, false},  {2, 'c', true, 1, DropOutcome::Copied, {"a.txt=A"}, true},
        {2, 's', true, 1, DropOutcome::Linked, {lnk}, true},      {2, 0, true, 1, DropOutcome::Nothing, {}, true},
        {1, 0, true, 0, DropOutcome::Linked, {lnk}, true},        {3, 0, true, 0, DropOutcome::Linked, {lnk}, true},
        {4, 0, true, 0, DropOutcome::Linked, {lnk}, true},        {-1, 0, true, 0, DropOutcome::Linked, {lnk}, true},
        {2, 'c', false, 0, DropOutcome::Nothing, {}, true},       {1, 0, false, 0, DropOutcome::Nothing, {}, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.buttons) + r.choice);
        DropForm f;
        f.world.fs.AddFile("C:\\src\\a.txt", "A");
        f.world.fs.AddFolder("C:\\Users\\me\\Desktop");
        f.window.whileDropMenuOpen = [&] {
            if (r.choice == 'm') f.form.mnuMove_Click();
            if (r.choice == 'c') f.form.mnuCopy_Click();
            if (r.choice == 's') f.form.mnuShortCut_Click();
        };
        if (r.buttons >= 0) f.form.picDT_OLEDragOver(r.buttons, 0, 10.0f, 10.0f);
        // The buttons given with the drop itself are not looked at.
        f.form.imgWall_OLEDragDrop({r.fileList, {"C:\\src\\a.txt"}}, platform::kLeftButton, 0, 10.0f, 10.0f);
        EXPECT_EQ(f.window.dropMenus, r.menus);
        EXPECT_EQ(f.window.ended, std::vector<DropOutcome>{r.outcome});
        EXPECT_EQ(f.world.fs.Tree("C:\\Users\\me\\Desktop"), r.desk);
        EXPECT_EQ(f.world.fs.At("C:\\src\\a.txt") != nullptr, r.sourceStays);
        EXPECT_EQ(f.form.dropData.hasFileList, r.fileList) << "every drop is kept";
    }
}

}  // namespace
}  // namespace lumbra::fakes
