#pragma once
// The OLE drop target of the picture panel: turns drag-over reports and drops into typed events
// (the mouse buttons; the dropped file list as UTF-8 paths) and answers the drag source. A drop
// only hands its list on: the command runs later, and the panel takes no other drop until
// Finish says how it ended.
#include <windows.h>
#include <ole2.h>
#include <shldisp.h>
#include <wrl/client.h>

#include <atomic>
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
    // A drop to handle later; false when it cannot be.
    std::function<bool(const platform::DropData& data, DWORD keyState, POINTL screen)> drop;
};

class PanelDropTarget final : public IDropTarget {
public:
    explicit PanelDropTarget(DropTargetEvents events) : events_(std::move(events)) {}
    ~PanelDropTarget();

    // The command of the last drop has ended: a source that waits is told what came of it.
    void Finish(platform::DropOutcome outcome) noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) noexcept override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL pt, DWORD* effect) noexcept override;
    HRESULT STDMETHODCALLTYPE DragLeave() noexcept override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) noexcept override;

private:
    std::atomic<ULONG> refs_{1};
    DropTargetEvents events_;
    int buttons_ = 0;        // as last reported while the drag moved
    bool fileList_ = false;  // the dragged data offers a file list
    bool busy_ = false;      // a drop's command has not ended
    DWORD allowed_ = 0;
    // Held only while the command of an asynchronous source's drop runs.
    Microsoft::WRL::ComPtr<IDataObject> data_;
    Microsoft::WRL::ComPtr<IDataObjectAsyncCapability> async_;
};

}  // namespace lumbra::win32
