#include "app/shell/single_instance.h"

#include "app/shell/instance_channel.h"
#include "core/files/private_files.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <unistd.h>

namespace fs = std::filesystem;

namespace clarivex {

namespace {

std::string userNumber() {
    return std::to_string(::getuid());
}

fs::path socketIn(const fs::path& place) {
    return place / ("clarivex-" + userNumber() + ".socket");
}

fs::path lockIn(const fs::path& place) {
    return place / ("clarivex-" + userNumber() + ".lock");
}

// An environment variable that names an absolute path, or nothing.
std::optional<fs::path> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt;
    return fs::path(value);
}

// The reason a place cannot be used, or nothing when it is a private folder now.
std::optional<std::string> prepare(const fs::path& place) {
    std::error_code ignored;
    fs::create_directories(place.parent_path(), ignored);
    const std::error_code error = PrivateFiles::ensureFolder(place);
    if (!error)
        return std::nullopt;
    if (error == std::errc::operation_not_permitted)
        return "папка " + place.string() + " чужая или открыта другим пользователям";
    return "не удалось создать папку " + place.string() + ": " + error.message();
}

} // namespace

SingleInstance::SingleInstance(std::vector<fs::path> places)
    : places_(std::move(places)) {}

SingleInstance::~SingleInstance() = default;

std::vector<fs::path> SingleInstance::placesForUser() {
    std::vector<fs::path> places;
    if (const auto runtime = absoluteVariable("XDG_RUNTIME_DIR"))
        places.push_back(*runtime);
    std::error_code error;
    const fs::path temporary = fs::temp_directory_path(error);
    if (!error)
        places.push_back(temporary / ("clarivex-" + userNumber()));
    if (const auto cache = absoluteVariable("XDG_CACHE_HOME"))
        places.push_back(*cache / "clarivex");
    else if (const auto home = absoluteVariable("HOME"))
        places.push_back(*home / ".cache" / "clarivex");
    return places;
}

SingleInstance::Role SingleInstance::start(const OpenRequest::Paths& files) {
    openLock();
    if (!lock_) {
        if (problems_.empty())
            note("нет личной папки для сокета");
        say("одно окно на пользователя не сохранить, файлы откроются в новом окне");
        return Role::alone;
    }
    using Kind = InstanceLock::State::Kind;
    std::chrono::milliseconds pause(10);
    for (;;) {
        if (lock_->tryAcquire()) {
            holdsLock_ = true;
            return Role::first;
        }
        const InstanceLock::State state = lock_->read();
        if (state.kind == Kind::starting) {
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::milliseconds(200));
            continue;
        }
        if (state.kind == Kind::alone)
            return Role::alone;
        if (state.kind == Kind::listening) {
            const InstanceChannel::Answer answer = InstanceChannel::send(state.socket, files);
            if (answer == InstanceChannel::Answer::acknowledged)
                return Role::handedOver;
            if (answer == InstanceChannel::Answer::stranger) {
                note("сокет " + state.socket.string() + " открыт чужим процессом");
                say("файлы ему не переданы и откроются в новом окне");
                return Role::alone;
            }
        }
        // Quitting, or it would not take the files: they are opened here once it has gone.
        if (!lock_->acquire()) {
            say("одно окно на пользователя не сохранить, файлы откроются в новом окне");
            return Role::alone;
        }
        holdsLock_ = true;
        return Role::first;
    }
}

void SingleInstance::listen(InstanceChannel& channel) {
    if (!holdsLock_)
        return;
    for (std::size_t index = lockPlace_; index < places_.size(); ++index) {
        if (index != lockPlace_) {
            if (auto problem = prepare(places_[index])) {
                note(std::move(*problem));
                continue;
            }
        }
        const fs::path socket = socketIn(places_[index]);
        if (auto problem = channel.listen(socket)) {
            note(std::move(*problem));
            continue;
        }
        lock_->announce({InstanceLock::State::Kind::listening, socket});
        say("следующие запуски передают файлы через " + socket.string());
        return;
    }
    lock_->announce({InstanceLock::State::Kind::alone, {}});
    say("следующие запуски откроют свои окна");
}

void SingleInstance::quitting(InstanceChannel& channel) {
    if (holdsLock_)
        lock_->announce({InstanceLock::State::Kind::quitting, {}});
    channel.stopAccepting();
}

void SingleInstance::openLock() {
    for (std::size_t index = 0; index < places_.size(); ++index) {
        if (auto problem = prepare(places_[index])) {
            note(std::move(*problem));
            continue;
        }
        lock_ = InstanceLock::open(lockIn(places_[index]));
        if (lock_) {
            lockPlace_ = index;
            return;
        }
        note("не удалось открыть " + lockIn(places_[index]).string());
    }
}

void SingleInstance::note(std::string problem) {
    problems_.push_back(std::move(problem));
}

void SingleInstance::say(const std::string& outcome) {
    if (problems_.empty())
        return;
    std::string line = "Clarivex:";
    for (const std::string& problem : problems_)
        line += " " + problem + ";";
    line += " " + outcome + "\n";
    std::fputs(line.c_str(), stderr);
    problems_.clear();
}

} // namespace clarivex
