#pragma once
// In-memory stand-ins for what the miniature needs of the platform: the environment, picture
// files (their stamps and their decoding), the folder watch and the shell.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "desktop/Composer.h"
#include "platform/Environment.h"
#include "platform/FileFacts.h"
#include "platform/FolderWatch.h"
#include "platform/PictureLoader.h"
#include "platform/ShellLauncher.h"

namespace lumbra::fakes {

// Names are compared without regard to case, as Windows does. A reference to an undefined
// variable is copied as it stands and the scan goes on at its closing "%".
class FakeEnvironment final : public platform::Environment {
public:
    void Set(const std::string& name, const std::string& value);
    std::string ExpandVariables(std::string_view text) override;
    const std::vector<std::string>& Requests() const { return requests_; }

private:
    std::map<std::string, std::string> values_;  // upper-case name -> value
    std::vector<std::string> requests_;
};

// A decoded picture: its size, the file it came from and which decode of that file made it.
class FakePicture final : public platform::Picture {
public:
    FakePicture(int width, int height, std::string source, int decode)
        : width_(width), height_(height), source_(std::move(source)), decode_(decode) {}
    int PixelWidth() const override { return width_; }
    int PixelHeight() const override { return height_; }
    const std::string& Source() const { return source_; }
    int Decode() const { return decode_; }

private:
    int width_;
    int height_;
    std::string source_;
    int decode_;
};

// Files by path. A picture file decodes to a FakePicture of the size asked for; a damaged one
// fails as damaged data does; a stated size that IsPlausiblePictureSize refuses is refused
// before the size is asked for, as the loader's contract says.
class FakePictureFiles final : public platform::FileFacts, public platform::PictureLoader {
public:
    void PutPicture(const std::string& path, int width, int height, std::uint64_t bytes = 1000);
    void PutDamaged(const std::string& path, std::uint64_t bytes = 1000);
    void PutFolder(const std::string& path);
    void Remove(const std::string& path);
    // A later write time, the same length: the file was rewritten in place.
    void Touch(const std::string& path);
    // New content of another size, same write time.
    void Resize(const std::string& path, std::uint64_t bytes);

    std::optional<platform::FileStamp> Stamp(std::string_view path) override;
    platform::LoadedPicture Load(std::string_view path,
                                 const std::function<platform::PixelSize(platform::PixelSize)>& sizeFor) override;
    platform::PictureRef Scale(const platform::PictureRef& picture, platform::PixelSize size) override;

    int Loads() const { return static_cast<int>(loadedPaths_.size()); }
    int Scales() const { return scales_; }
    const std::vector<std::string>& LoadedPaths() const { return loadedPaths_; }
    // The sizes decodes produced, in order.
    const std::vector<platform::PixelSize>& DecodedSizes() const { return decodedSizes_; }

private:
    enum class Kind { Picture, Damaged, Folder };
    struct File {
        Kind kind = Kind::Picture;
        platform::PixelSize natural;
        std::uint64_t bytes = 0;
        std::uint64_t writeTime = 0;
    };
    std::map<std::string, File> files_;
    std::uint64_t clock_ = 100;
    std::vector<std::string> loadedPaths_;
    std::vector<platform::PixelSize> decodedSizes_;
    int scales_ = 0;
};

class FakeFolderWatch final : public platform::FolderWatch {
public:
    bool Watch(std::string_view file, std::function<void()> changed) override;
    void Stop() override;

    // The folder changed: runs the callback of the watch in place, if any.
    void Fire();
    // Watches fail, as for a folder that does not exist.
    void SetFailing(bool failing) { failing_ = failing; }

    bool Active() const { return static_cast<bool>(callback_); }
    const std::string& WatchedFile() const { return file_; }
    int WatchCalls() const { return watchCalls_; }
    int StopCalls() const { return stopCalls_; }

private:
    std::function<void()> callback_;
    std::string file_;
    bool failing_ = false;
    int watchCalls_ = 0;
    int stopCalls_ = 0;
};

class FakeShellLauncher final : public platform::ShellLauncher {
public:
    struct Call {
        std::uintptr_t owner;
        std::string verb;
        std::string file;
        std::string parameters;
        std::string directory;
        int show;
    };
    void Execute(std::uintptr_t ownerWindow, std::string_view verb, std::string_view file, std::string_view parameters,
                 std::string_view directory, int showCommand) override {
        calls.push_back({ownerWindow, std::string(verb), std::string(file), std::string(parameters),
                         std::string(directory), showCommand});
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
