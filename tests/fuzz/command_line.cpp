// Command lines for new processes: whatever the arguments, the started program's parser (the C
// runtime's rules, which CommandLineToArgvW shares) gives back exactly the arguments.
// Input: the program name and the arguments, separated by NUL (a command line cannot hold one).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "common/CommandLineParser.h"
#include "platform/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using lumbra::testdata::SplitCommandLine;

    std::vector<std::string> arguments;
    for (std::string_view part : lumbra::fuzz::Split(lumbra::fuzz::AsText(data, size), '\0')) arguments.emplace_back(part);
    // A program's file name never holds a quote: Windows forbids it in names.
    std::erase(arguments[0], '"');

    const std::string line = lumbra::platform::BuildCommandLine(arguments);
    FUZZ_CHECK(SplitCommandLine(line) == arguments);

    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::string quoted = lumbra::platform::QuoteArgument(argument);
        FUZZ_CHECK((SplitCommandLine("p.exe " + quoted) == std::vector<std::string>{"p.exe", argument}));
        // Quoted only when it must be: a plain argument stands as it is.
        const bool plain = !argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos;
        FUZZ_CHECK(plain == (quoted == argument));
    }
    return 0;
}
