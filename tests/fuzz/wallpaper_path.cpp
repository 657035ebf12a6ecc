// The %NAME% expansion of the wallpaper path over an environment that comes from the input too.
// Input: the path on the first line, then one NAME=value variable per line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "desktop/Composition.h"
#include "desktop/modMain.h"
#include "fakes/WallpaperFakes.h"

namespace {

std::size_t Occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto lines = lumbra::fuzz::Split(lumbra::fuzz::AsText(data, size), '\n');
    const std::string path(lines[0]);
    lumbra::fakes::FakeEnvironment environment;
    lumbra::fakes::FakeEnvironment sameEnvironment;  // asked here, so the other's requests stay the program's
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t equals = lines[i].find('=');
        if (equals == std::string_view::npos || equals == 0) continue;
        const std::string name(lines[i].substr(0, equals));
        const std::string value(lines[i].substr(equals + 1));
        environment.Set(name, value);
        sameEnvironment.Set(name, value);
    }

    const std::string result = lumbra::desktop::ExpandWallpaperPath(path, environment);
    const std::string_view none = lumbra::desktop::kNoWallpaper;

    const std::size_t p1 = path.find('%');
    const std::size_t p2 = p1 == std::string::npos ? std::string::npos : path.find('%', p1 + 1);
    if (p2 == std::string::npos) {
        // Without a pair of "%" the path is used as it stands and nothing is asked.
        FUZZ_CHECK(result == path);
        FUZZ_CHECK(environment.Requests().empty());
        return 0;
    }

    // Exactly one expansion, of the first reference with both its signs.
    const std::string reference = path.substr(p1, p2 - p1 + 1);
    FUZZ_CHECK(environment.Requests().size() == 1 && environment.Requests()[0] == reference);
    const std::string expansion = sameEnvironment.ExpandVariables(reference);

    // The path with every occurrence of the reference replaced, left to right, the replaced
    // text not searched again.
    std::string rebuilt;
    std::size_t from = 0;
    for (std::size_t at = path.find(reference, from); at != std::string::npos; at = path.find(reference, from)) {
        rebuilt.append(path, from, at - from).append(expansion);
        from = at + reference.size();
    }
    rebuilt.append(path, from);

    if (rebuilt.find('%') != std::string::npos) {
        // An undefined variable, a second reference, a "%" in the value: the path names nothing.
        FUZZ_CHECK(result == none);
        return 0;
    }
    FUZZ_CHECK(result == rebuilt);
    // A path that names a file holds no "%" any more, so an undefined variable never gets here.
    FUZZ_CHECK(expansion != reference);
    // Nothing before the first reference changes, and the expansion stands where it stood.
    FUZZ_CHECK(result.compare(0, p1, path, 0, p1) == 0);
    FUZZ_CHECK(result.compare(p1, expansion.size(), expansion) == 0);
    const std::size_t k = Occurrences(path, reference);
    FUZZ_CHECK(k >= 1 && result.size() + k * reference.size() == path.size() + k * expansion.size());
    return 0;
}
