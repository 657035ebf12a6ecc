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

inline bool IsArgumentBlank(char c) { return c == ' ' || c == '\t'; }

inline std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;

    // The program name.
    std::string name;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsArgumentBlank(line[i]))) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else {
            name.push_back(line[i]);
        }
        ++i;
    }
    arguments.push_back(std::move(name));

    while (true) {
        while (i < line.size() && IsArgumentBlank(line[i])) ++i;
        if (i >= line.size()) break;

        std::string argument;
        quoted = false;
        while (i < line.size() && (quoted || !IsArgumentBlank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t backslashes = 0;
                while (i < line.size() && line[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < line.size() && line[i] == '"') {
                    argument.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        argument.push_back('"');
                        ++i;
                    }
                    // With an even count the quote is handled as a delimiter below.
                } else {
                    argument.append(backslashes, '\\');
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument.push_back('"');
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            argument.push_back(line[i]);
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace lumbra::testdata
