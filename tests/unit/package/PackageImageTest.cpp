// The section store against a naive model of it: every lookup must equal the first
// occurrence of its marker in the whole current image, whatever was done to it before.
#include <gtest/gtest.h>

#include <random>

#include "package/Markers.h"
#include "package/Sections.h"

namespace kolvane {
namespace {

using namespace std::string_literals;

const std::string kB6(1, '\xB6');

// The model: plain string searches over the flattened image.
bool ModelExtract(const std::string& image, const std::string& name, std::string& data) {
    const std::string start = SectionStartMarker(name);
    const size_t p = image.find(start);
    if (p == std::string::npos) return false;
    const size_t q = image.find(SectionEndMarker(name));
    const size_t payload = p + start.size();
    data = q != std::string::npos && q >= payload ? image.substr(payload, q - payload) : "";
    return true;
}

void ModelDelete(std::string& image, const std::string& name) {
    const size_t p = image.find(SectionStartMarker(name));
    const std::string end = SectionEndMarker(name);
    const size_t q = image.find(end);
    if (p == std::string::npos || q == std::string::npos || q + end.size() <= p) return;
    image.erase(p, q + end.size() - p);
}

std::string Extracted(const PackageImage& image, const std::string& name) {
    std::string data = "untouched";
    return ExtractSection(image, name, data) ? data : "<missing>";
}

TEST(SectionMarkers, UpperCaseAsciiOnlyAndPilcrowSeparator) {
    EXPECT_EQ(SectionStartMarker("jpg0"), "SO!#JPG0" + kB6);
    EXPECT_EQ(SectionEndMarker("YourFile10"), "EO!#YOURFILE10");
    EXPECT_EQ(SectionEndMarker("\xe9z\xb6-1"), "EO!#\xe9Z\xb6-1");
}

TEST(SectionStore, StoresTheDocumentedBytes) {
    PackageImage image;
    AppendSection("jpg0", "ABC", image);
    EXPECT_EQ(image.ToString(), "SO!#JPG0" + kB6 + "ABCEO!#JPG0");
    EXPECT_EQ(Extracted(image, "JPG0"), "ABC");
}

TEST(SectionStore, BehavesAsTheFirstOccurrenceOverTheWholeImage) {
    const std::string binary = "MZP\0\0code so!# eo!#\xb6"s;
    const std::string odd = "\0\xb6payload\0\xb6"s;
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> appends;  // name, payload
        std::vector<std::string> deletes;
        std::string name;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"no package", {}, {}, "jpg0", "<missing>"},
        {"bytes 0x00 and 0xB6 survive", {{"YourFile0", odd}}, {}, "yourfile0", odd},
        {"empty payload", {{"license0", ""}}, {}, "license0", ""},
        {"empty name appends nothing", {{"", "x"}}, {}, "", "<missing>"},
        {"first of two wins", {{"jpg0", "one"}, {"jpg0", "two"}}, {}, "jpg0", "one"},
        {"one delete uncovers the second", {{"jpg0", "one"}, {"jpg0", "two"}}, {"jpg0"}, "jpg0", "two"},
        {"two deletes remove both", {{"jpg0", "one"}, {"jpg0", "two"}}, {"jpg0", "jpg0"}, "jpg0", "<missing>"},
        {"slot 1 before slot 10", {{"YourFile1", "a"}, {"YourFile10", "b"}}, {}, "YourFile1", "a"},
        {"slot 10 read after slot 1", {{"YourFile1", "a"}, {"YourFile10", "b"}}, {}, "YourFile10", "b"},
        // Slot 10's end marker begins with slot 1's, and stands first.
        {"slot 1 after slot 10 reads empty", {{"YourFile10", "b"}, {"YourFile1", "a"}}, {}, "YourFile1", ""},
        {"end marker missing", {{"jpg0", "x"}}, {}, "jpg0", "x"},
    };
    for (const Case& c : cases) {
        PackageImage image(binary);
        std::string model = binary;
        for (const auto& [name, payload] : c.appends) {
            AppendSection(name, payload, image);
            if (!name.empty()) model += SectionStartMarker(name) + payload + SectionEndMarker(name);
        }
        for (const std::string& name : c.deletes) {
            DeleteSection(name, image);
            ModelDelete(model, name);
        }
        EXPECT_EQ(image.ToString(), model) << c.what;
        EXPECT_EQ(Extracted(image, c.name), c.expected) << c.what;
    }
}

TEST(SectionStore, StartMarkerWithoutEndMarkerGivesEmptyDataAndDeletesNothing) {
    const std::string bytes = "MZP" + SectionStartMarker("jpg0") + "payload";
    PackageImage image(bytes);
    EXPECT_EQ(Extracted(image, "jpg0"), "");
    DeleteSection("jpg0", image);
    EXPECT_EQ(image.ToString(), bytes);
}

TEST(SectionStore, MissingSectionLeavesDataAlone) {
    PackageImage image(std::string("MZP"));
    std::string data = "kept";
    EXPECT_FALSE(ExtractSection(image, "scriptFile0", data));
    EXPECT_EQ(data, "kept");
}

TEST(SectionStore, RemoveSectionsClearsEveryOccurrenceOfOneName) {
    PackageImage image(std::string("MZP"));
    for (const char* payload : {"one", "two", "three"}) AppendSection("jpg0", payload, image);
    AppendSection("jpg1", "small", image);
    AppendSection("jpg01", "longer name", image);
    EXPECT_TRUE(RemoveSections("jpg0", image));
    EXPECT_EQ(Extracted(image, "jpg0"), "<missing>");
    EXPECT_EQ(Extracted(image, "jpg1"), "small");
    EXPECT_EQ(Extracted(image, "jpg01"), "longer name");
    EXPECT_FALSE(RemoveSections("jpg0", image));

    // A start marker without its end marker cannot be deleted: no endless loop.
    PackageImage broken("MZP" + SectionStartMarker("jpg0") + "x");
    EXPECT_FALSE(RemoveSections("jpg0", broken));
}

TEST(SectionStore, MarkersFormedAcrossChangesAreFound) {
    // Deleting a section joins "SO" and "!#JPG0\xB6" into a marker ahead of the real one.
    PackageImage image("xxSO" + SectionStartMarker("cut") + SectionEndMarker("cut") +
                       "!#JPG0" + kB6 + "early" + SectionStartMarker("jpg0") + "late" +
                       SectionEndMarker("jpg0"));
    EXPECT_EQ(Extracted(image, "jpg0"), "late");
    DeleteSection("cut", image);
    EXPECT_EQ(Extracted(image, "jpg0"), "early" + SectionStartMarker("jpg0") + "late");

    // An append can complete a marker whose first bytes end the old image.
    PackageImage tail(std::string("MZP...S"));
    tail.Append("O!#A" + kB6 + "data" + SectionEndMarker("a"));
    EXPECT_EQ(Extracted(tail, "a"), "data");

    // Changing one byte (as the role marker is changed) can make or break a marker.
    PackageImage edited("xxSO!#A" + kB6 + "1" + SectionEndMarker("a"));
    edited.SetByte(2, 'Z');
    EXPECT_EQ(Extracted(edited, "a"), "<missing>");
    edited.SetByte(2, 'S');
    EXPECT_EQ(Extracted(edited, "a"), "1");
}

TEST(SectionStore, RandomEditsAgreeWithTheModel) {
    std::mt19937 random(7);
    const std::vector<std::string> names = {"a", "A1", "a10", "YourFile1", "YourFile10", "b"};
    const std::vector<std::string> pieces = {"SO!#", "EO!#", "S", "O!", "#", "A", "1", "0",
                                             kB6, "x", "YOURFILE1", std::string(1, '\0')};
    for (int round = 0; round < 300; ++round) {
        std::string model;
        for (int i = 0; i < 12; ++i) model += pieces[random() % pieces.size()];
        PackageImage image(model);
        for (int step = 0; step < 20; ++step) {
            const std::string& name = names[random() % names.size()];
            switch (random() % 4) {
                case 0: {
                    std::string payload;
                    for (int i = 0; i < 3; ++i) payload += pieces[random() % pieces.size()];
                    AppendSection(name, payload, image);
                    model += SectionStartMarker(name) + payload + SectionEndMarker(name);
                    break;
                }
                case 1:
                    DeleteSection(name, image);
                    ModelDelete(model, name);
                    break;
                case 2:
                    if (!model.empty()) {
                        const size_t pos = random() % model.size();
                        const char byte = pieces[random() % pieces.size()][0];
                        image.SetByte(pos, static_cast<uint8_t>(byte));
                        model[pos] = byte;
                    }
                    break;
                default: {
                    std::string expected = "untouched";
                    const bool found = ModelExtract(model, name, expected);
                    EXPECT_EQ(Extracted(image, name), found ? expected : "<missing>");
                }
            }
            ASSERT_EQ(image.ToString(), model) << "round " << round << " step " << step;
        }
        for (const std::string& name : names) {
            std::string expected;
            const bool found = ModelExtract(model, name, expected);
            ASSERT_EQ(Extracted(image, name), found ? expected : "<missing>") << "round " << round;
        }
    }
}

}  // namespace
}  // namespace kolvane
