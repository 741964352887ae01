#pragma once
// The Window interface over Qt widgets: the controls the form built, addressed by name.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "app/controls/window.h"

namespace qinghe {

class WidgetWindow final : public Window {
public:
    // Controls are added in form order, which is the order of enumeration.
    void add(Text name, ControlKind kind, QWidget* widget);
    QWidget* widget(TextView name) const;

    Text content(TextView name) const override;
    void set_content(TextView name, TextView text) override;
    void set_text_colour(TextView name, Colour colour) override;
    bool checked(TextView name) const override;
    void set_checked(TextView name, bool checked) override;
    void set_selection_start(TextView name, int position) override;
    void set_selection_format(TextView name, const CharFormat& format) override;
    void replace_selection(TextView name, TextView text) override;
    void append_lines(TextView name, const CharFormat& format, std::span<const ColouredLine> lines) override;
    void set_enabled(TextView name, bool enabled) override;
    std::vector<Text> names_of_kind(ControlKind kind) const override;
    void process_pending_messages() override;
    void set_busy(bool busy) override;
    void open_address(TextView address) override;
    std::uint32_t tick_count() const override;
    void copy_content_to_clipboard(TextView name) override;
    std::filesystem::path settings_folder() const override { return settings_folder_; }
    void set_settings_folder(std::filesystem::path folder) { settings_folder_ = std::move(folder); }
    void report_problem(TextView line) override;
    Text address_for(TextView address) const override;
    // Sends requests for the public addresses in `map` to the addresses they map to.
    void set_address_map(std::map<Text, Text, std::less<>> map) { address_map_ = std::move(map); }

    // Replaces the monotonic clock, so that tests can fix the ticks.
    void set_tick_source(std::function<std::uint32_t()> ticks) { ticks_ = std::move(ticks); }

private:
    struct Control {
        Text name;
        ControlKind kind;
        QWidget* widget;
    };
    const Control* find(TextView name) const;
    // Content as Qt holds it, line breaks as "\n".
    QString widget_text(TextView name) const;
    template <class W>
    W* find_as(TextView name, ControlKind kind) const;

    std::vector<Control> controls_;
    std::function<std::uint32_t()> ticks_;
    std::filesystem::path settings_folder_;
    std::map<Text, Text, std::less<>> address_map_;
    struct Refocus {
        QPointer<QWidget> control, moved_to;
    } refocus_;
};

QColor to_qcolor(Colour colour);

}  // namespace qinghe
