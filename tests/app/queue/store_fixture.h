#pragma once

#include "app/queue/recording_desktop_services.h"
#include "app/queue/store.h"
#include "support/scoped_environment_variable.h"
#include "support/temporary_folder.h"
#include "support/test_engine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace clarivex::test {

// A store on the stand-in engine, with its settings, home and temporary folder in a private
// folder and a recording desktop.
class StoreFixture : public ::testing::Test {
protected:
    StoreFixture();
    ~StoreFixture() override;

    // Made on first use, so that a test may change the environment first.
    Store& store();
    Store::Environment environment();

    // A small picture of `width` × `height` at `name` inside the private folder.
    std::filesystem::path photo(const std::string& name, int width = 32, int height = 24);
    // Runs the event loop until `done` holds; a hang fails the test after a generous while.
    void waitUntil(const std::function<bool()>& done);
    std::filesystem::path temporary() const { return folder / "tmp"; }

    TemporaryFolder folder{"clarivex-store"};
    TestEngine engine;
    std::shared_ptr<RecordingDesktopServices> desktop =
        std::make_shared<RecordingDesktopServices>();
    bool toolsMissing = false;
    int picturesKept = 4;

private:
    ScopedEnvironmentVariable tmpdir_;
    ScopedEnvironmentVariable home_;
    std::unique_ptr<Store> store_;
};

} // namespace clarivex::test
