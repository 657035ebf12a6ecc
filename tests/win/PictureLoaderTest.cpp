// Picture files through WIC: every format a wallpaper comes in, recognised by content, scaled
// while decoding, and every kind of bad file turned away without a crash or a huge allocation.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>

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

// The colour of one pixel of a loaded picture, unpremultiplied.
Rgba PixelOf(const platform::PictureRef& picture, int x, int y) {
    const auto* p = dynamic_cast<const Win32Picture*>(picture.get());
    DIBSECTION dib{};
    if (p == nullptr || ::GetObjectW(p->Bitmap(), sizeof dib, &dib) != sizeof dib) return {};
    const auto* row = static_cast<const std::uint8_t*>(dib.dsBm.bmBits) + static_cast<std::size_t>(y) * dib.dsBm.bmWidthBytes;
    const std::uint8_t* px = row + static_cast<std::size_t>(x) * 4;
    return Rgba{px[2], px[1], px[0], px[3]};
}

::testing::AssertionResult Near(Rgba actual, Rgba expected, int tolerance) {
    auto off = [&](int a, int e) { return std::abs(a - e) > tolerance; };
    if (off(actual.r, expected.r) || off(actual.g, expected.g) || off(actual.b, expected.b) || off(actual.a, expected.a)) {
        return ::testing::AssertionFailure() << "rgba(" << int(actual.r) << "," << int(actual.g) << "," << int(actual.b)
                                             << "," << int(actual.a) << ") is not within " << tolerance << " of rgba("
                                             << int(expected.r) << "," << int(expected.g) << "," << int(expected.b) << ","
                                             << int(expected.a) << ")";
    }
    return ::testing::AssertionSuccess();
}

class PictureLoading : public ::testing::Test {
protected:
    platform::LoadedPicture Load(const std::filesystem::path& path, PixelSize size = {}) {
        asked.clear();
        return loader.Load(Narrow(path.wstring()), [&](PixelSize natural) {
            asked.push_back(natural);
            return size.Empty() ? natural : size;
        });
    }

    // The four quadrants of a loaded picture, each sampled in its middle.
    void ExpectQuadrants(const platform::LoadedPicture& loaded, PixelSize size, int tolerance) {
        ASSERT_EQ(loaded.status, PictureStatus::Ok);
        ASSERT_NE(loaded.picture, nullptr);
        ASSERT_EQ(loaded.picture->PixelWidth(), size.width);
        ASSERT_EQ(loaded.picture->PixelHeight(), size.height);
        const int x0 = size.width / 4, x1 = size.width * 3 / 4, y0 = size.height / 4, y1 = size.height * 3 / 4;
        EXPECT_TRUE(Near(PixelOf(loaded.picture, x0, y0), kRed, tolerance));
        EXPECT_TRUE(Near(PixelOf(loaded.picture, x1, y0), kGreen, tolerance));
        EXPECT_TRUE(Near(PixelOf(loaded.picture, x0, y1), kBlue, tolerance));
        EXPECT_TRUE(Near(PixelOf(loaded.picture, x1, y1), kWhite, tolerance));
    }

    com_apartment com;
    Win32PictureLoader loader;
    ScratchFolder folder{L"lumbra-pictures"};
    std::vector<PixelSize> asked;
};

TEST_F(PictureLoading, EveryFormatLoadsAtItsNaturalSizeAndScaled) {
    const auto black = [](int, int) { return Rgba{0, 0, 0}; };
    const auto yellow = [](int, int) { return Rgba{255, 255, 0}; };
    const struct {
        const wchar_t* name;
        std::vector<std::uint8_t> bytes;
        PixelSize natural;
        PixelSize scaled;  // {} for none
        int tolerance;     // of the colours, at the natural size and scaled
    } cases[] = {
        {L"q.bmp", BmpBytes(Quadrants(64, 48)), {64, 48}, {16, 12}, 0},
        {L"q.png", PngBytes(Quadrants(40, 30)), {40, 30}, {80, 60}, 0},
        {L"q.jpg", Encode(GUID_ContainerFormatJpeg, {Quadrants(64, 48)}), {64, 48}, {32, 24}, 24},
        {L"q.tif", Encode(GUID_ContainerFormatTiff, {Quadrants(32, 32)}), {32, 32}, {}, 0},
        // The first frame; colours pass through a palette on the way in.
        {L"anim.gif", Encode(GUID_ContainerFormatGif, {Quadrants(32, 32), Fill(32, 32, yellow)}), {32, 32}, {}, 8},
        // The first image, not the larger one.
        {L"two.ico", IcoBytes(Quadrants(16, 16), Fill(32, 32, black)), {16, 16}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        ASSERT_FALSE(c.bytes.empty()) << "no encoder";
        WriteFile(folder / c.name, c.bytes);
        auto whole = Load(folder / c.name);
        EXPECT_EQ(whole.natural, c.natural);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0], c.natural) << "the size is asked for with the natural size";
        ExpectQuadrants(whole, c.natural, c.tolerance);
        if (!c.scaled.Empty()) ExpectQuadrants(Load(folder / c.name, c.scaled), c.scaled, std::max(c.tolerance, 8));
    }
}

TEST_F(PictureLoading, TransparencyIsKeptPremultiplied) {
    Pixels p = Quadrants(8, 8);
    p.at(0, 0) = Rgba{255, 0, 0, 0};      // invisible red
    p.at(7, 7) = Rgba{255, 255, 255, 128};  // half white
    WriteFile(folder / L"alpha.png", PngBytes(p, true));
    auto loaded = Load(folder / L"alpha.png");
    ASSERT_EQ(loaded.status, PictureStatus::Ok);
    EXPECT_TRUE(dynamic_cast<const Win32Picture&>(*loaded.picture).HasAlpha());
    EXPECT_TRUE(Near(PixelOf(loaded.picture, 0, 0), Rgba{0, 0, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelOf(loaded.picture, 7, 7), Rgba{128, 128, 128, 128}, 1));
    EXPECT_TRUE(Near(PixelOf(loaded.picture, 1, 1), kRed, 0));
}

TEST_F(PictureLoading, FormatIsRecognisedByContentNotByName) {
    // Windows keeps a converted wallpaper in a file without extension.
    WriteFile(folder / L"TranscodedWallpaper", PngBytes(Quadrants(20, 20)));
    ExpectQuadrants(Load(folder / L"TranscodedWallpaper"), {20, 20}, 0);
    WriteFile(folder / L"really-a-jpeg.bmp", Encode(GUID_ContainerFormatJpeg, {Quadrants(32, 32)}));
    ExpectQuadrants(Load(folder / L"really-a-jpeg.bmp"), {32, 32}, 24);
}

TEST_F(PictureLoading, JapaneseFileNamesLoad) {
    WriteFile(folder / L"壁紙 ①.png", PngBytes(Quadrants(10, 10)));
    ExpectQuadrants(Load(folder / L"壁紙 ①.png"), {10, 10}, 0);
}

TEST_F(PictureLoading, MissingFileAndFolderAreUnreadable) {
    EXPECT_EQ(Load(folder / L"nothing.png").status, PictureStatus::Unreadable);
    std::filesystem::create_directory(folder / L"sub.png");
    EXPECT_EQ(Load(folder / L"sub.png").status, PictureStatus::Unreadable);
    EXPECT_TRUE(asked.empty());
}

TEST_F(PictureLoading, CorruptAndUnsupportedFilesAreNoPictures) {
    std::vector<std::uint8_t> noise(5000);
    std::uint32_t state = 12345;
    for (auto& b : noise) b = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 16);
    WriteFile(folder / L"noise.jpg", noise);
    WriteFile(folder / L"empty.bmp", {});
    WriteFile(folder / L"text.png", {'h', 'e', 'l', 'l', 'o'});
    // A PNG whose pixel data is damaged behind an intact header.
    auto png = PngBytes(Quadrants(40, 30));
    for (std::size_t i = 60; i < png.size() - 20; ++i) png[i] ^= 0x5A;
    WriteFile(folder / L"damaged.png", png);
    for (const wchar_t* name : {L"noise.jpg", L"empty.bmp", L"text.png", L"damaged.png"}) {
        auto loaded = Load(folder / name);
        EXPECT_EQ(loaded.status, PictureStatus::NotAPicture) << Narrow(name);
        EXPECT_EQ(loaded.picture, nullptr) << Narrow(name);
    }
}

TEST_F(PictureLoading, TruncatedFilesGiveNoPictureOrAWholeOne) {
    auto png = PngBytes(Quadrants(64, 64));
    png.resize(png.size() / 2);
    WriteFile(folder / L"half.png", png);
    EXPECT_EQ(Load(folder / L"half.png").status, PictureStatus::NotAPicture);

    // A JPEG cut short may still decode (the codec fills in the rest): never a crash, and
    // whatever comes back has the size asked for.
    auto jpeg = Encode(GUID_ContainerFormatJpeg, {Quadrants(64, 64)});
    jpeg.resize(jpeg.size() / 2);
    WriteFile(folder / L"half.jpg", jpeg);
    auto loaded = Load(folder / L"half.jpg", {32, 32});
    if (loaded.status == PictureStatus::Ok) {
        EXPECT_EQ(loaded.picture->PixelWidth(), 32);
        EXPECT_EQ(loaded.picture->PixelHeight(), 32);
    } else {
        EXPECT_EQ(loaded.status, PictureStatus::NotAPicture);
        EXPECT_EQ(loaded.picture, nullptr);
    }
}

// The most memory the process has ever had resident: a buffer that was filled and freed again
// still shows. (Private bytes would not do: Wine reports them as 0.)
SIZE_T PeakResident() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

TEST_F(PictureLoading, AbsurdStatedSizeIsRefusedBeforeDecodingWithinBoundedMemory) {
    // A bitmap's codec reads its header at once and its pixels only when asked: the size check
    // is what stands between the header and a 12 GB allocation.
    WriteFile(folder / L"giant.bmp", BmpHeaderOnly(65535, 65535));
    const SIZE_T before = PeakResident();
    auto loaded = Load(folder / L"giant.bmp");
    EXPECT_EQ(loaded.status, PictureStatus::Implausible);
    EXPECT_EQ(loaded.natural, (PixelSize{65535, 65535}));
    EXPECT_EQ(loaded.picture, nullptr);
    EXPECT_TRUE(asked.empty()) << "the size was asked for a picture that must not be decoded";

    // A PNG header making the same claim: refused by the size check or by the codec itself.
    WriteFile(folder / L"giant.png", PngHeaderOnly(65535, 65535));
    auto png = Load(folder / L"giant.png");
    EXPECT_TRUE(png.status == PictureStatus::Implausible || png.status == PictureStatus::NotAPicture);
    EXPECT_EQ(png.picture, nullptr);
    EXPECT_TRUE(asked.empty());

    // Wider than any plausible picture, however few pixels in all.
    WriteFile(folder / L"wide.bmp", BmpHeaderOnly(40000, 1));
    EXPECT_EQ(Load(folder / L"wide.bmp").status, PictureStatus::Implausible);

    const SIZE_T after = PeakResident();
    EXPECT_LT(after, before + (SIZE_T{64} << 20));
}

TEST_F(PictureLoading, EmptySizeRefusesThePicture) {
    WriteFile(folder / L"q.bmp", BmpBytes(Quadrants(8, 8)));
    auto loaded = loader.Load(Narrow((folder / L"q.bmp").wstring()), [](PixelSize) { return PixelSize{}; });
    EXPECT_EQ(loaded.status, PictureStatus::Refused);
    EXPECT_EQ(loaded.natural, (PixelSize{8, 8}));
    EXPECT_EQ(loaded.picture, nullptr);
}

TEST_F(PictureLoading, LoadedPictureScalesToAnotherSizeInMemory) {
    WriteFile(folder / L"q.bmp", BmpBytes(Quadrants(64, 48)));
    auto loaded = Load(folder / L"q.bmp", {32, 24});
    ASSERT_EQ(loaded.status, PictureStatus::Ok);
    platform::PictureRef smaller = loader.Scale(loaded.picture, {8, 6});
    ExpectQuadrants({PictureStatus::Ok, {}, smaller}, {8, 6}, 8);
    platform::PictureRef larger = loader.Scale(loaded.picture, {100, 75});
    ExpectQuadrants({PictureStatus::Ok, {}, larger}, {100, 75}, 8);
    EXPECT_EQ(loader.Scale(nullptr, {8, 8}), nullptr);
}

TEST_F(PictureLoading, FileBeingWrittenByAnotherProgramCanStillBeRead) {
    const auto path = folder / L"busy.png";
    WriteFile(path, PngBytes(Quadrants(16, 16)));
    unique_file writer(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    ExpectQuadrants(Load(path), {16, 16}, 0);
}

}  // namespace
}  // namespace lumbra::win32
