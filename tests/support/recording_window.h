#pragma once
// Test doubles without widgets: services that record problems and serve mapped addresses,
// and a window that records content writes and serves stored contents.
#include <map>
#include <utility>
#include <vector>

#include "controls/window.h"

namespace qinghe {

class RecordingServices : public RuntimeServices {
public:
    std::filesystem::path folder;
    std::vector<Text> problems;
    // Only mapped addresses are reachable; anything else goes to a closed loopback port,
    // so that a test never reaches outside.
    std::map<Text, Text, std::less<>> addresses;
    std::vector<Text> connections;  // connect_to() entries
    int calls = 0;

    std::uint32_t tick_count() const override { return 0; }
    std::filesystem::path settings_folder() const override { return folder; }
    void report_problem(TextView line) override { problems.emplace_back(line); }
    Text address_for(TextView address) const override {
        const auto it = addresses.find(address);
        return it == addresses.end() ? Text("http://127.0.0.1:9/") : it->second;
    }
    std::vector<Text> connect_to() const override { return connections; }
    void process_pending_messages() override { ++calls; }
    void open_address(TextView) override { ++calls; }
};

class RecordingWindow : public Window {
public:
    std::vector<std::pair<Text, Text>> writes;
    std::map<Text, Text> contents;
    std::map<Text, bool> checks;
    int other_calls = 0;
    mutable RecordingServices recorded;

    Text content(TextView name) const override {
        const auto it = contents.find(Text(name));
        return it == contents.end() ? Text() : it->second;
    }
    void set_content(TextView name, TextView text) override {
        writes.emplace_back(name, text);
        contents[Text(name)] = text;
    }
    void set_text_colour(TextView, Colour) override { ++other_calls; }
    bool checked(TextView name) const override {
        const auto it = checks.find(Text(name));
        return it != checks.end() && it->second;
    }
    void set_checked(TextView name, bool checked) override { checks[Text(name)] = checked; }
    void set_selection_start(TextView, int) override { ++other_calls; }
    void set_selection_format(TextView, const CharFormat&) override { ++other_calls; }
    void replace_selection(TextView, TextView) override { ++other_calls; }
    void append_lines(TextView, const CharFormat&, std::span<const ColouredLine>) override { ++other_calls; }
    std::vector<Text> names_of_kind(ControlKind) const override { return {}; }
    void copy_content_to_clipboard(TextView) override { ++other_calls; }
    void copy_text_to_clipboard(TextView) override { ++other_calls; }
    void set_enabled(TextView, bool) override { ++other_calls; }
    void set_read_only(TextView, bool) override { ++other_calls; }
    void set_cursor_line(TextView, size_t) override { ++other_calls; }
    void set_busy(bool) override { ++other_calls; }
    RuntimeServices& services() const override { return recorded; }
};

}  // namespace qinghe
