#pragma once
// Paints the panel's image elements, bottom first, onto a DC (the panel's back buffer).
#include <windows.h>

#include "platform/Scene.h"

namespace lumbra::win32 {

// Elements that repeat one opaque picture edge to edge at its own size (the tiles) are painted
// a block at a time with a pattern brush of that picture: the same pixels as one copy per
// element, without thousands of separate copies on every repaint.
void PaintElements(HDC dc, const platform::Scene& scene);

}  // namespace lumbra::win32
