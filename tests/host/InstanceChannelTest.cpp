#include "host/os/InstanceChannel.h"
#include "support/PrivateBus.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>

namespace {

using host::ClaimOutcome;
using host::InstancePlace;
using host::SessionInstanceLink;

// A later start runs in a process of its own; here a thread stands in for it, so that this
// thread's event loop can answer as the first copy.
ClaimOutcome ClaimElsewhere(const InstancePlace& place, int timeoutMs = 2000)
{
    ClaimOutcome outcome = ClaimOutcome::First;
    std::unique_ptr<QThread> later(QThread::create([&] {
        SessionInstanceLink link(place);
        outcome = link.Claim(timeoutMs);
    }));
    later->start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return later->isFinished(); }, timeoutMs + 5000));
    later->wait();
    return outcome;
}

class InstanceChannelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    InstancePlace SocketPlace(const QString& key = QStringLiteral("a")) const
    {
        return {{}, {}, folder.filePath(key + QStringLiteral(".lock")), folder.filePath(key + QStringLiteral(".socket"))};
    }

    QTemporaryDir folder;
};

TEST_F(InstanceChannelTest, WithoutBusALaterStartHandsOverThroughTheSocket)
{
    SessionInstanceLink first(SocketPlace());
    QSignalSpy activations(&first, &host::InstanceLink::activationRequested);
    ASSERT_EQ(first.Claim(250), ClaimOutcome::First);
    EXPECT_TRUE(first.IsFirst());
    EXPECT_EQ(first.Channel(), QString());
    first.Listen();
    EXPECT_EQ(first.Channel(), QStringLiteral("socket"));

    EXPECT_EQ(ClaimElsewhere(SocketPlace()), ClaimOutcome::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 1; }, 2000));

    // Every later start reaches it, not only the first one.
    EXPECT_EQ(ClaimElsewhere(SocketPlace()), ClaimOutcome::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 2; }, 2000));
}

TEST_F(InstanceChannelTest, WithoutBusAnotherPlaceIsAnotherSession)
{
    SessionInstanceLink first(SocketPlace(QStringLiteral("a")));
    ASSERT_EQ(first.Claim(250), ClaimOutcome::First);
    first.Listen();
    SessionInstanceLink other(SocketPlace(QStringLiteral("b")));
    EXPECT_EQ(other.Claim(250), ClaimOutcome::First);
}

TEST_F(InstanceChannelTest, WithoutBusTheNextStartAfterTheFirstEndedIsFirst)
{
    {
        SessionInstanceLink first(SocketPlace());
        ASSERT_EQ(first.Claim(250), ClaimOutcome::First);
        first.Listen();
    }
    SessionInstanceLink next(SocketPlace());
    EXPECT_EQ(next.Claim(250), ClaimOutcome::First);
    next.Listen();
    EXPECT_EQ(ClaimElsewhere(SocketPlace()), ClaimOutcome::HandedOver);
}

TEST_F(InstanceChannelTest, WithoutBusASocketLeftByACrashedCopyIsNoOnes)
{
    // A crash leaves the socket file but not the lock, which the kernel dropped.
    QFile stale(SocketPlace().socketPath);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SessionInstanceLink next(SocketPlace());
    EXPECT_EQ(next.Claim(250), ClaimOutcome::First);
    next.Listen();
    EXPECT_EQ(ClaimElsewhere(SocketPlace()), ClaimOutcome::HandedOver);
}

TEST_F(InstanceChannelTest, ALaterStartWaitsForTheFirstCopyToListen)
{
    SessionInstanceLink first(SocketPlace());
    QSignalSpy activations(&first, &host::InstanceLink::activationRequested);
    ASSERT_EQ(first.Claim(250), ClaimOutcome::First);
    // The first copy is still drawing its first frame when the later start asks.
    QTimer::singleShot(100, &first, [&first] { first.Listen(); });
    EXPECT_EQ(ClaimElsewhere(SocketPlace(), 1000), ClaimOutcome::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 1; }, 2000));
}

TEST_F(InstanceChannelTest, WithoutBusAFirstCopyThatNeverListensIsNoAnswer)
{
    const int fd = ::open(QFile::encodeName(SocketPlace().lockPath).constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    SessionInstanceLink later(SocketPlace());
    EXPECT_EQ(later.Claim(200), ClaimOutcome::NoAnswer);
    EXPECT_FALSE(later.IsFirst());
    ::close(fd);
}

TEST_F(InstanceChannelTest, WithoutAnyPlaceEveryStartRuns)
{
    SessionInstanceLink link(InstancePlace{});
    EXPECT_EQ(link.Claim(100), ClaimOutcome::First);
    link.Listen();
    EXPECT_EQ(link.Channel(), QString());
}

TEST(InstancePlaceTest, TheDisplayIsPartOfTheKey)
{
    const InstancePlace zero = host::SessionInstancePlace(QStringLiteral("unix:path=/x"), QStringLiteral(":0"));
    const InstancePlace remote = host::SessionInstancePlace(QStringLiteral("unix:path=/x"), QStringLiteral("host:10.0"));
    const InstancePlace none = host::SessionInstancePlace({}, {});
    EXPECT_EQ(zero.busName, QStringLiteral("net.vanupelro.VanuPelro.Display__0"));
    EXPECT_EQ(remote.busName, QStringLiteral("net.vanupelro.VanuPelro.Display_host_10_0"));
    EXPECT_NE(zero.socketPath, remote.socketPath);
    EXPECT_NE(zero.lockPath, none.lockPath);
    EXPECT_TRUE(none.busAddress.isEmpty());
    EXPECT_TRUE(zero.socketPath.endsWith(QStringLiteral(".socket")));
}

// A private bus of the test's own.
class InstanceBusTest : public InstanceChannelTest {
protected:
    static void SetUpTestSuite()
    {
        bus = std::make_unique<testsupport::PrivateBus>();
        address = bus->address;
    }
    static void TearDownTestSuite()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("bystander"));
        bus.reset();
    }
    void SetUp() override
    {
        InstanceChannelTest::SetUp();
        ASSERT_FALSE(address.isEmpty()) << "dbus-daemon did not start";
    }

    InstancePlace BusPlace(const QString& name = QStringLiteral("net.vanupelro.VanuPelro.Test")) const
    {
        InstancePlace place = SocketPlace();
        place.busAddress = address;
        place.busName = name;
        return place;
    }
    static bool NameOwned(const QString& name)
    {
        return QDBusConnection::connectToBus(address, QStringLiteral("bystander")).interface()->isServiceRegistered(name);
    }

    static inline std::unique_ptr<testsupport::PrivateBus> bus;
    static inline QString address;
};

TEST_F(InstanceBusTest, ALaterStartHandsOverThroughTheBus)
{
    auto first = std::make_unique<SessionInstanceLink>(BusPlace());
    QSignalSpy activations(first.get(), &host::InstanceLink::activationRequested);
    ASSERT_EQ(first->Claim(250), ClaimOutcome::First);
    first->Listen();
    EXPECT_EQ(first->Channel(), QStringLiteral("bus"));
    EXPECT_TRUE(NameOwned(BusPlace().busName));
    // With a bus there is no reason to take the socket.
    EXPECT_FALSE(QFile::exists(BusPlace().socketPath));

    EXPECT_EQ(ClaimElsewhere(BusPlace()), ClaimOutcome::HandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations.count() == 1; }, 2000));

    // The name goes with the copy, and the next start is first again.
    first.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return !NameOwned(QStringLiteral("net.vanupelro.VanuPelro.Test")); }, 2000));
    SessionInstanceLink next(BusPlace());
    EXPECT_EQ(next.Claim(250), ClaimOutcome::First);
    next.Listen();
    EXPECT_EQ(next.Channel(), QStringLiteral("bus"));
}

TEST_F(InstanceBusTest, ANameSomeoneElseHoldsLeavesTheSocket)
{
    const QString name = QStringLiteral("net.vanupelro.VanuPelro.Squatted");
    QDBusConnection squatter = QDBusConnection::connectToBus(address, QStringLiteral("squatter"));
    ASSERT_TRUE(squatter.registerService(name));
    SessionInstanceLink first(BusPlace(name));
    ASSERT_EQ(first.Claim(250), ClaimOutcome::First);
    first.Listen();
    EXPECT_EQ(first.Channel(), QStringLiteral("socket"));
    // The holder of the name does not answer; the later start goes on to the socket.
    EXPECT_EQ(ClaimElsewhere(BusPlace(name)), ClaimOutcome::HandedOver);
    QDBusConnection::disconnectFromBus(QStringLiteral("squatter"));
}

TEST_F(InstanceBusTest, ABusThatCannotBeReachedFallsBackToTheSocket)
{
    InstancePlace place = SocketPlace();
    place.busAddress = QStringLiteral("unix:path=") + folder.filePath(QStringLiteral("no-bus-here"));
    place.busName = QStringLiteral("net.vanupelro.VanuPelro.Test");
    SessionInstanceLink first(place);
    ASSERT_EQ(first.Claim(250), ClaimOutcome::First);
    first.Listen();
    EXPECT_EQ(first.Channel(), QStringLiteral("socket"));
    EXPECT_EQ(ClaimElsewhere(place), ClaimOutcome::HandedOver);
}

} // namespace
