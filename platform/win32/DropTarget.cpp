#include "platform/win32/DropTarget.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "drop/DropEffects.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

FORMATETC FileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool HasFileList(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data != nullptr && data->QueryGetData(&format) == S_OK;
}

// Tells the source's data object an effect under a registered name ("Performed DropEffect").
void SetEffect(IDataObject* data, const wchar_t* name, DWORD effect) {
    FORMATETC format{static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(name)), nullptr, DVASPECT_CONTENT, -1,
                     TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    if (medium.hGlobal == nullptr) return;
    *static_cast<DWORD*>(::GlobalLock(medium.hGlobal)) = effect;
    ::GlobalUnlock(medium.hGlobal);
    // On success the data object owns the memory.
    if (FAILED(data->SetData(&format, &medium, TRUE))) ::ReleaseStgMedium(&medium);
}

}  // namespace

PanelDropTarget::~PanelDropTarget() { Finish(platform::DropOutcome::Nothing); }

HRESULT PanelDropTarget::QueryInterface(REFIID iid, void** object) noexcept {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG PanelDropTarget::Release() noexcept {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT PanelDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) noexcept {
    fileList_ = HasFileList(data);
    return DragOver(keyState, pt, effect);
}

// While one drop's command runs (its menu and message boxes let messages through), a second
// drop would start a command inside the first: the panel takes none until it is done. Otherwise
// the cursor shows one effect the source allows.
HRESULT PanelDropTarget::DragOver(DWORD keyState, POINTL pt, DWORD* effect) noexcept {
    if (effect == nullptr) return E_INVALIDARG;
    if (busy_) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    buttons_ = DragButtons(keyState);
    *effect = drop::DragFeedback(buttons_, *effect, fileList_);
    try {
        if (events_.dragOver) events_.dragOver(keyState, pt);
    } catch (...) {
    }
    return S_OK;
}

// The drop returns at once with what is already certain: a source that finds the move effect in
// the answer deletes its files, so the answer never holds it.
HRESULT PanelDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) noexcept {
    if (effect == nullptr) return E_INVALIDARG;
    if (busy_) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    allowed_ = *effect;
    *effect = DROPEFFECT_NONE;
    try {
        const platform::DropData dropped = ReadDropData(data);
        // A source that can wait is told the real outcome once the command has ended.
        Microsoft::WRL::ComPtr<IDataObjectAsyncCapability> async;
        BOOL asyncMode = FALSE;
        if (data != nullptr && SUCCEEDED(data->QueryInterface(IID_PPV_ARGS(&async))) &&
            SUCCEEDED(async->GetAsyncMode(&asyncMode)) && asyncMode && SUCCEEDED(async->StartOperation(nullptr))) {
            data_ = data;
            async_ = async;
        }
        busy_ = true;
        if (!events_.drop || !events_.drop(dropped, keyState, pt)) {
            Finish(platform::DropOutcome::Nothing);
            return S_OK;
        }
        *effect = drop::DropAnswer(buttons_, allowed_, dropped.hasFileList);
    } catch (...) {
        Finish(platform::DropOutcome::Nothing);
    }
    return S_OK;
}

void PanelDropTarget::Finish(platform::DropOutcome outcome) noexcept {
    busy_ = false;
    if (async_) {
        const drop::EndEffects end = drop::EndOfDrop(outcome, allowed_);
        SetEffect(data_.Get(), CFSTR_PERFORMEDDROPEFFECT, end.performed);
        SetEffect(data_.Get(), CFSTR_LOGICALPERFORMEDDROPEFFECT, end.logical);
        async_->EndOperation(end.succeeded ? S_OK : E_ABORT, nullptr, end.effect);
    }
    async_.Reset();
    data_.Reset();
}

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
    if (!HasFileList(data)) return result;
    result.hasFileList = true;
    FORMATETC format = FileListFormat();
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

}  // namespace lumbra::win32
