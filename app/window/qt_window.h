#pragma once
// The Window interface over Qt widgets: the controls the form built, addressed by name.
#include <QPointer>
#include <QWidget>
#include <vector>

#include "controls/window.h"

class QAbstractButton;

namespace qinghe {

class QtWindow final : public Window {
public:
    explicit QtWindow(RuntimeServices& services) : services_(services) {}

    // Controls are added in form order, which is the order of enumeration; one that is
    // not `kept_by_kind` (the writer's panel) is left out of names_of_kind.
    void add(Text name, ControlKind kind, QWidget* widget, bool kept_by_kind = true);
    QWidget* widget(TextView name) const;

    Text content(TextView name) const override;
    void set_content(TextView name, TextView text) override;
    void replace_content(TextView name, TextView text) override;
    void set_read_only(TextView name, bool read_only) override;
    void set_cursor_line(TextView name, size_t line) override;
    void set_text_colour(TextView name, Colour colour) override;
    bool checked(TextView name) const override;
    void set_checked(TextView name, bool checked) override;
    void set_selection_start(TextView name, int position) override;
    void set_selection_format(TextView name, const CharFormat& format) override;
    void replace_selection(TextView name, TextView text) override;
    void append_lines(TextView name, const CharFormat& format, std::span<const ColouredLine> lines) override;
    void set_enabled(TextView name, bool enabled) override;
    std::vector<Text> names_of_kind(ControlKind kind) const override;
    void set_busy(bool busy) override;
    void copy_content_to_clipboard(TextView name) override;
    void copy_text_to_clipboard(TextView text) override;
    RuntimeServices& services() const override { return services_; }

private:
    struct Control {
        Text name;
        ControlKind kind;
        QWidget* widget;
        bool kept_by_kind;
    };
    const Control* find(TextView name) const;
    // A check box, radio button or toggling push button.
    QAbstractButton* checkable(TextView name) const;
    // Content as Qt holds it, line breaks as "\n".
    QString widget_text(TextView name) const;
    template <class W>
    W* find_as(TextView name, ControlKind kind) const;

    RuntimeServices& services_;
    std::vector<Control> controls_;
    struct Refocus {
        QPointer<QWidget> control, moved_to;
    } refocus_;
};

}  // namespace qinghe
