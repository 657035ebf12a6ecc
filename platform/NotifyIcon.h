#pragma once
// One icon with a tip text in the notification area, reporting mouse actions on it.
#include <cstdint>
#include <string_view>

namespace lumbra::platform {

// Button codes and action codes of IconMouse.
enum IconMouseButton : std::int32_t { kIconLeft = 1, kIconRight = 2, kIconMiddle = 4 };
enum IconMouseAction : std::int32_t { kIconButtonDown = 1, kIconButtonUp = 2, kIconDoubleClick = 3 };

class NotifyIconEvents {
public:
    virtual ~NotifyIconEvents() = default;
    virtual void prcIcon_IconMouse(std::int32_t& button, std::int32_t& action) = 0;
    // The icon's menu is asked for: the right button released over the icon.
    virtual void prcIcon_IconMenu() = 0;
};

class NotifyIcon {
public:
    virtual ~NotifyIcon() = default;
    // icon: an icon handle value; the component keeps showing it until changed or removed.
    virtual void AddIcon(std::uintptr_t icon, std::string_view tip) = 0;
    virtual void ChangeIcon(std::uintptr_t icon, std::string_view tip) = 0;
    virtual void RemoveIcon() = 0;
};

}  // namespace lumbra::platform
