#pragma once
// The window's services for one fetch, with a stop the writer can ask for: once stopped
// (by stop(), or by a flag the owner sets) every request under way ends at once.
#include "controls/runtime_services.h"

namespace qinghe {

class StoppableServices final : public RuntimeServices {
public:
    // `stop_flag`, when given, stops the fetch too while it reads true; it must outlive this.
    explicit StoppableServices(RuntimeServices& inner, const bool* stop_flag = nullptr)
            : inner_(inner), stop_flag_(stop_flag) {}

    std::uint32_t tick_count() const override { return inner_.tick_count(); }
    std::filesystem::path settings_folder() const override { return inner_.settings_folder(); }
    void report_problem(TextView line) override { inner_.report_problem(line); }
    Text address_for(TextView address) const override { return inner_.address_for(address); }
    std::vector<Text> connect_to() const override { return inner_.connect_to(); }
    void process_pending_messages() override { inner_.process_pending_messages(); }
    void open_address(TextView address) override { inner_.open_address(address); }
    bool cancelled() const override { return stopped_ || (stop_flag_ && *stop_flag_) || inner_.cancelled(); }

    void stop() { stopped_ = true; }

private:
    RuntimeServices& inner_;
    const bool* stop_flag_;
    bool stopped_ = false;
};

}  // namespace qinghe
