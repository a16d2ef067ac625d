#pragma once

#include "app/queue/store.h"
#include "support/recording_desktop_services.h"
#include "support/scripted_decoder.h"
#include "support/scripted_pipeline.h"
#include "support/settle.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace clarivex::test {

// A store whose pipeline and decoder are scripted, with its settings in a private folder and a
// desktop that only records.
class QueueFixture : public ::testing::Test {
protected:
    ~QueueFixture() override;

    // Made on first use, so that a test may change the environment first.
    Store& store();
    JobQueue& queue() { return store().queue(); }
    Store::Environment environment();

    // An empty file `name` in the private folder, for the queue to take.
    std::filesystem::path file(const std::string& name) const;
    static bool settle(const std::function<bool()>& done) { return test::settle(done); }
    // Deletes what was deleted later.
    static void flushDeletions();
    // The queue's file names, in order.
    std::vector<std::string> names();

    TemporaryFolder folder{"clarivex-queue"};
    ScriptedPipeline script;
    ScriptedDecoder decoder;
    std::shared_ptr<RecordingDesktopServices> desktop =
        std::make_shared<RecordingDesktopServices>();
    bool toolsMissing = false;
    int picturesKept = 4;

private:
    std::unique_ptr<Store> store_;
};

} // namespace clarivex::test
