// A picture file may state any size; what its bytes can describe decides whether the stated
// size is believed.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/PictureBounds.h"

namespace lumbra::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Le(Bytes& out, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Be(Bytes& out, std::uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Text(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

// File header and an info header of the given size.
Bytes Bmp(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression, std::uint32_t infoSize = 40) {
    Bytes out{'B', 'M'};
    Le(out, 0, 4);
    Le(out, 0, 4);
    Le(out, 14 + infoSize, 4);
    Le(out, infoSize, 4);
    Le(out, static_cast<std::uint32_t>(width), 4);
    Le(out, static_cast<std::uint32_t>(height), 4);
    Le(out, 1, 2);
    Le(out, static_cast<std::uint32_t>(bits), 2);
    Le(out, compression, 4);
    out.resize(14 + infoSize, 0);
    return out;
}

Bytes Png(std::uint32_t width, std::uint32_t height) {
    Bytes out;
    Text(out, std::string_view("\x89PNG\r\n\x1a\n", 8));
    Be(out, 13, 4);
    Text(out, "IHDR");
    Be(out, width, 4);
    Be(out, height, 4);
    out.insert(out.end(), {8, 2, 0, 0, 0});
    return out;
}

// Segments of `filler` bytes under the given markers before the frame header.
Bytes Jpeg(const Bytes& markers, std::uint8_t frame, std::uint16_t width, std::uint16_t height, std::uint16_t filler = 100) {
    Bytes out{0xFF, 0xD8};
    for (std::uint8_t marker : markers) {
        out.insert(out.end(), {0xFF, marker});
        Be(out, filler + 2u, 2);
        out.insert(out.end(), filler, 0xFF);  // marker-like bytes inside a segment are skipped whole
    }
    out.insert(out.end(), {0xFF, frame});
    Be(out, 17, 2);
    out.push_back(8);
    Be(out, height, 2);
    Be(out, width, 2);
    out.insert(out.end(), {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    return out;
}

// The logical screen, a colour table, comments, then the first image descriptor.
Bytes Gif(std::uint16_t width, std::uint16_t height, int comments) {
    Bytes out;
    Text(out, "GIF89a");
    Le(out, 10, 2);
    Le(out, 10, 2);
    out.insert(out.end(), {0x87, 0, 0});
    out.insert(out.end(), 3 * 256, 0x2C);  // bytes that look like descriptors
    for (int i = 0; i < comments; ++i) {
        out.insert(out.end(), {0x21, 0xFE, 200});
        out.insert(out.end(), 200, 0x2C);
        out.insert(out.end(), {3, 'e', 'n', 'd', 0});
    }
    out.push_back(0x2C);
    Le(out, 0, 4);
    Le(out, width, 2);
    Le(out, height, 2);
    out.push_back(0);
    return out;
}

std::optional<StatedPicture> Stated(const Bytes& bytes, int* reads = nullptr) {
    return ReadStatedPicture([&](std::uint64_t offset, std::span<std::uint8_t> into) -> std::size_t {
        if (reads) ++*reads;
        if (offset >= bytes.size()) return 0;
        const std::size_t n = std::min<std::size_t>(into.size(), bytes.size() - offset);
        std::memcpy(into.data(), bytes.data() + offset, n);
        return n;
    });
}

Bytes Cut(Bytes bytes, std::size_t less) {
    bytes.resize(bytes.size() - less);
    return bytes;
}

TEST(StatedPictures, EachFormatStatesTheSizeOfItsFirstFrame) {
    Bytes core{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0, 12, 0, 0, 0, 100, 0, 50, 0, 1, 0, 1, 0};
    Bytes notIhdr = Png(100, 100);
    notIhdr[12] = 'i';
    Bytes trailerFirst = Gif(120, 80, 0);
    trailerFirst[13 + 768] = 0x3B;
    Bytes filled = Jpeg({}, 0xC0, 800, 600);
    filled.insert(filled.begin() + 2, {0xFF, 0xFF});
    const struct {
        Bytes bytes;
        PictureFormat format;
        PixelSize size;  // {} for nothing stated
    } cases[] = {
        {Bmp(640, 480, 24, 0), PictureFormat::Bmp, {640, 480}},
        {Bmp(640, -480, 24, 0), PictureFormat::Bmp, {640, 480}},  // rows stored top first
        {core, PictureFormat::Bmp, {100, 50}},
        {Bmp(0, 480, 24, 0), {}, {}},
        {Bmp(-640, 480, 24, 0), {}, {}},
        {Png(65535, 65535), PictureFormat::Png, {65535, 65535}},
        {Png(0x80000000u, 1), PictureFormat::Png, {std::numeric_limits<int>::max(), 1}},
        {Png(0, 5), {}, {}},
        {Cut(Png(100, 100), 10), {}, {}},
        {notIhdr, {}, {}},
        {Jpeg({0xE0, 0xE1, 0xDB, 0xC4, 0xDD}, 0xC0, 16000, 8000, 60000), PictureFormat::Jpeg, {16000, 8000}},
        {Jpeg({0xE0}, 0xC2, 1920, 1080), PictureFormat::Jpeg, {1920, 1080}},  // progressive
        {filled, PictureFormat::Jpeg, {800, 600}},                           // fill bytes before a marker
        {Jpeg({}, 0xDA, 800, 600), {}, {}},                                    // a scan before any frame
        {Jpeg({}, 0xD9, 800, 600), {}, {}},
        {Jpeg({}, 0xC0, 800, 0), {}, {}},  // the height given later
        {Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01}, {}, {}},
        {Cut(Jpeg({0xE0}, 0xC0, 800, 600), 12), {}, {}},
        {Gif(16000, 8000, 3), PictureFormat::Gif, {16000, 8000}},
        {Gif(0, 80, 0), {}, {}},
        {Gif(120, 0, 1), {}, {}},
        {trailerFirst, {}, {}},
        {Cut(Gif(120, 80, 1), 5), {}, {}},
        {Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}, {}, {}},
        {Bytes{}, {}, {}},
    };
    for (const auto& c : cases) {
        const std::optional<StatedPicture> stated = Stated(c.bytes);
        SCOPED_TRACE(::testing::Message() << c.bytes.size() << " bytes, " << c.size.width << " x " << c.size.height);
        ASSERT_EQ(stated.has_value(), !c.size.Empty());
        if (!stated) continue;
        EXPECT_EQ(stated->format, c.format);
        EXPECT_EQ(stated->size, c.size);
    }
    Bytes endless{0xFF, 0xD8};
    for (int i = 0; i < 10000; ++i) endless.insert(endless.end(), {0xFF, 0xFE, 0x00, 0x02});
    int reads = 0;
    EXPECT_FALSE(Stated(endless, &reads));
    EXPECT_LE(reads, 4097);
}

TEST(BmpHeaders, StorageOfEveryWindowsHeaderAndNothingForOthers) {
    Bytes os2 = Bmp(64, 64, 24, 0, 64);
    const struct {
        Bytes head;
        std::optional<BmpStorage::Kind> kind;
        int bits;
    } cases[] = {
        {Bmp(640, 480, 24, 0), BmpStorage::Kind::Rows, 24},
        {Bmp(640, -480, 32, 3, 52), BmpStorage::Kind::Rows, 32},
        {Bmp(64, 64, 32, 6, 56), BmpStorage::Kind::Rows, 32},
        {Bmp(64, 64, 8, 1, 108), BmpStorage::Kind::RunLength, 8},
        {Bmp(64, 64, 4, 2, 124), BmpStorage::Kind::RunLength, 4},
        {Bmp(64, 64, 0, 4), BmpStorage::Kind::Embedded, 0},
        {Bmp(64, 64, 0, 5), BmpStorage::Kind::Embedded, 0},
        {Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0, 0, 12, 0, 0, 0, 100, 0, 50, 0, 1, 0, 1, 0},
         BmpStorage::Kind::Rows, 1},
        {Cut(Bmp(64, 64, 24, 0), 21), std::nullopt, 0},  // cut before the compression field
        {Bmp(64, 64, 24, 11), std::nullopt, 0},          // an unknown compression
        {Bmp(64, 64, 0, 0), std::nullopt, 0},            // rows of no bits
        {os2, std::nullopt, 0},                          // OS/2 2.x: other compression codes
        {Bytes{'P', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0}, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        const std::optional<BmpStorage> storage = ReadBmpStorage(c.head);
        SCOPED_TRACE(::testing::Message() << c.head.size() << " bytes");
        ASSERT_EQ(storage.has_value(), c.kind.has_value());
        if (!storage) continue;
        EXPECT_EQ(storage->kind, *c.kind);
        EXPECT_EQ(storage->bitsPerPixel, c.bits);
        EXPECT_EQ(storage->pixelOffset, c.head.size() == 26 ? 32u : c.head.size());
    }
}

TEST(PictureBounds, AFileCanHoldAtMostWhatItsDensestEncodingDescribes) {
    const BmpStorage rgb{BmpStorage::Kind::Rows, 24, 54};
    const BmpStorage mono{BmpStorage::Kind::Rows, 1, 62};
    const BmpStorage rle{BmpStorage::Kind::RunLength, 8, 1078};
    const PixelSize big{16000, 8000};
    const int most = std::numeric_limits<int>::max();
    const std::uint64_t all = std::numeric_limits<std::uint64_t>::max();
    const struct {
        PictureFormat format;
        PixelSize size;
        std::uint64_t bytes;
        std::optional<BmpStorage> bmp;
        bool holds;
    } cases[] = {
        {PictureFormat::Jpeg, {2048, 2048}, 0, {}, true},  // up to 4M pixels, whatever the file
        {PictureFormat::Bmp, {2048, 2048}, 0, rgb, true},
        {PictureFormat::Jpeg, {2049, 2048}, 0, {}, false},
        {PictureFormat::Jpeg, {0, 100000}, 0, {}, true},  // an empty size states nothing
        {PictureFormat::Bmp, {4000, 2000}, 54 + 24000000, rgb, true},
        {PictureFormat::Bmp, {4000, 2000}, 54 + 24000000 - 1, rgb, false},
        {PictureFormat::Bmp, {3001, 1500}, 54 + 9004 * 1500, rgb, true},  // rows padded to four bytes
        {PictureFormat::Bmp, {3001, 1500}, 54 + 9003 * 1500, rgb, false},
        {PictureFormat::Bmp, {8192, 1024}, 62 + 1024 * 1024, mono, true},
        {PictureFormat::Bmp, {8192, 1024}, 62 + 1024 * 1024 - 1, mono, false},
        {PictureFormat::Bmp, {3000, 3000}, 9001078, BmpStorage{BmpStorage::Kind::Rows, 8, 4000000000u}, false},
        {PictureFormat::Bmp, big, 1078 + 2 * 8000, rle, true},
        {PictureFormat::Bmp, big, 1078 + 2, rle, false},
        {PictureFormat::Bmp, big, 100, BmpStorage{BmpStorage::Kind::Embedded, 0, 54}, true},
        {PictureFormat::Bmp, big, 100, {}, true},
        {PictureFormat::Other, {30000, 30000}, 0, {}, true},
        {PictureFormat::Jpeg, big, 125000, {}, true},  // 1024 pixels a byte
        {PictureFormat::Jpeg, big, 124999, {}, false},
        {PictureFormat::Png, big, 15504, {}, true},  // 8256 pixels a byte
        {PictureFormat::Png, big, 15503, {}, false},
        {PictureFormat::Gif, big, 11719, {}, true},  // 10923 pixels a byte
        {PictureFormat::Gif, big, 11718, {}, false},
        {PictureFormat::Bmp, {most, most}, all / 2, BmpStorage{BmpStorage::Kind::Rows, 65535, 54}, false},
        {PictureFormat::Jpeg, {most, most}, 1000, {}, false},
        {PictureFormat::Jpeg, {most, most}, all, {}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileCanHoldPicture(c.format, c.size, c.bytes, c.bmp), c.holds)
            << static_cast<int>(c.format) << ": " << c.size.width << " x " << c.size.height << " in " << c.bytes;
    }
}

}  // namespace
}  // namespace lumbra::platform
