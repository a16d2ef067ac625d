#pragma once

#include "app/shell/instance_lock.h"
#include "app/shell/open_request.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace clarivex {

class InstanceChannel;

// One window per user. The lock file and the socket live in the first of the user's private
// places that can hold them: the runtime folder, then "clarivex-<uid>" in the temporary folder,
// then "clarivex" in the cache folder; a place that someone else owns or others may enter is
// passed over, never used. A start either hands its files to the running instance (and the
// instance answers once they are queued) or becomes that instance; while the instance quits,
// a start waits for it to go and then opens its files itself. Problems with the places are said
// once on standard error. Main thread.
class SingleInstance {
public:
    enum class Role {
        // The files are with the running instance; this start is done.
        handedOver,
        // This process is the instance: it should listen() and open its files.
        first,
        // One window per user cannot be kept (said on standard error): open the files here.
        alone,
    };

    // `places`: the private folders to try, best first.
    explicit SingleInstance(std::vector<std::filesystem::path> places = placesForUser());
    ~SingleInstance();

    // $XDG_RUNTIME_DIR, <temporary folder>/clarivex-<uid>, $XDG_CACHE_HOME/clarivex (or
    // ~/.cache/clarivex); those that are not set are left out.
    static std::vector<std::filesystem::path> placesForUser();

    // Blocks until the files are with the running instance or this process is to be it.
    Role start(const OpenRequest::Paths& files);
    // For the first instance, once its event loop can serve `channel`: listens in the first
    // place where a socket can be made and tells later starts where.
    void listen(InstanceChannel& channel);
    // Quitting has begun: the channel takes nothing more, and later starts wait for this
    // process to end. Any number of times.
    void quitting(InstanceChannel& channel);

private:
    // The lock in the first place that can hold it.
    void openLock();
    void note(std::string problem);
    void say(const std::string& outcome);

    std::vector<std::filesystem::path> places_;
    std::unique_ptr<InstanceLock> lock_;
    std::size_t lockPlace_ = 0;
    bool holdsLock_ = false;
    std::vector<std::string> problems_;
};

} // namespace clarivex
