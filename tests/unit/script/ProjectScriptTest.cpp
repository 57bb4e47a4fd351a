#include <gtest/gtest.h>

#include "script/PathParts.h"
#include "script/ProjectScript.h"

namespace kolvane {
namespace {

ProjectScript SampleProject() {
    ProjectScript s;
    s.project = "My Project";
    s.folder = "C:\\out\\";
    s.product = "My Product";
    s.version = "1.05";
    s.manuf = "A=B Corp ";  // values stay exactly as typed, "=" and blanks included
    s.files = {"C:\\a\\one.exe", "D:\\two.txt"};
    s.shortCut = "C:\\a\\one.exe";
    s.startMenu = true;
    s.startup = true;
    s.icon = "My Icon";
    s.imageSetup = "C:\\big.JPG";
    s.imageSmall = "C:\\small.bmp";
    s.license = "";
    s.destination = "C:\\Program Files\\";
    s.size = "833,79 KB";
    s.guid = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
    s.format = "*.abc";
    return s;
}

TEST(ProjectScriptWriter, WritesEighteenPlusNLinesEachEndedByCrLf) {
    EXPECT_EQ(WriteProjectScript(SampleProject()),
              "Project=My Project\r\nFolder=C:\\out\\\r\nProduct=My Product\r\nVersion=1.05\r\n"
              "Manuf=A=B Corp \r\nCountFiles=2\r\nC:\\a\\one.exe\r\nD:\\two.txt\r\n"
              "ShortCut=C:\\a\\one.exe\r\nstart=1\r\ndesktop=0\r\nstartup=1\r\nIcon=My Icon\r\n"
              "ImageSetup=C:\\big.JPG\r\nImageSmall=C:\\small.bmp\r\nLicense=\r\n"
              "Destination=C:\\Program Files\\\r\nSize=833,79 KB\r\n"
              "GUID={01234567-89AB-CDEF-0123-456789ABCDEF}\r\nFormat=*.abc\r\n");
    ProjectScript empty;
    const std::string text = WriteProjectScript(empty);
    EXPECT_EQ(ScriptLines(text).size(), 18u);
    EXPECT_NE(text.find("CountFiles=0\r\nShortCut=\r\n"), std::string::npos);
}

TEST(PositionalReader, TakesValuesByKeyLengthAndReadsPastTheEndAsEmpty) {
    PositionalScriptReader reader("Project=P\r\nXXXXXXX/folder\nProduct=\rVersion=9");
    EXPECT_EQ(reader.RemainingLines(), 4u);
    EXPECT_EQ(reader.NextValue(script_keys::kProject), "P");
    EXPECT_EQ(reader.NextValue(script_keys::kFolder), "/folder");  // the key is not compared
    EXPECT_EQ(reader.NextValue(script_keys::kProduct), "");
    EXPECT_EQ(reader.NextValue(script_keys::kVersion), "9");
    EXPECT_EQ(reader.NextValue(script_keys::kManuf), "");
    EXPECT_FALSE(reader.NextLineEquals(script_keys::kStartOn));
    EXPECT_EQ(reader.NextLine(), "");
    EXPECT_EQ(reader.RemainingLines(), 0u);
}

TEST(PositionalReader, RoundTripsAWrittenScript) {
    const ProjectScript s = SampleProject();
    PositionalScriptReader reader(WriteProjectScript(s));
    namespace k = script_keys;
    EXPECT_EQ(reader.NextValue(k::kProject), s.project);
    EXPECT_EQ(reader.NextValue(k::kFolder), s.folder);
    EXPECT_EQ(reader.NextValue(k::kProduct), s.product);
    EXPECT_EQ(reader.NextValue(k::kVersion), s.version);
    EXPECT_EQ(reader.NextValue(k::kManuf), s.manuf);
    EXPECT_EQ(ParseDecimal(reader.NextValue(k::kCountFiles)), 2);
    EXPECT_EQ(reader.NextLine(), s.files[0]);
    EXPECT_EQ(reader.NextLine(), s.files[1]);
    EXPECT_EQ(reader.NextValue(k::kShortCut), s.shortCut);
    EXPECT_TRUE(reader.NextLineEquals(k::kStartOn));
    EXPECT_FALSE(reader.NextLineEquals(k::kDesktopOn));
    EXPECT_TRUE(reader.NextLineEquals(k::kStartupOn));
    EXPECT_EQ(reader.NextValue(k::kIcon), s.icon);
    EXPECT_EQ(reader.NextValue(k::kImageSetup), s.imageSetup);
    EXPECT_EQ(reader.NextValue(k::kImageSmall), s.imageSmall);
    EXPECT_EQ(reader.NextValue(k::kLicense), s.license);
    EXPECT_EQ(reader.NextValue(k::kDestination), s.destination);
    EXPECT_EQ(reader.NextValue(k::kSize), s.size);
    EXPECT_EQ(reader.NextValue(k::kGuid), s.guid);
    EXPECT_EQ(reader.NextValue(k::kFormat), s.format);
    EXPECT_EQ(reader.NextLine(), "");
}

TEST(ParseDecimal, AcceptsOnlyWholeDecimalIntegers) {
    const std::vector<std::pair<std::string, std::optional<int>>> cases = {
        {"0", 0},          {"12", 12},       {"+3", 3},           {"-2", -2},
        {"", std::nullopt}, {"x", std::nullopt}, {"3a", std::nullopt}, {" 3", std::nullopt},
        {"+-3", std::nullopt}, {"99999999999", std::nullopt}, {"+", std::nullopt},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDecimal(text), expected) << text;
}

TEST(KeyedReader, MatchesKeysExactlyAndKeepsTheRest) {
    EXPECT_EQ(ValueAfterKey("GUID=a=b", "GUID="), "a=b");
    EXPECT_EQ(ValueAfterKey("Format=", "Format="), "");
    EXPECT_EQ(ValueAfterKey("guid=x", "GUID="), std::nullopt);
    EXPECT_EQ(ValueAfterKey("GUID", "GUID="), std::nullopt);
}

TEST(PathParts, FileNamesExtensionsAndPicturePrefixes) {
    struct Case {
        std::string path, name, extension, builderPrefix, installerPrefix;
    };
    const std::vector<Case> cases = {
        {"C:\\dir\\pic.jpg", "pic.jpg", ".jpg", "jpg", "jpg"},
        {"C:\\dir\\pic.jpeg", "pic.jpeg", ".jpeg", "jpg", "jpg"},
        {"C:\\dir\\pic.JPG", "pic.JPG", ".JPG", "", ""},
        {"pic.bmp", "pic.bmp", ".bmp", "bmp", "bmp"},
        {"C:pic.wmf", "pic.wmf", ".wmf", "wmf", "wmf"},
        {"C:\\pic.emf", "pic.emf", ".emf", "", "wmf"},
        {"C:\\a.b\\icon.ico", "icon.ico", ".ico", "ico", "ico"},
        {"C:\\a.b\\noext", "noext", "", "", ""},
        {"C:\\dir\\", "", "", "", ""},
        {"archive.tar.gz", "archive.tar.gz", ".gz", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
        EXPECT_EQ(ExtensionOf(c.path), c.extension) << c.path;
        EXPECT_EQ(ImageSectionPrefix(c.path), c.builderPrefix) << c.path;
        EXPECT_EQ(ImageSectionPrefix(c.path, ImageReader::Installer), c.installerPrefix) << c.path;
    }
}

}  // namespace
}  // namespace kolvane
