#include "PictureFiles.h"

#include <wrl/client.h>

#include <fstream>

namespace lumbra::win32::testing {
namespace {

using Microsoft::WRL::ComPtr;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void Put32Be(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t n, std::uint32_t crc = 0xFFFFFFFFu) {
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

void PngChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
    Put32Be(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Put32Be(out, Crc32(typed.data(), typed.size()) ^ 0xFFFFFFFFu);
}

std::vector<std::uint8_t> PngHeader(std::uint32_t width, std::uint32_t height, std::uint8_t colourType) {
    std::vector<std::uint8_t> ihdr;
    Put32Be(ihdr, width);
    Put32Be(ihdr, height);
    ihdr.insert(ihdr.end(), {8, colourType, 0, 0, 0});
    return ihdr;
}

const std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

Pixels Fill(int width, int height, const std::function<Rgba(int, int)>& colour) {
    Pixels p{width, height, std::vector<Rgba>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.at(x, y) = colour(x, y);
    return p;
}

Pixels Quadrants(int width, int height) {
    return Fill(width, height, [&](int x, int y) {
        const bool right = x >= width / 2;
        const bool bottom = y >= height / 2;
        return bottom ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
    });
}

std::vector<std::uint8_t> BmpBytes(const Pixels& p) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(p.width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(p.height);
    std::vector<std::uint8_t> out{'B', 'M'};
    Put32(out, 14 + 40 + imageBytes);
    Put32(out, 0);
    Put32(out, 14 + 40);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(p.width));
    Put32(out, static_cast<std::uint32_t>(p.height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < p.width; ++x) out.insert(out.end(), {p.at(x, y).b, p.at(x, y).g, p.at(x, y).r});
        while (out.size() - start < rowBytes) out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> BmpHeaderOnly(std::int32_t width, std::int32_t height) {
    std::vector<std::uint8_t> out{'B', 'M'};
    Put32(out, 14 + 40 + 16);
    Put32(out, 0);
    Put32(out, 14 + 40);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, 24);
    for (int i = 0; i < 6; ++i) Put32(out, 0);
    out.insert(out.end(), 16, 0x7F);
    return out;
}

std::vector<std::uint8_t> PngBytes(const Pixels& p, bool alpha) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < p.height; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < p.width; ++x) {
            const Rgba& c = p.at(x, y);
            raw.insert(raw.end(), {c.r, c.g, c.b});
            if (alpha) raw.push_back(c.a);
        }
    }
    // zlib with stored blocks; Adler-32 at the end.
    std::vector<std::uint8_t> z{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n == raw.size() ? 1 : 0);
        Put16(z, static_cast<std::uint32_t>(n));
        Put16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    Put32Be(z, (b << 16) | a);

    std::vector<std::uint8_t> out(std::begin(kPngSignature), std::end(kPngSignature));
    PngChunk(out, "IHDR", PngHeader(static_cast<std::uint32_t>(p.width), static_cast<std::uint32_t>(p.height), alpha ? 6 : 2));
    PngChunk(out, "IDAT", z);
    PngChunk(out, "IEND", {});
    return out;
}

std::vector<std::uint8_t> PngHeaderOnly(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> out(std::begin(kPngSignature), std::end(kPngSignature));
    PngChunk(out, "IHDR", PngHeader(width, height, 6));
    PngChunk(out, "IDAT", {0x78, 0x01, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01});
    PngChunk(out, "IEND", {});
    return out;
}

std::vector<std::uint8_t> IcoBytes(const Pixels& first, const Pixels& second) {
    auto image = [](const Pixels& p) {
        std::vector<std::uint8_t> dib;
        Put32(dib, 40);
        Put32(dib, static_cast<std::uint32_t>(p.width));
        Put32(dib, static_cast<std::uint32_t>(p.height * 2));  // colour and mask
        Put16(dib, 1);
        Put16(dib, 32);
        for (int i = 0; i < 6; ++i) Put32(dib, 0);
        for (int y = p.height - 1; y >= 0; --y)
            for (int x = 0; x < p.width; ++x) dib.insert(dib.end(), {p.at(x, y).b, p.at(x, y).g, p.at(x, y).r, p.at(x, y).a});
        const std::size_t maskRow = ((static_cast<std::size_t>(p.width) + 31) / 32) * 4;
        dib.insert(dib.end(), maskRow * static_cast<std::size_t>(p.height), 0);
        return dib;
    };
    const std::vector<std::uint8_t> a = image(first), b = image(second);
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 2);
    std::uint32_t offset = 6 + 2 * 16;
    for (const auto* entry : {&first, &second}) {
        out.push_back(static_cast<std::uint8_t>(entry->width));
        out.push_back(static_cast<std::uint8_t>(entry->height));
        out.insert(out.end(), {0, 0});
        Put16(out, 1);
        Put16(out, 32);
        const std::uint32_t size = static_cast<std::uint32_t>(entry == &first ? a.size() : b.size());
        Put32(out, size);
        Put32(out, offset);
        offset += size;
    }
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

std::vector<std::uint8_t> Encode(const GUID& container, const std::vector<Pixels>& frames) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) return {};
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return {};
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(container, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache))) {
        return {};
    }
    for (const Pixels& p : frames) {
        ComPtr<IWICBitmapFrameEncode> frame;
        ComPtr<IPropertyBag2> options;
        if (FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get()))) return {};
        if (FAILED(frame->SetSize(static_cast<UINT>(p.width), static_cast<UINT>(p.height)))) return {};
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        if (FAILED(frame->SetPixelFormat(&format))) return {};
        std::vector<std::uint8_t> bgr;
        for (const Rgba& c : p.data) bgr.insert(bgr.end(), {c.b, c.g, c.r});
        ComPtr<IWICBitmap> source;
        if (FAILED(factory->CreateBitmapFromMemory(static_cast<UINT>(p.width), static_cast<UINT>(p.height),
                                                   GUID_WICPixelFormat24bppBGR, static_cast<UINT>(p.width) * 3,
                                                   static_cast<UINT>(bgr.size()), bgr.data(), &source))) {
            return {};
        }
        // The encoder may ask for another format (GIF wants a palette): let WIC convert.
        ComPtr<IWICBitmapSource> converted = source;
        if (format != GUID_WICPixelFormat24bppBGR) {
            if (format == GUID_WICPixelFormat8bppIndexed) {
                ComPtr<IWICPalette> palette;
                ComPtr<IWICFormatConverter> converter;
                if (FAILED(factory->CreatePalette(&palette)) ||
                    FAILED(palette->InitializeFromBitmap(source.Get(), 256, FALSE)) ||
                    FAILED(frame->SetPalette(palette.Get())) || FAILED(factory->CreateFormatConverter(&converter)) ||
                    FAILED(converter->Initialize(source.Get(), format, WICBitmapDitherTypeNone, palette.Get(), 0.0,
                                                 WICBitmapPaletteTypeCustom))) {
                    return {};
                }
                converted = converter;
            } else if (FAILED(::WICConvertBitmapSource(format, source.Get(), &converted))) {
                return {};
            }
        }
        if (FAILED(frame->WriteSource(converted.Get(), nullptr)) || FAILED(frame->Commit())) return {};
    }
    if (FAILED(encoder->Commit())) return {};
    HGLOBAL memory = nullptr;
    if (FAILED(::GetHGlobalFromStream(stream.Get(), &memory))) return {};
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    const auto* bytes = static_cast<const std::uint8_t*>(::GlobalLock(memory));
    std::vector<std::uint8_t> out(bytes, bytes + stat.cbSize.QuadPart);
    ::GlobalUnlock(memory);
    return out;
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ScratchFolder::ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::filesystem::path(temp) / (name + L"-" + std::to_wstring(::GetCurrentProcessId()));
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace lumbra::win32::testing
