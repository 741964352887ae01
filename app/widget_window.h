#pragma once
// The Window interface over Qt widgets: the controls the form built, addressed by name.
#include <QWidget>
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
    std::vector<Text> names_of_kind(ControlKind kind) const override;

private:
    struct Control {
        Text name;
        ControlKind kind;
        QWidget* widget;
    };
    const Control* find(TextView name) const;
    template <class W>
    W* find_as(TextView name, ControlKind kind) const;

    std::vector<Control> controls_;
};

QColor to_qcolor(Colour colour);

}  // namespace qinghe
