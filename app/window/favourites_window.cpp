#include "app/window/favourites_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSaveFile>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/window/headline_table_model.h"
#include "app/window/qt_convert.h"
#include "app/window/window_place.h"
#include "history/history_texts.h"
#include "text/codec.h"

namespace qinghe {
namespace {

const Text& place_section() {
    static const Text section = from_utf8("收藏与历史");
    return section;
}

// The scope choice's entries, in its order.
constexpr HeadlineScope kScopes[] = {HeadlineScope::starred, HeadlineScope::used, HeadlineScope::all};

QString choose_with_dialog(QWidget* parent, const QString& suggested, const QString& types, QString& chosen_type) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("导出收藏与历史"), suggested, types, &chosen_type);
}

// One CSV field (RFC 4180): quoted when it holds a comma, a quote or a line break, its
// quotes doubled. A text that a spreadsheet would read as a formula (= + - @ first) is
// given a leading apostrophe, so that a planted title cannot run one.
QString csv_field(QString value, bool text) {
    if (text && !value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value.front())) value.prepend(u'\'');
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') && !value.contains(u'\r')) {
        return value;
    }
    value.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + value + u'"';
}

QByteArray csv_row(const HeadlineRow& row) {
    const QString last_used = QDateTime::fromSecsSinceEpoch(row.last_used.time_since_epoch().count())
                                  .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QStringList fields = {csv_field(to_qstring(row.text), true),    csv_field(to_qstring(row.platform), true),
                                csv_field(to_qstring(row.keyword), true), csv_field(hot_text(row), true),
                                QString::number(row.times_used),          last_used};
    return (fields.join(u',') + QStringLiteral("\r\n")).toUtf8();
}

}  // namespace

FavouritesWindow::FavouritesWindow(History& history, Window& controls, QWidget* parent)
        : QWidget(parent, Qt::Window),
          history_(history),
          controls_(controls),
          model_(new HeadlineTableModel(history, this)),
          choose_export_(choose_with_dialog) {
    setWindowTitle(QStringLiteral("收藏与历史"));
    resize(700, 480);
    build();
    search_delay_.setSingleShot(true);
    search_delay_.setInterval(150);
    connect(&search_delay_, &QTimer::timeout, this, &FavouritesWindow::run_search);
    connect(model_, &HeadlineTableModel::problem_changed, this, [this] { show_status(); });
    update_actions();
}

QAction* FavouritesWindow::add_action(const QString& text, const QKeySequence& key, void (FavouritesWindow::*act)()) {
    auto* action = new QAction(text, this);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    if (act) connect(action, &QAction::triggered, this, act);
    addAction(action);
    return action;
}

void FavouritesWindow::build() {
    scope_ = new QComboBox(this);
    scope_->setObjectName(QStringLiteral("收藏历史_范围"));
    scope_->addItems({QStringLiteral("收藏"), QStringLiteral("用过的"), QStringLiteral("全部")});
    scope_->setAccessibleName(QStringLiteral("范围"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("收藏历史_搜索"));
    search_->setPlaceholderText(QStringLiteral("搜索标题"));
    search_->setAccessibleName(QStringLiteral("搜索标题"));
    search_->setClearButtonEnabled(true);

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("收藏历史_列表"));
    table_->setAccessibleName(QStringLiteral("收藏与历史"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSortIndicator(5, Qt::DescendingOrder);
    table_->setSortingEnabled(true);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    const int widths[] = {0, 72, 72, 120, 40, 100};
    for (int column = 1; column < HeadlineTableModel::kColumns; ++column)
        table_->setColumnWidth(column, widths[column]);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("收藏历史_状态"));

    copy_ = add_action(QStringLiteral("复制"), QKeySequence::Copy, &FavouritesWindow::copy_selected);
    star_ = add_action(QStringLiteral("收藏"), QKeySequence(), &FavouritesWindow::star_selected);
    delete_ = add_action(QStringLiteral("删除"), QKeySequence::Delete, &FavouritesWindow::delete_selected);
    undo_ = add_action(QStringLiteral("撤销删除"), QKeySequence::Undo, &FavouritesWindow::undo_delete);
    export_ = add_action(QStringLiteral("导出…"), QKeySequence(), &FavouritesWindow::export_rows);
    QAction* select_all = add_action(QStringLiteral("全选"), QKeySequence::SelectAll, nullptr);
    connect(select_all, &QAction::triggered, table_, &QTableView::selectAll);

    auto* top = new QHBoxLayout;
    auto* scope_label = new QLabel(QStringLiteral("范围"), this);
    scope_label->setBuddy(scope_);
    top->addWidget(scope_label);
    top->addWidget(scope_);
    top->addWidget(search_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    const std::pair<QAction*, const char*> buttons[] = {
        {copy_, "收藏历史_复制"}, {star_, "收藏历史_收藏"}, {delete_, "收藏历史_删除"}, {export_, "收藏历史_导出"}};
    for (const auto& [action, name] : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromUtf8(name));
        button->setDefaultAction(action);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumWidth(64);
        bottom->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    setTabOrder(scope_, search_);
    setTabOrder(search_, table_);

    connect(scope_, &QComboBox::currentIndexChanged, this, [this](int) { run_search(); });
    connect(search_, &QLineEdit::textChanged, this, [this] { search_delay_.start(); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FavouritesWindow::update_actions);
    connect(model_, &QAbstractItemModel::modelReset, this, &FavouritesWindow::update_actions);
    connect(table_, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addActions({copy_, star_, delete_});
        menu->addSeparator();
        menu->addActions({undo_, export_});
        menu->popup(table_->viewport()->mapToGlobal(position));
    });
}

void FavouritesWindow::open() {
    if (!isVisible()) {
        // The first time on 收藏 when something is starred, else on everything used;
        // afterwards as the writer left it.
        if (!opened_before_) {
            const HistoryRead<HeadlineCounts> counts = history_.headline_counts();
            const QSignalBlocker quiet(scope_);
            scope_->setCurrentIndex(counts.value.starred > 0 ? 0 : 2);
            opened_before_ = true;
        }
        run_search();
        if (parentWidget()) place_window(*this, controls_, place_section(), QSize(700, 480), *parentWidget());
    }
    show();
    raise();
    activateWindow();
}

void FavouritesWindow::refresh() {
    if (!isVisible()) return;
    model_->reload();
    show_status();
}

void FavouritesWindow::run_search() {
    search_delay_.stop();
    HeadlineQuery query = model_->query();
    query.scope = kScopes[std::max(scope_->currentIndex(), 0)];
    query.search = from_qstring(search_->text());
    model_->set_query(query);
    show_status();
}

std::vector<int> FavouritesWindow::selected_rows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::int64_t> FavouritesWindow::selected_ids() const {
    std::vector<std::int64_t> ids;
    for (const int row : selected_rows()) ids.push_back(model_->row_at(row).id);
    return ids;
}

void FavouritesWindow::update_actions() {
    const std::vector<int> rows = selected_rows();
    const bool all_starred =
        !rows.empty() && std::all_of(rows.begin(), rows.end(), [this](int row) { return model_->row_at(row).starred; });
    star_->setText(all_starred ? QStringLiteral("取消收藏") : QStringLiteral("收藏"));
    for (QAction* action : {copy_, star_, delete_}) action->setEnabled(!rows.empty());
    undo_->setEnabled(!last_deleted_.empty());
}

void FavouritesWindow::show_status(const Text& problem) {
    const HistoryRead<HeadlineCounts> counts = history_.headline_counts();
    Text text = counts.result.ok() ? headline_counts_text(counts.value.starred, counts.value.used) : Text();
    // The history's state explains a failed read better than the read's own words.
    Text why = problem;
    if (why.empty()) why = history_.notice();
    if (why.empty()) why = model_->problem();
    if (why.empty()) why = counts.result.message;
    if (!why.empty()) text.append(text.empty() ? "" : "\xA1\xA1").append(why);
    status_->setText(to_qstring(text));
}

void FavouritesWindow::copy_selected() {
    QStringList titles;
    for (const int row : selected_rows()) titles << to_qstring(model_->row_at(row).text);
    if (titles.isEmpty()) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(titles.join(u'\n'));
    show_status(from_utf8("已复制 " + std::to_string(titles.size()) + " 条"));
}

void FavouritesWindow::star_selected() {
    const std::vector<std::int64_t> ids = selected_ids();
    if (ids.empty()) return;
    const bool star = star_->text() == QStringLiteral("收藏");
    const HistoryResult result = history_.set_starred(ids, star);
    if (result.ok() && !star && model_->query().scope == HeadlineScope::starred) {
        model_->forget_rows(ids);
    } else if (result.ok()) {
        model_->mark_starred(ids, star);
    }
    show_status(result.message);
    update_actions();
}

void FavouritesWindow::delete_selected() {
    const std::vector<std::int64_t> ids = selected_ids();
    if (ids.empty()) return;
    HistoryRead<std::vector<HeadlineRow>> removed = history_.remove_headlines(ids);
    if (!removed.result.ok()) return show_status(removed.result.message);
    last_deleted_ = std::move(removed.value);
    model_->forget_rows(ids);
    show_status(from_utf8("已删除 " + std::to_string(last_deleted_.size()) + " 条（Ctrl+Z 撤销）"));
    update_actions();
}

void FavouritesWindow::undo_delete() {
    if (last_deleted_.empty()) return;
    const HistoryResult result = history_.restore_headlines(last_deleted_);
    if (!result.ok()) return show_status(result.message);
    const size_t restored = last_deleted_.size();
    last_deleted_.clear();
    model_->reload();
    show_status(from_utf8("已恢复 " + std::to_string(restored) + " 条"));
    update_actions();
}

void FavouritesWindow::export_rows() {
    const QString types = QStringLiteral("文本文件 (*.txt);;CSV 文件 (*.csv)");
    QString chosen_type;
    QString path = choose_export_(this, QDir::home().filePath(QStringLiteral("收藏与历史.txt")), types, chosen_type);
    if (path.isEmpty()) return;
    const bool csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ||
                     (QFileInfo(path).suffix().isEmpty() && chosen_type.startsWith(QStringLiteral("CSV")));
    if (QFileInfo(path).suffix().isEmpty()) path += csv ? QStringLiteral(".csv") : QStringLiteral(".txt");
    int count = 0;
    QString error;
    const QString status = write_export(path, csv, count, error)
                               ? QStringLiteral("已导出 %1 条到 %2").arg(count).arg(QDir::toNativeSeparators(path))
                               : QStringLiteral("导出失败：%1").arg(error);
    show_status(from_qstring(status));
}

// The selected rows, else every row of the view (read from the history, not only the
// pages shown), as UTF-8 text, one headline a line, or as CSV with a header, a BOM (so
// that a spreadsheet reads it as UTF-8) and CR LF line ends; replaced atomically.
bool FavouritesWindow::write_export(const QString& path, bool csv, int& count, QString& error) {
    QByteArray bytes;
    if (csv) bytes.append("\xEF\xBB\xBF").append(QStringLiteral("标题,平台,关键词,热点,用过,最近\r\n").toUtf8());
    const auto add = [&](const HeadlineRow& row) {
        bytes.append(csv ? csv_row(row) : to_qstring(row.text).toUtf8().append('\n'));
        ++count;
        return true;
    };
    const std::vector<int> rows = selected_rows();
    for (const int row : rows) add(model_->row_at(row));
    if (rows.empty()) {
        const HistoryResult result = history_.for_each_headline(model_->query(), add);
        if (!result.ok()) {
            error = to_qstring(result.message);
            return false;
        }
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
    error = file.errorString();
    return false;
}

void FavouritesWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FavouritesWindow::closeEvent(QCloseEvent* event) {
    keep_window_place(*this, controls_, place_section());
    search_delay_.stop();
    QWidget::closeEvent(event);
}

}  // namespace qinghe
