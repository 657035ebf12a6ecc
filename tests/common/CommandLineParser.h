#pragma once
// How a started program splits its command line into arguments: the rules of the Microsoft C
// runtime's start-up code, which CommandLineToArgvW follows as well. Used by the tests to read
// back what platform/CommandLine.h builds. Shared by the host tests and the fuzz targets.
//
// - The program name ends at the first blank or tab outside quotes; quotes in it only group and
//   are dropped, and a backslash is an ordinary character there.
// - Every later argument is separated by blanks and tabs outside quotes.
// - 2n backslashes before a quote give n backslashes and the quote opens or closes a quoted
//   part; 2n + 1 backslashes before a quote give n backslashes and a literal quote. Backslashes
//   anywhere else are literal.
// - Inside a quoted part, two quotes in a row give one literal quote (today's runtime; older
//   ones and CommandLineToArgvW end the quoted part there, which is why the program's quoting
//   never writes two quotes in a row inside a quoted part).
// - A line that ends inside a quoted part ends its last argument there.
//
// The delimiters are ASCII, which never occurs inside a multi-byte UTF-8 sequence, so splitting
// the UTF-8 text gives the same arguments as splitting its UTF-16 form.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumbra::testdata {

inline std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> arguments(1);
    std::size_t i = 0;
    const auto endsArgument = [&](bool quoted) { return i >= line.size() || (!quoted && (line[i] == ' ' || line[i] == '\t')); };
    for (bool quoted = false; !endsArgument(quoted); ++i) line[i] == '"' ? void(quoted = !quoted) : arguments[0].push_back(line[i]);
    for (bool quoted = false;; quoted = false) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i == line.size()) return arguments;
        std::string& argument = arguments.emplace_back();
        while (!endsArgument(quoted)) {
            std::size_t backslashes = 0;
            for (; i < line.size() && line[i] == '\\'; ++i) ++backslashes;
            const bool quote = i < line.size() && line[i] == '"';
            argument.append(quote ? backslashes / 2 : backslashes, '\\');
            if (quote && (backslashes % 2 == 1 || (quoted && i + 1 < line.size() && line[i + 1] == '"'))) {
                argument += '"';  // an escaped quote, or two in a row inside quotes
                i += backslashes % 2 == 1 ? 1 : 2;
            } else if (quote) {
                quoted = !quoted, ++i;
            } else if (backslashes == 0) {
                argument += line[i++];
            }
        }
    }
}

}  // namespace lumbra::testdata
