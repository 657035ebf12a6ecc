// LumbraPanel.exe: builds the platform objects, hands them to the main window and runs the
// message loop until the window is closed.
#include <windows.h>

#include "app/frmMain.h"
#include "desktop/Composer.h"
#include "drop/DesktopCommands.h"
#include "platform/win32/Environment.h"
#include "platform/win32/FileFacts.h"
#include "platform/win32/FileSystem.h"
#include "platform/win32/FolderWatch.h"
#include "platform/win32/Handles.h"
#include "platform/win32/MainWindow.h"
#include "platform/win32/MenuIcons.h"
#include "platform/win32/MessageBoxes.h"
#include "platform/win32/MessageLoop.h"
#include "platform/win32/NotifyIcon.h"
#include "platform/win32/PictureLoader.h"
#include "platform/win32/PopupMenu.h"
#include "platform/win32/Profile.h"
#include "platform/win32/ProgressWindows.h"
#include "platform/win32/Registry.h"
#include "platform/win32/Settings.h"
#include "platform/win32/ShellFolder.h"
#include "platform/win32/ShellLauncher.h"
#include "platform/win32/ShellLinks.h"
#include "platform/win32/ShellServices.h"
#include "platform/win32/SingleInstance.h"
#include "platform/win32/StartupRun.h"
#include "platform/win32/SystemInfo.h"
#include "res/resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Every DLL loaded from here on comes from System32: never from the program's own folder (a
    // downloads folder, often), where a planted DLL of the same name would run inside the program.
    // The static imports, resolved before this line, are KnownDLLs and the side-by-side common
    // controls only, which Windows never takes from there.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    using namespace lumbra;
    try {
        win32::com_apartment com;
        win32::Win32SystemInfo system;
        win32::Win32Settings settings;
        // Once per user and session: a second start records itself for the updater as every start
        // does, brings the running program back and ends, with no window, icon or geometry.
        win32::SingleInstance single;
        if (!single.First()) {
            app::SaveUpdateInfo(settings, system);
            if (single.AskFirstToComeBack()) return 0;
        }
        win32::Win32Profile profile;
        win32::Win32Registry registry;
        win32::Win32MainWindow window(instance, system.Screen());
        win32::Win32NotifyIcon notifyIcon(instance);
        win32::Win32ShellFolder shellFolder(window.Hwnd());
        win32::Win32FileSystem fileSystem;
        win32::Win32MessageBoxes messageBoxes(window.Hwnd());
        win32::Win32ShellLinks shellLinks;
        win32::Win32ProgressWindows progressWindows(window.Hwnd());
        const drop::DropServices fileDrop{shellFolder, fileSystem, messageBoxes, shellLinks, progressWindows};
        // Made before the form: the wallpaper's folder watch waits in this loop.
        win32::MessageLoop loop;
        win32::Win32Environment environment;
        win32::Win32PictureLoader pictures;
        win32::Win32FileFacts files;
        // The folder watch learns of drives that go and come back through the window.
        win32::Win32FolderWatch watch(loop, window.Hwnd());
        window.OnDeviceChange([&watch](WPARAM event, LPARAM data) { watch.OnDeviceChange(event, data); });
        win32::Win32ShellLauncher shell;
        const desktop::WallpaperServices wallpaper{environment, pictures, files, watch, shell};

        // The popup menu's parts. The image list holds the display-properties picture from the
        // start, as the window was designed.
        win32::Win32CodePage932 codePage;
        win32::Win32PopupMenuFactory menus(codePage);
        win32::Win32IconSource icons(instance);
        win32::Win32ImageList ilsIcons;
        ilsIcons.Add(icons.ResourceIcon(IDI_DISPLAY_PROPS), "");
        win32::Win32IconCanvas picIcon;
        win32::Win32FileLister glnFile;
        win32::Win32Shell menuShell;
        menu::MenuServices menuServices{menus, ilsIcons, picIcon, icons, glnFile, menuShell, shell, shellFolder,
                                        codePage};

        win32::Win32StartupRun startupRun;
        app::frmMain form(app::FormServices{settings, profile, registry, system, window, notifyIcon, &fileDrop,
                                            &wallpaper, &menuServices, &startupRun});
        window.SetEvents(&form);
        notifyIcon.SetEvents(&form);
        // However this scope ends (the loop's end, or a start-up that throws part-way), the window
        // and the icon stop calling the form before it is destroyed: the window and the icon
        // outlive it and still see messages while they go.
        const win32::scope_exit detach([&]() noexcept {
            window.SetEvents(nullptr);
            notifyIcon.SetEvents(nullptr);
        });

        form.Form_Load();
        return loop.Run();
    } catch (...) {
        return 1;
    }
}
