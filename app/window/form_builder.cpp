#include "app/window/form_builder.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRawFont>
#include <QtEndian>
#include <algorithm>
#include <cmath>

#include "app/form/form.h"
#include "app/window/control_kinds.h"
#include "app/window/images.h"
#include "app/window/qt_convert.h"
#include "hot/boards.h"
#include "text/codec.h"
#include "titles/builtin.h"
#include "titles/platforms.h"
#include "titles/run_checks.h"

namespace qinghe {
namespace {

using form::ControlRow;

QFont font_of(const form::Font& font, const QFont& fallback) {
    if (!font.face) return fallback;
    QFont result(QString::fromUtf8(font.face));
    result.setPixelSize(font.pixels);
    // Hinting the CJK outlines costs more than a third of the first frame and buys
    // little at this size.
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

// UTF-8 with CR LF or LF between lines, as a multi-line widget's text. The form's own
// texts go straight from UTF-8 to Qt's: through program text they come out the same,
// after two conversions over ICU that cost a million instructions at every start.
QString document_text(std::string_view utf8) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString builtin_value(form::Builtin builtin) {
    switch (builtin) {
        case form::Builtin::None: return {};
        case form::Builtin::PrefixList: return document_text(builtin_prefix_list_utf8());
        case form::Builtin::LinkList: return document_text(builtin_link_list_utf8());
        case form::Builtin::SuffixList: return document_text(builtin_suffix_list_utf8());
        case form::Builtin::Punctuation1: return to_qstring(builtin_punctuation_1());
        case form::Builtin::Punctuation2: return to_qstring(builtin_punctuation_2());
        case form::Builtin::Punctuation3: return to_qstring(builtin_punctuation_3());
        case form::Builtin::Count: return to_qstring(builtin_count());
        case form::Builtin::Platforms:
        case form::Builtin::HotBoards:
        case form::Builtin::RiskModes: return {};
    }
    return {};
}

// The entries a drop-down list offers, in order; the first is selected at start.
QStringList builtin_entries(form::Builtin builtin) {
    QStringList entries;
    if (builtin == form::Builtin::Platforms) {
        for (const Platform& platform : platforms()) entries.append(QString::fromUtf8(platform.name));
    } else if (builtin == form::Builtin::HotBoards) {
        for (const HotBoard& board : hot_boards()) entries.append(QString::fromUtf8(board.name));
        entries.append(QString::fromUtf8(kAllBoardsChoice));
    } else if (builtin == form::Builtin::RiskModes) {
        for (const char* mode : risk_mode_names()) entries.append(QString::fromUtf8(mode));
    }
    return entries;
}

QString initial_text(const ControlRow& row) {
    return row.builtin == form::Builtin::None ? document_text(row.caption) : builtin_value(row.builtin);
}

// Caption for a button or label: its lines stand one above the other.
QString caption_of(const ControlRow& row) { return document_text(row.caption); }

void set_colours(QWidget& widget, const ControlRow& row, QPalette::ColorRole text_role,
                 QPalette::ColorRole background_role) {
    QPalette palette = widget.palette();
    palette.setColor(text_role, to_qcolor(row.text));
    if (row.background != kDefaultBackground) palette.setColor(background_role, to_qcolor(row.background));
    else palette.setColor(background_role, palette.color(QPalette::Button));
    widget.setPalette(palette);
}

QWidget* make_edit_box(const ControlRow& row, QWidget* parent) {
    const QString text = initial_text(row);
    if (row.multi_line) {
        auto* edit = new ListEdit(parent);
        // Panel with a line width of one is the thin sunken edge; WinPanel the 3-D one.
        edit->setFrameStyle((row.edge == form::Edge::Client ? QFrame::WinPanel : QFrame::Panel) | QFrame::Sunken);
        edit->setLineWidth(1);
        edit->setVerticalScrollBarPolicy(row.vertical_scroll_bar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit->setTabChangesFocus(true);  // Tab moves on, as in a form; lists hold no tabs
        edit->setPlainText(text);
        set_colours(*edit, row, QPalette::Text, QPalette::Base);
        return edit;
    }
    auto* edit = new EdgedLineEdit(row.edge, parent);
    edit->setText(text);
    if (row.placeholder) edit->setPlaceholderText(QString::fromUtf8(row.placeholder));
    edit->setCursorPosition(0);
    set_colours(*edit, row, QPalette::Text, QPalette::Base);
    return edit;
}

QWidget* make_rich_text_box(const ControlRow& row, QWidget* parent) {
    auto* edit = new ResultEdit(parent);
    edit->setAcceptRichText(false);
    edit->setTabChangesFocus(true);  // Tab moves on, as from the list boxes
    edit->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    edit->setVerticalScrollBarPolicy(row.vertical_scroll_bar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(QTextEdit::WidgetWidth);
    // Default character format: the table's font in the automatic colour.
    const QFont font = font_of(row.font, parent->font());
    edit->document()->setDefaultFont(font);
    edit->setFont(font);
    set_colours(*edit, row, QPalette::Text, QPalette::Base);
    return edit;
}

QWidget* make_picture_button(const ControlRow& row, QWidget* parent) {
    auto* button = new PictureButton(to_qcolor(row.text), to_qcolor(row.hover_text), parent);
    button->setText(caption_of(row));
    if (row.face_image) button->set_face(feedback_face(), feedback_face_2x);
    return button;
}

QWidget* make_control(const ControlRow& row, QWidget* parent) {
    switch (row.kind) {
        case ControlKind::EditBox: return make_edit_box(row, parent);
        case ControlKind::RichTextBox: return make_rich_text_box(row, parent);
        case ControlKind::PictureButton: return make_picture_button(row, parent);
        case ControlKind::CheckBox: {
            auto* box = new FormCheckBox(caption_of(row), parent);
            box->setChecked(row.checked);
            return box;
        }
        case ControlKind::RadioButton: {
            auto* radio = new GroupRadioButton(caption_of(row), parent);
            radio->setChecked(row.checked);
            return radio;
        }
        case ControlKind::PushButton: {
            auto* button = new FormPushButton(caption_of(row), parent);
            button->setAutoDefault(false);
            button->setCheckable(row.toggles);
            button->setChecked(row.toggles);
            return button;
        }
        case ControlKind::Label:
        case ControlKind::TransparentLabel: {
            auto* label = new QLabel(caption_of(row), parent);
            label->setAlignment(Qt::AlignLeft | (row.word_wrap ? Qt::AlignTop : Qt::AlignVCenter));
            label->setWordWrap(row.word_wrap);
            label->setAutoFillBackground(row.kind == ControlKind::Label);
            if (row.text != 0) {
                QPalette palette = label->palette();
                palette.setColor(QPalette::WindowText, to_qcolor(row.text));
                label->setPalette(palette);
            }
            return label;
        }
        case ControlKind::ComboBox: {
            auto* choice = new QComboBox(parent);
            choice->addItems(builtin_entries(row.builtin));
            return choice;
        }
    }
    return nullptr;
}

// A radio button named by the edit box over its caption area announces that box's
// content, the slot's name, and falls back to its own name when the box is empty.
void name_after(QWidget& radio, const QString& own_name, QLineEdit& box) {
    const auto update = [&radio, own_name](const QString& text) {
        radio.setAccessibleName(text.trimmed().isEmpty() ? own_name : text);
        radio.setAccessibleDescription(own_name);
    };
    update(box.text());
    QObject::connect(&box, &QLineEdit::textChanged, &radio, update);
}

// Whether the font that `font` finds carries glyphs drawn at `pixels`: a bitmap strike of
// that size, as 宋体 and its stand-in AR PL UMing have from 11 to 16. (The font found for
// 宋体 holds the Chinese characters itself.)
bool has_glyphs_drawn_at(QFont font, int pixels) {
    // Asked of the font as it will draw them, so the font loaded here is the one drawing.
    font.setStyleStrategy(QFont::NoAntialias);
    const QByteArray table = QRawFont::fromFont(font).fontTable("EBLC");
    // An 8-byte header whose second word counts the strikes, then 48 bytes a strike,
    // its vertical size in pixels at byte 45.
    if (table.size() < 8) return false;
    const quint32 strikes = qFromBigEndian<quint32>(table.constData() + 4);
    for (qsizetype i = 0; i < qsizetype{strikes} && 8 + 48 * (i + 1) <= table.size(); ++i) {
        if (static_cast<uchar>(table[8 + 48 * i + 45]) == pixels) return true;
    }
    return false;
}

}  // namespace

void fit_font_to_scale(QWidget& window, qreal device_pixel_ratio) {
    QFont font = window.font();
    const qreal pixels = font.pixelSize() * device_pixel_ratio;
    const bool drawn = pixels > 0 && pixels == std::round(pixels) && has_glyphs_drawn_at(font, int(pixels));
    const QFont::StyleStrategy strategy = drawn ? QFont::NoAntialias : QFont::PreferDefault;
    if (font.styleStrategy() == strategy) return;
    // The controls inherit it, those with a font of their own too (they set no strategy).
    font.setStyleStrategy(strategy);
    window.setFont(font);
}

void build_form(QWidget& window, QtWindow& controls) {
    window.setFont(font_of(form::window().font, window.font()));
    fit_font_to_scale(window, window.devicePixelRatioF());
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    window.setPalette(palette);

    std::vector<std::pair<int, QWidget*>> tab_stops;
    std::vector<QWidget*> widgets;  // in form order
    for (const ControlRow& row : form::controls()) {
        QWidget* widget = widgets.emplace_back(make_control(row, &window));
        widget->setObjectName(QString::fromUtf8(row.name));
        widget->setGeometry(row.geometry.left, row.geometry.top, row.geometry.width, row.geometry.height);
        if (row.font.face && row.kind != ControlKind::RichTextBox) widget->setFont(font_of(row.font, window.font()));
        if (row.tooltip) widget->setToolTip(QString::fromUtf8(row.tooltip));
        if (row.accessible_name) widget->setAccessibleName(QString::fromUtf8(row.accessible_name));
        if (row.tab_order > 0) {
            widget->setFocusPolicy(Qt::StrongFocus);
            tab_stops.emplace_back(row.tab_order, widget);
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        controls.add(from_utf8(row.name), row.kind, widget, !row.panel);
    }

    // An edit box that lies over another control (the slot names over their radio
    // buttons' caption area) must be on top to take clicks and show its text.
    const std::span<const ControlRow> rows = form::controls();
    for (size_t i = 0; i < rows.size(); ++i) {
        const ControlRow& row = rows[i];
        if (row.kind == ControlKind::EditBox) widgets[i]->raise();
        if (auto* label = qobject_cast<QLabel*>(widgets[i]); label && row.labels) {
            label->setBuddy(controls.widget(from_utf8(row.labels)));
        }
        if (!row.named_by || !row.accessible_name) continue;
        if (auto* box = qobject_cast<QLineEdit*>(controls.widget(from_utf8(row.named_by)))) {
            name_after(*widgets[i], QString::fromUtf8(row.accessible_name), *box);
        }
    }

    std::sort(tab_stops.begin(), tab_stops.end());
    for (size_t i = 1; i < tab_stops.size(); ++i) QWidget::setTabOrder(tab_stops[i - 1].second, tab_stops[i].second);
    // The focus starts on the first control of the form that takes it, as on the platform
    // the form was made for (not on the first of the tab order).
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].tab_order == 0) continue;
        widgets[i]->setFocus(Qt::OtherFocusReason);
        break;
    }
}

}  // namespace qinghe
