#include <gtest/gtest.h>

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "app/control/SingleInstance.h"

namespace brevanor {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    QString name() const { return folder.filePath(QStringLiteral("brevanor.socket")); }
    QTemporaryDir folder;
};

// The first launch finds only the socket file a crashed instance left, and takes it over.
TEST_F(SingleInstanceTest, ASecondLaunchHandsItsFilesOrItsActionToTheFirstAndEnds) {
    {
        QFile stale(name());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance running(name());
    SingleInstance second(name());
    EXPECT_FALSE(running.forwardToRunningInstance({})) << "nobody is running yet";
    ASSERT_TRUE(running.listen());

    QSignalSpy activated(&running, &SingleInstance::activated);
    QSignalSpy actions(&running, &SingleInstance::actionRequested);
    const QStringList files{QStringLiteral("/home/user/a.macro"), QStringLiteral("/tmp/b,\n\"c\".json")};
    EXPECT_TRUE(second.forwardToRunningInstance(files));
    ASSERT_TRUE(activated.wait(10'000));
    EXPECT_EQ(activated.at(0).at(0).toStringList(), files);

    EXPECT_TRUE(second.forwardToRunningInstance({}));
    ASSERT_TRUE(activated.wait(10'000));
    EXPECT_TRUE(activated.at(1).at(0).toStringList().isEmpty()) << "a plain second launch asks for the library";

    // A launch with an action hands over the action, not a request for the library.
    EXPECT_TRUE(second.forwardActionToRunningInstance(QStringLiteral("playLast")));
    ASSERT_TRUE(actions.wait(10'000));
    EXPECT_EQ(actions.at(0).at(0).toString(), QStringLiteral("playLast"));
    EXPECT_EQ(activated.count(), 2);
}

TEST_F(SingleInstanceTest, AMalformedOrOversizedMessageOpensNoFiles) {
    SingleInstance running(name());
    ASSERT_TRUE(running.listen());
    QSignalSpy activated(&running, &SingleInstance::activated);

    QLocalSocket garbage;
    garbage.connectToServer(name());
    ASSERT_TRUE(garbage.waitForConnected(10'000));
    garbage.write("{\"files\": [1, \"/ok.macro\", {}]");
    garbage.disconnectFromServer();
    ASSERT_TRUE(activated.wait(10'000));
    EXPECT_TRUE(activated.at(0).at(0).toStringList().isEmpty());

    QLocalSocket huge;
    huge.connectToServer(name());
    ASSERT_TRUE(huge.waitForConnected(10'000));
    huge.write(QByteArray(SingleInstance::maxMessageBytes + 10, 'x'));
    huge.waitForBytesWritten(10'000);
    huge.disconnectFromServer();
    EXPECT_FALSE(activated.wait(500)) << "dropped without an activation";
}

}  // namespace
}  // namespace brevanor
