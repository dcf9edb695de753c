#include "platform/file.h"
#include "platform/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

// Sets or unsets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Folders, ConfigFolderFollowsTheEnvironment) {
    ScopedEnv home("HOME", "/home/tester");
    {
        ScopedEnv own("VORPEL_CONFIG_HOME", "/tmp/scratch/cfg/");
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
        EXPECT_EQ(ConfigFolder(), L"/tmp/scratch/cfg");
    }
    {
        ScopedEnv own("VORPEL_CONFIG_HOME", nullptr);
        ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
        EXPECT_EQ(ConfigFolder(), L"/xdg/vorpel");
    }
    {
        ScopedEnv own("VORPEL_CONFIG_HOME", "");
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/not/used");
        EXPECT_EQ(ConfigFolder(), L"/home/tester/.config/vorpel");
    }
}

TEST(Folders, AllAreFullPathsWithoutTrailingSlash) {
    for (const std::wstring& folder : {DocumentsFolder(), ConfigFolder(), TempFolder()}) {
        EXPECT_TRUE(IsFullPath(folder)) << folder.c_str();
        EXPECT_EQ(folder.find(L'\\'), std::wstring::npos);
        EXPECT_TRUE(folder.size() == 1 || folder.back() != L'/');
    }
    ScopedEnv tmp("TMPDIR", "/var/tmp/");
    EXPECT_EQ(TempFolder(), L"/var/tmp");
}

TEST(Folders, CanonicalPathsResolveLinksAndDots) {
    std::string dir = "/tmp/vorpel-canonical-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::wstring root = CanonicalPath(PathFromNative(dir));
    ASSERT_FALSE(root.empty());
    ASSERT_TRUE(CreateDirectories(root + L"/a/b"));
    ASSERT_EQ(symlink((dir + "/a").c_str(), (dir + "/a/b/up").c_str()), 0);
    // A link back up names the folder it leads to; dots and slashes go.
    EXPECT_EQ(CanonicalPath(root + L"/a/b/up/"), root + L"/a");
    EXPECT_EQ(CanonicalPath(root + L"/a/b/../b//./"), root + L"/a/b");
    EXPECT_EQ(CanonicalPath(root + L"/missing"), L"");
    EXPECT_EQ(CanonicalPath(L""), L"");
    std::string cmd = "rm -rf '" + dir + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
}

} // namespace
