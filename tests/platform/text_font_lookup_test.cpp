#include "platform/text/FontRaster.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

using Platform::FontRaster;

// The default face is found through fontconfig wherever the system keeps it; fontconfig's
// nearest other face never stands in for it, and a system without it gets an error that says
// what to install.
TEST(FontLookup, TheDefaultFaceComesFromFontconfigOrAClearError)
{
    const std::string path = FontRaster::findDefaultFontFile();
    EXPECT_NE(path.find("DejaVuSans-Bold"), std::string::npos) << path;
    const FontRaster raster(path, 12);
    EXPECT_TRUE(raster.hasGlyph(U'W'));
    EXPECT_EQ(FontRaster::findFontFile("No Such Family Anywhere", "Bold"), "");

    // A fontconfig that knows no font folder at all.
    const ::Test::TempDir folder;
    const auto config =
        folder.write("fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig>\n"
                                   "<cachedir>" +
                                       folder.path().string() + "/cache</cachedir>\n</fontconfig>\n");
    const ::Test::ScopedEnv file("FONTCONFIG_FILE", config.string());
    try
    {
        FontRaster::findDefaultFontFile();
        FAIL() << "a face that is not installed was found";
    }
    catch (const Platform::FontError& e)
    {
        EXPECT_EQ(std::string(e.what()),
                  "The font \"DejaVu Sans Bold\" is not installed: fontconfig (fc-match) knows "
                  "no such face (Debian packages fontconfig and fonts-dejavu-core).");
    }
}
