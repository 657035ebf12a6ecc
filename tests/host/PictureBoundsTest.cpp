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

// Bytes written little-endian (le), big-endian (be), as text or as n copies of one byte.
struct Bytes : std::vector<std::uint8_t> {
    using vector::vector;
    Bytes& le(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Bytes& be(std::uint64_t v, int n) {
        for (int i = n - 1; i >= 0; --i) push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Bytes& text(std::string_view t) { return insert(end(), t.begin(), t.end()), *this; }
    Bytes& fill(std::size_t n, std::uint8_t b) { return insert(end(), n, b), *this; }
    Bytes& cut(std::size_t n) { return resize(size() - n), *this; }
    Bytes& at(std::size_t i, std::uint8_t b) { return (*this)[i] = b, *this; }
};

// File header and an info header of the given size; its pixel data would start right after.
Bytes Bmp(std::int32_t w, std::int32_t h, int bits, std::uint32_t compression, std::uint32_t info = 40) {
    Bytes b;
    b.text("BM").le(0, 8).le(14 + info, 4).le(info, 4).le(static_cast<std::uint32_t>(w), 4).le(static_cast<std::uint32_t>(h), 4).le(1, 2).le(bits, 2).le(compression, 4);
    return b.fill(14 + info - b.size(), 0);
}
Bytes CoreBmp() { return Bytes().text("BM").le(0, 8).le(32, 4).le(12, 4).le(100, 2).le(50, 2).le(1, 2).le(1, 2); }
Bytes Png(std::uint32_t w, std::uint32_t h) {
    return Bytes().text(std::string_view("\x89PNG\r\n\x1a\n", 8)).be(13, 4).text("IHDR").be(w, 4).be(h, 4).le(0x0208, 5);
}
// Segments of `filler` bytes under the given markers before the frame header.
Bytes Jpeg(const Bytes& markers, std::uint8_t frame, std::uint16_t w, std::uint16_t h, std::uint16_t filler = 100) {
    Bytes b;
    b.be(0xFFD8, 2);
    for (std::uint8_t marker : markers) b.le(0xFF, 1).le(marker, 1).be(filler + 2u, 2).fill(filler, 0xFF);
    return b.le(0xFF, 1).le(frame, 1).be(17, 2).le(8, 1).be(h, 2).be(w, 2).fill(10, 1);
}
// The logical screen and a colour table of bytes that look like descriptors, comments, then
// the first image descriptor.
Bytes Gif(std::uint16_t w, std::uint16_t h, int comments) {
    Bytes b;
    b.text("GIF89a").le(10, 2).le(10, 2).le(0x87, 3).fill(768, 0x2C);
    for (int i = 0; i < comments; ++i) b.le(0xC8FE21, 3).fill(200, 0x2C).le(3, 1).text("end").le(0, 1);
    return b.le(0x2C, 1).le(0, 4).le(w, 2).le(h, 2).le(0, 1);
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

TEST(StatedPictures, EachFormatStatesTheSizeOfItsFirstFrameAndDamagedHeadersNothing) {
    using F = PictureFormat;
    const struct {
        Bytes bytes;
        F format;
        PixelSize size;  // {} for nothing stated
    } cases[] = {
        {Bmp(640, 480, 24, 0), F::Bmp, {640, 480}}, {Bmp(640, -480, 24, 0), F::Bmp, {640, 480}}, {CoreBmp(), F::Bmp, {100, 50}},
        {Bmp(0, 480, 24, 0), {}, {}}, {Bmp(-640, 480, 24, 0), {}, {}},
        {Png(65535, 65535), F::Png, {65535, 65535}}, {Png(0x80000000u, 1), F::Png, {std::numeric_limits<int>::max(), 1}},
        {Png(0, 5), {}, {}}, {Png(100, 100).cut(10), {}, {}}, {Png(100, 100).at(12, 'i'), {}, {}},
        {Jpeg({0xE0, 0xE1, 0xDB, 0xC4, 0xDD}, 0xC0, 16000, 8000, 60000), F::Jpeg, {16000, 8000}},
        {Jpeg({0xE0}, 0xC2, 1920, 1080, 0), F::Jpeg, {1920, 1080}},  // an empty segment
        {Jpeg({}, 0xDA, 800, 600), {}, {}}, {Jpeg({}, 0xD9, 800, 600), {}, {}}, {Jpeg({}, 0xC0, 800, 0), {}, {}},
        {Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01}, {}, {}}, {Jpeg({0xE0}, 0xC0, 800, 600).cut(12), {}, {}},
        {Gif(16000, 8000, 3), F::Gif, {16000, 8000}}, {Gif(0, 80, 0), {}, {}}, {Gif(120, 0, 1), {}, {}},
        {Gif(120, 80, 0).at(781, 0x3B), {}, {}}, {Gif(120, 80, 1).cut(5), {}, {}},
        {Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}, {}, {}}, {Bytes{}, {}, {}},
    };
    for (const auto& c : cases) {
        const std::optional<StatedPicture> stated = Stated(c.bytes);
        SCOPED_TRACE(::testing::Message() << c.bytes.size() << " bytes, " << c.size.width << " x " << c.size.height);
        ASSERT_EQ(stated.has_value(), !c.size.Empty());
        if (!stated) continue;
        EXPECT_EQ(stated->format, c.format);
        EXPECT_EQ(stated->size, c.size);
    }
    Bytes filled = Jpeg({}, 0xC0, 800, 600);
    filled.insert(filled.begin() + 2, {0xFF, 0xFF});  // fill bytes before a marker
    EXPECT_EQ(Stated(filled)->size, (PixelSize{800, 600}));
    Bytes endless;
    endless.be(0xFFD8, 2);
    for (int i = 0; i < 10000; ++i) endless.be(0xFFFE0002, 4);
    int reads = 0;
    EXPECT_FALSE(Stated(endless, &reads));
    EXPECT_LE(reads, 4097);
}

TEST(BmpHeaders, StorageOfEveryWindowsHeaderAndNothingForOthers) {
    using K = BmpStorage::Kind;
    const struct {
        Bytes head;
        std::optional<K> kind;
        int bits;
    } cases[] = {
        {Bmp(640, 480, 24, 0), K::Rows, 24},       {Bmp(640, -480, 32, 3, 52), K::Rows, 32}, {Bmp(64, 64, 32, 6, 56), K::Rows, 32},
        {Bmp(64, 64, 8, 1, 108), K::RunLength, 8}, {Bmp(64, 64, 4, 2, 124), K::RunLength, 4}, {Bmp(64, 64, 0, 4), K::Embedded, 0},
        {Bmp(64, 64, 0, 5), K::Embedded, 0},       {CoreBmp(), K::Rows, 1},
        {Bmp(64, 64, 24, 0).cut(21), {}, 0},  // cut before the compression field
        {Bmp(64, 64, 24, 11), {}, 0},         // an unknown compression
        {Bmp(64, 64, 0, 0), {}, 0},           // rows of no bits
        {Bmp(64, 64, 24, 0, 64), {}, 0},      // OS/2 2.x, whose compression codes mean other things
        {Bmp(64, 64, 24, 0).at(0, 'P'), {}, 0},
    };
    for (const auto& c : cases) {
        const std::optional<BmpStorage> storage = ReadBmpStorage(c.head);
        ASSERT_EQ(storage.has_value(), c.kind.has_value()) << c.head.size() << " bytes";
        if (!storage) continue;
        EXPECT_EQ(storage->kind, *c.kind) << c.head.size() << " bytes";
        EXPECT_EQ(storage->bitsPerPixel, c.bits) << c.head.size() << " bytes";
        EXPECT_EQ(storage->pixelOffset, c.head.size() == 26 ? 32u : c.head.size());
    }
}

TEST(PictureBounds, AFileCanHoldAtMostWhatItsDensestEncodingDescribes) {
    using F = PictureFormat;
    const BmpStorage rgb{BmpStorage::Kind::Rows, 24, 54}, mono{BmpStorage::Kind::Rows, 1, 62};
    const BmpStorage rle{BmpStorage::Kind::RunLength, 8, 1078}, jpegInside{BmpStorage::Kind::Embedded, 0, 54};
    const PixelSize big{16000, 8000};
    const int most = std::numeric_limits<int>::max();
    const std::uint64_t all = std::numeric_limits<std::uint64_t>::max();
    const struct {
        F format;
        PixelSize size;
        std::uint64_t bytes;
        std::optional<BmpStorage> bmp;
        bool holds;
    } cases[] = {
        {F::Jpeg, {2048, 2048}, 0, {}, true}, {F::Bmp, {2048, 2048}, 0, rgb, true},  // 4M pixels, whatever the file
        {F::Jpeg, {2049, 2048}, 0, {}, false}, {F::Jpeg, {0, 100000}, 0, {}, true},  // an empty size states nothing
        {F::Bmp, {4000, 2000}, 54 + 24000000, rgb, true}, {F::Bmp, {4000, 2000}, 54 + 24000000 - 1, rgb, false},
        {F::Bmp, {3001, 1500}, 54 + 9004 * 1500, rgb, true}, {F::Bmp, {3001, 1500}, 54 + 9003 * 1500, rgb, false},  // padded rows
        {F::Bmp, {8192, 1024}, 62 + 1024 * 1024, mono, true}, {F::Bmp, {8192, 1024}, 62 + 1024 * 1024 - 1, mono, false},
        {F::Bmp, {3000, 3000}, 9001078, BmpStorage{BmpStorage::Kind::Rows, 8, 4000000000u}, false},
        {F::Bmp, big, 1078 + 2 * 8000, rle, true}, {F::Bmp, big, 1078 + 2, rle, false},
        {F::Bmp, big, 100, jpegInside, true}, {F::Bmp, big, 100, {}, true}, {F::Other, {30000, 30000}, 0, {}, true},
        {F::Jpeg, big, 125000, {}, true}, {F::Jpeg, big, 124999, {}, false},  // 1024 pixels a byte
        {F::Png, big, 15504, {}, true}, {F::Png, big, 15503, {}, false},      // 8256 pixels a byte
        {F::Gif, big, 11719, {}, true}, {F::Gif, big, 11718, {}, false},      // 10923 pixels a byte
        {F::Bmp, {most, most}, all / 2, BmpStorage{BmpStorage::Kind::Rows, 65535, 54}, false},
        {F::Jpeg, {most, most}, 1000, {}, false}, {F::Jpeg, {most, most}, all, {}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileCanHoldPicture(c.format, c.size, c.bytes, c.bmp), c.holds)
            << static_cast<int>(c.format) << ": " << c.size.width << " x " << c.size.height << " in " << c.bytes;
    }
}

}  // namespace
}  // namespace lumbra::platform
