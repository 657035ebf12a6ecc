#include "PictureFiles.h"

#include <wrl/client.h>

#include <fstream>

namespace lumbra::win32::testing {

using Microsoft::WRL::ComPtr;

Pixels Fill(int width, int height, const std::function<Rgba(int, int)>& colour) {
    Pixels p{width, height, std::vector<Rgba>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.at(x, y) = colour(x, y);
    return p;
}

Pixels Quadrants(int width, int height) {
    return Fill(width, height, [&](int x, int y) {
        const bool right = x >= width / 2;
        return y >= height / 2 ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
    });
}

std::vector<std::uint8_t> BmpBytes(const Pixels& p) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(p.width) * 3 + 3) & ~3u;
    std::vector<std::uint8_t> out(54, 0);
    const auto put = [&](std::size_t at, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(0, 'B' | ('M' << 8), 2);
    put(2, 54 + rowBytes * p.height, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(p.width), 4);
    put(22, static_cast<std::uint32_t>(p.height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = p.height - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        for (int x = 0; x < p.width; ++x) out.insert(out.end(), {p.at(x, y).b, p.at(x, y).g, p.at(x, y).r});
        out.resize(start + rowBytes, 0);
    }
    return out;
}

std::vector<std::uint8_t> Encode(const GUID& container, const std::vector<Pixels>& frames, bool alpha) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
        FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || FAILED(factory->CreateEncoder(container, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache))) {
        return {};
    }
    for (const Pixels& p : frames) {
        std::vector<std::uint8_t> bytes;
        for (const Rgba& c : p.data) {
            bytes.insert(bytes.end(), {c.b, c.g, c.r});
            if (alpha) bytes.push_back(c.a);
        }
        ComPtr<IWICBitmapFrameEncode> frame;
        ComPtr<IPropertyBag2> options;
        WICPixelFormatGUID format = alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
        const WICPixelFormatGUID given = format;
        if (FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get())) ||
            FAILED(frame->SetSize(static_cast<UINT>(p.width), static_cast<UINT>(p.height))) ||
            FAILED(frame->SetPixelFormat(&format)) || format != given ||
            FAILED(frame->WritePixels(static_cast<UINT>(p.height), static_cast<UINT>(p.width) * (alpha ? 4 : 3),
                                      static_cast<UINT>(bytes.size()), bytes.data())) ||
            FAILED(frame->Commit())) {
            return {};
        }
    }
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(encoder->Commit()) || FAILED(::GetHGlobalFromStream(stream.Get(), &memory)) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return {};
    }
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
