#include "app/window/word_dialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/window/qt_convert.h"
#include "config/word_lists.h"

namespace qinghe {
namespace {

// A list box of one word a line, with its caption above it.
QPlainTextEdit* word_box(QGridLayout& grid, int column, const QString& caption, const QString& hint,
                         const std::vector<Text>& words) {
    auto* label = new QLabel(caption);
    auto* box = new QPlainTextEdit(to_document_text(words_to_text(words)));
    box->setPlaceholderText(hint);
    box->setAccessibleName(caption);
    box->setTabChangesFocus(true);
    label->setBuddy(box);
    grid.addWidget(label, 0, column);
    grid.addWidget(box, 1, column);
    return box;
}

std::vector<Text> words_of(const QPlainTextEdit& box) { return words_from_text(from_qstring(box.toPlainText())); }

QString joined(const std::vector<Text>& words, const char* separator) {
    QStringList parts;
    for (const Text& word : words) parts << to_qstring(word);
    return parts.join(QString::fromUtf8(separator));
}

QString platforms_of(const RiskEntry& entry) {
    return entry.platforms.empty() ? QStringLiteral("全部") : joined(entry.platforms, "、");
}

}  // namespace

WordListsDialog::WordListsDialog(QWidget* parent, Accept accept) : QDialog(parent), accept_(std::move(accept)) {}

void WordListsDialog::finish(QVBoxLayout& layout, QPlainTextEdit& first, const QString& first_name,
                             QPlainTextEdit& second, const QString& second_name, const std::vector<Text>& notes) {
    boxes_[0] = {&first, first_name};
    boxes_[1] = {&second, second_name};
    note_ = new QLabel;
    note_->setWordWrap(true);
    note_->setTextFormat(Qt::PlainText);
    QPalette palette = note_->palette();
    palette.setColor(QPalette::WindowText, QColor(200, 0, 0));
    note_->setPalette(palette);
    QStringList lines;
    for (const Text& line : notes) lines << to_qstring(line);
    show_note(lines.join(QLatin1Char('\n')));
    layout.addWidget(note_);
    // An edit after the note named the lists that OK would cut asks again.
    for (const Box& box : boxes_) {
        connect(box.edit, &QPlainTextEdit::textChanged, this, [this] { cut_shown_ = false; });
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &WordListsDialog::keep);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout.addWidget(buttons);
}

void WordListsDialog::show_note(const QString& text) {
    note_->setText(text);
    note_->setVisible(!text.isEmpty());
}

void WordListsDialog::keep() {
    std::vector<Text> words[2] = {words_of(*boxes_[0].edit), words_of(*boxes_[1].edit)};
    QStringList cut;
    for (size_t i = 0; i < 2; ++i) {
        if (words[i].size() <= kMaxListWords) continue;
        cut << QStringLiteral("%1有 %2 个词，只能保存前 %3 个。")
                   .arg(boxes_[i].name)
                   .arg(static_cast<qulonglong>(words[i].size()))
                   .arg(static_cast<qulonglong>(kMaxListWords));
    }
    if (!cut.isEmpty() && !cut_shown_) {
        cut << QStringLiteral("再按“确定”只保存前 %1 个，或先删去一些词。").arg(static_cast<qulonglong>(kMaxListWords));
        show_note(cut.join(QLatin1Char('\n')));
        cut_shown_ = true;
        return;
    }
    const Text problem = accept_(std::move(words[0]), std::move(words[1]));
    if (!problem.empty()) {
        // Nothing typed is lost: the boxes keep their words for another try.
        show_note(QStringLiteral("未能保存：") + to_qstring(problem));
        return;
    }
    accept();
}

TopicFilterDialog::TopicFilterDialog(QWidget* parent, const std::vector<Text>& excluded,
                                     const std::vector<Text>& included, const std::vector<Text>& notes, Accept accept)
        : WordListsDialog(parent, std::move(accept)) {
    setWindowTitle(QStringLiteral("热点筛选"));
    auto* grid = new QGridLayout;
    excluded_ =
        word_box(*grid, 0, QStringLiteral("排除词（每行一个）"), QStringLiteral("含有这些词的热点不植入"), excluded);
    included_ = word_box(*grid, 1, QStringLiteral("包含词（每行一个）"),
                         QStringLiteral("不为空时，只植入含有其中一个词的热点"), included);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("繁体、全角和大小写不同的写法都算同一个词；下次生成时生效。")));
    finish(*layout, *excluded_, QStringLiteral("排除词"), *included_, QStringLiteral("包含词"), notes);
    resize(420, 320);
}

RiskWordsDialog::RiskWordsDialog(QWidget* parent, const std::vector<Text>& custom, const std::vector<Text>& allowed,
                                 const std::vector<Text>& notes, Accept accept)
        : WordListsDialog(parent, std::move(accept)) {
    setWindowTitle(QStringLiteral("风险词表"));
    search_ = new QLineEdit;
    search_->setPlaceholderText(QStringLiteral("搜索内置风险词、类别或依据"));
    search_->setAccessibleName(QStringLiteral("搜索内置风险词"));
    search_->setClearButtonEnabled(true);
    entries_ = new QTreeWidget;
    entries_->setAccessibleName(QStringLiteral("内置风险词"));
    entries_->setHeaderLabels({QStringLiteral("风险词"), QStringLiteral("级别"), QStringLiteral("平台"),
                               QStringLiteral("依据"), QStringLiteral("可改为")});
    entries_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    entries_->setUniformRowHeights(true);
    for (const Text& category : risk_categories()) {
        auto* group = new QTreeWidgetItem(entries_, {to_qstring(category)});
        group->setFirstColumnSpanned(true);
        for (const RiskEntry& entry : builtin_risk_lists().entries) {
            if (entry.category != category) continue;
            auto* row = new QTreeWidgetItem(
                group, {to_qstring(entry.pattern), to_qstring(risk_level_name(entry.level)), platforms_of(entry),
                        to_qstring(entry.basis), joined(entry.suggestions, "、")});
            row->setToolTip(3, to_qstring(entry.basis));
            if (entry.level == RiskLevel::high) row->setForeground(1, QColor(220, 0, 0));
        }
        group->setText(0, QStringLiteral("%1（%2）").arg(to_qstring(category)).arg(group->childCount()));
    }
    entries_->expandAll();
    entries_->header()->resizeSection(0, 130);
    entries_->header()->resizeSection(1, 56);
    entries_->header()->resizeSection(2, 90);
    connect(search_, &QLineEdit::textChanged, this, &RiskWordsDialog::show_matching);

    auto* grid = new QGridLayout;
    custom_ = word_box(*grid, 0, QStringLiteral("自定义风险词（每行一个）"),
                       QStringLiteral("按高风险标注，所有平台适用"), custom);
    allowed_ = word_box(*grid, 1, QStringLiteral("放行词（每行一个）"), QStringLiteral("从不标注，例如含“最”的品牌名"),
                        allowed);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(entries_, 3);
    layout->addLayout(grid, 2);
    finish(*layout, *custom_, QStringLiteral("自定义风险词"), *allowed_, QStringLiteral("放行词"), notes);
    resize(680, 560);
}

// Rows whose text holds the search (any column), and the categories that keep a row.
void RiskWordsDialog::show_matching(const QString& search) {
    const QString needle = search.trimmed();
    for (int g = 0; g < entries_->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = entries_->topLevelItem(g);
        const bool group_matches = group->text(0).contains(needle, Qt::CaseInsensitive);
        int shown = 0;
        for (int r = 0; r < group->childCount(); ++r) {
            QTreeWidgetItem* row = group->child(r);
            bool matches = needle.isEmpty() || group_matches;
            for (int c = 0; c < row->columnCount() && !matches; ++c) {
                matches = row->text(c).contains(needle, Qt::CaseInsensitive);
            }
            row->setHidden(!matches);
            shown += matches;
        }
        group->setHidden(shown == 0);
    }
}

ListCheckDialog::ListCheckDialog(QWidget* parent, std::vector<ListHit> hits, GoTo go_to)
        : QDialog(parent), hits_(std::move(hits)) {
    setWindowTitle(QStringLiteral("检查词组：%1 处风险词").arg(hits_.size()));
    setAttribute(Qt::WA_DeleteOnClose);
    rows_ = new QTreeWidget;
    rows_->setAccessibleName(QStringLiteral("含有风险词的词组"));
    rows_->setRootIsDecorated(false);
    rows_->setHeaderLabels({QStringLiteral("列表"), QStringLiteral("行"), QStringLiteral("词组"),
                            QStringLiteral("风险词"), QStringLiteral("类别"), QStringLiteral("级别"),
                            QStringLiteral("可改为")});
    for (size_t i = 0; i < hits_.size(); ++i) {
        const ListHit& hit = hits_[i];
        auto* row = new QTreeWidgetItem(
            rows_, {to_qstring(hit.list_caption), QString::number(hit.line), to_qstring(hit.phrase),
                    to_qstring(hit.word), to_qstring(hit.entry.category), to_qstring(risk_level_name(hit.entry.level)),
                    joined(hit.entry.suggestions, "、")});
        row->setData(0, Qt::UserRole, static_cast<qulonglong>(i));
        row->setToolTip(2, to_qstring(hit.entry.basis));
        if (hit.entry.level == RiskLevel::high) row->setForeground(5, QColor(220, 0, 0));
    }
    for (int c = 0; c < rows_->columnCount(); ++c) rows_->resizeColumnToContents(c);
    connect(rows_, &QTreeWidget::itemActivated, this, [this, go_to = std::move(go_to)](QTreeWidgetItem* item) {
        const ListHit& hit = hits_[item->data(0, Qt::UserRole).toULongLong()];
        go_to(hit.list_box, hit.line);
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("双击一行，光标就到那个词组所在的行。")));
    layout->addWidget(rows_);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(close);
    resize(640, 360);
}

}  // namespace qinghe
