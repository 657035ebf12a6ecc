#pragma once
// The OLE drop target of the picture panel: turns drag-over reports and drops into typed events
// (the mouse buttons; the dropped file list as UTF-8 paths).
#include <windows.h>
#include <ole2.h>

#include <functional>

#include "platform/DropData.h"

namespace lumbra::win32 {

// Mouse buttons (1 left, 2 right, 4 middle) and shift bits (1 Shift, 2 Ctrl, 4 Alt) of an
// OLE key state.
int DragButtons(DWORD keyState);
int DragShift(DWORD keyState);

// The file list of a data object, when it offers CF_HDROP.
platform::DropData ReadDropData(IDataObject* data);

struct DropTargetEvents {
    std::function<void(DWORD keyState, POINTL screen)> dragOver;
    std::function<void(const platform::DropData& data, DWORD keyState, POINTL screen)> drop;
};

// A new drop target (one reference, the caller's).
IDropTarget* NewDropTarget(DropTargetEvents events);

}  // namespace lumbra::win32
