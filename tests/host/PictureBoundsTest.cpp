// A picture file may state any size; what its bytes can describe decides whether the stated
// size is believed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/PictureBounds.h"

namespace lumbra::platform {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// File header and a 40-byte info header, as every Windows program writes them.
std::vector<std::uint8_t> InfoHeader(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                                     std::uint32_t pixelOffset = 54) {
    std::vector<std::uint8_t> out{'B', 'M'};
    Put32(out, 0);  // the file size field, which readers ignore
    Put32(out, 0);
    Put32(out, pixelOffset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, compression);
    for (int i = 0; i < 5; ++i) Put32(out, 0);
    return out;
}

void Put16Be(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void Put32Be(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16Be(out, v >> 16);
    Put16Be(out, v & 0xFFFF);
}

void Append(std::vector<std::uint8_t>& out, std::string_view bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

// A file in memory, read the way the loader reads a stream; counts the reads.
struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    int reads = 0;
    std::optional<StatedPicture> Stated() {
        return ReadStatedPicture([this](std::uint64_t offset, std::span<std::uint8_t> into) -> std::size_t {
            ++reads;
            if (offset >= bytes.size()) return 0;
            const std::size_t n = std::min<std::size_t>(into.size(), bytes.size() - offset);
            std::memcpy(into.data(), bytes.data() + offset, n);
            return n;
        });
    }
};

std::vector<std::uint8_t> PngStart(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> out;
    Append(out, std::string_view("\x89PNG\r\n\x1a\n", 8));
    Put32Be(out, 13);
    Append(out, "IHDR");
    Put32Be(out, width);
    Put32Be(out, height);
    out.insert(out.end(), {8, 2, 0, 0, 0});
    return out;
}

// Start of image, then segments of `filler` bytes each under the given markers, then a frame
// header.
std::vector<std::uint8_t> JpegStart(const std::vector<std::uint8_t>& markersBefore, std::uint8_t frameMarker,
                                    std::uint16_t width, std::uint16_t height, std::uint16_t filler = 100) {
    std::vector<std::uint8_t> out{0xFF, 0xD8};
    for (std::uint8_t marker : markersBefore) {
        out.insert(out.end(), {0xFF, marker});
        Put16Be(out, static_cast<std::uint32_t>(filler) + 2);
        out.insert(out.end(), filler, 0xFF);  // marker-like bytes inside a segment are skipped whole
    }
    out.insert(out.end(), {0xFF, frameMarker});
    Put16Be(out, 17);
    out.push_back(8);
    Put16Be(out, height);
    Put16Be(out, width);
    out.insert(out.end(), {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    return out;
}

// Header, logical screen, optional global colour table, extensions, first image descriptor.
std::vector<std::uint8_t> GifStart(std::uint16_t width, std::uint16_t height, bool colourTable, int extensions) {
    std::vector<std::uint8_t> out;
    Append(out, "GIF89a");
    Put16(out, 10);  // the logical screen, which decoders do not allocate
    Put16(out, 10);
    out.insert(out.end(), {static_cast<std::uint8_t>(colourTable ? 0x87 : 0x00), 0, 0});
    if (colourTable) out.insert(out.end(), 3 * 256, 0x2C);  // bytes that look like descriptors
    for (int i = 0; i < extensions; ++i) {
        out.insert(out.end(), {0x21, 0xFE});  // a comment in two sub-blocks
        out.push_back(200);
        out.insert(out.end(), 200, 0x2C);
        out.push_back(3);
        Append(out, "end");
        out.push_back(0);
    }
    out.push_back(0x2C);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, width);
    Put16(out, height);
    out.push_back(0);
    return out;
}

TEST(StatedPictures, BmpStatesItsSizeAndStorage) {
    MemoryFile bottomUp{InfoHeader(640, 480, 24, 0)};
    auto stated = bottomUp.Stated();
    ASSERT_TRUE(stated);
    EXPECT_EQ(stated->format, PictureFormat::Bmp);
    EXPECT_EQ(stated->size, (PixelSize{640, 480}));
    ASSERT_TRUE(stated->bmp);
    EXPECT_EQ(stated->bmp->bitsPerPixel, 24);

    MemoryFile topDown{InfoHeader(640, -480, 24, 0)};
    EXPECT_EQ(topDown.Stated()->size, (PixelSize{640, 480})) << "rows stored top first";

    // A storage this check does not know still states its size.
    MemoryFile unknown{InfoHeader(64, 32, 24, 11)};
    EXPECT_EQ(unknown.Stated()->size, (PixelSize{64, 32}));
    EXPECT_FALSE(unknown.Stated()->bmp);

    EXPECT_FALSE(MemoryFile{InfoHeader(0, 480, 24, 0)}.Stated()) << "no width";
    EXPECT_FALSE(MemoryFile{InfoHeader(-640, 480, 24, 0)}.Stated());
}

TEST(StatedPictures, PngStatesTheSizeOfItsHeaderChunk) {
    auto stated = MemoryFile{PngStart(65535, 65535)}.Stated();
    ASSERT_TRUE(stated);
    EXPECT_EQ(stated->format, PictureFormat::Png);
    EXPECT_EQ(stated->size, (PixelSize{65535, 65535}));
    // Beyond what an int holds, the size is kept at the largest int (refused all the same).
    EXPECT_EQ(MemoryFile{PngStart(0x80000000u, 1)}.Stated()->size.width, std::numeric_limits<int>::max());

    auto cut = PngStart(100, 100);
    cut.resize(20);
    EXPECT_FALSE(MemoryFile{cut}.Stated());
    auto notHeader = PngStart(100, 100);
    notHeader[12] = 'i';
    EXPECT_FALSE(MemoryFile{notHeader}.Stated());
}

TEST(StatedPictures, JpegStatesItsFirstFrameBehindEveryOtherSegment) {
    // Application segments (Exif, ICC) and tables before the frame, of every size.
    auto stated = MemoryFile{JpegStart({0xE0, 0xE1, 0xE2, 0xDB, 0xC4, 0xDD}, 0xC0, 16000, 8000, 60000)}.Stated();
    ASSERT_TRUE(stated);
    EXPECT_EQ(stated->format, PictureFormat::Jpeg);
    EXPECT_EQ(stated->size, (PixelSize{16000, 8000}));
    // Progressive frames count too.
    EXPECT_EQ(MemoryFile{JpegStart({0xE0}, 0xC2, 1920, 1080)}.Stated()->size, (PixelSize{1920, 1080}));

    // Fill bytes before a marker are passed over.
    auto filled = JpegStart({}, 0xC0, 800, 600);
    filled.insert(filled.begin() + 2, {0xFF, 0xFF, 0xFF});
    EXPECT_EQ(MemoryFile{filled}.Stated()->size, (PixelSize{800, 600}));
}

TEST(StatedPictures, JpegWithoutAReadableFrameHeaderStatesNothing) {
    // A scan before any frame, the end of the picture, a height given only later, a segment
    // length that cannot be, and a file cut inside the frame header.
    EXPECT_FALSE(MemoryFile{JpegStart({}, 0xDA, 800, 600)}.Stated());
    EXPECT_FALSE(MemoryFile{JpegStart({}, 0xD9, 800, 600)}.Stated());
    EXPECT_FALSE(MemoryFile{JpegStart({}, 0xC0, 800, 0)}.Stated());
    const std::vector<std::uint8_t> shortSegment{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01};
    EXPECT_FALSE(MemoryFile{shortSegment}.Stated());
    auto cut = JpegStart({0xE0}, 0xC0, 800, 600);
    cut.resize(cut.size() - 12);
    EXPECT_FALSE(MemoryFile{cut}.Stated());
}

TEST(StatedPictures, JpegOfEndlessSegmentsIsGivenUpInBoundedReads) {
    std::vector<std::uint8_t> endless{0xFF, 0xD8};
    for (int i = 0; i < 10000; ++i) endless.insert(endless.end(), {0xFF, 0xFE, 0x00, 0x02});
    MemoryFile file{endless};
    EXPECT_FALSE(file.Stated());
    EXPECT_LE(file.reads, 4097 + 1);
}

TEST(StatedPictures, GifStatesItsFirstFrameNotItsScreen) {
    auto stated = MemoryFile{GifStart(16000, 8000, true, 3)}.Stated();
    ASSERT_TRUE(stated);
    EXPECT_EQ(stated->format, PictureFormat::Gif);
    EXPECT_EQ(stated->size, (PixelSize{16000, 8000}));
    EXPECT_EQ(MemoryFile{GifStart(120, 80, false, 0)}.Stated()->size, (PixelSize{120, 80}));

    auto trailerFirst = GifStart(120, 80, false, 0);
    trailerFirst[13] = 0x3B;
    EXPECT_FALSE(MemoryFile{trailerFirst}.Stated());
    auto cut = GifStart(120, 80, true, 1);
    cut.resize(cut.size() - 5);
    EXPECT_FALSE(MemoryFile{cut}.Stated());
}

TEST(StatedPictures, OtherFormatsAndEmptyFilesStateNothing) {
    EXPECT_FALSE(MemoryFile{}.Stated());
    std::vector<std::uint8_t> tiff{'I', 'I', 42, 0, 8, 0, 0, 0};
    EXPECT_FALSE(MemoryFile{tiff}.Stated());
    std::vector<std::uint8_t> text{'h', 'e', 'l', 'l', 'o'};
    EXPECT_FALSE(MemoryFile{text}.Stated());
}

TEST(BmpHeaders, WindowsInfoHeaderGivesBitsCompressionAndPixelOffset) {
    auto rows = ReadBmpStorage(InfoHeader(640, 480, 24, 0));
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->kind, BmpStorage::Kind::Rows);
    EXPECT_EQ(rows->bitsPerPixel, 24);
    EXPECT_EQ(rows->pixelOffset, 54u);

    // Top-down (negative height) and bit fields store whole rows all the same.
    auto topDown = ReadBmpStorage(InfoHeader(640, -480, 32, 3, 66));
    ASSERT_TRUE(topDown);
    EXPECT_EQ(topDown->kind, BmpStorage::Kind::Rows);
    EXPECT_EQ(topDown->bitsPerPixel, 32);
    EXPECT_EQ(topDown->pixelOffset, 66u);

    EXPECT_EQ(ReadBmpStorage(InfoHeader(64, 64, 8, 1, 1078))->kind, BmpStorage::Kind::RunLength);
    EXPECT_EQ(ReadBmpStorage(InfoHeader(64, 64, 4, 2, 118))->kind, BmpStorage::Kind::RunLength);
    EXPECT_EQ(ReadBmpStorage(InfoHeader(64, 64, 0, 4))->kind, BmpStorage::Kind::Embedded);
    EXPECT_EQ(ReadBmpStorage(InfoHeader(64, 64, 0, 5))->kind, BmpStorage::Kind::Embedded);
}

TEST(BmpHeaders, OldCoreHeaderIsUncompressedRows) {
    std::vector<std::uint8_t> core{'B', 'M'};
    Put32(core, 0);
    Put32(core, 0);
    Put32(core, 26 + 6);
    Put32(core, 12);
    Put16(core, 100);
    Put16(core, 50);
    Put16(core, 1);
    Put16(core, 1);
    auto storage = ReadBmpStorage(core);
    ASSERT_TRUE(storage);
    EXPECT_EQ(storage->kind, BmpStorage::Kind::Rows);
    EXPECT_EQ(storage->bitsPerPixel, 1);
    EXPECT_EQ(storage->pixelOffset, 32u);
}

TEST(BmpHeaders, WhatIsNoUnderstoodBmpHeaderGivesNothing) {
    auto header = InfoHeader(64, 64, 24, 0);
    EXPECT_FALSE(ReadBmpStorage({}));
    EXPECT_FALSE(ReadBmpStorage(std::span(header).first(33))) << "cut before the compression field";
    auto notBmp = header;
    notBmp[0] = 'P';
    EXPECT_FALSE(ReadBmpStorage(notBmp));
    EXPECT_FALSE(ReadBmpStorage(InfoHeader(64, 64, 24, 11))) << "an unknown compression";
    EXPECT_FALSE(ReadBmpStorage(InfoHeader(64, 64, 0, 0))) << "rows of no bits";
    auto os2 = header;
    os2[14] = 64;  // an OS/2 2.x info header, whose compression codes mean other things
    EXPECT_FALSE(ReadBmpStorage(os2));
}

TEST(PictureBounds, PicturesUpToTheAlwaysDecodableSizeAreNeverRefused) {
    // 2048 x 2048 is exactly the limit.
    for (PictureFormat format : {PictureFormat::Bmp, PictureFormat::Jpeg, PictureFormat::Png, PictureFormat::Gif}) {
        EXPECT_TRUE(FileCanHoldPicture(format, {2048, 2048}, 0, BmpStorage{BmpStorage::Kind::Rows, 24, 54}));
    }
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Jpeg, {2049, 2048}, 0));
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Jpeg, {0, 100000}, 0)) << "an empty size states nothing";
}

TEST(PictureBounds, UncompressedBitmapMustHoldEveryPaddedRow) {
    const BmpStorage rgb{BmpStorage::Kind::Rows, 24, 54};
    // 4000 pixels of three bytes: 12000 bytes a row, 2000 rows, behind 54 bytes of headers.
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Bmp, {4000, 2000}, 54 + 24000000, rgb));
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Bmp, {4000, 2000}, 54 + 24000000 - 1, rgb));
    // 3001 pixels take 9003 bytes, padded to 9004.
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Bmp, {3001, 1500}, 54 + 9004 * 1500, rgb));
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Bmp, {3001, 1500}, 54 + 9003 * 1500, rgb));
    // One bit a pixel: 8192 pixels in 1024 bytes.
    const BmpStorage mono{BmpStorage::Kind::Rows, 1, 62};
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Bmp, {8192, 1024}, 62 + 1024 * 1024, mono));
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Bmp, {8192, 1024}, 62 + 1024 * 1024 - 1, mono));
    // A header of a few hundred bytes stating 16000 x 8000 at 24 bits.
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Bmp, {16000, 8000}, 822, rgb));
}

TEST(PictureBounds, PixelDataStartingBeyondTheFileHoldsNothing) {
    const BmpStorage far{BmpStorage::Kind::Rows, 8, 4000000000u};
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Bmp, {3000, 3000}, 9000000 + 1078, far));
}

TEST(PictureBounds, RunLengthBitmapNeedsACodeForEveryRow) {
    const BmpStorage rle{BmpStorage::Kind::RunLength, 8, 1078};
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Bmp, {16000, 8000}, 1078 + 2 * 8000, rle));
    // Palette and a lone end-of-picture code.
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Bmp, {16000, 8000}, 1078 + 2, rle));
}

TEST(PictureBounds, BitmapsWithEmbeddedOrUnknownStorageAreNotJudged) {
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Bmp, {16000, 8000}, 100, BmpStorage{BmpStorage::Kind::Embedded, 0, 54}));
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Bmp, {16000, 8000}, 100, std::nullopt));
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Other, {30000, 30000}, 0));
}

TEST(PictureBounds, CompressedFormatsDescribeAtMostTheirDensestEncoding) {
    // 16000 x 8000 = 128 000 000 pixels.
    const PixelSize big{16000, 8000};
    // JPEG, 1024 pixels a byte: 125 000 bytes.
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Jpeg, big, 125000));
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Jpeg, big, 124999));
    // PNG, 8256 pixels a byte: 15 503.9 bytes, so 15 504.
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Png, big, 15504));
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Png, big, 15503));
    // GIF, 10 923 pixels a byte: 11 718.4 bytes, so 11 719.
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Gif, big, 11719));
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Gif, big, 11718));
}

TEST(PictureBounds, ExtremeValuesNeitherOverflowNorPass) {
    const int most = std::numeric_limits<int>::max();
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Bmp, {most, most}, std::numeric_limits<std::uint64_t>::max() / 2,
                                    BmpStorage{BmpStorage::Kind::Rows, 65535, 54}));
    EXPECT_FALSE(FileCanHoldPicture(PictureFormat::Jpeg, {most, most}, 1000));
    EXPECT_TRUE(FileCanHoldPicture(PictureFormat::Jpeg, {most, most}, std::numeric_limits<std::uint64_t>::max()));
}

}  // namespace
}  // namespace lumbra::platform
