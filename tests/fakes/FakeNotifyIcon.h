#pragma once
// The notification-area icon: records every call in order.
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

    enum class Op { Add, Change, Remove };
    struct Call {
        Op op;
        std::uintptr_t icon = 0;
        std::string tip;
    };

    void AddIcon(std::uintptr_t icon, std::string_view tip) override { Record(Op::Add, "AddIcon", icon, tip); }
    void ChangeIcon(std::uintptr_t icon, std::string_view tip) override {
        Record(Op::Change, "ChangeIcon", icon, tip);
    }
    void RemoveIcon() override {
        calls_.push_back({Op::Remove, 0, {}});
        if (log_) log_->Add("RemoveIcon");
    }

    const std::vector<Call>& Calls() const { return calls_; }
    // Shown from AddIcon until RemoveIcon.
    bool Present() const {
        bool present = false;
        for (const Call& c : calls_) present = c.op == Op::Remove ? false : present || c.op == Op::Add;
        return present;
    }

private:
    void Record(Op op, const char* name, std::uintptr_t icon, std::string_view tip) {
        calls_.push_back({op, icon, std::string(tip)});
        if (log_) log_->Add(std::string(name) + " " + std::to_string(icon) + " " + std::string(tip));
    }

    CallLog* log_;
    std::vector<Call> calls_;
};

}  // namespace lumbra::fakes
