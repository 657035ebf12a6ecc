// Picture files whose headers state far more pixels than their bytes could describe: turned
// away before the codec reserves (and fills) memory for the stated picture, while genuine large
// pictures of the same formats still load.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>

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

// The most memory the process has ever had resident. Wine fills it from the host's own count
// (its private bytes stay 0 there), so it shows a buffer that a codec filled and freed again.
SIZE_T PeakResident() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

// One pixel of a loaded picture (opaque pictures only).
Rgba PixelOf(const platform::PictureRef& picture, int x, int y) {
    const auto* p = dynamic_cast<const Win32Picture*>(picture.get());
    DIBSECTION dib{};
    if (p == nullptr || ::GetObjectW(p->Bitmap(), sizeof dib, &dib) != sizeof dib) return {};
    const auto* row = static_cast<const std::uint8_t*>(dib.dsBm.bmBits) + static_cast<std::size_t>(y) * dib.dsBm.bmWidthBytes;
    const std::uint8_t* px = row + static_cast<std::size_t>(x) * 4;
    return Rgba{px[2], px[1], px[0], px[3]};
}

bool Near(Rgba a, Rgba e) {
    auto close = [](int x, int y) { return std::abs(x - y) <= 24; };
    return close(a.r, e.r) && close(a.g, e.g) && close(a.b, e.b);
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// An 8-bit run-length bitmap, red over green, every row its runs and an end-of-line code. With
// endEarly, the pixel data is one end-of-picture code and nothing else.
std::vector<std::uint8_t> RunLengthBmp(int width, int height, bool endEarly) {
    std::vector<std::uint8_t> pixels;
    if (endEarly) {
        pixels = {0, 1};
    } else {
        for (int y = 0; y < height; ++y) {
            // Rows are stored bottom first: palette entry 2 (green), then 1 (red).
            const auto index = static_cast<std::uint8_t>(y < height / 2 ? 2 : 1);
            for (int left = width; left > 0; left -= 255) {
                pixels.insert(pixels.end(), {static_cast<std::uint8_t>(std::min(left, 255)), index});
            }
            pixels.insert(pixels.end(), {0, 0});
        }
        pixels.insert(pixels.end(), {0, 1});
    }
    const std::uint32_t offset = 14 + 40 + 256 * 4;
    std::vector<std::uint8_t> out{'B', 'M'};
    Put32(out, offset + static_cast<std::uint32_t>(pixels.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 1);  // BI_RLE8
    Put32(out, static_cast<std::uint32_t>(pixels.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 256);
    Put32(out, 0);
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t red = i == 1 ? 255 : 0;
        const std::uint8_t green = i == 2 ? 255 : 0;
        out.insert(out.end(), {0, green, red, 0});
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// A JPEG of the quadrants whose frame header is changed to state another size; the scan data
// stays that of the small picture.
std::vector<std::uint8_t> JpegStating(std::uint16_t width, std::uint16_t height) {
    std::vector<std::uint8_t> jpeg = Encode(GUID_ContainerFormatJpeg, {Quadrants(64, 48)});
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
        const std::uint8_t marker = jpeg[i + 1];
        if (jpeg[i] == 0xFF && (marker == 0xC0 || marker == 0xC1 || marker == 0xC2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            return jpeg;
        }
    }
    return {};
}

class StatedSizes : public ::testing::Test {
protected:
    platform::LoadedPicture Load(const std::wstring& name, PixelSize size) {
        asked.clear();
        return loader.Load(Narrow((folder / name).wstring()), [&](PixelSize natural) {
            asked.push_back(natural);
            return size;
        });
    }

    // A lie is refused as implausible, its stated size reported, and nothing decoded: the size
    // for the picture is never asked and the process's resident peak hardly moves.
    void ExpectRefused(const std::wstring& name, PixelSize stated) {
        const SIZE_T peakBefore = PeakResident();
        const auto loaded = Load(name, {200, 100});
        const SIZE_T peakAfter = PeakResident();
        EXPECT_EQ(loaded.status, PictureStatus::Implausible) << Narrow(name);
        EXPECT_EQ(loaded.natural, stated) << Narrow(name);
        EXPECT_EQ(loaded.picture, nullptr) << Narrow(name);
        EXPECT_TRUE(asked.empty()) << Narrow(name) << ": the size was asked for a picture that is not decoded";
        EXPECT_LT(peakAfter - peakBefore, SIZE_T{32} << 20) << Narrow(name) << ": resident peak "
                                                            << (peakBefore >> 20) << " MB -> " << (peakAfter >> 20) << " MB";
    }

    com_apartment com;
    Win32PictureLoader loader;
    ScratchFolder folder{L"lumbra-hostile"};
    std::vector<PixelSize> asked;
};

TEST_F(StatedSizes, BitmapHeaderStatingRowsTheFileDoesNotHoldIsRefused) {
    WriteFile(folder / L"lying.bmp", BmpHeaderOnly(16000, 8000));
    ExpectRefused(L"lying.bmp", {16000, 8000});
    WriteFile(folder / L"lying-rle.bmp", RunLengthBmp(16000, 8000, true));
    ExpectRefused(L"lying-rle.bmp", {16000, 8000});
}

TEST_F(StatedSizes, JpegFrameStatingAHugeSizeOverASmallScanIsRefused) {
    const auto jpeg = JpegStating(16000, 8000);
    ASSERT_FALSE(jpeg.empty());
    WriteFile(folder / L"lying.jpg", jpeg);
    ExpectRefused(L"lying.jpg", {16000, 8000});
}

TEST_F(StatedSizes, PngHeaderStatingAHugeSizeWithoutDataIsRefused) {
    WriteFile(folder / L"lying.png", PngHeaderOnly(16000, 8000));
    ExpectRefused(L"lying.png", {16000, 8000});
}

TEST_F(StatedSizes, GenuineLargePicturesOfTheSameFormatsStillLoad) {
    // Beyond the size decoded whatever the file, and as compressible as pictures get.
    const Pixels flat = Fill(4096, 2048, [](int x, int) { return x < 2048 ? kRed : kGreen; });
    const auto jpeg = Encode(GUID_ContainerFormatJpeg, {flat});
    const auto png = Encode(GUID_ContainerFormatPng, {flat});
    ASSERT_FALSE(jpeg.empty());
    ASSERT_FALSE(png.empty());
    WriteFile(folder / L"flat.jpg", jpeg);
    WriteFile(folder / L"flat.png", png);
    WriteFile(folder / L"flat.bmp", BmpBytes(Fill(2400, 1800, [](int x, int) { return x < 1200 ? kRed : kGreen; })));
    WriteFile(folder / L"flat-rle.bmp", RunLengthBmp(3000, 2000, false));
    // The colours expected at the upper left, upper right and lower left of the 64 x 32 copy.
    const struct {
        const wchar_t* name;
        PixelSize natural;
        Rgba upperLeft, upperRight, lowerLeft;
    } cases[] = {
        {L"flat.jpg", {4096, 2048}, kRed, kGreen, kRed},
        {L"flat.png", {4096, 2048}, kRed, kGreen, kRed},
        {L"flat.bmp", {2400, 1800}, kRed, kGreen, kRed},
        {L"flat-rle.bmp", {3000, 2000}, kRed, kRed, kGreen},
    };
    for (const auto& c : cases) {
        const auto loaded = Load(c.name, {64, 32});
        ASSERT_EQ(loaded.status, PictureStatus::Ok) << Narrow(c.name);
        EXPECT_EQ(loaded.natural, c.natural) << Narrow(c.name);
        ASSERT_NE(loaded.picture, nullptr) << Narrow(c.name);
        EXPECT_EQ(loaded.picture->PixelWidth(), 64) << Narrow(c.name);
        EXPECT_EQ(loaded.picture->PixelHeight(), 32) << Narrow(c.name);
        EXPECT_TRUE(Near(PixelOf(loaded.picture, 16, 8), c.upperLeft)) << Narrow(c.name);
        EXPECT_TRUE(Near(PixelOf(loaded.picture, 48, 8), c.upperRight)) << Narrow(c.name);
        EXPECT_TRUE(Near(PixelOf(loaded.picture, 16, 24), c.lowerLeft)) << Narrow(c.name);
    }
}

}  // namespace
}  // namespace lumbra::win32
