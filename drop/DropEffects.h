#pragma once
// What the panel answers a drag source: the effect shown while a drag moves over it, the effect
// a drop returns, and what the source is told when the drop's command has ended. A source that
// finds the move effect in an answer deletes its files, so no answer ever holds it.
#include <cstdint>

#include "platform/DropData.h"

namespace lumbra::drop {

// The window system's drop effects (DROPEFFECT_*), as bits of a set.
enum DropEffect : std::uint32_t { kEffectNone = 0, kEffectCopy = 1, kEffectMove = 2, kEffectLink = 4 };

// While a drag moves over the panel: one effect of the allowed set, or none for anything but a
// file list (else the drop never comes). It only chooses the cursor.
std::uint32_t DragFeedback(int buttons, std::uint32_t allowed, bool fileList);

// The answer of the drop itself, before its command has run.
std::uint32_t DropAnswer(int buttons, std::uint32_t allowed, bool fileList);

// What an asynchronous source is told when the command has ended.
struct EndEffects {
    bool succeeded = false;
    std::uint32_t effect = kEffectNone;     // EndOperation's effect
    std::uint32_t performed = kEffectNone;  // "Performed DropEffect"
    std::uint32_t logical = kEffectNone;    // "Logical Performed DropEffect"
};
EndEffects EndOfDrop(platform::DropOutcome outcome, std::uint32_t allowed);

}  // namespace lumbra::drop
