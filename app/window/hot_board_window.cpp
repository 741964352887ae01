#include "app/window/hot_board_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>
#include <set>

#include "app/window/qt_convert.h"
#include "text/codec.h"
#include "text/word_matcher.h"

namespace qinghe {

// The filter's verdicts with their reasons, and the word that names an excluded title.
struct HotBoardWindow::Judged {
    explicit Judged(const TopicFilterOptions& options) : filter(options), excluded_words(options.excluded) {
        for (const Text& word : excluded_words) excluded.add(word);
    }

    // Why the filter leaves the title out; empty when it keeps it.
    QString reason(TextView title) const {
        switch (filter.judge(title)) {
            case TopicVerdict::kept: return {};
            case TopicVerdict::disaster: return QStringLiteral("灾难伤亡");
            case TopicVerdict::not_included: return QStringLiteral("不含包含词");
            case TopicVerdict::excluded: break;
        }
        WordMatcher::Match match{};
        if (!excluded.find_first(title, &match)) return QStringLiteral("排除词");
        return QStringLiteral("排除词：") + to_qstring(excluded_words[match.word]);
    }

    TopicFilter filter;
    std::vector<Text> excluded_words;
    WordMatcher excluded;
};

namespace {

// Where a row keeps what the window needs beside its cells (column 0).
constexpr int kKeyRole = Qt::UserRole;
constexpr int kReasonRole = Qt::UserRole + 1;

// The list: Space ticks the current row's topic wherever the cursor stands in the row,
// and the copy key copies the selected rows as the window gives them.
class HotBoardList : public QTreeWidget {
public:
    explicit HotBoardList(std::function<void()> copy) : copy_(std::move(copy)) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Copy)) {
            copy_();
            return;
        }
        QTreeWidgetItem* item = currentItem();
        if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && item) {
            if (item->parent()) item = item->parent();
            if (item->flags() & Qt::ItemIsUserCheckable) {
                item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
            }
            return;
        }
        QTreeWidget::keyPressEvent(event);
    }

private:
    std::function<void()> copy_;
};

QTreeWidgetItem* new_item(const HotBoardRow& row) {
    QStringList cells;
    for (const Text& cell : row.cells) cells << to_qstring(cell);
    auto* item = new QTreeWidgetItem(cells);
    item->setData(0, kKeyRole, to_qstring(row.key));
    return item;
}

QString cells_of(const QTreeWidgetItem& item) {
    QStringList cells;
    for (int column = 0; column < item.columnCount(); ++column) cells << item.text(column);
    return cells.join(QLatin1Char('\t'));
}

}  // namespace

HotBoardWindow::HotBoardWindow(QWidget* owner)
        : QWidget(owner, Qt::Window), judged_(std::make_unique<Judged>(TopicFilterOptions{})) {
    setWindowTitle(QStringLiteral("热点榜"));
    setObjectName(QStringLiteral("热点榜"));

    auto* source_caption = new QLabel(QStringLiteral("来源"));
    source_ = new QComboBox;
    source_->setObjectName(QStringLiteral("热点榜_来源"));
    source_->setAccessibleName(QStringLiteral("来源"));
    source_->addItem(QString::fromUtf8(kAllBoardsChoice));
    for (const HotBoard& board : hot_boards()) source_->addItem(QString::fromUtf8(board.name));
    source_caption->setBuddy(source_);
    refresh_ = new QPushButton(QStringLiteral("刷新"));
    refresh_->setObjectName(QStringLiteral("热点榜_刷新"));
    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("热点榜_搜索"));
    search_->setAccessibleName(QStringLiteral("搜索标题"));
    search_->setPlaceholderText(QStringLiteral("搜索标题"));
    search_->setClearButtonEnabled(true);
    show_excluded_ = new QCheckBox(QStringLiteral("显示已排除"));
    show_excluded_->setObjectName(QStringLiteral("热点榜_显示排除"));

    list_ = new HotBoardList([this] { QApplication::clipboard()->setText(selected_rows_text()); });
    list_->setObjectName(QStringLiteral("热点榜_列表"));
    list_->setAccessibleName(QStringLiteral("热点列表"));
    QStringList headers;
    for (const char* column : kHotBoardColumns) headers << QString::fromUtf8(column);
    list_->setHeaderLabels(headers);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    QHeaderView* header = list_->header();
    header->setStretchLastSection(false);
    const int widths[] = {76, 0, 80, 210, 64, 44, 48};
    for (int column = 0; column < static_cast<int>(std::size(widths)); ++column) {
        if (widths[column] > 0) header->resizeSection(column, widths[column]);
    }
    header->setSectionResizeMode(1, QHeaderView::Stretch);

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("热点榜_状态"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    plant_ = new QPushButton(QStringLiteral("植入所选"));
    plant_->setObjectName(QStringLiteral("热点榜_植入"));
    keyword_ = new QPushButton(QStringLiteral("设为关键词"));
    keyword_->setObjectName(QStringLiteral("热点榜_关键词"));

    auto* top = new QHBoxLayout;
    top->addWidget(source_caption);
    top->addWidget(source_);
    top->addWidget(refresh_);
    top->addWidget(search_, 1);
    top->addWidget(show_excluded_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(plant_, 0, Qt::AlignTop);
    bottom->addWidget(keyword_, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);
    resize(900, 600);

    connect(source_, &QComboBox::activated, this, &HotBoardWindow::choice_changed);
    connect(refresh_, &QPushButton::clicked, this, &HotBoardWindow::refresh_asked);
    connect(plant_, &QPushButton::clicked, this, &HotBoardWindow::plant_asked);
    connect(keyword_, &QPushButton::clicked, this, &HotBoardWindow::keyword_asked);
    connect(search_, &QLineEdit::textChanged, this, &HotBoardWindow::show_matching);
    connect(show_excluded_, &QCheckBox::toggled, this, &HotBoardWindow::show_matching);
}

HotBoardWindow::~HotBoardWindow() = default;

const HotBoard* HotBoardWindow::chosen_board() const {
    const int index = source_->currentIndex();
    return index > 0 ? &hot_boards()[static_cast<size_t>(index - 1)] : nullptr;
}

void HotBoardWindow::show_rows(std::vector<HotBoardRow> rows) {
    std::set<QString> ticked;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked) ticked.insert(item->data(0, kKeyRole).toString());
    }
    list_->clear();
    bool any_children = false;
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const HotBoardRow& row : rows) {
        QTreeWidgetItem* item = new_item(row);
        for (const HotBoardRow& child : row.children) item->addChild(new_item(child));
        any_children = any_children || !row.children.empty();
        items << item;
    }
    list_->addTopLevelItems(items);
    list_->setRootIsDecorated(any_children);
    for (QTreeWidgetItem* item : items) {
        judge(*item, *judged_);
        if ((item->flags() & Qt::ItemIsUserCheckable) && ticked.count(item->data(0, kKeyRole).toString())) {
            item->setCheckState(0, Qt::Checked);
        }
    }
    show_matching();
}

void HotBoardWindow::judge(QTreeWidgetItem& item, const Judged& judged) {
    const QString reason = judged.reason(from_qstring(item.text(1)));
    item.setData(0, kReasonRole, reason);
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!reason.isEmpty()) {
        // Greyed: shown for what it is, never ticked or planted.
        flags = Qt::NoItemFlags;
        item.setData(0, Qt::CheckStateRole, QVariant());
    } else if (!item.parent()) {
        flags |= Qt::ItemIsUserCheckable;
        if (!item.data(0, Qt::CheckStateRole).isValid()) item.setCheckState(0, Qt::Unchecked);
    }
    item.setFlags(flags);
    for (int column = 0; column < item.columnCount(); ++column) item.setToolTip(column, reason);
    for (int i = 0; i < item.childCount(); ++i) judge(*item.child(i), judged);
    // A topic left out takes its boards' rows with it.
    if (!reason.isEmpty()) {
        for (int i = 0; i < item.childCount(); ++i) item.child(i)->setFlags(Qt::NoItemFlags);
    }
}

void HotBoardWindow::set_filter(const TopicFilterOptions& options) {
    judged_ = std::make_unique<Judged>(options);
    for (int i = 0; i < list_->topLevelItemCount(); ++i) judge(*list_->topLevelItem(i), *judged_);
    show_matching();
}

void HotBoardWindow::show_matching() {
    const Text typed = from_qstring(search_->text().trimmed());
    WordMatcher search;
    search.add(typed);
    const bool searching = !WordMatcher::normalised(typed).empty();
    const auto holds_search = [&](const QTreeWidgetItem& item) {
        return !searching || search.find_first(from_qstring(item.text(1)));
    };
    excluded_ = 0;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const bool left_out = !item->data(0, kReasonRole).toString().isEmpty();
        excluded_ += left_out;
        bool matches = holds_search(*item);
        for (int c = 0; c < item->childCount() && !matches; ++c) matches = holds_search(*item->child(c));
        item->setHidden(!matches || (left_out && !show_excluded_->isChecked()));
    }
}

void HotBoardWindow::set_status(TextView status) { status_->setText(to_document_text(status)); }

void HotBoardWindow::set_fetching(bool fetching) {
    fetching_ = fetching;
    refresh_->setText(fetching ? QStringLiteral("取消") : QStringLiteral("刷新"));
}

std::vector<Text> HotBoardWindow::chosen_titles() const {
    std::vector<Text> titles;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked) titles.push_back(from_qstring(item->text(1)));
    }
    if (!titles.empty()) return titles;
    std::set<Text> taken;
    const auto take = [&](const QTreeWidgetItem& item) {
        if (!item.isSelected() || !(item.flags() & Qt::ItemIsEnabled)) return;
        Text title = from_qstring(item.text(1));
        if (taken.insert(title).second) titles.push_back(std::move(title));
    };
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->isHidden()) continue;
        take(*item);
        for (int c = 0; c < item->childCount(); ++c) take(*item->child(c));
    }
    return titles;
}

void HotBoardWindow::clear_ticks() {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->flags() & Qt::ItemIsUserCheckable) item->setCheckState(0, Qt::Unchecked);
    }
}

Text HotBoardWindow::current_title() const {
    const QTreeWidgetItem* item = list_->currentItem();
    return item ? from_qstring(item->text(1)) : Text();
}

QString HotBoardWindow::selected_rows_text() const {
    QStringList headers;
    for (const char* column : kHotBoardColumns) headers << QString::fromUtf8(column);
    QString text = headers.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->isHidden()) continue;
        const bool whole = item->isSelected();
        if (whole) text += cells_of(*item) + QLatin1Char('\n');
        for (int c = 0; c < item->childCount(); ++c) {
            const QTreeWidgetItem* child = item->child(c);
            if (whole || child->isSelected()) text += QLatin1Char('\t') + cells_of(*child) + QLatin1Char('\n');
        }
    }
    return text;
}

void HotBoardWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HotBoardWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

bool HotBoardWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) emit activated();
    return QWidget::event(event);
}

}  // namespace qinghe
