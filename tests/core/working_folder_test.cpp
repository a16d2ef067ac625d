#include "core/working_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>

using namespace clarivex;

TEST(WorkingFolder, UuidIsUpperCaseVersion4AndFresh) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string uuid = upperCaseUuid();
        EXPECT_TRUE(std::regex_match(uuid, form)) << uuid;
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(WorkingFolder, IsCreatedUnderTheTemporaryFolderAndRemovedWithItsContents) {
    std::filesystem::path kept;
    {
        const WorkingFolder work;
        kept = work.path();
        EXPECT_EQ(kept.parent_path(), std::filesystem::temp_directory_path());
        EXPECT_EQ(kept.filename().string().rfind("Clarivex-", 0), 0u);
        std::filesystem::create_directories(kept / "chunk-in-0");
        std::ofstream(kept / "chunk-in-0" / "000001.png") << "x";
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}
