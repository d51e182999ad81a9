#include "app/SingleInstance.h"

#include "host/os/InstanceChannel.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

namespace {

class ScriptedLink : public host::InstanceLink {
public:
    explicit ScriptedLink(host::ClaimOutcome outcome)
        : m_outcome(outcome)
    {
    }
    host::ClaimOutcome Claim(int) override { return m_outcome; }
    void Listen() override { ++listens; }

    int listens = 0;
    bool IsFirst() const override { return m_outcome == host::ClaimOutcome::First; }

private:
    host::ClaimOutcome m_outcome;
};

TEST(SingleInstanceTest, OnlyTheFirstCopyGoesOnToStart)
{
    ScriptedLink first(host::ClaimOutcome::First);
    EXPECT_EQ(app::SingleInstance::Claim(first), std::nullopt);

    // A hand-over is the start the user asked for, done: success.
    ScriptedLink handedOver(host::ClaimOutcome::HandedOver);
    EXPECT_EQ(app::SingleInstance::Claim(handedOver), 0);

    testing::internal::CaptureStderr();
    ScriptedLink silent(host::ClaimOutcome::NoAnswer);
    EXPECT_EQ(app::SingleInstance::Claim(silent), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("already running"), std::string::npos) << said;
    EXPECT_NE(said.find("--new-instance"), std::string::npos) << said;
}

TEST(SingleInstanceTest, NewInstanceIsAnOptIn)
{
    EXPECT_TRUE(app::SingleInstance::WantsNewInstance({"vanupelro", "--new-instance"}));
    EXPECT_FALSE(app::SingleInstance::WantsNewInstance({"vanupelro"}));
    EXPECT_FALSE(app::SingleInstance::WantsNewInstance({"vanupelro", "--new-instances"}));
    EXPECT_FALSE(app::SingleInstance::WantsNewInstance({"vanupelro", "-new-instance"}));
}

// The channel costs a bus round trip: it must come after the first frame, not before.
TEST(SingleInstanceTest, TheFirstCopyListensOnlyOnceItsWindowHasPainted)
{
    ScriptedLink link(host::ClaimOutcome::First);
    QWidget splash;
    splash.resize(40, 30);
    // No fallback within the test: only the paint can open it.
    app::SingleInstance::ListenAfterFirstFrame(link, &splash, 3'600'000);
    QCoreApplication::processEvents();
    EXPECT_EQ(link.listens, 0);
    splash.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.listens > 0; }, 5000));
    splash.update();
    QTest::qWait(50);
    EXPECT_EQ(link.listens, 1);
}

TEST(SingleInstanceTest, AWindowThatNeverPaintsDelaysTheChannelOnlyBriefly)
{
    ScriptedLink link(host::ClaimOutcome::First);
    QWidget hidden;
    app::SingleInstance::ListenAfterFirstFrame(link, &hidden, 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return link.listens == 1; }, 5000));
}

TEST(SingleInstanceTest, WithoutAWindowTheChannelOpensAtOnce)
{
    ScriptedLink link(host::ClaimOutcome::First);
    app::SingleInstance::ListenAfterFirstFrame(link, nullptr);
    EXPECT_EQ(link.listens, 1);
}

} // namespace
