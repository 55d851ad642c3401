#include "editor/SharedApplicationState.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{
ZemLookAndFeel* installedZemLookAndFeel()
{
    return dynamic_cast<ZemLookAndFeel*> (&juce::LookAndFeel::getDefaultLookAndFeel());
}

/** Every test starts and must end with no shared state alive, as a process without plug-in instances. */
class SharedApplicationStateTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ (installedZemLookAndFeel(), nullptr) << "a shared state outlived its test"; }

    void TearDown() override { EXPECT_EQ (installedZemLookAndFeel(), nullptr); }
};
} // namespace

TEST_F (SharedApplicationStateTest, HoldersShareOneLookAndFeelUntilTheLastLetsGoAndThenANewOneIsBuilt)
{
    auto* frameworkDefault = &juce::LookAndFeel::getDefaultLookAndFeel();

    auto first = SharedApplicationState::getInstance();
    auto second = SharedApplicationState::getInstance();
    const juce::WeakReference<juce::LookAndFeel> installed (installedZemLookAndFeel());
    ASSERT_NE (installed.get(), nullptr);
    EXPECT_EQ (first, second);

    first.reset();
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), installed.get());

    const std::weak_ptr<SharedApplicationState> watcher (second);
    second.reset();
    EXPECT_TRUE (watcher.expired());
    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), frameworkDefault);
    EXPECT_EQ (installed.get(), nullptr) << "the look and feel is deleted with the state";

    const auto fresh = SharedApplicationState::getInstance();
    EXPECT_NE (installedZemLookAndFeel(), nullptr);
}

TEST_F (SharedApplicationStateTest, LastReleaseRestoresTheFrameworkDefaultEvenOverAnotherInstalledOne)
{
    auto* frameworkDefault = &juce::LookAndFeel::getDefaultLookAndFeel();
    juce::LookAndFeel_V4 other;

    auto state = SharedApplicationState::getInstance();
    juce::LookAndFeel::setDefaultLookAndFeel (&other);
    state.reset();

    EXPECT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), frameworkDefault);
}

TEST_F (SharedApplicationStateTest, DefaultSansSerifTextIsDrawnInTheEmbeddedRobotoMedium)
{
    auto state = SharedApplicationState::getInstance();
    auto& lookAndFeel = juce::LookAndFeel::getDefaultLookAndFeel();

    const auto small = lookAndFeel.getTypefaceForFont (juce::Font (12.0f));
    const auto large = lookAndFeel.getTypefaceForFont (juce::Font (40.0f, juce::Font::bold));

    ASSERT_NE (small, nullptr);
    EXPECT_EQ (small, large) << "one typeface object for every size and style, not the system's by name";
    EXPECT_TRUE (small->getName().startsWith ("Roboto")) << small->getName();
    EXPECT_TRUE ((small->getName() + " " + small->getStyle()).contains ("Medium"));
    EXPECT_EQ (juce::Font (17.0f).getTypefacePtr(), small) << "plain fonts resolve through the default";
}
