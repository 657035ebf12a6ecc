// Picture files through WIC: read by content and scaled while decoding, transparency kept
// premultiplied, bad files turned away, and headers stating more pixels than their bytes could
// hold refused before any codec reserves memory for them.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

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

// The file with its header changed to state another size over the same data.
std::vector<std::uint8_t> Stating(std::vector<std::uint8_t> bytes, std::uint32_t width, std::uint32_t height) {
    const auto put = [&](std::size_t at, std::uint32_t v, int n, bool big) {
        for (int i = 0; i < n; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * (big ? n - 1 - i : i)));
    };
    std::size_t frame = 2;  // a JPEG's frame header
    while (bytes[0] == 0xFF && !(bytes[frame] == 0xFF && bytes[frame + 1] == 0xC0)) ++frame;
    if (bytes[0] == 'B') put(18, width, 4, false), put(22, height, 4, false);
    if (bytes[0] == 0x89) put(16, width, 4, true), put(20, height, 4, true);
    if (bytes[0] == 0xFF) put(frame + 5, height, 2, true), put(frame + 7, width, 2, true);
    return bytes;
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

TEST_F(PictureLoading, MissingDamagedAndRefusedFilesGiveNoPictureAndTheReason) {
    std::vector<std::uint8_t> noise(5000);
    std::uint32_t state = 12345;
    for (auto& b : noise) b = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 16);
    WriteFile(folder / L"noise.jpg", noise);
    WriteFile(folder / L"empty.bmp", {});
    WriteFile(folder / L"q.bmp", BmpBytes(Quadrants(8, 8)));
    std::filesystem::create_directory(folder / L"sub.png");
    const std::pair<const wchar_t*, PictureStatus> cases[] = {{L"nothing.png", PictureStatus::Unreadable},
                                                              {L"sub.png", PictureStatus::Unreadable},
                                                              {L"noise.jpg", PictureStatus::NotAPicture},
                                                              {L"empty.bmp", PictureStatus::NotAPicture}};
    for (const auto& [name, status] : cases) EXPECT_EQ(Load(name).status, status) << Narrow(name);
    const auto refused = loader.Load(Narrow((folder / L"q.bmp").wstring()), [](PixelSize) { return PixelSize{}; });
    EXPECT_EQ(refused.status, PictureStatus::Refused);
    EXPECT_EQ(refused.natural, (PixelSize{8, 8}));
    // Shared for writing and deleting: a slideshow rewriting the file is never blocked by it.
    unique_file writer(::CreateFileW((folder / L"q.bmp").c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(Load(L"q.bmp").status, PictureStatus::Ok);
}

TEST_F(PictureLoading, HeadersStatingMorePixelsThanTheFileHoldsAreRefusedBeforeDecoding) {
    // The peak of resident memory shows a buffer a codec filled and freed again (Wine reports
    // private bytes as 0).
    const auto peak = [] {
        PROCESS_MEMORY_COUNTERS counters{};
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
        return counters.PeakWorkingSetSize;
    };
    const Pixels small = Quadrants(64, 48);
    WriteFile(folder / L"lying.bmp", Stating(BmpBytes(small), 16000, 8000));
    WriteFile(folder / L"lying.png", Stating(Encode(GUID_ContainerFormatPng, {small}), 16000, 8000));
    WriteFile(folder / L"lying.jpg", Stating(Encode(GUID_ContainerFormatJpeg, {small}), 16000, 8000));
    WriteFile(folder / L"wide.bmp", Stating(BmpBytes(small), 40000, 1));
    for (const wchar_t* name : {L"lying.bmp", L"lying.png", L"lying.jpg", L"wide.bmp"}) {
        const SIZE_T before = peak();
        const platform::LoadedPicture loaded = Load(name, {200, 100});
        EXPECT_EQ(loaded.status, PictureStatus::Implausible) << Narrow(name);
        EXPECT_EQ(loaded.natural.width, name[0] == L'w' ? 40000 : 16000) << Narrow(name);
        EXPECT_EQ(asked, 0) << Narrow(name);
        EXPECT_LT(peak() - before, SIZE_T{32} << 20) << Narrow(name);
    }
    // Genuine large pictures, beyond the size decoded whatever the file holds.
    const Pixels flat = Fill(4096, 2048, [](int x, int) { return x < 2048 ? kRed : kGreen; });
    WriteFile(folder / L"flat.jpg", Encode(GUID_ContainerFormatJpeg, {flat}));
    WriteFile(folder / L"flat.bmp", BmpBytes(flat));
    for (const wchar_t* name : {L"flat.jpg", L"flat.bmp"}) {
        EXPECT_EQ(Quarters(Load(name, {64, 32}).picture), "64x32 8,0,0,8 0,8,0,8 8,0,0,8 0,8,0,8") << Narrow(name);
    }
}

}  // namespace
}  // namespace lumbra::win32
