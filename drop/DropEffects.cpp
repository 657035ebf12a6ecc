#include "drop/DropEffects.h"

#include <initializer_list>

#include "platform/MainWindow.h"

namespace lumbra::drop {
namespace {

// The first of the preferred effects that the source allows.
std::uint32_t FirstAllowed(std::uint32_t allowed, std::initializer_list<std::uint32_t> preferred) {
    for (std::uint32_t effect : preferred) {
        if (allowed & effect) return effect;
    }
    return kEffectNone;
}

// The right button alone opens the drop menu; any other set of buttons makes shortcuts.
bool OpensMenu(int buttons) { return buttons == platform::kRightButton; }

}  // namespace

std::uint32_t DragFeedback(int buttons, std::uint32_t allowed, bool fileList) {
    if (!fileList) return kEffectNone;
    // "移動" is the menu's first entry, so the right button shows the move cursor when it may.
    if (OpensMenu(buttons)) return FirstAllowed(allowed, {kEffectMove, kEffectCopy, kEffectLink});
    return FirstAllowed(allowed, {kEffectLink, kEffectCopy, kEffectMove});
}

std::uint32_t DropAnswer(int buttons, std::uint32_t allowed, bool fileList) {
    // The menu has not been answered when the drop returns: nothing is done yet.
    if (!fileList || OpensMenu(buttons)) return kEffectNone;
    return FirstAllowed(allowed, {kEffectLink, kEffectCopy});
}

EndEffects EndOfDrop(platform::DropOutcome outcome, std::uint32_t allowed) {
    // The shell's optimised move: the target moved the items itself, the source deletes nothing.
    if (outcome == platform::DropOutcome::Moved) return {true, kEffectNone, kEffectNone, kEffectMove};
    if (outcome == platform::DropOutcome::Nothing) return {};
    const std::uint32_t effect = outcome == platform::DropOutcome::Copied
                                     ? FirstAllowed(allowed, {kEffectCopy})
                                     : FirstAllowed(allowed, {kEffectLink, kEffectCopy});
    return {true, effect, effect, effect};
}

}  // namespace lumbra::drop
