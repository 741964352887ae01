#include "app/form_builder.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <algorithm>
#include <cstddef>

#include "app/form.h"
#include "app/png_image.h"
#include "app/qt_text.h"
#include "app/widgets.h"
#include "text/codec.h"
#include "titles/builtin.h"

extern const unsigned char qinghe_feedback_png[];
extern const std::size_t qinghe_feedback_png_size;

namespace qinghe {
namespace {

using form::ControlSpec;

QFont font_of(const form::Font& font, const QFont& fallback) {
    if (!font.face) return fallback;
    QFont result(QString::fromUtf8(font.face));
    result.setPixelSize(font.pixels);
    // Hinting the CJK outlines costs more than a third of the first frame and buys
    // little at this size.
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

const Text& builtin_value(form::Builtin builtin) {
    static const Text none;
    switch (builtin) {
        case form::Builtin::None: return none;
        case form::Builtin::PrefixList: return builtin_prefix_list();
        case form::Builtin::LinkList: return builtin_link_list();
        case form::Builtin::SuffixList: return builtin_suffix_list();
        case form::Builtin::Punctuation1: return builtin_punctuation_1();
        case form::Builtin::Punctuation2: return builtin_punctuation_2();
        case form::Builtin::Punctuation3: return builtin_punctuation_3();
        case form::Builtin::Count: return builtin_count();
    }
    return none;
}

Text initial_text(const ControlSpec& spec) {
    return spec.builtin == form::Builtin::None ? from_utf8(spec.caption) : builtin_value(spec.builtin);
}

// Caption for a button or label: its lines stand one above the other.
QString caption_of(const ControlSpec& spec) { return to_document_text(from_utf8(spec.caption)); }

void set_colours(QWidget& widget, const ControlSpec& spec, QPalette::ColorRole text_role,
                 QPalette::ColorRole background_role) {
    QPalette palette = widget.palette();
    palette.setColor(text_role, to_qcolor(spec.text));
    if (spec.background != kDefaultBackground) palette.setColor(background_role, to_qcolor(spec.background));
    else palette.setColor(background_role, palette.color(QPalette::Button));
    widget.setPalette(palette);
}

QWidget* make_edit_box(const ControlSpec& spec, QWidget* parent) {
    const QString text = to_document_text(initial_text(spec));
    if (spec.multi_line) {
        auto* edit = new QPlainTextEdit(parent);
        // Panel with a line width of one is the thin sunken edge; WinPanel the 3-D one.
        edit->setFrameStyle((spec.edge == form::Edge::Client ? QFrame::WinPanel : QFrame::Panel) | QFrame::Sunken);
        edit->setLineWidth(1);
        edit->setVerticalScrollBarPolicy(spec.vertical_scroll_bar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit->setTabChangesFocus(true);  // Tab moves on, as in a form; lists hold no tabs
        edit->setPlainText(text);
        set_colours(*edit, spec, QPalette::Text, QPalette::Base);
        return edit;
    }
    auto* edit = new EdgedLineEdit(spec.edge, parent);
    edit->setText(text);
    edit->setCursorPosition(0);
    set_colours(*edit, spec, QPalette::Text, QPalette::Base);
    return edit;
}

QWidget* make_rich_text_box(const ControlSpec& spec, QWidget* parent) {
    auto* edit = new QTextEdit(parent);
    edit->setAcceptRichText(false);
    edit->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    edit->setVerticalScrollBarPolicy(spec.vertical_scroll_bar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(QTextEdit::WidgetWidth);
    // Default character format: the table's font in the automatic colour.
    const QFont font = font_of(spec.font, parent->font());
    edit->document()->setDefaultFont(font);
    edit->setFont(font);
    set_colours(*edit, spec, QPalette::Text, QPalette::Base);
    return edit;
}

QWidget* make_picture_button(const ControlSpec& spec, QWidget* parent) {
    auto* button = new PictureButton(to_qcolor(spec.text), to_qcolor(spec.hover_text), parent);
    button->setText(caption_of(spec));
    if (spec.face_image) button->set_face(decode_png(qinghe_feedback_png, qinghe_feedback_png_size));
    return button;
}

QWidget* make_control(const ControlSpec& spec, QWidget* parent) {
    switch (spec.kind) {
        case ControlKind::EditBox: return make_edit_box(spec, parent);
        case ControlKind::RichTextBox: return make_rich_text_box(spec, parent);
        case ControlKind::PictureButton: return make_picture_button(spec, parent);
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(caption_of(spec), parent);
            box->setChecked(spec.checked);
            return box;
        }
        case ControlKind::RadioButton: {
            auto* radio = new QRadioButton(caption_of(spec), parent);
            radio->setChecked(spec.checked);
            return radio;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(caption_of(spec), parent);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::Label:
        case ControlKind::TransparentLabel: {
            auto* label = new QLabel(caption_of(spec), parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->setAutoFillBackground(spec.kind == ControlKind::Label);
            return label;
        }
    }
    return nullptr;
}

}  // namespace

void build_form(QWidget& window, WidgetWindow& controls) {
    window.setFont(font_of(form::window().font, window.font()));
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    window.setPalette(palette);

    std::vector<std::pair<int, QWidget*>> tab_stops;
    for (const ControlSpec& spec : form::controls()) {
        QWidget* widget = make_control(spec, &window);
        widget->setObjectName(QString::fromUtf8(spec.name));
        widget->setGeometry(spec.geometry.left, spec.geometry.top, spec.geometry.width, spec.geometry.height);
        if (spec.font.face && spec.kind != ControlKind::RichTextBox) widget->setFont(font_of(spec.font, window.font()));
        if (spec.tooltip) widget->setToolTip(QString::fromUtf8(spec.tooltip));
        if (spec.tab_order > 0) {
            widget->setFocusPolicy(Qt::StrongFocus);
            tab_stops.emplace_back(spec.tab_order, widget);
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        controls.add(from_utf8(spec.name), spec.kind, widget);
    }

    // An edit box that lies over another control (the slot names over their radio
    // buttons' caption area) must be on top to take clicks and show its text.
    for (const ControlSpec& spec : form::controls()) {
        if (spec.kind == ControlKind::EditBox) controls.widget(from_utf8(spec.name))->raise();
    }

    std::sort(tab_stops.begin(), tab_stops.end());
    for (size_t i = 1; i < tab_stops.size(); ++i) QWidget::setTabOrder(tab_stops[i - 1].second, tab_stops[i].second);
}

}  // namespace qinghe
