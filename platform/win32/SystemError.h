#pragma once
// The system's own description of an error code or HRESULT, in the system's language.
#include <windows.h>

#include <string>

namespace lumbra::win32 {

std::string SystemErrorText(DWORD code);
std::string SystemErrorText(HRESULT hr);

}  // namespace lumbra::win32
