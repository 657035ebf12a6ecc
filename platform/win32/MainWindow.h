#pragma once
// The main window: a captioned, sizable top-level window with one child, the picture panel
// picDT, which paints the panel's element model double-buffered.
#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <functional>

#include "platform/MainWindow.h"
#include "platform/SystemInfo.h"
#include "platform/win32/Handles.h"

namespace lumbra::win32 {

class PanelDropTarget;

inline constexpr wchar_t kMainWindowClass[] = L"LumbraPanelWindow";
inline constexpr wchar_t kPanelWindowClass[] = L"LumbraPicture";

class Win32MainWindow final : public platform::MainWindowView {
public:
    Win32MainWindow(HINSTANCE instance, const platform::ScreenMetrics& screen);
    ~Win32MainWindow() override;
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    void SetEvents(platform::MainWindowEvents* events) { events_ = events; }
    // Device arrivals and removals (WM_DEVICECHANGE), for the wallpaper's folder watch.
    void OnDeviceChange(std::function<void(WPARAM, LPARAM)> handler) { deviceChange_ = std::move(handler); }
    HWND Hwnd() const { return hwnd_; }
    HWND PanelHwnd() const { return panel_; }

    float Left() const override;
    float Top() const override;
    float Width() const override;
    float Height() const override;
    void SetLeft(float twips) override;
    void SetTop(float twips) override;
    void SetWidth(float twips) override;
    void SetHeight(float twips) override;

    float PanelWidth() const override;
    float PanelHeight() const override;
    void SetPanelWidth(float twips) override;
    void SetPanelHeight(float twips) override;
    platform::Scene& Panel() override { return scene_; }
    void RefreshPanel() override;

    bool Minimised() const override;
    bool IsVisible() const override;
    void Show() override;
    void Hide() override;

    void SetIcon(platform::AppIcon icon) override;
    std::uintptr_t IconHandle() const override;
    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

    void MakeTopmost() override;
    void InstallMessageHook() override;
    std::vector<platform::TwipsRect> MonitorWorkAreas() const override;
    void PopupDropMenu() override;
    void PopupIconMenu(bool shown, bool startsWithWindows) override;
    void BringToFront() override;
    void Close() override;
    void EndDrop(platform::DropOutcome outcome) override;

private:
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK PanelProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK HookProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnClose(platform::UnloadMode mode);
    void OnPanelPaint();
    void OnPanelMouseUp(int button, WPARAM keys, LPARAM position);
    void OnPanelDoubleClick(LPARAM position);
    bool OnContextMenuKey(UINT message, WPARAM wParam, LPARAM lParam);
    const platform::ImageElement* WallpaperElementAt(int x, int y) const;
    void RegisterPanelDropTarget();
    void OnPanelDragOver(DWORD keyState, POINTL screen);
    bool OnPanelDrop(const platform::DropData& data, DWORD keyState, POINTL screen);
    void RunDrop();

    // The window's outer rectangle in screen pixels; the restored one while minimised.
    RECT OuterRect() const;
    void MoveTo(int x, int y);
    void ResizeTo(int width, int height);

    HINSTANCE instance_;
    // The system DPI, and the twips of one physical pixel at it.
    int dpiX_;
    int dpiY_;
    float tppX_;
    float tppY_;
    HWND hwnd_ = nullptr;
    HWND panel_ = nullptr;
    platform::MainWindowEvents* events_ = nullptr;
    std::function<void(WPARAM, LPARAM)> deviceChange_;
    platform::Scene scene_;
    platform::PanelLength panelWidth_;
    platform::PanelLength panelHeight_;

    unique_hbrush background_;
    unique_hicon colourBig_;
    unique_hicon colourSmall_;
    unique_hicon greyBig_;
    unique_hicon greySmall_;
    platform::AppIcon icon_ = platform::AppIcon::Colour;

    // The panel's back buffer, as large as the largest part of the panel painted at once.
    unique_hdc backDc_;
    unique_hbitmap backBitmap_;
    HGDIOBJ backDcOriginalBitmap_ = nullptr;
    SIZE backSize_{0, 0};

    // The drop menu dmymn_A, the panel's OLE drop target while it is registered, and the drop
    // whose command waits for the message that runs it.
    unique_hmenu dropMenu_;
    Microsoft::WRL::ComPtr<PanelDropTarget> dropTarget_;
    struct PendingDrop {
        platform::DropData data;
        DWORD keyState = 0;
        POINTL screen{};
    };
    PendingDrop pendingDrop_;

    bool shown_ = false;     // resize events flow once the window has been shown
    bool unloaded_ = false;  // the unload handlers run once, however the window goes
    UINT secondStartMessage_ = 0;
};

}  // namespace lumbra::win32
