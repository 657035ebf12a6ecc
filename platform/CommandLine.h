#pragma once
// Command lines for new processes, built so that the started program's parser (the C runtime's,
// CommandLineToArgvW) gives back exactly the arguments.
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::platform {

// One argument after the program name: as it is when it holds no blank, tab, line break or quote
// and is not empty; otherwise in quotes, with backslashes doubled where they precede a quote.
std::string QuoteArgument(std::string_view argument);

// The program name first (quoted only when it holds a blank or tab: that parser takes it
// literally up to the closing quote), then every argument, separated by single blanks.
std::string BuildCommandLine(const std::vector<std::string>& arguments);

}  // namespace lumbra::platform
