#include "app/window/window_widget.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTextEdit>

#include "app/form/form.h"
#include "app/window/form_builder.h"
#include "controls/names.h"
#include "history/history.h"
#include "text/codec.h"

namespace qinghe {

WindowWidget::WindowWidget(QWidget* parent) : QWidget(parent) {
    const form::WindowRow& row = form::window();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QString::fromUtf8(row.caption));
    build_form(*this, controls_);
    result_menu_ = new ResultMenu(*qobject_cast<QTextEdit*>(controls_.widget(name::result_box)), controls_,
                                  [this](Text& notice) -> History& {
                                      History& opened = history();
                                      notice = take_history_notice();
                                      return opened;
                                  });
    for (const form::ControlRow& control : form::controls()) {
        if (control.panel) panel_.push_back(controls_.widget(from_utf8(control.name)));
    }
    // The panel's button folds and unfolds it, whoever checks it: a click, a key or the
    // stored settings.
    if (auto* button = qobject_cast<QAbstractButton*>(controls_.widget(name::panel_button))) {
        connect(button, &QAbstractButton::toggled, this, &WindowWidget::show_panel);
        show_panel(button->isChecked());
    }
}

void WindowWidget::show_panel(bool open) {
    const form::WindowRow& row = form::window();
    panel_open_ = open;
    for (QWidget* control : panel_) control->setVisible(open);
    setFixedSize(row.client_width + (open ? row.panel_width : 0), row.client_height);
    if (auto* button = qobject_cast<QAbstractButton*>(controls_.widget(name::panel_button))) {
        button->setText(open ? QStringLiteral("«") : QStringLiteral("»"));
    }
}

void WindowWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Controls show that they have the focus from the start, not only after the first
    // Tab: the start focus would otherwise be invisible. (Qt clears the flag on showing.)
    setAttribute(Qt::WA_KeyboardFocusChange);
}

WindowWidget::~WindowWidget() { announce_destruction(); }

History& WindowWidget::history() {
    if (!history_) {
        HistoryClock clock = history_clock_ ? history_clock_ : [] { return std::chrono::system_clock::now(); };
        history_ = std::make_unique<History>(History::open(services_.settings_folder(), std::move(clock)));
    }
    return *history_;
}

Text WindowWidget::take_history_notice() {
    const Text& notice = history().notice();
    if (notice.empty() || notice == shown_history_notice_) return {};
    shown_history_notice_ = notice;
    return notice;
}

void WindowWidget::centre_on_screen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const form::WindowRow& row = form::window();
    const int outer_width = row.outer_width + (panel_open_ ? row.panel_width : 0);
    move(area.x() + (area.width() - outer_width) / 2, area.y() + (area.height() - row.outer_height) / 2);
}

void WindowWidget::bring_to_front(const QString& activation_token) {
    // Qt's Wayland plugin takes the token from the environment when asked to activate.
    if (!activation_token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activation_token.toUtf8());
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool WindowWidget::event(QEvent* event) {
    // Moved to a screen of another scale, the text is drawn as that screen needs.
    if (event->type() == QEvent::ScreenChangeInternal) fit_font_to_scale(*this, devicePixelRatioF());
    return QWidget::event(event);
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
    // Only keys that the focused control left unused arrive here; Esc closes the window
    // whatever modifier is held with it.
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    announce_destruction();
}

void WindowWidget::announce_destruction() {
    if (destruction_announced_) return;
    destruction_announced_ = true;
    emit about_to_be_destroyed();
}

}  // namespace qinghe
