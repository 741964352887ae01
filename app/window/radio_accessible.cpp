#include "app/window/radio_accessible.h"

#include <QAbstractButton>
#include <QAccessibleWidget>

#include "app/window/control_kinds.h"

namespace qinghe {
namespace {

// A radio button whatever its exclusivity: its name (the accessible name, else the
// caption), its checked state, and a toggle action that clicks it, so that it is
// selected as a click selects it and the others are cleared.
class RadioAccessible : public QAccessibleWidget {
public:
    explicit RadioAccessible(QAbstractButton* button) : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return button()->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        state.pressed = button()->isDown();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->isEnabled()) names.prepend(toggleAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action != toggleAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
        } else if (widget()->isEnabled()) {
            button()->click();
        }
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* radio_interface(const QString&, QObject* object) {
    auto* radio = dynamic_cast<GroupRadioButton*>(object);
    return radio ? new RadioAccessible(radio) : nullptr;
}

}  // namespace

void install_radio_accessibility() {
    static const bool installed = (QAccessible::installFactory(radio_interface), true);
    (void)installed;
}

}  // namespace qinghe
