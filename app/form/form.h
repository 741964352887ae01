#pragma once
// The window's template: the window's own properties, its 26 designed controls in form
// order, and after them the writer's panel to their right. The window is built from this
// table alone.
#include <span>

#include "controls/names.h"
#include "controls/window.h"

namespace qinghe::form {

enum class Edge {
    None,
    Static,  // thin sunken edge, one pixel
    Client,  // sunken 3-D edge, two pixels
};

// Initial contents that are built-in values rather than captions.
// For a drop-down list: the table whose entries it offers.
enum class Builtin {
    None,
    PrefixList,
    LinkList,
    SuffixList,
    Punctuation1,
    Punctuation2,
    Punctuation3,
    Count,
    Platforms,
    HotBoards,
    RiskModes,
};

struct Geometry {
    int left, top, width, height;
};

struct Font {
    const char* face = nullptr;  // nullptr: the window's font
    int pixels = 0;
};

struct ControlRow {
    const char* name;  // UTF-8
    ControlKind kind;
    Geometry geometry;
    const char* caption = "";  // UTF-8 caption or initial content, CR LF between lines
    Builtin builtin = Builtin::None;
    Colour text = 0x000000;
    Colour hover_text = 0x000000;  // picture buttons
    Colour background = kDefaultBackground;
    Edge edge = Edge::None;
    bool multi_line = false;
    bool vertical_scroll_bar = false;
    bool checked = false;
    Font font = {};
    const char* tooltip = nullptr;  // UTF-8
    bool face_image = false;        // picture button showing the embedded feedback image
    int tab_order = 0;              // 1, 2, ... for controls that take the focus; 0 for none
    // What assistive technology announces for the control: what a sighted user reads
    // beside it. With `named_by`, the content of that edit box follows it.
    const char* accessible_name = nullptr;  // UTF-8
    const char* named_by = nullptr;         // UTF-8 control name
    bool panel = false;                     // part of the writer's panel: shown only while it is open
    bool word_wrap = false;                 // labels: long text wraps at word boundaries
    bool toggles = false;                   // push buttons: checked and unchecked by turns
    const char* labels = nullptr;           // labels: the control it names (UTF-8), for screen readers
    const char* placeholder = nullptr;      // single-line edit boxes: the grey hint an empty box shows (UTF-8)
};

struct WindowRow {
    const char* caption;  // UTF-8, the whole caption
    int outer_width, outer_height;
    int client_width, client_height;  // with the writer's panel folded: the designed window
    int panel_width;                  // added to the client width while the panel is open
    Font font;
};

const WindowRow& window();
std::span<const ControlRow> controls();

}  // namespace qinghe::form
