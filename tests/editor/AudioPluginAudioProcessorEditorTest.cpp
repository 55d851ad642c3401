#include "editor/AudioPluginAudioProcessorEditor.h"
#include "editor/EditorLayout.h"
#include "processor/AudioPluginAudioProcessor.h"
#include "support/DesktopWindow.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

TEST_F (EditorTest, ClosingWhileTheOverlayShows)
{
    auto& infoButton = controlBarChild (4);
    clickOn (infoButton, infoButton.getLocalBounds().getCentre());
    ASSERT_TRUE (editor->getModalView().isVisible());

    window.reset();
    editor.reset();
    SUCCEED() << "what fails here is a crash, or a report from the address sanitizer";
}
