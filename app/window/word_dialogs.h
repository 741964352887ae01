#pragma once
// The writer's panel's dialogs over the word checks: 热点筛选's two word lists, the risk
// words (the built-in list to read and search, the writer's own words to edit), and the
// hits of 检查词组. Each opens without blocking the window (tests drive them as a writer
// would); the first two save what the writer accepts through the callback they are given.
#include <QDialog>
#include <functional>
#include <vector>

#include "text/text.h"
#include "titles/risk_words.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;
class QVBoxLayout;

namespace qinghe {

// What the two word-list dialogs share: two boxes of one word a line, a note under them,
// and OK, which closes the dialog only once the callback has kept the lists. When the
// save fails the dialog stays open, the note saying why and every word still in its box.
// A list longer than the lists keep is named in the note first; OK pressed again keeps
// its first words. The note also tells what reading the lists found (a list cut, a file
// that could not be read).
class WordListsDialog : public QDialog {
    Q_OBJECT

public:
    // Keeps the two lists; returns why they could not be kept, empty when they were.
    using Accept = std::function<Text(std::vector<Text> first, std::vector<Text> second)>;

    QLabel& note() { return *note_; }

protected:
    WordListsDialog(QWidget* parent, Accept accept);
    // Puts the note, showing `notes`, and the buttons at the end of `layout`. The boxes'
    // names stand for them in the note.
    void finish(QVBoxLayout& layout, QPlainTextEdit& first, const QString& first_name, QPlainTextEdit& second,
                const QString& second_name, const std::vector<Text>& notes);

private:
    void keep();
    void show_note(const QString& text);

    struct Box {
        QPlainTextEdit* edit = nullptr;
        QString name;
    };
    Accept accept_;
    Box boxes_[2];
    QLabel* note_ = nullptr;
    bool cut_shown_ = false;  // the note named the lists that OK would cut
};

// Two lists, one word a line: titles holding an 排除词 are left out; with 包含词, only
// titles holding one of them are planted.
class TopicFilterDialog : public WordListsDialog {
    Q_OBJECT

public:
    TopicFilterDialog(QWidget* parent, const std::vector<Text>& excluded, const std::vector<Text>& included,
                      const std::vector<Text>& notes, Accept accept);

    QPlainTextEdit& excluded_box() { return *excluded_; }
    QPlainTextEdit& included_box() { return *included_; }

private:
    QPlainTextEdit* excluded_;
    QPlainTextEdit* included_;
};

// The built-in entries by category, read-only and searchable, and the writer's two lists:
// 自定义风险词 (each marked 高风险 for every platform) and 放行词 (never marked).
class RiskWordsDialog : public WordListsDialog {
    Q_OBJECT

public:
    RiskWordsDialog(QWidget* parent, const std::vector<Text>& custom, const std::vector<Text>& allowed,
                    const std::vector<Text>& notes, Accept accept);

    QLineEdit& search_box() { return *search_; }
    QTreeWidget& entries() { return *entries_; }
    QPlainTextEdit& custom_box() { return *custom_; }
    QPlainTextEdit& allowed_box() { return *allowed_; }

private:
    void show_matching(const QString& search);

    QLineEdit* search_;
    QTreeWidget* entries_;
    QPlainTextEdit* custom_;
    QPlainTextEdit* allowed_;
};

// One row a risky word in a phrase of the three list boxes. Double-clicking a row calls
// `go_to` with the row's list box and line (from 1).
struct ListHit {
    Text list_box;      // the control's name
    Text list_caption;  // 前缀 / 衔接 / 后缀
    size_t line;
    Text phrase, word;
    RiskEntry entry;
};

class ListCheckDialog : public QDialog {
    Q_OBJECT

public:
    using GoTo = std::function<void(const Text& list_box, size_t line)>;
    ListCheckDialog(QWidget* parent, std::vector<ListHit> hits, GoTo go_to);

    QTreeWidget& rows() { return *rows_; }

private:
    std::vector<ListHit> hits_;
    QTreeWidget* rows_;
};

}  // namespace qinghe
