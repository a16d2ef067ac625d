// The running instance's side of the channel in this test process, with every second start
// on a thread of its own while this one serves the channel, as two processes would.
#include "app/shell/instance_channel.h"

#include "support/temporary_folder.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <future>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

using namespace clarivex;
using Answer = InstanceChannel::Answer;

namespace {

// Connects to `path`; -1 when nothing listens.
int connectTo(const std::filesystem::path& path, int flags = 0) {
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    if (::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// A listening socket of this process at `path`, not accepting by itself.
int listenAt(const std::filesystem::path& path) {
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(descriptor, 4);
    return descriptor;
}

class InstanceChannelTest : public ::testing::Test {
protected:
    InstanceChannelTest() {
        QObject::connect(&channel, &InstanceChannel::filesRequested,
                         [this](const OpenRequest::Paths& paths) { received.push_back(paths); });
    }

    // Runs `work` on another thread and serves the channel until it is done.
    template <typename Work> static auto whileServing(Work work) {
        QEventLoop loop;
        auto result = std::async(std::launch::async, [&] {
            const auto finished = qScopeGuard(
                [&] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
            return work();
        });
        loop.exec();
        return result.get();
    }

    Answer send(const OpenRequest::Paths& paths, uid_t owner = ::getuid()) {
        return whileServing([&] { return InstanceChannel::send(socket, paths, owner); });
    }

    // Sends raw bytes as another program might, ends its side, and returns the whole answer.
    QByteArray exchange(const QByteArray& bytes) {
        return whileServing([&] {
            const int connection = connectTo(socket);
            ::send(connection, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
            ::shutdown(connection, SHUT_WR);
            QByteArray answer;
            char buffer[64];
            for (ssize_t count; (count = ::recv(connection, buffer, sizeof buffer, 0)) > 0;)
                answer.append(buffer, count);
            ::close(connection);
            return answer;
        });
    }

    test::TemporaryFolder folder{"clarivex-channel"};
    const std::filesystem::path socket = folder / "socket";
    InstanceChannel channel;
    std::vector<OpenRequest::Paths> received;
};

// Whatever is left at the socket's name is replaced: a crashed instance's socket (bound, nobody
// listening), then a link planted there.
TEST_F(InstanceChannelTest, FilesArriveAsTheyAreNamedWhateverWasLeftAtTheSocketsName) {
    ::close(listenAt(socket));
    ASSERT_EQ(channel.listen(socket), std::nullopt);
    struct stat status {};
    ASSERT_EQ(::stat(socket.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 077, 0u) << "the socket is the user's alone";
    const OpenRequest::Paths files{"/home/u/a.jpg", "/home/u/\xff\xfe видео.mp4"};
    EXPECT_EQ(send(files), Answer::acknowledged);
    // With no files the window is still asked to come to the front.
    EXPECT_EQ(send({}), Answer::acknowledged);
    channel.stopAccepting();
    std::filesystem::create_symlink(folder / "elsewhere", socket);
    ASSERT_EQ(channel.listen(socket), std::nullopt);
    EXPECT_EQ(send({"/b.jpg"}), Answer::acknowledged);
    EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere"));
    EXPECT_EQ(received, (std::vector<OpenRequest::Paths>{files, {}, {"/b.jpg"}}));
}

TEST_F(InstanceChannelTest, WhatIsNoRequestIsDroppedUnanswered) {
    ASSERT_EQ(channel.listen(socket), std::nullopt);
    const QByteArray whole = OpenRequest::encode({"/a.jpg"});
    for (const QByteArray& bytes :
         {QByteArray("rm -rf /\n"), OpenRequest::encode({"relative.jpg"}), whole.chopped(1)})
        EXPECT_TRUE(exchange(bytes).isEmpty()) << bytes.toStdString();
    EXPECT_EQ(exchange(whole), OpenRequest::acknowledgement());
    EXPECT_EQ(received, (std::vector<OpenRequest::Paths>{{"/a.jpg"}}));
}

TEST_F(InstanceChannelTest, AListenerOfAnotherUserIsSentNothing) {
    // The listener is this process; the client is told to expect someone else.
    const int listener = listenAt(socket);
    EXPECT_EQ(InstanceChannel::send(socket, {"/home/u/secret.jpg"}, ::getuid() + 1),
              Answer::stranger);
    const int connection = ::accept(listener, nullptr, nullptr);
    ASSERT_GE(connection, 0);
    char byte = 0;
    EXPECT_EQ(::recv(connection, &byte, 1, 0), 0) << "a byte reached the stranger";
    ::close(connection);
    ::close(listener);
}

TEST_F(InstanceChannelTest, AnotherUsersProcessCannotAddFiles) {
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    // A private temporary folder above ours would turn the intruder away before the channel.
    for (auto above = folder.path().parent_path(); above != above.root_path();
         above = above.parent_path()) {
        if ((std::filesystem::status(above).permissions() & std::filesystem::perms::others_exec) ==
            std::filesystem::perms::none)
            GTEST_SKIP() << above << " cannot be entered by another user";
    }
    ASSERT_EQ(channel.listen(socket), std::nullopt);
    // Opened to everyone, as if someone had loosened them: the peer's credentials still hold.
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
    ASSERT_EQ(::chmod(socket.c_str(), 0777), 0);
    const QByteArray message = OpenRequest::encode({"/intruder.jpg"});
    const int status = whileServing([&] {
        const pid_t intruder = ::fork();
        if (intruder == 0) {
            // Only async-signal-safe calls in the child of a threaded process.
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            const int connection = connectTo(socket);
            if (connection < 0)
                ::_exit(3);
            // Refused at once or after the message: either way no answer comes.
            char byte = 0;
            ::send(connection, message.constData(), std::size_t(message.size()), MSG_NOSIGNAL);
            ::_exit(::recv(connection, &byte, 1, 0) <= 0 ? 0 : 4);
        }
        int result = 0;
        ::waitpid(intruder, &result, 0);
        return result;
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the intruder could not connect, or was answered";
    EXPECT_TRUE(received.empty());
}

TEST_F(InstanceChannelTest, AFloodIsBoundedSilentAndDoesNotLockTheUserOut) {
    ASSERT_EQ(channel.listen(socket), std::nullopt);
    static int warnings = 0;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
            warnings += type != QtDebugMsg;
        });
    std::size_t mostConnections = 0;
    qsizetype mostBytes = 0;
    QTimer everyTurn;
    QObject::connect(&everyTurn, &QTimer::timeout, [&] {
        mostConnections = std::max(mostConnections, channel.openConnections());
        mostBytes = std::max(mostBytes, channel.bufferedBytes());
    });
    everyTurn.start(0);
    // A few that push megabytes each, then hundreds that only start; none ever finishes.
    static_assert(4 * 48 * 64 * 1024 > InstanceChannel::maximumBufferedBytes &&
                  304 > InstanceChannel::maximumConnections);
    const std::vector<int> connections = whileServing([&] {
        std::vector<int> opened;
        const QByteArray chunk(64 * 1024, '/');
        for (int index = 0; index < 304; ++index) {
            opened.push_back(connectTo(socket));
            const int chunks = index < 4 ? 48 : 1;
            for (int sent = 0; sent < chunks; ++sent)
                if (::send(opened.back(), chunk.constData(), std::size_t(chunk.size()),
                           MSG_NOSIGNAL | (index < 4 ? 0 : MSG_DONTWAIT)) <= 0)
                    break;
        }
        return opened;
    });
    everyTurn.stop();
    EXPECT_LE(mostConnections, InstanceChannel::maximumConnections);
    EXPECT_LE(mostBytes, InstanceChannel::maximumBufferedBytes);
    for (const int connection : connections)
        ::close(connection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.openConnections() == 0; }, 60000));
    EXPECT_EQ(send({"/after.jpg"}), Answer::acknowledged);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 0);
}

TEST_F(InstanceChannelTest, OnceQuittingBeginsNothingIsTakenOrAnswered) {
    ASSERT_EQ(channel.listen(socket), std::nullopt);
    const int halfway = connectTo(socket);
    const QByteArray message = OpenRequest::encode({"/late.jpg"});
    ::send(halfway, message.constData(), std::size_t(message.size() - 1), MSG_NOSIGNAL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return channel.bufferedBytes() > 0; }, 60000));

    channel.stopAccepting();
    char byte = 0;
    EXPECT_LE(::recv(halfway, &byte, 1, 0), 0) << "a request on its way was answered";
    ::close(halfway);
    EXPECT_FALSE(std::filesystem::exists(socket));
    EXPECT_EQ(send({"/later.jpg"}), Answer::noListener);
    EXPECT_TRUE(received.empty());
}

} // namespace
