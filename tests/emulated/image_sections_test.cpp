#include "emulated/gameux/image_sections.h"

#include <gtest/gtest.h>

#include <sstream>

#include "emulated/base/win32_codes.h"
#include "emulated/gameux/pe_resources.h"

namespace {

constexpr std::uint32_t kMostSections = 65535;
constexpr std::uint32_t kResourceRva = 0x1000;
// Every section but the resources' lies here, 0x1000 apart, 16 bytes each.
constexpr std::uint32_t kFirstOtherRva = 0x10000000;
// A name offset that puts each entry's name beyond every section.
constexpr std::uint32_t kNameOutsideEverySection = 0x7FFF0000;

void Put(std::string& bytes, std::size_t at, std::uint32_t value, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::vector<ImageSection> HostileSections(std::uint32_t resourceOffset,
                                          std::uint32_t resourceSize) {
    std::vector<ImageSection> sections{{kResourceRva, resourceSize, resourceOffset}};
    for (std::uint32_t i = 1; i < kMostSections; ++i) {
        sections.push_back({kFirstOtherRva + i * 0x1000, 16, 0});
    }
    return sections;
}

// A PE32 image (3.2 MB) with the most sections an image can have and a resource tree whose root
// lists 65,535 named types, every name outside every section: a lookup then tries every entry,
// and each entry's name in vain.
std::string HostileImage() {
    constexpr std::size_t kPeOffset = 0x40;
    constexpr std::size_t kOptionalHeader = kPeOffset + 24;
    constexpr std::size_t kOptionalHeaderSize = 224;
    constexpr std::size_t kSectionTable = kOptionalHeader + kOptionalHeaderSize;
    constexpr std::uint32_t kResourceOffset = 0x290000;
    constexpr std::uint32_t kResourceSize = 16 + kMostSections * 8;
    std::string image(kResourceOffset + kResourceSize, '\0');
    Put(image, 0, 0x5A4D, 2);  // "MZ"
    Put(image, 0x3C, kPeOffset, 4);
    Put(image, kPeOffset, 0x00004550, 4);  // "PE\0\0"
    Put(image, kPeOffset + 6, kMostSections, 2);
    Put(image, kPeOffset + 20, kOptionalHeaderSize, 2);
    Put(image, kOptionalHeader, 0x10B, 2);
    Put(image, kOptionalHeader + 92, 16, 4);                 // data directories
    Put(image, kOptionalHeader + 96 + 16, kResourceRva, 4);  // the resource directory
    const std::vector<ImageSection> sections = HostileSections(kResourceOffset, kResourceSize);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        Put(image, kSectionTable + i * 40 + 12, sections[i].virtualAddress, 4);
        Put(image, kSectionTable + i * 40 + 16, sections[i].rawSize, 4);
        Put(image, kSectionTable + i * 40 + 20, sections[i].rawOffset, 4);
    }
    Put(image, kResourceOffset + 12, kMostSections, 2);
    for (std::uint32_t i = 0; i < kMostSections; ++i) {
        Put(image, kResourceOffset + 16 + i * 8, 0x80000000 | kNameOutsideEverySection, 4);
        Put(image, kResourceOffset + 20 + i * 8, 0x80000000 | 16, 4);
    }
    return image;
}

TEST(ImageSectionsTest, ImageOfTheMostSectionsWithEveryNameOutsideThemIsRead) {
    std::istringstream image(HostileImage());
    EXPECT_EQ(FindNamedResource(image, u"DATA", u"__GDF_XML", 1 << 20).error,
              ERROR_RESOURCE_TYPE_NOT_FOUND);
}

TEST(ImageSectionsTest, EachLookupComparesAboutLog2OfTheSections) {
    const ImageSections sections(HostileSections(0x290000, 16), 0x300000);
    for (std::uint32_t i = 0; i < kMostSections; ++i) {
        EXPECT_EQ(sections.FileOffset(kNameOutsideEverySection + i, 2), std::nullopt);
    }
    EXPECT_EQ(sections.FileOffset(kResourceRva + 4, 12), 0x290004u);
    EXPECT_EQ(sections.FileOffset(kFirstOtherRva + 7 * 0x1000 + 15, 1), 15u);
    EXPECT_EQ(sections.FileOffset(kFirstOtherRva + 7 * 0x1000 + 15, 2), std::nullopt);
    // 17 comparisons find a place among 65,535 sections.
    EXPECT_LE(sections.Probes(), (kMostSections + 3) * 17u);
}

TEST(ImageSectionsTest, SectionsOutsideTheFileHoldNothingAndOverlapsReachFurthest) {
    const ImageSections sections(
        {{0x1000, 0x100, 0x400}, {0x1000, 0x800, 0x500}, {0x1080, 0x10, 0x9000}}, 0x1000);
    EXPECT_EQ(sections.FileOffset(0x1090, 0x100), 0x590u);
    EXPECT_EQ(sections.FileOffset(0x1000, 0x10), 0x500u);
    EXPECT_EQ(sections.FileOffset(0x0FFF, 1), std::nullopt);
    EXPECT_EQ(sections.FileOffset(0x1800, 1), std::nullopt);
}

}  // namespace
