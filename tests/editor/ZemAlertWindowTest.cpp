#include "editor/ZemAlertWindow.h"
#include "editor/ZemLookAndFeel.h"

#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace corvane;

namespace
{
class ZemAlertWindowTest : public testing::Test
{
protected:
    ZemAlertWindowTest()
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    }

    ~ZemAlertWindowTest() override
    {
        closeAll();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    static void closeAll()
    {
        while (auto* modal = juce::Component::getCurrentlyModalComponent())
            modal->exitModalState (-1);
    }

    ZemLookAndFeel lookAndFeel;
};
} // namespace

TEST_F (ZemAlertWindowTest, JucesMessageBoxesOpenOursReadablyAndItsKeysGiveItsCallersTheirResults)
{
    struct Case
    {
        const char* name;
        int numButtons;
        juce::KeyPress key;
        int expected; // what JUCE's own callers read: 1 is OK or Yes, 2 is No, 0 is Cancel or the only button
    };

    const auto returnKey = juce::KeyPress (juce::KeyPress::returnKey), escapeKey = juce::KeyPress (juce::KeyPress::escapeKey);
    const Case cases[] = {
        { "message, Return", 1, returnKey, 0 },
        { "OK/Cancel, Return", 2, returnKey, 1 },
        { "OK/Cancel, Escape", 2, escapeKey, 0 },
        { "Yes/No/Cancel, Y", 3, juce::KeyPress ('y'), 1 },
        { "Yes/No/Cancel, N", 3, juce::KeyPress ('n'), 2 },
        { "Yes/No/Cancel, Escape", 3, escapeKey, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        // Shared, because a box that a failure leaves open still reports after the test has ended.
        auto result = std::make_shared<std::optional<int>>();
        auto* callback = juce::ModalCallbackFunction::create ([result] (int r) { *result = r; });
        const auto icon = juce::MessageBoxIconType::NoIcon;

        if (c.numButtons == 1)
            juce::AlertWindow::showMessageBoxAsync (icon, "Title", "Message", "OK", nullptr, callback);
        else if (c.numButtons == 2)
            juce::AlertWindow::showOkCancelBox (icon, "Title", "Message", "OK", "Cancel", nullptr, callback);
        else
            juce::AlertWindow::showYesNoCancelBox (icon, "Title", "Message", "Yes", "No", "Cancel", nullptr, callback);

        auto* window = dynamic_cast<ZemAlertWindow*> (juce::Component::getCurrentlyModalComponent());
        ASSERT_NE (window, nullptr);
        EXPECT_EQ (window->getNumButtons(), c.numButtons);

        const auto text = window->findColour (juce::AlertWindow::textColourId);
        const auto background = window->findColour (juce::AlertWindow::backgroundColourId);
        EXPECT_GT (std::abs (text.getPerceivedBrightness() - background.getPerceivedBrightness()), 0.5f);

        // As the keyboard reaches it: through the window's peer to whatever has the focus inside it.
        ASSERT_NE (window->getPeer(), nullptr);
        window->getPeer()->handleKeyPress (c.key);

        EXPECT_TRUE (test::pumpMessagesUntil ([&] { return result->has_value(); })) << "the box is still open";
        EXPECT_EQ (result->value_or (-1), c.expected);
        closeAll();
    }
}
