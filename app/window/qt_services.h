#pragma once
// The runtime services over Qt and the system: the monotonic clock, Qt's event queue,
// standard error, the desktop's address handler, and the settings folder and address
// map that the program (or a test) sets.
#include <functional>
#include <map>

#include "controls/runtime_services.h"

namespace qinghe {

class QtServices final : public RuntimeServices {
public:
    std::uint32_t tick_count() const override;
    std::filesystem::path settings_folder() const override { return settings_folder_; }
    void report_problem(TextView line) override;
    Text address_for(TextView address) const override;
    std::vector<Text> connect_to() const override { return connect_to_; }
    void process_pending_messages() override;
    void open_address(TextView address) override;

    void set_settings_folder(std::filesystem::path folder) { settings_folder_ = std::move(folder); }
    // Sends requests for the public addresses in `map` to the addresses they map to.
    void set_address_map(std::map<Text, Text, std::less<>> map) { address_map_ = std::move(map); }
    // Connects requests for public hosts elsewhere while keeping their addresses.
    void set_connect_to(std::vector<Text> entries) { connect_to_ = std::move(entries); }
    // Replaces the monotonic clock, so that tests can fix the ticks.
    void set_tick_source(std::function<std::uint32_t()> ticks) { ticks_ = std::move(ticks); }

private:
    std::function<std::uint32_t()> ticks_;
    std::filesystem::path settings_folder_;
    std::map<Text, Text, std::less<>> address_map_;
    std::vector<Text> connect_to_;
};

}  // namespace qinghe
