#pragma once
// The progress window of a long copy or move, with its cancel button.
#include <memory>
#include <string_view>

#include "platform/FileSystem.h"

namespace lumbra::platform {

enum class TransferKind { Copy, Move };

class TransferProgress : public CopyProgress {
public:
    // A file or folder starts; the window names it.
    virtual void Item(std::string_view from, std::string_view to) = 0;
    // The user asked to stop.
    virtual bool Cancelled() = 0;
    // The user has just answered a question; the time it stood open is not time the command ran.
    virtual void Answered() = 0;
};

class ProgressWindows {
public:
    virtual ~ProgressWindows() = default;
    // One command's progress. The window appears only when the command is still running about a
    // second after this call, and goes when the object does.
    virtual std::unique_ptr<TransferProgress> Begin(TransferKind kind) = 0;
};

}  // namespace lumbra::platform
