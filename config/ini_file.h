#pragma once
// Settings files in the Windows private-profile format, as program text (GB18030, so
// files in GBK load unchanged), lines ending in CR LF. Section and key names compare
// without regard to ASCII case, blanks around them ignored; the first of duplicate
// sections or keys counts. Unlike the platform's routines, a value of any length reads
// back whole, blanks at its end survive, and saving replaces the file atomically where
// its folder allows. Like the platform, a file that may not be written is left alone: one
// whose mode has no write bit is read-only even to root, as the read-only attribute is.
#include <filesystem>
#include <string>
#include <vector>

#include "text/text.h"

namespace qinghe {

// What became of a save: empty `problem` when the file was written, otherwise why not,
// as program text for the user (an errno message or "read-only file").
struct SaveResult {
    Text problem;
    explicit operator bool() const { return problem.empty(); }
};

class IniFile {
public:
    // A missing or unreadable file loads as an empty one; one that exists but cannot be
    // read is never saved over. UTF-8 byte-order marks at the start are skipped, however
    // many an editor has put there; saving writes none.
    static IniFile load(const std::filesystem::path& path);

    // The value after "=" with leading blanks skipped and one pair of surrounding
    // double quotes removed; the empty text when the section or key is missing.
    Text value(TextView section, TextView key) const;
    // Whether the section sets the key, even to the empty text.
    bool has(TextView section, TextView key) const;

    // Replaces the key's value where it stands, adds the key at the end of its section,
    // or adds the section at the end of the file. A CR or LF in the value, which would
    // break the line, is written as a space.
    void set(TextView section, TextView key, TextView value);

    // Writes the file through a temporary file in the same folder renamed over it, so a
    // failure at any point leaves the previous file as it was. The temporary file has a
    // name that cannot be guessed and is always a file made by this call: a link or file
    // found at a name tried is left alone for the next name. The new file keeps the
    // old one's permission bits (and, where allowed, owner and group). A symbolic link
    // stays a link: the file at the end of its chain is the one replaced, or created when
    // the link dangles. A read-only file, or one the user may not write, is left as it is.
    // When the folder refuses the temporary file but the file itself takes writes, it is
    // rewritten in place, as the platform would.
    [[nodiscard]] SaveResult save(const std::filesystem::path& path) const;

    const std::vector<Text>& lines() const { return lines_; }

private:
    struct Section {
        size_t header;  // line index of "[name]"
        size_t end;     // one past its last line
    };
    // The first section of that name; false when there is none.
    bool find_section(TextView name, Section& section) const;
    // Line index of the first line of the section that sets the key, or npos.
    size_t find_key(const Section& section, TextView key) const;

    std::vector<Text> lines_;
    int load_error_ = 0;  // errno of a file that exists but could not be read
};

// Writes `bytes` as the file at `path` the way IniFile::save writes its lines: atomically
// through a temporary file beside it, links followed, permissions kept, a read-only file
// left alone, rewritten in place only when the folder takes no new file.
[[nodiscard]] SaveResult save_settings_file(const std::filesystem::path& path, TextView bytes);

// The whole file into `bytes`; false, with errno set, when it cannot be opened or read
// (ENOENT when there is none).
bool read_settings_file(const std::filesystem::path& path, std::string& bytes);

// The system's message for an errno value, in the user's language, as program text.
Text system_message(int error);

// One read or write against a file, in the manner of the platform's calls.
Text read_profile_string(const std::filesystem::path& path, TextView section, TextView key);
bool write_profile_string(const std::filesystem::path& path, TextView section, TextView key, TextView value);

}  // namespace qinghe
