#include "editor/AudioPluginAudioProcessorEditor.h"
#include "editor/EditorLayout.h"
#include "interfaces/ParameterIds.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/DesktopWindow.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>

using namespace corvane;

namespace
{
class EditorTest : public testing::Test
{
protected:
    EditorTest()
    {
        editor.reset (dynamic_cast<AudioPluginAudioProcessorEditor*> (processor.createEditor()));
        window = std::make_unique<test::DesktopWindow> (*editor);
    }

    ~EditorTest() override
    {
        window.reset();
        editor.reset();
    }

    /** A click, press and release, at a point of a component inside the editor. */
    void clickOn (juce::Component& component, juce::Point<int> within)
    {
        const auto at = editor->getLocalPoint (&component, within);
        window->press (at);
        window->release (at);
    }

    /** Runs what is already posted to the message loop: a button pressed by a key clicks in a message of its own. */
    static void runPostedMessages()
    {
        auto done = std::make_shared<std::atomic<bool>> (false);
        juce::MessageManager::callAsync ([done] { done->store (true); });
        ASSERT_TRUE (test::pumpMessagesUntil ([&] { return done->load(); }));
    }

    /** The control bar's info and help buttons, and the About view's close button: children by their order. */
    juce::Component& controlBarChild (int index) { return *editor->getControlView().getChildComponent (index); }

    AudioPluginAudioProcessor processor;
    std::unique_ptr<AudioPluginAudioProcessorEditor> editor;
    std::unique_ptr<test::DesktopWindow> window;
};
} // namespace

TEST_F (EditorTest, OpensAtTheSmallestSizeAndLaysTheViewsOutByItsWidth)
{
    ASSERT_NE (editor, nullptr);
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 770, 487).withPosition (editor->getPosition()));

    for (const auto width : { 770, 1000, 1540 })
    {
        SCOPED_TRACE (width);
        editor->setSize (width, juce::roundToInt (width * 974.0 / 1540.0));
        const auto s = EditorLayout::scaleFor (width);
        EXPECT_EQ (editor->getVectorScopeView().getBounds(), EditorLayout::place (EditorLayout::vectorScope, s));
        EXPECT_EQ (editor->getControlView().getBounds(), EditorLayout::place (EditorLayout::controlBar, s));
        EXPECT_EQ (editor->getModalView().getBounds(), editor->getLocalBounds());
    }
}

TEST (EditorSizeLimits, FollowThePrimaryDisplaysUserArea)
{
    struct Case
    {
        juce::Rectangle<int> userArea;
        int maximumWidth, maximumHeight;
    };

    const Case cases[] = { { { 0, 0, 1920, 1040 }, 1540, 974 },
                           { { 0, 0, 1366, 728 }, 1151, 728 },
                           { { 0, 0, 1024, 700 }, 1024, 648 },
                           { { 0, 0, 1155, 800 }, 1155, 731 }, // 730.5 high: halves round up
                           { { 0, 0, 700, 400 }, 770, 487 },
                           { {}, 770, 487 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.userArea.toString());
        const auto limits = AudioPluginAudioProcessorEditor::sizeLimitsFor (c.userArea);
        EXPECT_EQ (limits.minimumWidth, 770);
        EXPECT_EQ (limits.minimumHeight, 487);
        EXPECT_EQ (limits.maximumWidth, c.maximumWidth);
        EXPECT_EQ (limits.maximumHeight, c.maximumHeight);
    }
}

TEST_F (EditorTest, HelpAsksTheBrowserForTheManualAndLeavesTheWindowAsItWas)
{
    // A stand-in for xdg-open, first on the PATH, records the address it was asked to open.
    const auto folder = juce::File::createTempFile ("zem2-browser");
    folder.createDirectory();
    const auto record = folder.getChildFile ("opened.txt");
    const auto script = folder.getChildFile ("xdg-open");
    script.replaceWithText ("#!/bin/sh\nprintf '%s' \"$1\" > '" + record.getFullPathName() + "'\n", false, false, "\n");
    script.setExecutePermission (true);

    const auto path = juce::SystemStats::getEnvironmentVariable ("PATH", {});
    setenv ("PATH", (folder.getFullPathName() + ":" + path).toRawUTF8(), 1);

    const auto before = editor->getBounds();
    auto& helpButton = controlBarChild (5);
    clickOn (helpButton, helpButton.getLocalBounds().getCentre());

    EXPECT_TRUE (test::pumpMessagesUntil ([&] { return record.existsAsFile() && record.getSize() > 0; }));
    EXPECT_EQ (record.loadFileAsString(), AudioPluginAudioProcessorEditor::manualUrl.toString (true));
    EXPECT_EQ (editor->getBounds(), before);
    EXPECT_FALSE (editor->getModalView().isVisible());

    setenv ("PATH", path.toRawUTF8(), 1);
    folder.deleteRecursively();
}

TEST_F (EditorTest, WhileAboutShowsNoKeyReachesTheControlsBelowAndOnceClosedTheyWorkAgain)
{
    struct ButtonLog : ControlViewListener
    {
        void infoButtonClicked (ControlView*) override { ++presses; }
        void helpButtonClicked (ControlView*) override { ++presses; }
        int presses = 0;
    } buttons;

    auto& overlay = editor->getModalView();
    auto& about = editor->getAboutView();
    auto& configState = processor.getConfigState();
    const auto skin = configState.getProperty (isDarkIdentifier);
    auto& infoButton = controlBarChild (4);
    clickOn (infoButton, infoButton.getLocalBounds().getCentre());
    ASSERT_TRUE (overlay.isVisible());
    ASSERT_TRUE (window->focus (overlay));

    editor->getControlView().addListener (&buttons);
    auto& zemOn = *processor.getApvtsManager().getApvts().getParameter (zemOnParameterID);
    auto host = std::make_unique<test::ParameterRecorder> (zemOn);
    auto stopsBelow = 0;

    // Twice round the order the focus went in: the panel's close button, the bar's four buttons, the overlay.
    for (int tab = 0; tab < 12; ++tab)
    {
        window->pressKey (juce::KeyPress (juce::KeyPress::tabKey));
        auto* focused = juce::Component::getCurrentlyFocusedComponent();

        if (focused != &overlay && ! overlay.isParentOf (focused))
            ++stopsBelow;

        // Return on the panel's own close button closes it, as a click does.
        if (! about.isParentOf (focused))
            for (const auto key : { juce::KeyPress (juce::KeyPress::returnKey), juce::KeyPress (juce::KeyPress::spaceKey) })
                window->pressKey (key);

        runPostedMessages();
    }

    EXPECT_EQ (stopsBelow, 0) << "the focus went below the overlay";
    EXPECT_TRUE (host->values.empty()) << "ZEM On changed";
    EXPECT_EQ (configState.getProperty (isDarkIdentifier), skin) << "the skin changed";
    EXPECT_EQ (buttons.presses, 0) << "the info or help button was pressed";
    EXPECT_TRUE (overlay.isVisible());
    editor->getControlView().removeListener (&buttons);

    // Closed by its button, the switch below takes a click, then the focus and a key.
    auto& closeButton = *about.getChildComponent (0);
    clickOn (closeButton, closeButton.getLocalBounds().getCentre());
    ASSERT_FALSE (overlay.isVisible());

    host = std::make_unique<test::ParameterRecorder> (zemOn);
    auto& zemOnSwitch = controlBarChild (1);
    clickOn (zemOnSwitch, zemOnSwitch.getLocalBounds().getCentre());
    ASSERT_TRUE (window->focus (zemOnSwitch));
    window->pressKey (juce::KeyPress (juce::KeyPress::returnKey));
    EXPECT_TRUE (test::pumpMessagesUntil ([&] { return host->values.size() == 2; }));
    EXPECT_TRUE (test::sawEditsInOwnGestures (*host, { 0.0f, 1.0f }));
}

TEST_F (EditorTest, ClosingWhileTheOverlayShows)
{
    auto& infoButton = controlBarChild (4);
    clickOn (infoButton, infoButton.getLocalBounds().getCentre());
    ASSERT_TRUE (editor->getModalView().isVisible());

    window.reset();
    editor.reset();
    SUCCEED() << "what fails here is a crash, or a report from the address sanitizer";
}
