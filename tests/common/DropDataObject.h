#pragma once
// Dragged data as a drag source hands it over: one format (a CF_HDROP list or plain text), with
// what the target says back (SetData of an effect, the asynchronous operation) kept for the test
// to read. Shared by the Windows tests and the end-to-end tests' drag source.
#include <windows.h>
#include <ole2.h>
#include <shldisp.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace lumbra::testdata {

inline HGLOBAL Memory(const void* bytes, std::size_t size) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(::GlobalLock(memory), bytes, size);
    ::GlobalUnlock(memory);
    return memory;
}

// The dragged data: one format, and what the target says back (SetData of an effect, the
// asynchronous operation).
// Lives as long as its owner's scope: the references are counted, not owned.
class Data final : public IDataObject, public IDataObjectAsyncCapability {
public:
    Data(CLIPFORMAT format, HGLOBAL data) : format_(format), data_(data) {}
    ~Data() { ::GlobalFree(data_); }
    std::map<CLIPFORMAT, DWORD> told;
    BOOL async = FALSE, started = FALSE, ended = FALSE;
    DWORD endEffect = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IDataObjectAsyncCapability) *out = static_cast<IDataObjectAsyncCapability*>(this);
        if (iid == IID_IUnknown || iid == IID_IDataObject) *out = static_cast<IDataObject*>(this);
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
        *m = {TYMED_HGLOBAL, {nullptr}, nullptr};
        m->hGlobal = Memory(::GlobalLock(data_), ::GlobalSize(data_));
        ::GlobalUnlock(data_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        return f->cfFormat == format_ && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* f, STGMEDIUM* m, BOOL release) override {
        if (m->tymed != TYMED_HGLOBAL) return DV_E_TYMED;
        told[f->cfFormat] = *static_cast<DWORD*>(::GlobalLock(m->hGlobal));
        ::GlobalUnlock(m->hGlobal);
        if (release) ::ReleaseStgMedium(m);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        FORMATETC f{format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return direction == DATADIR_GET ? ::SHCreateStdEnumFmtEtc(1, &f, out) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE SetAsyncMode(BOOL on) override { return async = on, S_OK; }
    HRESULT STDMETHODCALLTYPE GetAsyncMode(BOOL* on) override { return *on = async, S_OK; }
    HRESULT STDMETHODCALLTYPE StartOperation(IBindCtx*) override { return started = TRUE, S_OK; }
    HRESULT STDMETHODCALLTYPE InOperation(BOOL* in) override { return *in = started && !ended, S_OK; }
    HRESULT STDMETHODCALLTYPE EndOperation(HRESULT, IBindCtx*, DWORD effect) override {
        endEffect = effect;
        return ended = TRUE, S_OK;
    }

private:
    ULONG refs_ = 1;
    CLIPFORMAT format_;
    HGLOBAL data_;
};

// CF_HDROP: a DROPFILES header, then the wide paths, each ended by a NUL, and one more NUL.
inline HGLOBAL FileList(const std::vector<std::wstring>& paths) {
    const DROPFILES header{sizeof(DROPFILES), {0, 0}, FALSE, TRUE};
    std::wstring list(reinterpret_cast<const wchar_t*>(&header), sizeof header / sizeof(wchar_t));
    for (const auto& p : paths) list += p + L'\0';
    list += L'\0';
    return Memory(list.data(), list.size() * sizeof(wchar_t));
}

}  // namespace lumbra::testdata
