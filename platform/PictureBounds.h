#pragma once
// What a picture file states about its size, and how many pixels it can describe with the
// bytes it has.
//
// A header may state any size. Decoders believe it: they reserve, and some fill, a buffer for
// the whole stated picture before they find the data missing, so a file of a few hundred bytes
// that states 16000 x 8000 costs hundreds of megabytes and seconds of decoding. Some decoders do
// all of that as soon as they are given the file, so the header is read here, before any
// decoder sees it. Each format has a densest possible encoding, and a file that states more
// pixels than even that could describe with its length is damaged or hostile.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "platform/PictureLoader.h"

namespace lumbra::platform {

enum class PictureFormat { Other, Bmp, Jpeg, Png, Gif };

// How a BMP keeps its pixels, as its file and info headers say.
struct BmpStorage {
    enum class Kind { Rows, RunLength, Embedded };
    Kind kind = Kind::Rows;
    int bitsPerPixel = 0;
    std::uint64_t pixelOffset = 0;  // where the pixel data starts in the file
};

// The first bytes of a BMP file (at least 14 + 16 of them; 34 for a Windows info header), or
// nullopt when they are no BMP headers this check understands.
std::optional<BmpStorage> ReadBmpStorage(std::span<const std::uint8_t> head);

// The size a file's header states, in the formats known here.
struct StatedPicture {
    PictureFormat format = PictureFormat::Other;
    PixelSize size;
    std::optional<BmpStorage> bmp;  // a BMP's storage, when its header is one understood here
};

// Copies the file's bytes from offset into `into`; gives how many there were.
using ReadFileAt = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t> into)>;

// The format and size a BMP, JPEG (its first frame header), PNG or GIF (its first frame) states;
// nullopt for another format, or a header that cannot be read or states no size at all.
std::optional<StatedPicture> ReadStatedPicture(const ReadFileAt& read);

// Up to this many pixels a picture is decoded whatever its file holds: the decoder's cost is
// small, and tiny files of plain pictures stay welcome.
inline constexpr std::uint64_t kAlwaysDecodablePixels = std::uint64_t{1} << 22;

// Whether a file of fileBytes bytes in this format can describe a picture of the stated size.
// bmp is what ReadBmpStorage found for a BMP; without it a BMP is not judged.
bool FileCanHoldPicture(PictureFormat format, PixelSize stated, std::uint64_t fileBytes,
                        const std::optional<BmpStorage>& bmp = std::nullopt);

}  // namespace lumbra::platform
