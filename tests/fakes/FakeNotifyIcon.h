#pragma once
// The notification-area icon: keeps the icon and tip of every AddIcon and ChangeIcon, in order.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/CallLog.h"
#include "platform/NotifyIcon.h"

namespace lumbra::fakes {

class FakeNotifyIcon : public platform::NotifyIcon {
public:
    // Calls go to `log` as "AddIcon <icon> <tip>", "ChangeIcon <icon> <tip>", "RemoveIcon".
    explicit FakeNotifyIcon(CallLog* log = nullptr) : log_(log) {}

    struct Call {
        std::uintptr_t icon = 0;
        std::string tip;
    };

    void AddIcon(std::uintptr_t icon, std::string_view tip) override { Record("AddIcon", icon, tip, true); }
    void ChangeIcon(std::uintptr_t icon, std::string_view tip) override { Record("ChangeIcon", icon, tip, present_); }
    void RemoveIcon() override {
        present_ = false;
        if (log_) log_->Add("RemoveIcon");
    }

    const std::vector<Call>& Calls() const { return calls_; }
    // Shown from AddIcon until RemoveIcon.
    bool Present() const { return present_; }

private:
    void Record(const char* name, std::uintptr_t icon, std::string_view tip, bool present) {
        present_ = present;
        calls_.push_back({icon, std::string(tip)});
        if (log_) log_->Add(std::string(name) + " " + std::to_string(icon) + " " + std::string(tip));
    }

    CallLog* log_;
    std::vector<Call> calls_;
    bool present_ = false;
};

}  // namespace lumbra::fakes
