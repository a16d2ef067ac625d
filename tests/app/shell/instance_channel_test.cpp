// Two instances in one test process: one listens, the other hands over, as two starts of the
// program would.
#include "app/shell/instance_channel.h"

#include "app/shell/open_request.h"
#include "support/temporary_folder.h"

#include <QLocalSocket>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace clarivex;

namespace {

class InstanceChannelTest : public ::testing::Test {
protected:
    QString socketPath() const { return QString::fromStdString((folder / "socket").string()); }

    // Sends raw bytes, as another program might, and closes.
    void sendRaw(const QByteArray& bytes) const {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        ASSERT_TRUE(socket.waitForConnected(1000));
        socket.write(bytes);
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
    }

    test::TemporaryFolder folder{"clarivex-channel"};
};

TEST_F(InstanceChannelTest, ASecondStartHandsItsFilesToTheFirst) {
    InstanceChannel first(socketPath());
    ASSERT_TRUE(first.listen());
    QSignalSpy requests(&first, &InstanceChannel::filesRequested);

    InstanceChannel second(socketPath());
    const QStringList files{u"/home/u/a.jpg"_qs, u"/home/u/видео.mp4"_qs};
    ASSERT_TRUE(second.handOver(files));
    ASSERT_TRUE(requests.wait(5000));
    EXPECT_EQ(requests.takeFirst().at(0).toStringList(), files);

    // With no files the first instance is still asked to come to the front.
    ASSERT_TRUE(second.handOver({}));
    ASSERT_TRUE(requests.wait(5000));
    EXPECT_TRUE(requests.takeFirst().at(0).toStringList().isEmpty());
    // Only the first holds the socket.
    EXPECT_FALSE(second.listen());
}

TEST_F(InstanceChannelTest, MessagesThatAreNoFileListsAreIgnored) {
    InstanceChannel first(socketPath());
    ASSERT_TRUE(first.listen());
    QSignalSpy requests(&first, &InstanceChannel::filesRequested);

    sendRaw("rm -rf /\n");
    sendRaw(OpenRequest::encode({u"relative.jpg"_qs}));
    // A good message after the bad ones still arrives, and is the only one.
    sendRaw(OpenRequest::encode({u"/ok.jpg"_qs}));
    ASSERT_TRUE(requests.wait(5000));
    EXPECT_FALSE(requests.wait(300));
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.at(0).at(0).toStringList(), QStringList{u"/ok.jpg"_qs});
}

TEST_F(InstanceChannelTest, TheSocketIsTheUsersAlone) {
    InstanceChannel first(socketPath());
    ASSERT_TRUE(first.listen());
    struct stat status {};
    ASSERT_EQ(::stat(socketPath().toLocal8Bit().constData(), &status), 0);
    EXPECT_EQ(status.st_uid, getuid());
    EXPECT_EQ(status.st_mode & 077, 0u) << std::oct << status.st_mode;

    const QString perUser = InstanceChannel::socketPathForUser();
    EXPECT_TRUE(perUser.endsWith(QStringLiteral("/clarivex-%1.socket").arg(getuid())));
}

TEST_F(InstanceChannelTest, AnotherUsersProcessCannotAddFiles) {
    // Only root can act as another user. The folder and the socket are opened to everyone, as
    // if someone had loosened them, so that what is left to keep the intruder out is the check
    // of the peer's credentials.
    if (getuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    InstanceChannel first(socketPath());
    ASSERT_TRUE(first.listen());
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
    ASSERT_EQ(::chmod(socketPath().toLocal8Bit().constData(), 0777), 0);
    QSignalSpy requests(&first, &InstanceChannel::filesRequested);

    const QByteArray path = socketPath().toLocal8Bit();
    const QByteArray message = OpenRequest::encode({u"/intruder.jpg"_qs});
    const pid_t intruder = fork();
    ASSERT_GE(intruder, 0);
    if (intruder == 0) {
        // Only async-signal-safe calls in the child of a threaded process.
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        const int connection = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        if (::connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            _exit(3);
        const bool written =
            ::write(connection, message.constData(), size_t(message.size())) == message.size();
        ::close(connection);
        _exit(written ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(intruder, &status, 0), intruder);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the intruder could not send";

    // The owner's own message after it is the only one that arrives.
    ASSERT_TRUE(InstanceChannel(socketPath()).handOver({u"/owner.jpg"_qs}));
    ASSERT_TRUE(requests.wait(5000));
    EXPECT_FALSE(requests.wait(300));
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.at(0).at(0).toStringList(), QStringList{u"/owner.jpg"_qs});
}

TEST_F(InstanceChannelTest, ASocketLeftByACrashDoesNotBlockTheNextStart) {
    // A bound socket whose process is gone: the file stays, nobody answers.
    const int leftover = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = socketPath().toLocal8Bit();
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(leftover, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(leftover);

    InstanceChannel next(socketPath());
    EXPECT_FALSE(next.handOver({u"/a.jpg"_qs}));
    ASSERT_TRUE(next.listen());
    QSignalSpy requests(&next, &InstanceChannel::filesRequested);
    ASSERT_TRUE(InstanceChannel(socketPath()).handOver({u"/a.jpg"_qs}));
    EXPECT_TRUE(requests.wait(5000));
}

} // namespace
