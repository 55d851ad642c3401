#include <BinaryData.h>
#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// The skins and scopes are opaque JPEGs, the controls and icons PNGs with transparency, each at the size it was
// drawn at. The typeface is checked where the shared state installs it.
TEST (EmbeddedPictures, DecodeToTheirSizeAndFormat)
{
    struct Case
    {
        const char* name;
        const char* data;
        int size, width, height;
    };

#define PICTURE(name, w, h) \
    Case { #name, BinaryData::name, BinaryData::name##Size, w, h }

    for (auto c : { PICTURE (SkinLight_jpg, 1540, 974),
                    PICTURE (SkinDark_jpg, 1540, 974),
                    PICTURE (ScopeLight_jpg, 798, 632),
                    PICTURE (ScopeDark_jpg, 798, 632),
                    PICTURE (ZemSwitchOn_png, 248, 150),
                    PICTURE (ZemSwitchOff_png, 250, 147),
                    PICTURE (SkinSwitchLight_png, 264, 164),
                    PICTURE (SkinSwitchDark_png, 264, 164),
                    PICTURE (IconInfo_png, 40, 40),
                    PICTURE (IconHelp_png, 40, 40),
                    PICTURE (IconClose_png, 64, 64),
                    PICTURE (ProductWordmark_png, 618, 70),
                    PICTURE (HeadphoneBadge_png, 190, 152),
                    PICTURE (SliderThumb_png, 124, 148) })
    {
        const auto image = juce::ImageCache::getFromMemory (c.data, c.size);
        const auto isJpeg = juce::String (c.name).endsWith ("_jpg");

        ASSERT_TRUE (image.isValid()) << c.name;
        EXPECT_EQ (image.getBounds(), juce::Rectangle<int> (c.width, c.height)) << c.name;
        EXPECT_EQ (image.getFormat(), isJpeg ? juce::Image::RGB : juce::Image::ARGB) << c.name;
    }

#undef PICTURE
}
