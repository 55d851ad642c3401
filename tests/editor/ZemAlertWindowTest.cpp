#include "editor/ZemLookAndFeel.h"

#include "support/Desktop.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace corvane;

namespace
{
enum class Box
{
    message,
    okCancel,
    yesNoCancel
};

struct Case
{
    const char* name;
    Box box;
    const char* click; // a button's caption, or nullptr to press the key instead
    juce::KeyPress key;
    int expected; // what JUCE's own callers read: 1 is OK or Yes, 2 is No, 0 is Cancel or the only button
};

void PrintTo (const Case& c, std::ostream* os)
{
    *os << c.name;
}

class ZemAlertWindowTest : public testing::TestWithParam<Case>
{
protected:
    ZemAlertWindowTest()
    {
        test::ignoreXErrors();
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    }

    ~ZemAlertWindowTest() override
    {
        while (auto* modal = juce::Component::getCurrentlyModalComponent())
            modal->exitModalState (-1);

        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    ZemLookAndFeel lookAndFeel;
};
} // namespace

TEST_P (ZemAlertWindowTest, ButtonsAndKeysGiveJucesCallersTheirResults)
{
    const auto& c = GetParam();
    // Shared, because a box that a failure leaves open still reports after the test has ended.
    auto result = std::make_shared<std::optional<int>>();
    auto* callback = juce::ModalCallbackFunction::create ([result] (int r) { *result = r; });
    const auto icon = juce::MessageBoxIconType::NoIcon;

    switch (c.box)
    {
        case Box::message:
            juce::AlertWindow::showMessageBoxAsync (icon, "Title", "Message", "OK", nullptr, callback);
            break;
        case Box::okCancel:
            juce::AlertWindow::showOkCancelBox (icon, "Title", "Message", "OK", "Cancel", nullptr, callback);
            break;
        case Box::yesNoCancel:
            juce::AlertWindow::showYesNoCancelBox (icon, "Title", "Message", "Yes", "No", "Cancel", nullptr, callback);
            break;
    }

    auto* window = dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent());
    ASSERT_NE (window, nullptr);

    if (c.click != nullptr)
    {
        window->triggerButtonClick (c.click);
    }
    else
    {
        // As the keyboard reaches it: through the window's peer to whatever has the focus inside it.
        auto* peer = window->getPeer();
        ASSERT_NE (peer, nullptr);
        peer->handleKeyPress (c.key);
    }

    for (int i = 0; i < 500 && ! result->has_value(); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    ASSERT_TRUE (result->has_value()) << "the box is still open";
    EXPECT_EQ (**result, c.expected);
}

INSTANTIATE_TEST_SUITE_P (
    JuceConventions,
    ZemAlertWindowTest,
    testing::Values (Case { "MessageClickOk", Box::message, "OK", {}, 0 },
                     Case { "MessageReturn", Box::message, nullptr, juce::KeyPress (juce::KeyPress::returnKey), 0 },
                     Case { "MessageEscape", Box::message, nullptr, juce::KeyPress (juce::KeyPress::escapeKey), 0 },
                     Case { "OkCancelClickOk", Box::okCancel, "OK", {}, 1 },
                     Case { "OkCancelClickCancel", Box::okCancel, "Cancel", {}, 0 },
                     Case { "OkCancelReturn", Box::okCancel, nullptr, juce::KeyPress (juce::KeyPress::returnKey), 1 },
                     Case { "OkCancelEscape", Box::okCancel, nullptr, juce::KeyPress (juce::KeyPress::escapeKey), 0 },
                     Case { "OkCancelKeyO", Box::okCancel, nullptr, juce::KeyPress ('o'), 1 },
                     Case { "YesNoCancelClickYes", Box::yesNoCancel, "Yes", {}, 1 },
                     Case { "YesNoCancelClickNo", Box::yesNoCancel, "No", {}, 2 },
                     Case { "YesNoCancelClickCancel", Box::yesNoCancel, "Cancel", {}, 0 },
                     Case { "YesNoCancelKeyN", Box::yesNoCancel, nullptr, juce::KeyPress ('n'), 2 },
                     Case { "YesNoCancelEscape", Box::yesNoCancel, nullptr, juce::KeyPress (juce::KeyPress::escapeKey), 0 }),
    [] (const testing::TestParamInfo<Case>& param) { return std::string (param.param.name); });
