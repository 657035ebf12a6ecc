// Picture files through WIC: every format a wallpaper comes in, recognised by content and
// scaled while decoding; bad files turned away, and headers stating more pixels than their bytes
// could hold refused before any codec reserves memory for them.
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

// One pixel of a loaded picture, as stored (premultiplied).
Rgba PixelOf(const platform::PictureRef& picture, int x, int y) {
    const auto* p = dynamic_cast<const Win32Picture*>(picture.get());
    DIBSECTION dib{};
    if (p == nullptr || ::GetObjectW(p->Bitmap(), sizeof dib, &dib) != sizeof dib) return {};
    const auto* px = static_cast<const std::uint8_t*>(dib.dsBm.bmBits) + y * dib.dsBm.bmWidthBytes + x * 4;
    return Rgba{px[2], px[1], px[0], px[3]};
}

bool Near(Rgba a, Rgba e, int tolerance) {
    const auto close = [&](int x, int y) { return std::abs(x - y) <= tolerance; };
    return close(a.r, e.r) && close(a.g, e.g) && close(a.b, e.b) && close(a.a, e.a);
}

// The most memory the process has had resident: a buffer filled and freed again still shows.
// (Wine reports private bytes as 0.)
SIZE_T PeakResident() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

// The file with its header changed to state another size over the same data.
std::vector<std::uint8_t> Stating(std::vector<std::uint8_t> bytes, std::uint32_t width, std::uint32_t height) {
    const auto put = [&](std::size_t at, std::uint32_t v, int n, bool big) {
        for (int i = 0; i < n; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * (big ? n - 1 - i : i)));
    };
    if (bytes[0] == 'B') {
        put(18, width, 4, false);
        put(22, height, 4, false);
    } else if (bytes[0] == 0x89) {
        put(16, width, 4, true);
        put(20, height, 4, true);
    } else {
        for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
            if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
                put(i + 5, height, 2, true);
                put(i + 7, width, 2, true);
                break;
            }
        }
    }
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
    void ExpectQuadrants(const platform::PictureRef& picture, PixelSize size, int tolerance) {
        ASSERT_NE(picture, nullptr);
        ASSERT_EQ(picture->PixelWidth(), size.width);
        ASSERT_EQ(picture->PixelHeight(), size.height);
        const int x0 = size.width / 4, x1 = size.width * 3 / 4, y0 = size.height / 4, y1 = size.height * 3 / 4;
        EXPECT_TRUE(Near(PixelOf(picture, x0, y0), kRed, tolerance));
        EXPECT_TRUE(Near(PixelOf(picture, x1, y0), kGreen, tolerance));
        EXPECT_TRUE(Near(PixelOf(picture, x0, y1), kBlue, tolerance));
        EXPECT_TRUE(Near(PixelOf(picture, x1, y1), kWhite, tolerance));
    }

    com_apartment com;
    Win32PictureLoader loader;
    ScratchFolder folder{L"lumbra-pictures"};
    int asked = 0;
};

TEST_F(PictureLoading, EveryFormatLoadsByContentAtItsNaturalSizeAndScaled) {
    const Pixels q = Quadrants(64, 48);
    const struct {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        int tolerance;
    } cases[] = {
        {L"q.bmp", BmpBytes(q), 0},
        {L"q.png", Encode(GUID_ContainerFormatPng, {q}), 0},
        {L"q.jpg", Encode(GUID_ContainerFormatJpeg, {q}), 24},
        {L"q.tif", Encode(GUID_ContainerFormatTiff, {q}), 0},
        {L"q.gif", Encode(GUID_ContainerFormatGif, {q, Fill(64, 48, [](int, int) { return kWhite; })}), 8},
        {L"TranscodedWallpaper", Encode(GUID_ContainerFormatJpeg, {q}), 24},  // as Windows keeps its copy
        {L"really-a-png.bmp", Encode(GUID_ContainerFormatPng, {q}), 0},
        {L"壁紙 ①.bmp", BmpBytes(q), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        ASSERT_FALSE(c.bytes.empty()) << "no encoder";
        WriteFile(folder / c.name, c.bytes);
        const platform::LoadedPicture whole = Load(c.name);
        EXPECT_EQ(whole.status, PictureStatus::Ok);
        EXPECT_EQ(whole.natural, (PixelSize{64, 48}));
        EXPECT_EQ(asked, 1);
        ExpectQuadrants(whole.picture, {64, 48}, c.tolerance);
        ExpectQuadrants(Load(c.name, {16, 12}).picture, {16, 12}, c.tolerance + 8);
        ExpectQuadrants(Load(c.name, {100, 75}).picture, {100, 75}, c.tolerance + 8);
    }
}

TEST_F(PictureLoading, TransparencyIsKeptPremultipliedAndCopiesScaleInMemory) {
    Pixels p = Quadrants(8, 8);
    p.at(0, 0) = Rgba{255, 0, 0, 0};
    p.at(7, 7) = Rgba{255, 255, 255, 128};
    WriteFile(folder / L"alpha.png", Encode(GUID_ContainerFormatPng, {p}, true));
    const platform::LoadedPicture loaded = Load(L"alpha.png");
    ASSERT_EQ(loaded.status, PictureStatus::Ok);
    EXPECT_TRUE(dynamic_cast<const Win32Picture&>(*loaded.picture).HasAlpha());
    EXPECT_TRUE(Near(PixelOf(loaded.picture, 0, 0), Rgba{0, 0, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelOf(loaded.picture, 7, 7), Rgba{128, 128, 128, 128}, 1));

    WriteFile(folder / L"q.bmp", BmpBytes(Quadrants(64, 48)));
    const platform::PictureRef master = Load(L"q.bmp").picture;
    ExpectQuadrants(loader.Scale(master, {8, 6}), {8, 6}, 8);
    ExpectQuadrants(loader.Scale(master, {100, 75}), {100, 75}, 8);
    EXPECT_EQ(loader.Scale(nullptr, {8, 8}), nullptr);
}

TEST_F(PictureLoading, MissingDamagedAndRefusedFilesGiveNoPicture) {
    std::vector<std::uint8_t> noise(5000);
    std::uint32_t state = 12345;
    for (auto& b : noise) b = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 16);
    auto png = Encode(GUID_ContainerFormatPng, {Quadrants(40, 30)});
    for (std::size_t i = 60; i < png.size() - 20; ++i) png[i] ^= 0x5A;
    WriteFile(folder / L"noise.jpg", noise);
    WriteFile(folder / L"empty.bmp", {});
    WriteFile(folder / L"damaged.png", png);
    std::filesystem::create_directory(folder / L"sub.png");
    const std::pair<const wchar_t*, PictureStatus> cases[] = {
        {L"nothing.png", PictureStatus::Unreadable}, {L"sub.png", PictureStatus::Unreadable},
        {L"noise.jpg", PictureStatus::NotAPicture},  {L"empty.bmp", PictureStatus::NotAPicture},
        {L"damaged.png", PictureStatus::NotAPicture}};
    for (const auto& [name, status] : cases) {
        const platform::LoadedPicture loaded = Load(name);
        EXPECT_EQ(loaded.status, status) << Narrow(name);
        EXPECT_EQ(loaded.picture, nullptr) << Narrow(name);
    }
    WriteFile(folder / L"q.bmp", BmpBytes(Quadrants(8, 8)));
    const auto refused = loader.Load(Narrow((folder / L"q.bmp").wstring()), [](PixelSize) { return PixelSize{}; });
    EXPECT_EQ(refused.status, PictureStatus::Refused);
    EXPECT_EQ(refused.natural, (PixelSize{8, 8}));

    // A JPEG cut short may still decode (the codec fills in the rest), at the size asked for.
    auto jpeg = Encode(GUID_ContainerFormatJpeg, {Quadrants(64, 64)});
    jpeg.resize(jpeg.size() / 2);
    WriteFile(folder / L"half.jpg", jpeg);
    const platform::LoadedPicture half = Load(L"half.jpg", {32, 32});
    if (half.status == PictureStatus::Ok) {
        EXPECT_EQ(half.picture->PixelWidth(), 32);
    } else {
        EXPECT_EQ(half.status, PictureStatus::NotAPicture);
    }
}

TEST_F(PictureLoading, HeadersStatingMorePixelsThanTheFileHoldsAreRefusedBeforeDecoding) {
    const Pixels small = Quadrants(64, 48);
    WriteFile(folder / L"lying.bmp", Stating(BmpBytes(small), 16000, 8000));
    WriteFile(folder / L"lying.png", Stating(Encode(GUID_ContainerFormatPng, {small}), 16000, 8000));
    WriteFile(folder / L"lying.jpg", Stating(Encode(GUID_ContainerFormatJpeg, {small}), 16000, 8000));
    WriteFile(folder / L"giant.bmp", Stating(BmpBytes(small), 65535, 65535));
    WriteFile(folder / L"wide.bmp", Stating(BmpBytes(small), 40000, 1));
    const std::pair<const wchar_t*, PixelSize> lies[] = {{L"lying.bmp", {16000, 8000}}, {L"lying.png", {16000, 8000}},
                                                         {L"lying.jpg", {16000, 8000}}, {L"giant.bmp", {65535, 65535}},
                                                         {L"wide.bmp", {40000, 1}}};
    for (const auto& [name, stated] : lies) {
        const SIZE_T before = PeakResident();
        const platform::LoadedPicture loaded = Load(name, {200, 100});
        EXPECT_EQ(loaded.status, PictureStatus::Implausible) << Narrow(name);
        EXPECT_EQ(loaded.natural, stated) << Narrow(name);
        EXPECT_EQ(asked, 0) << Narrow(name);
        EXPECT_LT(PeakResident() - before, SIZE_T{32} << 20) << Narrow(name);
    }
    // Genuine large pictures of the same formats, beyond the size decoded whatever the file.
    const Pixels flat = Fill(4096, 2048, [](int x, int) { return x < 2048 ? kRed : kGreen; });
    WriteFile(folder / L"flat.jpg", Encode(GUID_ContainerFormatJpeg, {flat}));
    WriteFile(folder / L"flat.png", Encode(GUID_ContainerFormatPng, {flat}));
    WriteFile(folder / L"flat.bmp", BmpBytes(Fill(2400, 1800, [](int x, int) { return x < 1200 ? kRed : kGreen; })));
    for (const wchar_t* name : {L"flat.jpg", L"flat.png", L"flat.bmp"}) {
        const platform::LoadedPicture loaded = Load(name, {64, 32});
        ASSERT_EQ(loaded.status, PictureStatus::Ok) << Narrow(name);
        EXPECT_TRUE(Near(PixelOf(loaded.picture, 16, 8), kRed, 24)) << Narrow(name);
        EXPECT_TRUE(Near(PixelOf(loaded.picture, 48, 24), kGreen, 24)) << Narrow(name);
    }
}

TEST_F(PictureLoading, AFileBeingWrittenByAnotherProgramCanStillBeRead) {
    const auto path = folder / L"busy.bmp";
    WriteFile(path, BmpBytes(Quadrants(16, 16)));
    unique_file writer(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    ExpectQuadrants(Load(L"busy.bmp").picture, {16, 16}, 0);
}

}  // namespace
}  // namespace lumbra::win32
