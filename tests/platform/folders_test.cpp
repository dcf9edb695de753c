#include "platform/file.h"
#include "platform/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

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

} // namespace
