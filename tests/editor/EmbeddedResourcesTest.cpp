#include <BinaryData.h>
#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
struct Picture
{
    const char* name;
    const char* data;
    int size;
    int width;
    int height;
};

void PrintTo (const Picture& picture, std::ostream* os)
{
    *os << picture.name;
}

bool isJpeg (const Picture& p)
{
    return juce::String (p.name).endsWith ("_jpg");
}

const auto* bytes (const Picture& p)
{
    return reinterpret_cast<const juce::uint8*> (p.data);
}

/** The first start-of-frame segment's marker and component count, or {0, 0}. */
std::pair<int, int> jpegFrame (const Picture& p)
{
    const auto* b = bytes (p);

    for (int i = 2; i + 9 < p.size;)
    {
        if (b[i] != 0xff)
            return {};

        const int marker = b[i + 1];
        const int length = (b[i + 2] << 8) | b[i + 3];

        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
            return { marker, b[i + 9] };

        i += 2 + length;
    }

    return {};
}

#define PICTURE(name, w, h) Picture { #name, BinaryData::name, BinaryData::name##Size, w, h }

class EmbeddedPictureTest : public testing::TestWithParam<Picture>
{
};
} // namespace

TEST_P (EmbeddedPictureTest, DecodesToItsSizeAndFormat)
{
    const auto& p = GetParam();
    const auto image = juce::ImageCache::getFromMemory (p.data, p.size);

    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), p.width);
    EXPECT_EQ (image.getHeight(), p.height);
    EXPECT_EQ (image.getFormat(), isJpeg (p) ? juce::Image::RGB : juce::Image::ARGB);
}

TEST_P (EmbeddedPictureTest, IsStoredInTheFormatItsNameSays)
{
    const auto& p = GetParam();
    const auto* b = bytes (p);

    if (isJpeg (p))
    {
        ASSERT_GT (p.size, 4);
        EXPECT_EQ (b[0], 0xff);
        EXPECT_EQ (b[1], 0xd8);
        const auto [marker, components] = jpegFrame (p);
        EXPECT_EQ (marker, 0xc0) << "baseline";
        EXPECT_EQ (components, 3);
    }
    else
    {
        ASSERT_GT (p.size, 26);
        EXPECT_EQ (juce::String::fromUTF8 (p.data + 1, 3), "PNG");
        EXPECT_EQ (b[24], 8) << "bits per channel";
        EXPECT_EQ (b[25], 6) << "colour type RGBA";
    }
}

INSTANTIATE_TEST_SUITE_P (Resources,
                          EmbeddedPictureTest,
                          testing::Values (PICTURE (SkinLight_jpg, 1540, 974),
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
                                           PICTURE (SliderThumb_png, 124, 148)),
                          [] (const testing::TestParamInfo<Picture>& param) { return std::string (param.param.name); });

TEST (EmbeddedTypeface, LoadsAsRobotoMedium)
{
    const auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::RobotoMedium_ttf,
                                                                   (size_t) BinaryData::RobotoMedium_ttfSize);

    ASSERT_NE (typeface, nullptr);
    EXPECT_TRUE (typeface->getName().startsWith ("Roboto")) << typeface->getName();
    EXPECT_TRUE ((typeface->getName() + " " + typeface->getStyle()).contains ("Medium")) << typeface->getStyle();
    EXPECT_GT (typeface->getStringWidth ("ZEM2"), 0.0f) << "has glyphs";
}
