#include "app/wiring.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <exception>

#include "app/desktop/exit_signals.h"
#include "app/favourites_action.h"
#include "app/hot_board.h"
#include "app/shell_actions.h"
#include "app/window/window_widget.h"
#include "app/word_actions.h"
#include "config/slots.h"
#include "config/writer_panel.h"
#include "controls/names.h"
#include "text/codec.h"
#include "titles/generator.h"
#include "titles/restore.h"

namespace qinghe {
namespace {

using enum Event;

constexpr Binding kBindings[] = {
    {nullptr, Created, restore_at_start},
    {nullptr, Created, restore_writer_panel},
    {nullptr, AboutToBeDestroyed, store_at_close},
    {nullptr, AboutToBeDestroyed, store_writer_panel},
    {name::utf8::generate_button, Clicked, generate_with_word_lists},
    {name::utf8::restore_button, Clicked, restore_defaults},
    {name::utf8::save_button, Clicked, save_configuration},
    {name::utf8::slot_radio_1, Clicked, select_slot_1},
    {name::utf8::slot_radio_2, Clicked, select_slot_2},
    {name::utf8::slot_radio_3, Clicked, select_slot_3},
    {name::utf8::slot_radio_4, Clicked, select_slot_4},
    {name::utf8::hot_topics_check, Clicked, reset_prefix_list},
    {name::utf8::board_choice, Changed, note_board_choice},
    {name::utf8::topic_filter_button, Clicked, edit_topic_filter},
    {name::utf8::risk_words_button, Clicked, edit_risk_words},
    {name::utf8::check_lists_button, Clicked, check_list_boxes},
    {name::utf8::hot_board_button, Clicked, open_hot_board},
    {name::utf8::favourites_button, Clicked, open_favourites},
    {name::utf8::prefix_box, GotFocus, nullptr, highlight_list_box},
    {name::utf8::prefix_box, LostFocus, nullptr, dim_list_box},
    {name::utf8::link_box, GotFocus, nullptr, highlight_list_box},
    {name::utf8::link_box, LostFocus, nullptr, dim_list_box},
    {name::utf8::suffix_box, GotFocus, nullptr, highlight_list_box},
    {name::utf8::suffix_box, LostFocus, nullptr, dim_list_box},
    {name::utf8::download_link, Clicked, open_download_page},
    {name::utf8::media_link, Clicked, open_media_page},
    {name::utf8::messenger_link, Clicked, open_messenger_link},
};

// Runs an action when its control gains or loses the keyboard focus, by any means, until
// the window is being destroyed: the focus changes that its teardown causes must not
// reach actions whose window is already half gone. A popup such as the context menu
// takes the focus only for a moment and leaves it where it was, so it does not count.
class FocusWatch : public QObject {
public:
    FocusWatch(WindowWidget& window, QWidget* control, QEvent::Type type, std::function<void()> action)
            : QObject(control), type_(type), action_(std::move(action)) {
        control->installEventFilter(this);
        connect(&window, &WindowWidget::about_to_be_destroyed, this, [this] { action_ = nullptr; });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_ && action_ && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            action_();
        }
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> action_;
};

}  // namespace

std::span<const Binding> bindings() { return kBindings; }

void wire_events(WindowWidget& window) {
    Window& controls = window.controls();
    for (const Binding& binding : kBindings) {
        const Text name = binding.control ? from_utf8(binding.control) : Text();
        // No exception may leave an action into Qt's event loop: one that escapes (memory
        // running out, say) ends the action with a line on standard error instead.
        const auto run = [action = binding.action, control_action = binding.control_action, name, &controls] {
            try {
                if (action) action(controls);
                if (control_action) control_action(controls, name);
            } catch (const std::exception& failure) {
                controls.services().report_problem(Text("an action failed: ") + failure.what());
            }
        };
        QWidget* control = binding.control ? window.controls().widget(name) : nullptr;
        switch (binding.event) {
            case Created: run(); break;
            case AboutToBeDestroyed:
                QObject::connect(&window, &WindowWidget::about_to_be_destroyed, &window, run);
                break;
            case Clicked:
                if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                    QObject::connect(button, &QAbstractButton::clicked, &window, run);
                }
                break;
            case Changed:
                if (auto* choice = qobject_cast<QComboBox*>(control)) {
                    QObject::connect(choice, &QComboBox::activated, &window, run);
                }
                break;
            case GotFocus:
            case LostFocus:
                if (control) {
                    new FocusWatch(window, control, binding.event == GotFocus ? QEvent::FocusIn : QEvent::FocusOut,
                                   run);
                }
                break;
        }
    }
}

void store_without_closing(WindowWidget& window) {
    for (const Binding& binding : kBindings) {
        if (binding.event == AboutToBeDestroyed && binding.action) binding.action(window.controls());
    }
}

std::unique_ptr<ExitSignals> watch_exit_signals(WindowWidget& window) {
    return std::make_unique<ExitSignals>([&window] { window.close(); }, [&window] { store_without_closing(window); });
}

}  // namespace qinghe
