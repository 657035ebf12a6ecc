#include "platform/win32/ProgressWindows.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <string>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// A command runs on the window's thread: between files and blocks its windows paint what needs
// painting, so that nothing stands blank or stale during a long copy.
void PaintPending() {
    MSG msg;
    for (int i = 0; i < 16 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) ::DispatchMessageW(&msg);
}

class Win32TransferProgress final : public platform::TransferProgress {
public:
    Win32TransferProgress(HWND owner, unsigned delayMs, platform::TransferKind kind)
        : owner_(owner), delayMs_(delayMs), kind_(kind), start_(::GetTickCount64()) {}

    ~Win32TransferProgress() override {
        if (dialog_) dialog_->StopProgressDialog();
    }

    void Item(std::string_view from, std::string_view to) override {
        PaintPending();
        from_ = Widen(from);
        to_ = Widen(to);
        if (ShowWhenDue()) ShowLines();
    }

    void Bytes(std::uint64_t done, std::uint64_t total) override {
        PaintPending();
        if (!ShowWhenDue()) return;
        dialog_->SetProgress64(done, total);
    }

    bool Cancelled() override { return ShowWhenDue() && dialog_->HasUserCancelled(); }

    void Answered() override {
        if (!dialog_) start_ = ::GetTickCount64();
    }

private:
    // The window appears only for a command that is still running after the delay; a short one
    // finishes without it.
    bool ShowWhenDue() {
        if (dialog_) return true;
        if (failed_ || ::GetTickCount64() - start_ < delayMs_) return false;
        ComPtr<IProgressDialog> dialog;
        // By its IID: mingw-w64 has no __uuidof for this interface.
        if (FAILED(::CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IProgressDialog,
                                      reinterpret_cast<void**>(dialog.ReleaseAndGetAddressOf())))) {
            failed_ = true;
            return false;
        }
        const bool copy = kind_ == platform::TransferKind::Copy;
        dialog->SetTitle(Widen(copy ? "コピーしています - Lumbra" : "移動しています - Lumbra").c_str());
        dialog->SetCancelMsg(Widen("現在のファイルが終わったところで止めます...").c_str(), nullptr);
        const HWND owner = (owner_ != nullptr && ::IsWindow(owner_)) ? owner_ : nullptr;
        if (FAILED(dialog->StartProgressDialog(owner, nullptr, PROGDLG_NORMAL | PROGDLG_NOMINIMIZE, nullptr))) {
            failed_ = true;
            return false;
        }
        dialog_ = dialog;
        ShowLines();
        return true;
    }

    void ShowLines() {
        dialog_->SetLine(1, from_.c_str(), TRUE, nullptr);
        dialog_->SetLine(2, to_.c_str(), TRUE, nullptr);
    }

    HWND owner_;
    unsigned delayMs_;
    platform::TransferKind kind_;
    ULONGLONG start_;
    ComPtr<IProgressDialog> dialog_;
    bool failed_ = false;
    std::wstring from_;
    std::wstring to_;
};

}  // namespace

std::unique_ptr<platform::TransferProgress> Win32ProgressWindows::Begin(platform::TransferKind kind) {
    return std::make_unique<Win32TransferProgress>(owner_, delayMs_, kind);
}

}  // namespace lumbra::win32
