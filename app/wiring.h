#pragma once
#include <memory>
#include <span>

#include "controls/window.h"

namespace qinghe {

class ExitSignals;
class WindowWidget;

// Changed: the user chose another entry of a drop-down list.
enum class Event { Created, AboutToBeDestroyed, Clicked, Changed, GotFocus, LostFocus };
using Action = void (*)(Window&);
// An action that acts on the control whose event it is.
using ControlAction = void (*)(Window&, TextView control);

struct Binding {
    const char* control;  // UTF-8 name; nullptr for the main window itself
    Event event;
    Action action = nullptr;
    ControlAction control_action = nullptr;
};

// Every event binding of the program.
std::span<const Binding> bindings();

// Connects the bindings to the window's controls and runs the "created" ones.
void wire_events(WindowWidget& window);

// Runs what the window's destruction runs (storing the slot names and the selected slot)
// and leaves the window open.
void store_without_closing(WindowWidget& window);

// SIGTERM, SIGINT, SIGHUP and the end of the application close `window` as Esc does; a
// session manager's commit-data request stores what closing stores and nothing more.
std::unique_ptr<ExitSignals> watch_exit_signals(WindowWidget& window);

}  // namespace qinghe
