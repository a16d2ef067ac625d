#include "core/engine/installed_models.h"

#include "core/vocabulary/plan.h"
#include "core/vocabulary/upscale_error.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>

using namespace clarivex;

namespace {

constexpr const char* photo = "realesrgan-x4plus";
constexpr const char* art = "realesrgan-x4plus-anime";
constexpr const char* fast = "realesr-animevideov3";

} // namespace

TEST(InstalledModels, AutoFallsBackToTheBestInstalledModelAndChoicesFailClearly) {
    struct Case {
        std::vector<std::string> missing;
        ModelChoice choice;
        MediaKind kind;
        // Empty: the pick fails.
        std::string model;
        std::optional<std::string> insteadOf;
    };
    const std::vector<Case> cases{
        {{}, ModelChoice::automatic, MediaKind::image, photo, std::nullopt},
        {{}, ModelChoice::automatic, MediaKind::video, fast, std::nullopt},
        {{fast}, ModelChoice::automatic, MediaKind::video, photo, fast},
        {{fast, photo}, ModelChoice::automatic, MediaKind::video, art, fast},
        {{photo}, ModelChoice::automatic, MediaKind::image, art, photo},
        {{photo, art}, ModelChoice::automatic, MediaKind::image, fast, photo},
        {{photo, art, fast}, ModelChoice::automatic, MediaKind::image, "", std::nullopt},
        {{fast}, ModelChoice::video, MediaKind::video, "", std::nullopt},
        {{art}, ModelChoice::art, MediaKind::image, "", std::nullopt},
        {{fast}, ModelChoice::photo, MediaKind::video, photo, std::nullopt},
    };
    for (const Case& c : cases) {
        const test::TestEngine engine;
        for (const auto& model : c.missing)
            engine.removeModel(model);
        const InstalledModels installed = InstalledModels::in(engine.models());
        SCOPED_TRACE(std::string(rawValue(c.choice)) + " without " +
                     std::to_string(c.missing.size()));
        EXPECT_EQ(installed.offers(c.choice), !c.model.empty());
        if (c.model.empty()) {
            try {
                installed.pick(c.choice, c.kind);
                ADD_FAILURE() << "no failure";
            } catch (const UpscaleError& error) {
                // The model, the place and what is missing there.
                EXPECT_EQ(error.kind(), UpscaleError::Case::missingModel);
                EXPECT_EQ(error.folder(), engine.models());
                EXPECT_FALSE(error.files().empty());
            }
            continue;
        }
        const ModelPick pick = installed.pick(c.choice, c.kind);
        EXPECT_EQ(pick.model.name, c.model);
        EXPECT_EQ(pick.insteadOf, c.insteadOf);
    }
}

TEST(InstalledModels, OnlyTheScalesWhoseFilesAreThereArePlanned) {
    const test::TestEngine engine;
    std::filesystem::remove(engine.models() / "realesr-animevideov3-x2.bin");
    std::filesystem::remove(engine.models() / "realesr-animevideov3-x3.param");
    const InstalledModels installed = InstalledModels::in(engine.models());
    const ModelPick pick = installed.pick(ModelChoice::video, MediaKind::video);
    EXPECT_EQ(pick.model.scales, std::vector<int>{4});
    // A ×2 target runs the network at ×4 and resamples, rather than load missing files.
    const Plan plan = Plan::make({640, 360}, Target::x2, pick, MediaKind::video);
    EXPECT_EQ(plan.esrganScale, 4);
    EXPECT_EQ(plan.output, (Size{1280, 720}));
    EXPECT_FALSE(InstalledModels::in(engine.folder() / "nowhere").offers(ModelChoice::automatic));
}
