#pragma once
// Paints the panel's element model onto a DC (the panel's back buffer): the background colour,
// the elements bottom first, then the tiles.
#include <windows.h>

#include "platform/Scene.h"

namespace lumbra::win32 {

// The tiles are painted a block at a time with a pattern brush of their picture: the same pixels
// as one copy per tile, at the cost of one, however many tiles there are. Transparent tiles are
// taken to lie over the background colour, as they do in tile mode.
void PaintScene(HDC dc, const platform::Scene& scene, COLORREF background);

}  // namespace lumbra::win32
