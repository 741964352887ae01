#include "app/wiring.h"

#include <QAbstractButton>

#include "app/main_window.h"
#include "config/slots.h"
#include "text/codec.h"
#include "titles/generator.h"
#include "titles/restore.h"

namespace qinghe {
namespace {

constexpr Binding kBindings[] = {
    {nullptr, Event::Created, restore_at_start},
    {nullptr, Event::AboutToBeDestroyed, store_at_close},
    {"按钮_生成", Event::Clicked, generate_titles},
    {"按钮_恢复默认", Event::Clicked, restore_defaults},
    {"按钮_保存配置", Event::Clicked, save_configuration},
    {"单选框1", Event::Clicked, select_slot_1},
    {"单选框2", Event::Clicked, select_slot_2},
    {"单选框3", Event::Clicked, select_slot_3},
    {"单选框4", Event::Clicked, select_slot_4},
};

}  // namespace

std::span<const Binding> bindings() { return kBindings; }

void wire_events(MainWindow& window) {
    Window& controls = window.controls();
    for (const Binding& binding : kBindings) {
        const Action action = binding.action;
        switch (binding.event) {
            case Event::Created:
                action(controls);
                break;
            case Event::AboutToBeDestroyed:
                QObject::connect(&window, &MainWindow::about_to_be_destroyed, &window,
                                 [action, &controls] { action(controls); });
                break;
            case Event::Clicked:
                if (auto* button = qobject_cast<QAbstractButton*>(window.controls().widget(from_utf8(binding.control)))) {
                    QObject::connect(button, &QAbstractButton::clicked, &window,
                                     [action, &controls] { action(controls); });
                }
                break;
        }
    }
}

}  // namespace qinghe
