#pragma once
// What the actions need besides the controls: a clock, the settings folder, a place to
// report problems, the addresses of public pages, the event queue and the desktop's
// handler for addresses. The window hands them out (Window::services()); tests give
// their own.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "text/text.h"

namespace qinghe {

class RuntimeServices {
public:
    virtual ~RuntimeServices() = default;

    // Milliseconds of a monotonic clock, wrapping at 2^32.
    virtual std::uint32_t tick_count() const = 0;
    // The folder that holds the settings files; empty when settings are not kept.
    virtual std::filesystem::path settings_folder() const = 0;
    // Tells the user's terminal about a problem: one line on standard error, after the
    // program's name.
    virtual void report_problem(TextView line) = 0;
    // The address to request for a public page: the page's own, unless the program was
    // told to send such requests elsewhere (tests, to servers of their own).
    virtual Text address_for(TextView address) const = 0;
    // Where requests for public hosts connect instead, as "HOST:PORT:OTHER-HOST:OTHER-PORT"
    // entries (HttpRequest::connect_to); empty, except in tests.
    virtual std::vector<Text> connect_to() const = 0;
    // Dispatches the window's queued events (repaint, input) until none is left.
    virtual void process_pending_messages() = 0;
    // Hands an address to the desktop's handler for it; a failure shows nothing.
    virtual void open_address(TextView address) = 0;
    // Whether the user asked to stop what is under way: a request then ends at once.
    virtual bool cancelled() const { return false; }
};

}  // namespace qinghe
