#include "platform/CommandLine.h"

namespace lumbra::platform {

std::string QuoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string_view::npos) {
        return std::string(argument);
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Backslashes before a quote are escapes: double them, then escape the quote.
            quoted.append(backslashes * 2 + 1, '\\');
            quoted.push_back('"');
        } else {
            quoted.append(backslashes, '\\');
            quoted.push_back(c);
        }
        backslashes = 0;
    }
    // Before the closing quote the trailing backslashes must not escape it.
    quoted.append(backslashes * 2, '\\');
    quoted.push_back('"');
    return quoted;
}

std::string BuildCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (i == 0) {
            const bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
            line += quote ? "\"" + argument + "\"" : argument;
        } else {
            line.push_back(' ');
            line += QuoteArgument(argument);
        }
    }
    return line;
}

}  // namespace lumbra::platform
