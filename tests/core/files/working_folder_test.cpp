#include "core/files/working_folder.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace clarivex;

// Only the folders of runs that are gone go: a run killed outright leaves its folder with a lock
// file that no one holds; a live run holds its lock, and a folder still being set up has none.
TEST(WorkingFolder, RemovesTheFoldersOfRunsThatAreGoneOnly) {
    const test::TemporaryFolder temporary("clarivex-tmp");
    const test::ScopedEnvironmentVariable tmpdir("TMPDIR", temporary.path().string());
    const auto named = [&](const std::string& name) { return temporary / name; };
    const auto dead = named("Clarivex-" + upperCaseUuid());
    const auto settingUp = named("Clarivex-" + upperCaseUuid());
    const auto notOurs = named("Clarivex-notes");
    const auto link = named("Clarivex-" + upperCaseUuid());
    for (const auto& folder : {dead, settingUp, notOurs}) {
        std::filesystem::create_directory(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    }
    std::ofstream(dead / "lock");
    std::ofstream(dead / "000001.png") << "x";
    std::ofstream(notOurs / "lock");
    std::filesystem::create_directory_symlink(dead, link);
    {
        const WorkingFolder live;
        WorkingFolder::removeAbandoned();
        EXPECT_TRUE(std::filesystem::exists(live.path()));
        EXPECT_FALSE(std::filesystem::exists(dead));
        EXPECT_TRUE(std::filesystem::exists(settingUp));
        EXPECT_TRUE(std::filesystem::exists(notOurs));
        EXPECT_TRUE(std::filesystem::is_symlink(link));
    }
}
