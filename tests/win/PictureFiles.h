#pragma once
// Test pictures written on the spot: BMP by hand (so that its header can be made to lie),
// everything else through the system's own encoders.
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace lumbra::win32::testing {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// A picture in memory, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<Rgba> data;
    Rgba& at(int x, int y) { return data[static_cast<std::size_t>(y) * width + x]; }
    const Rgba& at(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x]; }
};

Pixels Fill(int width, int height, const std::function<Rgba(int x, int y)>& colour);
// Four quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
Pixels Quadrants(int width, int height);
inline constexpr Rgba kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

std::vector<std::uint8_t> BmpBytes(const Pixels& p);  // 24-bit, bottom-up
// Through the WIC encoder of the container (GUID_ContainerFormatJpeg, ...Png, ...Tiff), one frame
// each, 24-bit or with alpha 32-bit. Empty when the encoder is missing or wants another format.
std::vector<std::uint8_t> Encode(const GUID& container, const std::vector<Pixels>& frames, bool alpha = false);

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A fresh folder under the temporary folder, removed with its files by the destructor.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace lumbra::win32::testing
