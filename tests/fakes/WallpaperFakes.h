#pragma once
// In-memory stand-ins for what the miniature needs of the platform: the environment, picture
// files (their stamps and their decoding), the folder watch and the shell.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "desktop/Composer.h"

namespace lumbra::fakes {

// %NAME% references of the variables set here are replaced; the others are left as they stand.
class FakeEnvironment final : public platform::Environment {
public:
    void Set(const std::string& name, const std::string& value) { values_[name] = value; }
    std::string ExpandVariables(std::string_view text) override;

private:
    std::map<std::string, std::string> values_;
};

// A decoded picture: its size and the file it came from.
struct FakePicture final : platform::Picture {
    FakePicture(int w, int h, std::string from) : width(w), height(h), source(std::move(from)) {}
    int PixelWidth() const override { return width; }
    int PixelHeight() const override { return height; }
    int width, height;
    std::string source;
};

// Files by path. A picture decodes to a FakePicture of the size asked for, a damaged file fails
// as damaged data does, and a stated size IsPlausiblePictureSize refuses is refused before the
// size is asked for, as the loader's contract says.
class FakePictureFiles final : public platform::FileFacts, public platform::PictureLoader {
public:
    void PutPicture(const std::string& path, int width, int height) { files_[path] = File{{width, height}, ++clock_}; }
    void PutDamaged(const std::string& path) { PutPicture(path, 0, 0); }
    // A later write time, the same length: the file was rewritten in place.
    void Touch(const std::string& path) { files_.at(path).writeTime = ++clock_; }

    std::optional<platform::FileStamp> Stamp(std::string_view path) override;
    platform::LoadedPicture Load(std::string_view path,
                                 const std::function<platform::PixelSize(platform::PixelSize)>& sizeFor) override;
    platform::PictureRef Scale(const platform::PictureRef& picture, platform::PixelSize size) override;

    int loads = 0;
    int scales = 0;
    std::vector<platform::PixelSize> decodedSizes;  // the sizes decodes produced, in order
    bool failLoads = false;   // every file reads as damaged data
    bool failScales = false;  // no copy can be made

private:
    struct File {
        platform::PixelSize natural;  // empty for a damaged file
        std::uint64_t writeTime = 0;
    };
    std::map<std::string, File> files_;
    std::uint64_t clock_ = 100;
};

// Opens at once with `answer` (later, by Send, without one) and reports what the test sends.
class FakeFolderWatch final : public platform::FolderWatch {
public:
    void Listen(std::function<void(platform::FolderEvent)> report) override { listener = std::move(report); }
    void Open(std::string_view file) override {
        opened.emplace_back(file);
        open = true;
        if (answer) Send(*answer);
    }
    void Close() override { open = false; }
    void Send(platform::FolderEvent event) {
        if (auto report = listener) report(event);
    }

    std::function<void(platform::FolderEvent)> listener;
    std::vector<std::string> opened;  // the files whose folders were opened, in order
    bool open = false;                // opened since the last Close
    std::optional<platform::FolderEvent> answer = platform::FolderEvent::Opened;
};

class FakeShellLauncher final : public platform::ShellLauncher {
public:
    struct Call {
        std::uintptr_t owner;
        std::string verb, file, parameters, directory;
        int show;
        friend bool operator==(const Call&, const Call&) = default;
    };
    void Execute(std::uintptr_t owner, std::string_view verb, std::string_view file, std::string_view parameters,
                 std::string_view directory, int show) override {
        calls.push_back({owner, std::string(verb), std::string(file), std::string(parameters), std::string(directory), show});
    }
    std::vector<Call> calls;
};

// Every fake a composition works through, wired into its services.
struct WallpaperWorld {
    FakeEnvironment env;
    FakePictureFiles files;
    FakeFolderWatch watch;
    FakeShellLauncher shell;
    desktop::WallpaperServices services{env, files, files, watch, shell};
};

}  // namespace lumbra::fakes
