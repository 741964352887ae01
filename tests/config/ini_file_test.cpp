#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <random>
#include <set>

#include "config/control_store.h"
#include "config/ini_file.h"
#include "config/slots.h"
#include "controls/names.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"
#include "text/new_file.h"

namespace qinghe {
namespace {

std::string file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

mode_t mode_of(const std::filesystem::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// The names in a folder, so that a left-over temporary file shows.
std::set<std::string> names_in(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// Edit boxes are the names it holds content for.
struct StoreWindow : RecordingWindow {
    std::vector<Text> names_of_kind(ControlKind kind) const override {
        std::vector<Text> names;
        for (const auto& [name, text] : contents) {
            if (kind == ControlKind::EditBox) names.push_back(name);
        }
        return names;
    }
};

class IniFileTest : public testing::Test {
protected:
    TempFolder folder;
    std::filesystem::path path = folder.path() / "config.ini";
};

TEST_F(IniFileTest, ReadsFilesAsTheWindowsProgramWroteThem) {
    const Text edit = from_utf8("编辑框");
    const Text prefix = from_utf8("编辑框_前缀");
    write_bytes(path, "\xEF\xBB\xBF; comment\r\n"
                      "[" +
                          edit + "]\r\n" + prefix + "=" + from_utf8("震撼><br><惊呆了") +
                          "\r\n"
                          "  Spaced Key  =   value with end blanks  \r\n"
                          "no equals sign here\r\n"
                          "Empty=\r\n"
                          "Quoted=\"inner\"\r\n"
                          "dup=first\r\ndup=second\r\n"
                          "[Other]\nkey=lf line\n"
                          "[" +
                          edit + "]\r\n" + prefix + "=shadowed\r\nonly_here=x\r\n");
    const IniFile ini = IniFile::load(path);
    EXPECT_EQ(ini.value(edit, prefix), from_utf8("震撼><br><惊呆了"));
    EXPECT_EQ(ini.value(edit, "spaced key"), "value with end blanks  ");
    EXPECT_EQ(ini.value(" " + edit + " ", " SPACED KEY "), "value with end blanks  ");
    EXPECT_EQ(ini.value(edit, "Empty"), "");
    EXPECT_EQ(ini.value(edit, "Quoted"), "inner");
    EXPECT_EQ(ini.value(edit, "dup"), "first");
    EXPECT_EQ(ini.value("OTHER", "KEY"), "lf line");
    EXPECT_EQ(ini.value(edit, "only_here"), "") << "the first section of a name counts";
    EXPECT_EQ(ini.value(edit, "no equals sign here"), "");
    EXPECT_EQ(ini.value("missing", "key"), "");
    EXPECT_EQ(read_profile_string(folder.path() / "none.ini", "a", "b"), "");
}

TEST_F(IniFileTest, NamesCompareCaseOnlyOnLetters) {
    // 0x81 0x41 and 0x81 0x61 are two different characters, not two cases of one.
    write_bytes(path, "[s]\r\n\x81\x41=upper\r\n");
    EXPECT_EQ(read_profile_string(path, "S", "\x81\x41"), "upper");
    EXPECT_EQ(read_profile_string(path, "s", "\x81\x61"), "");
}

TEST_F(IniFileTest, WritesKeepEverythingElse) {
    write_bytes(path, "; keep me\r\n[a]\r\nx=1\r\n\r\n[b]\r\ny=2");
    ASSERT_TRUE(write_profile_string(path, "A", "X", "one"));
    ASSERT_TRUE(write_profile_string(path, "a", "z", "new"));
    ASSERT_TRUE(write_profile_string(path, "c", "k", "v"));
    ASSERT_TRUE(write_profile_string(path, "b", "y", ""));
    EXPECT_EQ(file_bytes(path), "; keep me\r\n[a]\r\nx=one\r\nz=new\r\n\r\n[b]\r\ny=\r\n[c]\r\nk=v\r\n");
}

TEST_F(IniFileTest, CreatesTheFile) {
    ASSERT_TRUE(write_profile_string(path, from_utf8("单选框"), from_utf8("单选框1"), from_utf8("真")));
    EXPECT_EQ(file_bytes(path), from_utf8("[单选框]\r\n单选框1=真\r\n"));
}

TEST_F(IniFileTest, LongValuesAndEndBlanksRoundTrip) {
    Text value;
    while (value.size() < 100'000) value += from_utf8("很长的列表><br><");
    value += "ends in a space ";
    ASSERT_TRUE(write_profile_string(path, "s", "k", value));
    EXPECT_EQ(read_profile_string(path, "s", "k"), value);
}

TEST_F(IniFileTest, LineBreaksInAValueCannotBreakTheFile) {
    ASSERT_TRUE(write_profile_string(path, "s", "k", "a\r\nb\nc"));
    ASSERT_TRUE(write_profile_string(path, "s", "after", "x"));
    EXPECT_EQ(read_profile_string(path, "s", "k"), "a  b c");
    EXPECT_EQ(read_profile_string(path, "s", "after"), "x");
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFile) {
    write_bytes(path, "[s]\r\nk=old\r\n");
    // The disk "fills up" half-way through: the process may write only 64 bytes.
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(write_profile_string(path, "s", "k", std::string(10'000, 'x')) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write must report failure";
    EXPECT_EQ(file_bytes(path), "[s]\r\nk=old\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "no temporary file left";
}

TEST_F(IniFileTest, UnwritablePlacesFailQuietly) {
    EXPECT_FALSE(write_profile_string(folder.path() / "no" / "such" / "folder.ini", "s", "k", "v"));
    std::filesystem::create_directory(folder.path() / "dir.ini");
    EXPECT_FALSE(write_profile_string(folder.path() / "dir.ini", "s", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "dir.ini"));
}

TEST_F(IniFileTest, DamagedFilesNeverCrash) {
    std::mt19937 random(7);
    std::string garbage(200'000, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    write_bytes(path, garbage);
    IniFile ini = IniFile::load(path);
    (void)ini.value("s", "k");
    ini.set("s", "k", "v");
    EXPECT_EQ(ini.value("s", "k"), "v");

    static const char damaged[] = "[s]\r\nk=before\0after\r\n[\xB0\r\n=\r\n[]\r\n\xFF\xFE=\x81\r\n";
    write_bytes(path, std::string(damaged, sizeof damaged - 1));
    EXPECT_EQ(read_profile_string(path, "s", "k"), "before");
}

TEST_F(IniFileTest, AFiftyMegabyteFileIsReadInAMoment) {
    std::string big = "[s]\r\n";
    const std::string line = "key=" + std::string(90, 'v') + "\r\n";
    while (big.size() < 50'000'000) big += line;
    big += "last=found\r\n";
    write_bytes(path, big);
    EXPECT_EQ(read_profile_string(path, "S", "LAST"), "found");
}

TEST_F(IniFileTest, RepeatedByteOrderMarksDoNotHideTheFirstSection) {
    const Text edit = from_utf8("编辑框");
    write_bytes(path, "\xEF\xBB\xBF\xEF\xBB\xBF[" + edit + "]\r\nk=old\r\n");
    ASSERT_TRUE(write_profile_string(path, edit, "k", "new"));
    EXPECT_EQ(read_profile_string(path, edit, "k"), "new");
    EXPECT_EQ(file_bytes(path), "[" + edit + "]\r\nk=new\r\n");
}

TEST_F(IniFileTest, ReadOnlyFilesAreLeftAsTheyAreAndTheFailureIsReported) {
    const std::string old = "[s]\r\nk=old\r\n";
    write_bytes(path, old);
    ::chmod(path.c_str(), 0444);  // read-only even to root, as the read-only attribute is
    EXPECT_FALSE(write_profile_string(path, "s", "k", "new"));

    StoreWindow window;
    window.recorded.folder = folder.path();
    window.contents[name::slot_name_2] = "x";
    save_edit_boxes(window, path, {});
    store_at_close(window);  // slot names, then the selection
    EXPECT_EQ(window.recorded.problems, std::vector<Text>(3, from_utf8(path.string()) + ": read-only file"));
    EXPECT_TRUE(window.writes.empty());
    EXPECT_EQ(file_bytes(path), old);
    EXPECT_EQ(mode_of(path), 0444);
    EXPECT_EQ(names_in(folder.path()), std::set<std::string>{"config.ini"});

    window.recorded.folder.clear();  // settings not kept: nothing saved, nothing to report
    window.recorded.problems.clear();
    store_at_close(window);
    EXPECT_TRUE(window.recorded.problems.empty());
}

TEST_F(IniFileTest, ReplacingKeepsPermissionsAndSymbolicLinks) {
    // config.ini -> profiles/link.ini -> ../data/real.ini: each relative to its own folder.
    std::filesystem::create_directories(folder.path() / "profiles");
    std::filesystem::create_directories(folder.path() / "data");
    const std::filesystem::path real = folder.path() / "data" / "real.ini";
    write_bytes(real, "[s]\r\nk=old\r\nother=kept\r\n");
    ::chmod(real.c_str(), 0600);
    std::filesystem::create_symlink("profiles/link.ini", path);
    std::filesystem::create_symlink("../data/real.ini", folder.path() / "profiles" / "link.ini");
    ASSERT_TRUE(write_profile_string(path, "s", "k", "new"));
    EXPECT_EQ(std::filesystem::read_symlink(path), "profiles/link.ini");
    EXPECT_EQ(std::filesystem::read_symlink(folder.path() / "profiles" / "link.ini"), "../data/real.ini");
    EXPECT_EQ(file_bytes(real), "[s]\r\nk=new\r\nother=kept\r\n");
    EXPECT_EQ(mode_of(real), 0600);
    EXPECT_EQ(names_in(folder.path() / "data"), std::set<std::string>{"real.ini"});

    // A dangling link gets its file.
    std::filesystem::create_symlink("data/made.ini", folder.path() / "new.ini");
    ASSERT_TRUE(write_profile_string(folder.path() / "new.ini", "s", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "new.ini"));
    EXPECT_EQ(file_bytes(folder.path() / "data" / "made.ini"), "[s]\r\nk=v\r\n");
}

// In a folder others may write, a link planted where the save puts its temporary file
// must not turn the save into a write to another file.
TEST_F(IniFileTest, PlantedLinksAndFilesAtTemporaryNamesAreLeftAlone) {
    const std::filesystem::path victim = folder.path() / "victim";
    write_bytes(victim, "precious");
    ::chmod(victim.c_str(), 0600);
    write_bytes(path, "[s]\r\nk=old\r\n");
    // The name the temporary file had when it was the process number.
    const std::string guessed = "config.ini.tmp-" + std::to_string(::getpid());
    std::filesystem::create_symlink(victim, folder.path() / guessed);
    ASSERT_TRUE(write_profile_string(path, "s", "k", "new"));
    EXPECT_EQ(read_profile_string(path, "s", "k"), "new");
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_EQ(names_in(folder.path()), (std::set<std::string>{"config.ini", guessed, "victim"}));

    // Whatever names come up, a taken one is passed over; when all are taken, nothing is made.
    const std::string base = path.string() + ".tmp-";
    std::filesystem::create_symlink(victim, base + "link");
    std::filesystem::create_symlink(folder.path() / "nowhere", base + "dangling");
    write_bytes(base + "file", "planted");
    const std::vector<std::string> names = {"link", "dangling", "file", "free"};
    size_t next = 0;
    std::filesystem::path created;
    const int fd = create_file_beside(path, 0600, created, [&] { return names.at(next++); });
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(created, base + "free");
    next = 0;
    EXPECT_EQ(create_file_beside(path, 0600, created, [&] { return names.at(next++ % 3); }), -1);
    EXPECT_EQ(errno, EEXIST);

    EXPECT_EQ(file_bytes(victim), "precious");
    EXPECT_EQ(mode_of(victim), 0600);
    EXPECT_EQ(file_bytes(base + "file"), "planted");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "nowhere"));
}

TEST_F(IniFileTest, AReadOnlyFolderTakesWritesOnlyToFilesAlreadyThere) {
    const std::filesystem::path settings = folder.path() / "settings";
    std::filesystem::create_directory(settings);
    write_bytes(settings / "config.ini", "[s]\r\nk=a long old value\r\n");
    ::chmod(settings.c_str(), 0555);
    // In a folder that takes files: a write bit, but not the owner's.
    const std::filesystem::path locked = folder.path() / "locked.ini";
    write_bytes(locked, "[s]\r\nk=old\r\n");
    ::chmod(locked.c_str(), 0420);
    ::chmod(folder.path().c_str(), 0755);

    const int failed = as_ordinary_user(folder.path(), [&] {
        if (!write_profile_string(settings / "config.ini", "s", "k", "new")) return 1;  // in place
        if (write_profile_string(settings / "created.ini", "s", "k", "v")) return 2;
        return write_profile_string(locked, "s", "k", "new") ? 3 : 0;
    });
    ::chmod(settings.c_str(), 0755);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(file_bytes(settings / "config.ini"), "[s]\r\nk=new\r\n");
    EXPECT_EQ(names_in(settings), std::set<std::string>{"config.ini"});
    EXPECT_EQ(file_bytes(locked), "[s]\r\nk=old\r\n");
}

TEST(ControlStoreTest, AFortyThousandCharacterListRoundTrips) {
    TempFolder folder;
    const Text characters = from_utf8("长标题震撼惊呆了说");
    Text list;
    for (size_t i = 0; i < 40'000; ++i) {
        list.append(characters, i % 9 * 2, 2);
        if (i % 50 == 49) list += "\r\n\"";
    }
    StoreWindow saving, loading;
    saving.contents[name::prefix_box] = list;
    save_edit_boxes(saving, folder.path() / "config.ini", {});
    loading.contents[name::prefix_box] = "";
    load_edit_boxes(loading, folder.path() / "config.ini");
    EXPECT_TRUE(saving.recorded.problems.empty());
    EXPECT_TRUE(loading.contents[name::prefix_box] == list) << "the list comes back whole";
}

}  // namespace
}  // namespace qinghe
