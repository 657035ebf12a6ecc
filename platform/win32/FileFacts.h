#pragma once
// A file's length and last write time from its directory entry.
#include "platform/FileFacts.h"

namespace lumbra::win32 {

class Win32FileFacts final : public platform::FileFacts {
public:
    std::optional<platform::FileStamp> Stamp(std::string_view path) override;
};

}  // namespace lumbra::win32
