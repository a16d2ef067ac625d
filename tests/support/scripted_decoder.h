#pragma once

#include "app/queue/picture_loader.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace clarivex::test {

// A decoder that makes no pixels from files: it hands back a picture of the size asked of a
// 3000 × 2000 source, or nothing for a file whose name starts with "unreadable", and writes
// down every request. While held, decodes wait until released or stopped. Thread-safe.
class ScriptedDecoder {
public:
    struct Request {
        std::string file;
        PictureFit fit;
        bool operator==(const Request&) const = default;
    };

    PictureLoader::Decode decode();
    void hold();
    void release();
    std::vector<Request> requests() const;
    // Blocks until `count` requests were made, or a generous while has passed.
    bool waitForRequests(size_t count) const;
    // How many decodes ended because they were stopped.
    int stopped() const;

private:
    mutable std::mutex lock_;
    mutable std::condition_variable_any changed_;
    std::vector<Request> requests_;
    bool held_ = false;
    int stopped_ = 0;
};

} // namespace clarivex::test
