// Picture files through WIC: read by content and scaled while decoding, transparency kept
// premultiplied, large and busy files read, bad ones and headers stating more pixels than their
// bytes could hold turned away (their memory is watched end to end).
#include <gtest/gtest.h>
#include <wincodec.h>
#include <windows.h>
#include <wrl/client.h>

#include <fstream>
#include <functional>

#include "PictureFiles.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Picture.h"
#include "platform/win32/PictureLoader.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using Microsoft::WRL::ComPtr;
using platform::PictureStatus;
using platform::PixelSize;

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};
constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// A picture in memory, top row first.
struct Pixels {
    int width, height;
    std::vector<Rgba> data;
};

Pixels Fill(int width, int height, const std::function<Rgba(int x, int y)>& colour) {
    Pixels p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.data.push_back(colour(x, y));
    return p;
}

// Red top-left, green top-right, blue bottom-left, white bottom-right.
Pixels Quadrants(int width, int height) {
    return Fill(width, height, [&](int x, int y) {
        const bool right = x >= width / 2;
        return y >= height / 2 ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
    });
}

// Through the system's encoder of the container (GUID_ContainerFormatJpeg, ...Png, ...Bmp), 24-bit
// or with alpha 32-bit. Empty when the encoder is missing or wants another pixel format.
std::vector<std::uint8_t> Encode(const GUID& container, const Pixels& p, bool alpha = false) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    std::vector<std::uint8_t> bytes;
    for (const Rgba& c : p.data) {
        bytes.insert(bytes.end(), {c.b, c.g, c.r});
        if (alpha) bytes.push_back(c.a);
    }
    WICPixelFormatGUID format = alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    const WICPixelFormatGUID given = format;
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
        FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || FAILED(factory->CreateEncoder(container, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(p.width), static_cast<UINT>(p.height))) ||
        FAILED(frame->SetPixelFormat(&format)) || format != given ||
        FAILED(frame->WritePixels(static_cast<UINT>(p.height), static_cast<UINT>(p.width) * (alpha ? 4 : 3),
                                  static_cast<UINT>(bytes.size()), bytes.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()) || FAILED(::GetHGlobalFromStream(stream.Get(), &memory)) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return {};
    }
    const auto* start = static_cast<const std::uint8_t*>(::GlobalLock(memory));
    std::vector<std::uint8_t> out(start, start + stat.cbSize.QuadPart);
    ::GlobalUnlock(memory);
    return out;
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The four quadrants' middles of a picture (as stored, premultiplied): "r,g,b,a r,g,b,a ...",
// each channel rounded to a step of 32 so that codecs' small differences do not count.
std::string Quarters(const platform::PictureRef& picture) {
    const auto* p = dynamic_cast<const Win32Picture*>(picture.get());
    DIBSECTION dib{};
    if (p == nullptr || ::GetObjectW(p->Bitmap(), sizeof dib, &dib) != sizeof dib) return "none";
    std::string out = std::to_string(p->PixelWidth()) + "x" + std::to_string(p->PixelHeight());
    for (const auto& [fx, fy] : {std::pair{1, 1}, {3, 1}, {1, 3}, {3, 3}}) {
        const auto* px = static_cast<const std::uint8_t*>(dib.dsBm.bmBits) + (p->PixelHeight() * fy / 4) * dib.dsBm.bmWidthBytes +
                         (p->PixelWidth() * fx / 4) * 4;
        for (int c : {2, 1, 0, 3}) out += (c == 2 ? " " : ",") + std::to_string((px[c] + 16) / 32);
    }
    return out;
}

// A JPEG with its frame header changed to state another size over the same scan.
std::vector<std::uint8_t> Stating(std::vector<std::uint8_t> jpeg, std::uint16_t width, std::uint16_t height) {
    std::size_t at = 2;
    while (at + 9 < jpeg.size() && !(jpeg[at] == 0xFF && jpeg[at + 1] == 0xC0)) ++at;
    const std::uint8_t size[] = {std::uint8_t(height >> 8), std::uint8_t(height), std::uint8_t(width >> 8), std::uint8_t(width)};
    std::copy(std::begin(size), std::end(size), jpeg.begin() + static_cast<std::ptrdiff_t>(at + 5));
    return jpeg;
}

class PictureLoading : public ::testing::Test {
protected:
    platform::LoadedPicture Load(const std::wstring& name, PixelSize size = {}) {
        asked = 0;
        return loader.Load(Narrow((folder / name).wstring()), [&](PixelSize natural) {
            ++asked;
            return size.Empty() ? natural : size;
        });
    }
    com_apartment com;
    Win32PictureLoader loader;
    testing::ScratchFolder folder{L"lumbra-pictures"};
    int asked = 0;
};

TEST_F(PictureLoading, PicturesAreReadByContentScaledWhileDecodingAndInMemory) {
    const std::string quadrants = " 8,0,0,8 0,8,0,8 0,0,8,8 8,8,8,8";
    // Red, green; transparent, half white.
    const Pixels alpha = Fill(8, 8, [](int x, int y) {
        return y < 4 ? (x < 4 ? kRed : kGreen) : (x < 4 ? Rgba{255, 0, 0, 0} : Rgba{255, 255, 255, 128});
    });
    WriteFile(folder / L"壁紙.bmp", Encode(GUID_ContainerFormatBmp, Quadrants(64, 48)));
    WriteFile(folder / L"TranscodedWallpaper", Encode(GUID_ContainerFormatJpeg, Quadrants(64, 48)));  // no extension
    WriteFile(folder / L"alpha.png", Encode(GUID_ContainerFormatPng, alpha, true));
    for (const wchar_t* name : {L"壁紙.bmp", L"TranscodedWallpaper"}) {
        EXPECT_EQ(Quarters(Load(name).picture), "64x48" + quadrants) << Narrow(name);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(Quarters(Load(name, {16, 12}).picture), "16x12" + quadrants) << Narrow(name);
        EXPECT_EQ(Quarters(loader.Scale(Load(name).picture, {100, 75})), "100x75" + quadrants) << Narrow(name);
    }
    const platform::LoadedPicture transparent = Load(L"alpha.png");
    EXPECT_TRUE(dynamic_cast<const Win32Picture&>(*transparent.picture).HasAlpha());
    EXPECT_EQ(Quarters(transparent.picture), "8x8 8,0,0,8 0,8,0,8 0,0,0,0 4,4,4,4");  // premultiplied
    EXPECT_EQ(Quarters(Load(L"alpha.png", {4, 4}).picture).substr(0, 11), "4x4 8,0,0,8");
    EXPECT_EQ(loader.Scale(nullptr, {8, 8}), nullptr);
}

TEST_F(PictureLoading, LargeAndBusyFilesLoadAndWhatIsNoPictureOrStatesTooMuchDoesNot) {
    // Beyond the size decoded whatever the file holds, and as compressible as pictures get.
    const Pixels flat = Fill(4096, 2048, [](int x, int) { return x < 2048 ? kRed : kGreen; });
    WriteFile(folder / L"flat.jpg", Encode(GUID_ContainerFormatJpeg, flat));
    WriteFile(folder / L"flat.bmp", Encode(GUID_ContainerFormatBmp, flat));
    for (const wchar_t* name : {L"flat.jpg", L"flat.bmp"}) {
        EXPECT_EQ(Quarters(Load(name, {64, 32}).picture), "64x32 8,0,0,8 0,8,0,8 8,0,0,8 0,8,0,8") << Narrow(name);
    }
    // Shared for writing and deleting: a slideshow rewriting the file is never blocked by it.
    unique_file writer(::CreateFileW((folder / L"flat.bmp").c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(Load(L"flat.bmp", {8, 8}).status, PictureStatus::Ok);
    WriteFile(folder / L"noise.jpg", std::vector<std::uint8_t>(5000, 0x5A));
    WriteFile(folder / L"lying.jpg", Stating(Encode(GUID_ContainerFormatJpeg, Quadrants(64, 48)), 16000, 8000));
    EXPECT_EQ(Load(L"noise.jpg").status, PictureStatus::NotAPicture);
    EXPECT_EQ(Load(L"lying.jpg").status, PictureStatus::Implausible);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Load(L"nothing.jpg").status, PictureStatus::Unreadable);
}

}  // namespace
}  // namespace lumbra::win32
