#include "app/window/qt_services.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>
#include <cstdio>
#include <ctime>

#include "app/window/qt_convert.h"

namespace qinghe {

std::uint32_t QtServices::tick_count() const {
    if (ticks_) return ticks_();
    // The coarse clock ticks every few milliseconds, like the tick count it stands in for,
    // and costs a fraction of the precise one: a large run reads it three times a headline.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1'000'000);
}

void QtServices::process_pending_messages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtServices::open_address(TextView address) { QDesktopServices::openUrl(QUrl(to_qstring(address))); }

void QtServices::report_problem(TextView line) {
    const QByteArray program = QCoreApplication::applicationName().toUtf8();
    std::fprintf(stderr, "%s: %s\n", program.constData(), to_qstring(line).toUtf8().constData());
}

Text QtServices::address_for(TextView address) const {
    const auto it = address_map_.find(address);
    return it == address_map_.end() ? Text(address) : it->second;
}

}  // namespace qinghe
