#pragma once
// A dropped file list as a drag source hands it over: a data object offering one HGLOBAL format,
// with a CF_HDROP list or plain text in it. Shared by the Windows tests and the end-to-end
// tests' drag source (tests/e2e/dragsource), so that both drop the same data.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace lumbra::testdata {

// IUnknown of an object with one interface: counted references, deleted at the last release.
template <typename Interface>
class ComObject : public Interface {
public:
    explicit ComObject(REFIID iid) : iid_(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != iid_) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    const IID iid_;
    ULONG refs_ = 1;
};

// Owns `data` and hands out copies of it. Made with one reference, the creator's.
class OneFormatData final : public ComObject<IDataObject> {
public:
    OneFormatData(CLIPFORMAT format, HGLOBAL data) : ComObject(IID_IDataObject), format_(format), data_(data) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override {
        if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
        const SIZE_T size = ::GlobalSize(data_);
        HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(::GlobalLock(copy), ::GlobalLock(data_), size);
        ::GlobalUnlock(copy);
        ::GlobalUnlock(data_);
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = copy;
        m->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override {
        if (f == nullptr) return E_INVALIDARG;
        const bool offered = f->cfFormat == format_ && (f->tymed & TYMED_HGLOBAL) && f->dwAspect == DVASPECT_CONTENT;
        return offered ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC f{format_, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return ::SHCreateStdEnumFmtEtc(1, &f, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~OneFormatData() override { ::GlobalFree(data_); }
    CLIPFORMAT format_;
    HGLOBAL data_;
};

// CF_HDROP: a DROPFILES header, then the wide paths, each ended by a NUL, and one more NUL.
inline HGLOBAL FileListMemory(const std::vector<std::wstring>& paths) {
    std::wstring chars;
    for (const auto& p : paths) chars += p + L'\0';
    chars += L'\0';
    const SIZE_T size = sizeof(DROPFILES) + chars.size() * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, chars.data(), chars.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return memory;
}

// CF_UNICODETEXT.
inline HGLOBAL TextMemory(const std::wstring& text) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return memory;
}

}  // namespace lumbra::testdata
