#pragma once
// What the window's controls offer the rest of the program. Controls are addressed by
// their names (program text); an unknown name or a control of another kind makes a call
// do nothing and a query return the empty value. Nothing here exposes a widget, so the
// modules that act on the window need no GUI toolkit.
#include <cstdint>
#include <span>
#include <vector>

#include "controls/runtime_services.h"
#include "text/text.h"

namespace qinghe {

enum class ControlKind {
    EditBox,
    CheckBox,
    RadioButton,
    PushButton,
    Label,
    TransparentLabel,
    PictureButton,
    RichTextBox,
    ComboBox,  // a drop-down list of fixed entries
};

// A colour as red + green * 256 + blue * 65536.
using Colour = std::uint32_t;
constexpr Colour rgb(unsigned red, unsigned green, unsigned blue) { return red | green << 8 | blue << 16; }
// Stands for the system's default background (the button face).
constexpr Colour kDefaultBackground = 0xFF000000;

struct CharFormat {
    Text face;
    int size_twips = 180;
    Colour colour = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike_out = false;
};

// A stretch of a line underlined with a wave in `colour`, the way a spell checker marks a
// word, with a tooltip; the line's text and colour stay as they are.
struct LineMark {
    size_t begin, end;  // byte offsets in the line
    Colour colour;
    TextView tooltip;
};

struct ColouredLine {
    TextView text;
    Colour colour;
    std::span<const LineMark> marks = {};  // ordered, not overlapping
};

class Window {
public:
    virtual ~Window() = default;

    // Content of an edit box or the rich-text box, lines separated by CR LF; the text of
    // a label; the selected entry of a drop-down list (setting selects the entry with
    // that text, and a text that is no entry changes nothing).
    virtual Text content(TextView name) const = 0;
    virtual void set_content(TextView name, TextView text) = 0;
    // Sets the content of a multi-line edit box as one edit the user can take back: the
    // box's undo (Ctrl+Z, its menu's 撤销) brings back what it held. Elsewhere as set_content.
    virtual void replace_content(TextView name, TextView text) { set_content(name, text); }
    // An edit box that is read-only takes no typing and shows so; its content can still
    // be set.
    virtual void set_read_only(TextView name, bool read_only) = 0;
    virtual void set_text_colour(TextView name, Colour colour) = 0;

    // Checked state of a check box, a radio button or a push button that toggles.
    virtual bool checked(TextView name) const = 0;
    virtual void set_checked(TextView name, bool checked) = 0;

    // Rich-text box: the selection collapses to `position` (in characters; a position
    // past the end, or a negative one, means the end of the text).
    virtual void set_selection_start(TextView name, int position) = 0;
    // Format of the selection; with an empty selection, the format typed text takes.
    virtual void set_selection_format(TextView name, const CharFormat& format) = 0;
    virtual void replace_selection(TextView name, TextView text) = 0;

    // Appends lines to the end of a rich-text box in one step. The result is that of,
    // for each line: selection to the end, `format` in the line's colour, and the line
    // plus CR LF replacing the selection.
    virtual void append_lines(TextView name, const CharFormat& format, std::span<const ColouredLine> lines) = 0;

    // Multi-line edit box: takes the keyboard focus with the cursor at the start of `line`
    // (from 1; past the end, the last line), scrolled into view.
    virtual void set_cursor_line(TextView name, size_t line) = 0;

    // Whether a control takes input.
    virtual void set_enabled(TextView name, bool enabled) = 0;

    // Names of the controls of one kind that the settings files keep by kind, in form
    // order: the designed controls (the writer's panel keeps its options apart).
    virtual std::vector<Text> names_of_kind(ControlKind kind) const = 0;

    // Shows (or stops showing) that the program is busy, by the mouse cursor.
    virtual void set_busy(bool busy) = 0;
    // Puts the content of an edit box or the rich-text box on the clipboard, as
    // Unicode with the platform's line breaks. (Straight from the widget: a large
    // result need not go through program text and back.)
    virtual void copy_content_to_clipboard(TextView name) = 0;
    // Puts a text on the clipboard, CR LF as the platform's line breaks.
    virtual void copy_text_to_clipboard(TextView text) = 0;

    // What the program asks of its surroundings while it acts on the window.
    virtual RuntimeServices& services() const = 0;
};

}  // namespace qinghe
