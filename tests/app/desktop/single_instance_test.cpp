// One copy per settings folder: the lock, the hand-over to the running copy, and starts
// after a copy that crashed.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <csignal>
#include <fstream>
#include <thread>

#include "app/desktop/single_instance.h"
#include "tests/support/temp_folder.h"

namespace qinghe {
namespace {

using namespace std::chrono_literals;
using Role = SingleInstance::Role;

class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override {
        saved_runtime_ = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
        setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    }
    void TearDown() override { setenv("XDG_RUNTIME_DIR", saved_runtime_.c_str(), 1); }

    // Claims in a second thread while this one runs the first copy's events.
    Role claim_beside(const std::filesystem::path& folder, const QString& token, std::chrono::milliseconds patience) {
        std::atomic<bool> done = false;
        Role role = Role::First;
        std::thread second([&] {
            SingleInstance instance(folder);
            role = instance.claim(token, patience);
            done = true;
        });
        while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        second.join();
        return role;
    }

    TempFolder runtime;
    TempFolder settings;

private:
    std::string saved_runtime_;
};

TEST_F(SingleInstanceTest, NamesFollowTheSettingsFolder) {
    TempFolder other;
    const std::filesystem::path link = other.path() / "link";
    std::filesystem::create_directory_symlink(settings.path(), link);
    const std::filesystem::path base = instance_base(settings.path());
    EXPECT_EQ(base.parent_path(), runtime.path());
    EXPECT_TRUE(base.filename().string().starts_with("qinghe-" + std::to_string(getuid()) + "-"));
    EXPECT_EQ(instance_base(link), base) << "the same folder by another name";
    EXPECT_NE(instance_base(other.path()), base);
}

TEST_F(SingleInstanceTest, RuntimeFolderTooLongForASocketIsNotUsed) {
    const std::string deep = runtime.path().string() + "/" + std::string(120, 'd');
    setenv("XDG_RUNTIME_DIR", deep.c_str(), 1);
    const std::filesystem::path base = instance_base(settings.path());
    EXPECT_NE(base.parent_path(), deep);
    EXPECT_LT(base.native().size() + 7, 108u);
}

TEST_F(SingleInstanceTest, SecondStartHandsOverWithItsToken) {
    SingleInstance first(settings.path());
    ASSERT_EQ(first.claim({}), Role::First);
    QStringList tokens;
    first.listen_for_requests([&tokens](const QString& token) { tokens << token; });
    EXPECT_EQ(claim_beside(settings.path(), QStringLiteral("launch-1"), 3s), Role::HandedOver);
    EXPECT_EQ(claim_beside(settings.path(), {}, 3s), Role::HandedOver);
    EXPECT_EQ(tokens, QStringList({QStringLiteral("launch-1"), QString()}));
}

TEST_F(SingleInstanceTest, OtherSettingsFolderRunsBeside) {
    TempFolder other;
    SingleInstance first(settings.path());
    ASSERT_EQ(first.claim({}), Role::First);
    SingleInstance second(other.path());
    EXPECT_EQ(second.claim({}), Role::First);
}

TEST_F(SingleInstanceTest, SilentRunningCopyIsReported) {
    SingleInstance first(settings.path());
    ASSERT_EQ(first.claim({}), Role::First);  // never serves its socket
    SingleInstance second(settings.path());
    EXPECT_EQ(second.claim({}, 300ms), Role::Unanswered);
}

TEST_F(SingleInstanceTest, EndedCopyFreesTheLock) {
    {
        SingleInstance first(settings.path());
        ASSERT_EQ(first.claim({}), Role::First);
    }
    SingleInstance next(settings.path());
    EXPECT_EQ(next.claim({}, 300ms), Role::First);
}

TEST_F(SingleInstanceTest, CrashedCopyNeverPreventsAStart) {
    const pid_t child = fork();
    if (child == 0) {
        SingleInstance crashed(settings.path());
        crashed.claim({});
        raise(SIGKILL);  // leaves its lock file and socket behind
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::filesystem::path base = instance_base(settings.path());
    ASSERT_TRUE(std::filesystem::exists(base.native() + ".socket"));

    SingleInstance next(settings.path());
    ASSERT_EQ(next.claim({}, 300ms), Role::First);
    next.listen_for_requests([](const QString&) {});
    EXPECT_EQ(claim_beside(settings.path(), {}, 3s), Role::HandedOver) << "the stale socket was replaced";
}

}  // namespace
}  // namespace qinghe
