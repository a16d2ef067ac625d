#include "app/queue/settings.h"

#include "app/queue/options_model.h"
#include "support/temporary_folder.h"

#include <QSettings>

#include <gtest/gtest.h>

using namespace clarivex;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    std::unique_ptr<QSettings> settings() const {
        return std::make_unique<QSettings>(
            QString::fromStdString((folder / "settings.ini").string()), QSettings::IniFormat);
    }

    test::TemporaryFolder folder{"clarivex-settings"};
};

} // namespace

TEST_F(SettingsTest, UnusableValuesFallBackOneByOne) {
    struct Case {
        const char* key;
        QVariant stored;
        Options expected;
    };
    const auto with = [](auto change) {
        Options options;
        change(options);
        return options;
    };
    const Case cases[] = {
        {"model", "Auto", {}},
        {"model", "video", with([](Options& o) { o.model = ModelChoice::video; })},
        {"target", "4k", {}},
        {"seamlessLoop", "yes", {}},
        {"loopFade", "nan", {}},
        // What the stepper shows is what a loop gets: pinned to 0.5–3.0 in half seconds.
        {"loopFade", -7, with([](Options& o) { o.loopFade = 0.5; })},
        {"loopFade", "1e300", with([](Options& o) { o.loopFade = 3.0; })},
        {"loopFade", 2.25, with([](Options& o) { o.loopFade = 2.5; })},
        {"copyToPictures", "abc", {}},
    };
    for (const auto& [key, stored, expected] : cases) {
        std::filesystem::remove(folder / "settings.ini");
        settings()->setValue(key, stored);
        EXPECT_EQ(Settings::read(*settings()), expected)
            << key << " = " << stored.toString().toStdString();
    }
    std::filesystem::remove(folder / "settings.ini");
    EXPECT_EQ(Settings::read(*settings()), Options{});
}

TEST_F(SettingsTest, EveryAssignmentIsSaved) {
    const OptionsModel::SettingsStore store = [this] { return settings(); };
    const Options chosen{ModelChoice::art, Target::fullHD, true, 2.5, false};
    {
        OptionsModel model(store);
        model.setModel(chosen.model);
        model.setTarget(chosen.target);
        model.setSeamlessLoop(chosen.seamlessLoop);
        model.setLoopFade(chosen.loopFade);
        model.setCopyToPictures(chosen.copyToPictures);
    }
    EXPECT_EQ(OptionsModel(store).options(), chosen);
}
