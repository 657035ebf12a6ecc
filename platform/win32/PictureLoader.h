#pragma once
// Picture files through the Windows Imaging Component: BMP, JPEG, PNG, GIF (first frame), TIFF,
// ICO and whatever else is installed, recognised by content.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include "platform/PictureLoader.h"

namespace lumbra::win32 {

class Win32PictureLoader final : public platform::PictureLoader {
public:
    platform::LoadedPicture Load(std::string_view path,
                                 const std::function<platform::PixelSize(platform::PixelSize)>& sizeFor) override;
    platform::PictureRef Scale(const platform::PictureRef& picture, platform::PixelSize size) override;

private:
    IWICImagingFactory* Factory();

    Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
};

}  // namespace lumbra::win32
