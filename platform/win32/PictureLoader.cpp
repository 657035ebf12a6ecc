#include "platform/win32/PictureLoader.h"

#include <shlwapi.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <span>
#include <vector>

#include "platform/PictureBounds.h"
#include "platform/win32/Picture.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// Reads all pixels of a 32bppPBGRA source (scaled or not) into a new picture.
std::shared_ptr<Win32Picture> ReadPixels(IWICBitmapSource* source, platform::PixelSize size) {
    const UINT stride = static_cast<UINT>(size.width) * 4u;
    const std::size_t count = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    if (count > platform::kMaxPicturePixels) return nullptr;
    std::vector<std::uint32_t> pixels(count);
    if (FAILED(source->CopyPixels(nullptr, stride, static_cast<UINT>(count * 4u),
                                  reinterpret_cast<BYTE*>(pixels.data())))) {
        return nullptr;
    }
    return Win32Picture::FromPixels(size.width, size.height, pixels.data());
}

// What the file's header states, read before any decoder is given the stream; the stream is
// left at its start.
std::optional<platform::StatedPicture> StatedPictureOf(IStream* stream) {
    const auto read = [stream](std::uint64_t offset, std::span<std::uint8_t> into) -> std::size_t {
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(std::min<std::uint64_t>(offset, LLONG_MAX));
        ULONG got = 0;
        if (FAILED(stream->Seek(at, STREAM_SEEK_SET, nullptr)) ||
            FAILED(stream->Read(into.data(), static_cast<ULONG>(into.size()), &got))) {
            return 0;
        }
        return got;
    };
    std::optional<platform::StatedPicture> stated = platform::ReadStatedPicture(read);
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr))) return std::nullopt;
    return stated;
}

// Whether the stated size is one to decode at all, and one the file's length can describe.
bool Believable(const platform::StatedPicture& stated, IStream* stream) {
    if (!platform::IsPlausiblePictureSize(stated.size)) return false;
    STATSTG facts{};
    if (FAILED(stream->Stat(&facts, STATFLAG_NONAME))) return true;
    return platform::FileCanHoldPicture(stated.format, stated.size, facts.cbSize.QuadPart, stated.bmp);
}

}  // namespace

IWICImagingFactory* Win32PictureLoader::Factory() {
    if (!factory_) {
        ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory_));
    }
    return factory_.Get();
}

platform::LoadedPicture Win32PictureLoader::Load(std::string_view path,
                                                 const std::function<platform::PixelSize(platform::PixelSize)>& sizeFor) {
    using platform::PictureStatus;
    platform::LoadedPicture result;
    IWICImagingFactory* factory = Factory();
    if (factory == nullptr) return result;

    // Shared for writing and deleting: a slideshow rewriting the file must never be blocked by
    // the miniature reading it.
    ComPtr<IStream> stream;
    if (path.empty() || FAILED(::SHCreateStreamOnFileEx(Widen(path).c_str(), STGM_READ | STGM_SHARE_DENY_NONE,
                                                         FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, &stream))) {
        result.status = PictureStatus::Unreadable;
        return result;
    }
    result.status = PictureStatus::NotAPicture;
    // The header decides before any decoder sees the file: some decoders read and expand the
    // whole stated picture as soon as they are created, so a short file stating 16000 x 8000
    // would cost hundreds of megabytes and seconds of made-up pixels before any check after them.
    if (const std::optional<platform::StatedPicture> stated = StatedPictureOf(stream.Get())) {
        if (!Believable(*stated, stream.Get())) {
            result.status = PictureStatus::Implausible;
            result.natural = stated->size;
            return result;
        }
    }
    // The decoder is chosen by the file's content, never by its name.
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder))) {
        return result;
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) return result;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(frame->GetSize(&width, &height))) return result;
    result.natural = {static_cast<int>(std::min<UINT>(width, INT_MAX)), static_cast<int>(std::min<UINT>(height, INT_MAX))};
    // The stated size decides before a single pixel is read: a damaged or hostile header must
    // not make the decoder reserve gigabytes (formats not read above are judged here).
    if (!platform::IsPlausiblePictureSize(result.natural)) {
        result.status = PictureStatus::Implausible;
        return result;
    }
    const platform::PixelSize target = sizeFor(result.natural);
    if (target.Empty()) {
        result.status = PictureStatus::Refused;
        return result;
    }

    // Converted first, so that the scaler blends premultiplied colours and transparent edges do
    // not bleed; both stages pull rows on demand, so only the output is ever held whole (where
    // the codec allows).
    ComPtr<IWICFormatConverter> converted;
    if (FAILED(factory->CreateFormatConverter(&converted)) ||
        FAILED(converted->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return result;
    }
    ComPtr<IWICBitmapSource> source = converted;
    if (target != result.natural) {
        ComPtr<IWICBitmapScaler> scaler;
        if (FAILED(factory->CreateBitmapScaler(&scaler)) ||
            FAILED(scaler->Initialize(converted.Get(), static_cast<UINT>(target.width), static_cast<UINT>(target.height),
                                      WICBitmapInterpolationModeFant))) {
            return result;
        }
        source = scaler;
    }
    std::shared_ptr<Win32Picture> picture = ReadPixels(source.Get(), target);
    if (!picture) return result;
    result.status = PictureStatus::Ok;
    result.picture = std::move(picture);
    return result;
}

platform::PictureRef Win32PictureLoader::Scale(const platform::PictureRef& picture, platform::PixelSize size) {
    const auto* source = dynamic_cast<const Win32Picture*>(picture.get());
    IWICImagingFactory* factory = Factory();
    if (source == nullptr || factory == nullptr || size.Empty()) return nullptr;
    DIBSECTION dib{};
    if (::GetObjectW(source->Bitmap(), sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBits == nullptr) return nullptr;
    const UINT stride = static_cast<UINT>(dib.dsBm.bmWidthBytes);
    const UINT bytes = stride * static_cast<UINT>(source->PixelHeight());
    ComPtr<IWICBitmap> bitmap;
    if (FAILED(factory->CreateBitmapFromMemory(static_cast<UINT>(source->PixelWidth()),
                                               static_cast<UINT>(source->PixelHeight()), GUID_WICPixelFormat32bppPBGRA,
                                               stride, bytes, static_cast<BYTE*>(dib.dsBm.bmBits), &bitmap))) {
        return nullptr;
    }
    ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(&scaler)) ||
        FAILED(scaler->Initialize(bitmap.Get(), static_cast<UINT>(size.width), static_cast<UINT>(size.height),
                                  WICBitmapInterpolationModeFant))) {
        return nullptr;
    }
    return ReadPixels(scaler.Get(), size);
}

}  // namespace lumbra::win32
