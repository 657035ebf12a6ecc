#include "platform/PictureBounds.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace lumbra::platform {
namespace {

// The densest each compressed format can be, in pixels per byte of file.
//
// JPEG: a Huffman-coded scan spends at least one bit on every 8 x 8 block of a component (its
// DC difference), so even one flat grey needs a byte per 512 pixels; twice that leaves room.
// Arithmetic coding can be denser, but hardly any encoder writes it.
constexpr std::uint64_t kJpegPixelsPerByte = 1024;
// PNG: deflate expands at most 1032 times, and a row holds at least one bit per pixel.
constexpr std::uint64_t kPngPixelsPerByte = 8 * 1032;
// GIF: an LZW code takes at least three bits and stands for at most 4096 pixels.
constexpr std::uint64_t kGifPixelsPerByte = 4096 * 8 / 3 + 1;

std::uint32_t Le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8);
}

std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t at) {
    return Le16(b, at) | (Le16(b, at + 2) << 16);
}

std::uint32_t Be16(std::span<const std::uint8_t> b, std::size_t at) {
    return (static_cast<std::uint32_t>(b[at]) << 8) | static_cast<std::uint32_t>(b[at + 1]);
}

std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at) {
    return (Be16(b, at) << 16) | Be16(b, at + 2);
}

int ClampToInt(std::int64_t v) { return static_cast<int>(std::min<std::int64_t>(v, INT_MAX)); }

// Exactly n bytes at offset, or nothing.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> ReadExactly(const ReadFileAt& read, std::uint64_t offset) {
    std::array<std::uint8_t, N> bytes{};
    if (read(offset, bytes) != N) return std::nullopt;
    return bytes;
}

std::optional<StatedPicture> StatedBmp(const ReadFileAt& read) {
    std::array<std::uint8_t, 34> head{};
    const std::size_t got = read(0, head);
    const std::span<const std::uint8_t> bytes(head.data(), got);
    if (got < 22) return std::nullopt;
    StatedPicture stated;
    stated.format = PictureFormat::Bmp;
    std::int64_t width = 0;
    std::int64_t height = 0;
    if (Le32(bytes, 14) == 12) {
        width = Le16(bytes, 18);
        height = Le16(bytes, 20);
    } else {
        if (got < 26) return std::nullopt;
        width = static_cast<std::int32_t>(Le32(bytes, 18));
        // Negative for rows stored top first.
        height = std::llabs(static_cast<std::int32_t>(Le32(bytes, 22)));
    }
    if (width <= 0 || height <= 0) return std::nullopt;
    stated.size = {ClampToInt(width), ClampToInt(height)};
    stated.bmp = ReadBmpStorage(bytes);
    return stated;
}

std::optional<StatedPicture> StatedPng(const ReadFileAt& read) {
    const auto head = ReadExactly<24>(read, 0);
    if (!head || Be32(*head, 8) != 13 || std::string_view(reinterpret_cast<const char*>(head->data()) + 12, 4) != "IHDR") {
        return std::nullopt;
    }
    const std::int64_t width = Be32(*head, 16);
    const std::int64_t height = Be32(*head, 20);
    if (width == 0 || height == 0) return std::nullopt;
    return StatedPicture{PictureFormat::Png, {ClampToInt(width), ClampToInt(height)}, std::nullopt};
}

// The first frame header (SOFn), found by walking the segments before it.
std::optional<StatedPicture> StatedJpeg(const ReadFileAt& read) {
    std::uint64_t at = 2;
    // Thousands of segments before the frame are no photograph's.
    for (int segment = 0; segment < 4096; ++segment) {
        const auto marker = ReadExactly<4>(read, at);
        if (!marker || (*marker)[0] != 0xFF) return std::nullopt;
        const std::uint8_t code = (*marker)[1];
        if (code == 0xFF) {  // fill byte before a marker
            ++at;
            continue;
        }
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {  // markers without a length
            at += 2;
            continue;
        }
        if (code == 0xD9 || code == 0xDA) return std::nullopt;  // the end, or a scan before any frame
        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (frame) {
            const auto header = ReadExactly<9>(read, at);
            if (!header) return std::nullopt;
            const std::int64_t height = Be16(*header, 5);
            const std::int64_t width = Be16(*header, 7);
            // A height of 0 is given later in the scan; the decoder will tell.
            if (width == 0 || height == 0) return std::nullopt;
            return StatedPicture{PictureFormat::Jpeg, {ClampToInt(width), ClampToInt(height)}, std::nullopt};
        }
        const std::uint32_t length = Be16(*marker, 2);
        if (length < 2) return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

// The first image descriptor, behind the colour table and any extensions.
std::optional<StatedPicture> StatedGif(const ReadFileAt& read) {
    const auto screen = ReadExactly<13>(read, 0);
    if (!screen) return std::nullopt;
    std::uint64_t at = 13;
    if ((*screen)[10] & 0x80) at += 3u << (((*screen)[10] & 0x07) + 1);
    for (int block = 0; block < 65536; ++block) {
        const auto introducer = ReadExactly<2>(read, at);
        if (!introducer) return std::nullopt;
        if ((*introducer)[0] == 0x2C) {
            const auto descriptor = ReadExactly<9>(read, at);
            if (!descriptor) return std::nullopt;
            const std::int64_t width = Le16(*descriptor, 5);
            const std::int64_t height = Le16(*descriptor, 7);
            if (width == 0 || height == 0) return std::nullopt;
            return StatedPicture{PictureFormat::Gif, {ClampToInt(width), ClampToInt(height)}, std::nullopt};
        }
        if ((*introducer)[0] != 0x21) return std::nullopt;  // the trailer, or damage
        // An extension: its label, then sub-blocks of a length byte each, up to an empty one.
        at += 2;
        for (;; ++block) {
            const auto length = ReadExactly<1>(read, at);
            if (!length || block >= 65536) return std::nullopt;
            at += 1 + (*length)[0];
            if ((*length)[0] == 0) break;
        }
    }
    return std::nullopt;
}

bool DenseEnough(PixelSize stated, std::uint64_t fileBytes, std::uint64_t pixelsPerByte) {
    const std::uint64_t pixels = static_cast<std::uint64_t>(stated.width) * static_cast<std::uint64_t>(stated.height);
    return (pixels + pixelsPerByte - 1) / pixelsPerByte <= fileBytes;
}

// offset + perRow * rows <= fileBytes, without overflowing.
bool RowsFit(std::uint64_t offset, std::uint64_t perRow, std::uint64_t rows, std::uint64_t fileBytes) {
    if (offset > fileBytes) return false;
    if (rows == 0 || perRow == 0) return true;
    return perRow <= (fileBytes - offset) / rows;
}

}  // namespace

std::optional<BmpStorage> ReadBmpStorage(std::span<const std::uint8_t> head) {
    constexpr std::size_t kFileHeader = 14;
    if (head.size() < kFileHeader + 4 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
    BmpStorage storage;
    storage.pixelOffset = Le32(head, 10);
    const std::uint32_t infoSize = Le32(head, kFileHeader);
    if (infoSize == 12) {
        // The old core header: 16-bit sizes, never compressed.
        if (head.size() < kFileHeader + 12) return std::nullopt;
        storage.bitsPerPixel = static_cast<int>(Le16(head, kFileHeader + 10));
        storage.kind = BmpStorage::Kind::Rows;
    } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 || infoSize == 124) {
        if (head.size() < kFileHeader + 20) return std::nullopt;
        storage.bitsPerPixel = static_cast<int>(Le16(head, kFileHeader + 14));
        switch (Le32(head, kFileHeader + 16)) {
        case 0:  // BI_RGB
        case 3:  // BI_BITFIELDS
        case 6:  // BI_ALPHABITFIELDS
            storage.kind = BmpStorage::Kind::Rows;
            break;
        case 1:  // BI_RLE8
        case 2:  // BI_RLE4
            storage.kind = BmpStorage::Kind::RunLength;
            break;
        case 4:  // BI_JPEG
        case 5:  // BI_PNG
            storage.kind = BmpStorage::Kind::Embedded;
            break;
        default:
            return std::nullopt;
        }
    } else {
        return std::nullopt;  // the OS/2 2.x headers (16 to 64 bytes): not judged
    }
    if (storage.kind == BmpStorage::Kind::Rows && storage.bitsPerPixel <= 0) return std::nullopt;
    return storage;
}

std::optional<StatedPicture> ReadStatedPicture(const ReadFileAt& read) {
    std::array<std::uint8_t, 8> magic{};
    const std::size_t got = read(0, magic);
    const auto starts = [&](std::string_view with) {
        return got >= with.size() && std::equal(with.begin(), with.end(), magic.begin(),
                                                [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
    };
    if (starts("BM")) return StatedBmp(read);
    if (starts("\x89PNG\r\n\x1a\n")) return StatedPng(read);
    if (starts("\xFF\xD8\xFF")) return StatedJpeg(read);
    if (starts("GIF87a") || starts("GIF89a")) return StatedGif(read);
    return std::nullopt;
}

bool FileCanHoldPicture(PictureFormat format, PixelSize stated, std::uint64_t fileBytes,
                        const std::optional<BmpStorage>& bmp) {
    if (stated.Empty()) return true;  // nothing stated, nothing to reserve
    const std::uint64_t pixels = static_cast<std::uint64_t>(stated.width) * static_cast<std::uint64_t>(stated.height);
    if (pixels <= kAlwaysDecodablePixels) return true;
    switch (format) {
    case PictureFormat::Jpeg:
        return DenseEnough(stated, fileBytes, kJpegPixelsPerByte);
    case PictureFormat::Png:
        return DenseEnough(stated, fileBytes, kPngPixelsPerByte);
    case PictureFormat::Gif:
        return DenseEnough(stated, fileBytes, kGifPixelsPerByte);
    case PictureFormat::Bmp: {
        if (!bmp) return true;
        const auto rows = static_cast<std::uint64_t>(stated.height);
        switch (bmp->kind) {
        case BmpStorage::Kind::Rows: {
            // Every row is stored whole, padded to four bytes.
            const std::uint64_t bits = static_cast<std::uint64_t>(stated.width) * static_cast<std::uint64_t>(bmp->bitsPerPixel);
            if (bits > std::numeric_limits<std::uint64_t>::max() - 31) return false;
            return RowsFit(bmp->pixelOffset, (bits + 31) / 32 * 4, rows, fileBytes);
        }
        case BmpStorage::Kind::RunLength:
            // A run or an end-of-line code, two bytes at least, for every row.
            return RowsFit(bmp->pixelOffset, 2, rows, fileBytes);
        case BmpStorage::Kind::Embedded:
            return true;
        }
        return true;
    }
    case PictureFormat::Other:
        return true;
    }
    return true;
}

}  // namespace lumbra::platform
