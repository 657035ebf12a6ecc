// Picture files through WIC: read by content and scaled while decoding, transparency kept
// premultiplied, large and busy files read, bad ones and headers stating more pixels than their
// bytes could hold turned away (their memory is watched end to end).
#include <gtest/gtest.h>
#include <windows.h>

#include "PictureFiles.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Picture.h"
#include "platform/win32/PictureLoader.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using namespace lumbra::win32::testing;
using platform::PictureStatus;
using platform::PixelSize;

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
    ScratchFolder folder{L"lumbra-pictures"};
    int asked = 0;
};

TEST_F(PictureLoading, PicturesAreReadByContentScaledWhileDecodingAndInMemory) {
    const std::string quadrants = " 8,0,0,8 0,8,0,8 0,0,8,8 8,8,8,8";
    // Red, green; transparent, half white.
    const Pixels alpha = Fill(8, 8, [](int x, int y) {
        return y < 4 ? (x < 4 ? kRed : kGreen) : (x < 4 ? Rgba{255, 0, 0, 0} : Rgba{255, 255, 255, 128});
    });
    WriteFile(folder / L"壁紙.bmp", BmpBytes(Quadrants(64, 48)));
    WriteFile(folder / L"TranscodedWallpaper", Encode(GUID_ContainerFormatJpeg, {Quadrants(64, 48)}));  // no extension
    WriteFile(folder / L"alpha.png", Encode(GUID_ContainerFormatPng, {alpha}, true));
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
    WriteFile(folder / L"flat.jpg", Encode(GUID_ContainerFormatJpeg, {flat}));
    WriteFile(folder / L"flat.bmp", BmpBytes(flat));
    for (const wchar_t* name : {L"flat.jpg", L"flat.bmp"}) {
        EXPECT_EQ(Quarters(Load(name, {64, 32}).picture), "64x32 8,0,0,8 0,8,0,8 8,0,0,8 0,8,0,8") << Narrow(name);
    }
    // Shared for writing and deleting: a slideshow rewriting the file is never blocked by it.
    unique_file writer(::CreateFileW((folder / L"flat.bmp").c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(Load(L"flat.bmp", {8, 8}).status, PictureStatus::Ok);
    WriteFile(folder / L"noise.jpg", std::vector<std::uint8_t>(5000, 0x5A));
    WriteFile(folder / L"lying.jpg", Stating(Encode(GUID_ContainerFormatJpeg, {Quadrants(64, 48)}), 16000, 8000));
    EXPECT_EQ(Load(L"noise.jpg").status, PictureStatus::NotAPicture);
    EXPECT_EQ(Load(L"lying.jpg").status, PictureStatus::Implausible);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Load(L"nothing.jpg").status, PictureStatus::Unreadable);
}

}  // namespace
}  // namespace lumbra::win32
