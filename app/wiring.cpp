#include "app/wiring.h"

#include <QAbstractButton>
#include <QEvent>

#include "app/main_window.h"
#include "app/shell_actions.h"
#include "config/slots.h"
#include "text/codec.h"
#include "titles/generator.h"
#include "titles/restore.h"

namespace qinghe {
namespace {

using enum Event;

constexpr Binding kBindings[] = {
    {nullptr, Created, restore_at_start},
    {nullptr, AboutToBeDestroyed, store_at_close},
    {"按钮_生成", Clicked, generate_titles},
    {"按钮_恢复默认", Clicked, restore_defaults},
    {"按钮_保存配置", Clicked, save_configuration},
    {"单选框1", Clicked, select_slot_1},
    {"单选框2", Clicked, select_slot_2},
    {"单选框3", Clicked, select_slot_3},
    {"单选框4", Clicked, select_slot_4},
    {"选择框_百度实时热点", Clicked, reset_prefix_list},
    {"编辑框_前缀", GotFocus, nullptr, highlight_list_box},
    {"编辑框_前缀", LostFocus, nullptr, dim_list_box},
    {"编辑框_衔接", GotFocus, nullptr, highlight_list_box},
    {"编辑框_衔接", LostFocus, nullptr, dim_list_box},
    {"编辑框_后缀", GotFocus, nullptr, highlight_list_box},
    {"编辑框_后缀", LostFocus, nullptr, dim_list_box},
    {"超级按钮1", Clicked, open_download_page},
    {"超级按钮2", Clicked, open_media_page},
    {"超级按钮3", Clicked, open_messenger_link},
};

// Runs an action when its control gains or loses the keyboard focus, by any means, until
// the window is being destroyed: the focus changes that its teardown causes must not
// reach actions whose window is already half gone.
class FocusWatch : public QObject {
public:
    FocusWatch(MainWindow& window, QWidget* control, QEvent::Type type, std::function<void()> action)
        : QObject(control), type_(type), action_(std::move(action)) {
        control->installEventFilter(this);
        connect(&window, &MainWindow::about_to_be_destroyed, this, [this] { action_ = nullptr; });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_ && action_) action_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> action_;
};

}  // namespace

std::span<const Binding> bindings() { return kBindings; }

void wire_events(MainWindow& window) {
    Window& controls = window.controls();
    for (const Binding& binding : kBindings) {
        const Text name = binding.control ? from_utf8(binding.control) : Text();
        const auto run = [action = binding.action, control_action = binding.control_action, name, &controls] {
            if (action) action(controls);
            if (control_action) control_action(controls, name);
        };
        QWidget* control = binding.control ? window.controls().widget(name) : nullptr;
        switch (binding.event) {
            case Created:
                run();
                break;
            case AboutToBeDestroyed:
                QObject::connect(&window, &MainWindow::about_to_be_destroyed, &window, run);
                break;
            case Clicked:
                if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                    QObject::connect(button, &QAbstractButton::clicked, &window, run);
                }
                break;
            case GotFocus:
            case LostFocus:
                if (control) {
                    new FocusWatch(window, control, binding.event == GotFocus ? QEvent::FocusIn : QEvent::FocusOut, run);
                }
                break;
        }
    }
}

}  // namespace qinghe
