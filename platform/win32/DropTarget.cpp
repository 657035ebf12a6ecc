#include "platform/win32/DropTarget.h"

#include <shellapi.h>

#include <atomic>
#include <new>
#include <string>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

class DropTarget final : public IDropTarget {
public:
    explicit DropTarget(DropTargetEvents events) : events_(std::move(events)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override {
        if (object == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // The effect the source proposes is left exactly as it is: the panel sets none of its own.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD keyState, POINTL pt, DWORD* effect) noexcept override {
        return Over(keyState, pt, effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL pt, DWORD* effect) noexcept override {
        return Over(keyState, pt, effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() noexcept override { return S_OK; }

    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) noexcept override {
        if (busy_) return Refuse(effect);
        try {
            const platform::DropData dropped = ReadDropData(data);
            busy_ = true;
            if (events_.drop) events_.drop(dropped, keyState, pt);
        } catch (...) {
        }
        busy_ = false;
        return S_OK;
    }

private:
    HRESULT Over(DWORD keyState, POINTL pt, DWORD* effect) noexcept {
        if (busy_) return Refuse(effect);
        try {
            if (events_.dragOver) events_.dragOver(keyState, pt);
        } catch (...) {
        }
        return S_OK;
    }

    // While one drop's command runs (its menu and message boxes let messages through), a second
    // drop would start a command inside the first: the panel takes none until it is done.
    static HRESULT Refuse(DWORD* effect) noexcept {
        if (effect != nullptr) *effect = DROPEFFECT_NONE;
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    DropTargetEvents events_;
    bool busy_ = false;
};

}  // namespace

int DragButtons(DWORD keyState) {
    int buttons = 0;
    if (keyState & MK_LBUTTON) buttons |= 1;
    if (keyState & MK_RBUTTON) buttons |= 2;
    if (keyState & MK_MBUTTON) buttons |= 4;
    return buttons;
}

int DragShift(DWORD keyState) {
    int shift = 0;
    if (keyState & MK_SHIFT) shift |= 1;
    if (keyState & MK_CONTROL) shift |= 2;
    if (keyState & MK_ALT) shift |= 4;
    return shift;
}

platform::DropData ReadDropData(IDataObject* data) {
    platform::DropData result;
    if (data == nullptr) return result;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (data->QueryGetData(&format) != S_OK) return result;
    result.hasFileList = true;
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return result;
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        const UINT copied = ::DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(copied);
        result.files.push_back(Narrow(path));
    }
    ::ReleaseStgMedium(&medium);
    return result;
}

IDropTarget* NewDropTarget(DropTargetEvents events) { return new (std::nothrow) DropTarget(std::move(events)); }

}  // namespace lumbra::win32
