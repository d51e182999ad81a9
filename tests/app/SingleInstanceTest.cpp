#include "app/SingleInstance.h"

#include "host/InstanceChannel.h"

#include <gtest/gtest.h>

namespace {

class ScriptedLink : public host::InstanceLink {
public:
    explicit ScriptedLink(host::ClaimOutcome outcome)
        : m_outcome(outcome)
    {
    }
    host::ClaimOutcome Claim(int) override { return m_outcome; }
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

} // namespace
