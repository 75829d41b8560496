#include "emulated/gameux/pe_resources.h"

#include <cstdint>
#include <vector>

#include "emulated/gameux/image_sections.h"
#include "text/case_folding.h"

namespace {

// Offsets and sizes of the image headers that the lookup walks through.
constexpr std::uint64_t kNewHeaderOffsetField = 0x3C;
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint64_t kFileHeaderSize = 20;
constexpr std::uint64_t kSectionCountField = 2;
constexpr std::uint64_t kOptionalHeaderSizeField = 16;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
// Where the data directory count lies in the optional header; the directories follow it.
constexpr std::uint64_t kPe32DirectoryCountField = 92;
constexpr std::uint64_t kPe32PlusDirectoryCountField = 108;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kDataDirectorySize = 8;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kResourceDirectoryHeaderSize = 16;
constexpr std::uint64_t kResourceEntrySize = 8;
constexpr std::uint64_t kResourceDataEntrySize = 16;
// The high bit of a resource entry's fields: the name is a string, the child a directory.
constexpr std::uint32_t kHighBit = 0x80000000;

// A little-endian number of `count` bytes at `position` of bytes read from the file.
std::uint32_t LittleEndian(const std::string& bytes, std::size_t position, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i-- > 0;) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[position + i]);
    }
    return value;
}

class ImageReader {
  public:
    explicit ImageReader(std::istream& image) : image_(image) {
        image_.seekg(0, std::ios::end);
        const std::streamoff end = image_.tellg();
        size_ = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }

    // The bytes at [offset, offset + count), or nothing when they are not all in the file.
    std::optional<std::string> Bytes(std::uint64_t offset, std::uint64_t count) {
        if (offset > size_ || count > size_ - offset) {
            return std::nullopt;
        }
        std::string bytes(count, '\0');
        image_.clear();
        image_.seekg(static_cast<std::streamoff>(offset));
        if (!image_.read(bytes.data(), static_cast<std::streamsize>(count))) {
            return std::nullopt;
        }
        return bytes;
    }
    std::optional<std::uint32_t> U16(std::uint64_t offset) { return Number(offset, 2); }
    std::optional<std::uint32_t> U32(std::uint64_t offset) { return Number(offset, 4); }

    // Where the image's bytes at [rva, rva + count) lie in the file (image_sections.h); nothing
    // before ReadHeaders has read the section table.
    std::optional<std::uint64_t> FileOffset(std::uint64_t rva, std::uint64_t count) const {
        return sections_ ? sections_->FileOffset(rva, count) : std::nullopt;
    }

    // Reads the headers and the section table: false when they are not those of a PE image.
    // resourceRoot is then the RVA of the resource tree's root, 0 when the image has none.
    bool ReadHeaders(std::uint32_t& resourceRoot);

  private:
    std::optional<std::uint32_t> Number(std::uint64_t offset, std::uint64_t count) {
        const std::optional<std::string> bytes = Bytes(offset, count);
        if (!bytes) {
            return std::nullopt;
        }
        return LittleEndian(*bytes, 0, count);
    }

    std::istream& image_;
    std::uint64_t size_ = 0;
    std::optional<ImageSections> sections_;
};

bool ImageReader::ReadHeaders(std::uint32_t& resourceRoot) {
    resourceRoot = 0;
    const std::optional<std::uint32_t> dosMagic = U16(0);
    const std::optional<std::uint32_t> peOffset = U32(kNewHeaderOffsetField);
    if (dosMagic != 0x5A4D || !peOffset || U32(*peOffset) != kPeSignature) {  // "MZ"
        return false;
    }
    const std::uint64_t fileHeader = std::uint64_t{*peOffset} + 4;
    const std::uint64_t optionalHeader = fileHeader + kFileHeaderSize;
    const std::optional<std::uint32_t> sectionCount = U16(fileHeader + kSectionCountField);
    const std::optional<std::uint32_t> optionalSize = U16(fileHeader + kOptionalHeaderSizeField);
    const std::optional<std::uint32_t> magic = U16(optionalHeader);
    if (!sectionCount || !optionalSize || !magic) {
        return false;
    }
    std::uint64_t countField = 0;
    if (*magic == kPe32Magic) {
        countField = kPe32DirectoryCountField;
    } else if (*magic == kPe32PlusMagic) {
        countField = kPe32PlusDirectoryCountField;
    } else {
        return false;
    }
    const std::uint64_t sectionTable = optionalHeader + *optionalSize;
    // Read as a whole first, so that a count beyond the file costs nothing.
    const std::optional<std::string> table =
        Bytes(sectionTable, *sectionCount * kSectionHeaderSize);
    const std::optional<std::uint32_t> directoryCount = U32(optionalHeader + countField);
    if (!table || !directoryCount) {
        return false;
    }
    std::vector<ImageSection> sections;
    sections.reserve(*sectionCount);
    for (std::uint64_t i = 0; i < *sectionCount; ++i) {
        const std::size_t header = i * kSectionHeaderSize;
        sections.push_back({LittleEndian(*table, header + 12, 4),
                            LittleEndian(*table, header + 16, 4),
                            LittleEndian(*table, header + 20, 4)});
    }
    sections_.emplace(sections, size_);
    // An image with fewer directories, or a resource directory outside its optional header,
    // has no resources.
    const std::uint64_t directory = countField + 4 + kResourceDirectoryIndex * kDataDirectorySize;
    if (*directoryCount > kResourceDirectoryIndex &&
        directory + kDataDirectorySize <= *optionalSize) {
        resourceRoot = U32(optionalHeader + directory).value_or(0);
    }
    return true;
}

bool SameName(const std::string& units, std::u16string_view name) {
    auto upper = [](std::uint32_t c) { return FoldCase(static_cast<wchar_t>(c)); };
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (upper(LittleEndian(units, 2 * i, 2)) != upper(name[i])) {
            return false;
        }
    }
    return true;
}

// The resource tree: directories of entries, each naming a child directory or a data entry by
// its offset from the tree's root.
class ResourceTree {
  public:
    ResourceTree(ImageReader& image, std::uint32_t rootRva) : image_(image), rootRva_(rootRva) {}

    // The child field of the entry with the string name `name` in the directory at `offset`, or
    // of its first entry (named or numbered) when `name` is none.
    std::optional<std::uint32_t> Child(std::uint32_t offset,
                                       std::optional<std::u16string_view> name) {
        const std::optional<std::string> header = At(offset, kResourceDirectoryHeaderSize);
        if (!header) {
            return std::nullopt;
        }
        const std::uint32_t named = LittleEndian(*header, 12, 2);
        const std::uint32_t numbered = LittleEndian(*header, 14, 2);
        const std::uint32_t count = name ? named : named + numbered;
        const std::uint64_t first = offset + kResourceDirectoryHeaderSize;
        // The entries in one read when they all lie in the image, else one by one up to the
        // first that does not: a directory may list up to 65,535 of each kind.
        const std::optional<std::string> all = At(first, count * kResourceEntrySize);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t at = i * kResourceEntrySize;
            const std::optional<std::string> one =
                all ? std::nullopt : At(first + at, kResourceEntrySize);
            if (!all && !one) {
                return std::nullopt;
            }
            const std::string& entries = all ? *all : *one;
            const std::size_t start = all ? at : 0;
            const std::uint32_t nameField = LittleEndian(entries, start, 4);
            if (!name || ((nameField & kHighBit) != 0 && HasName(nameField & ~kHighBit, *name))) {
                return LittleEndian(entries, start + 4, 4);
            }
        }
        return std::nullopt;
    }

    // The size that the data entry at `offset` claims, when the entry is in the file.
    std::optional<std::uint32_t> ClaimedSize(std::uint32_t offset) {
        const std::optional<std::string> entry = At(offset, kResourceDataEntrySize);
        return entry ? std::optional(LittleEndian(*entry, 4, 4)) : std::nullopt;
    }

    // The bytes that the data entry at `offset` describes, when there are at most maxSize.
    std::optional<std::string> Data(std::uint32_t offset, std::uint32_t maxSize) {
        const std::optional<std::string> entry = At(offset, kResourceDataEntrySize);
        if (!entry) {
            return std::nullopt;
        }
        const std::uint32_t size = LittleEndian(*entry, 4, 4);
        if (size > maxSize) {
            return std::nullopt;
        }
        const std::optional<std::uint64_t> data =
            image_.FileOffset(LittleEndian(*entry, 0, 4), size);
        return data ? image_.Bytes(*data, size) : std::nullopt;
    }

  private:
    std::optional<std::string> At(std::uint64_t offset, std::uint64_t count) {
        const std::optional<std::uint64_t> where = image_.FileOffset(rootRva_ + offset, count);
        return where ? image_.Bytes(*where, count) : std::nullopt;
    }
    // Names are counted UTF-16 strings: a length, then that many units.
    bool HasName(std::uint32_t offset, std::u16string_view name) {
        const std::optional<std::string> length = At(offset, 2);
        if (!length || LittleEndian(*length, 0, 2) != name.size()) {
            return false;
        }
        const std::optional<std::string> units = At(std::uint64_t{offset} + 2, name.size() * 2);
        return units && SameName(*units, name);
    }

    ImageReader& image_;
    std::uint64_t rootRva_;
};

}  // namespace

LONG CheckImage(std::istream& image) {
    ImageReader reader(image);
    std::uint32_t root = 0;
    return reader.ReadHeaders(root) ? ERROR_SUCCESS : ERROR_BAD_EXE_FORMAT;
}

ResourceLookup FindNamedResource(std::istream& image, std::u16string_view type,
                                 std::u16string_view name, std::uint32_t maxSize) {
    ImageReader reader(image);
    std::uint32_t root = 0;
    if (!reader.ReadHeaders(root)) {
        return {ERROR_BAD_EXE_FORMAT, std::nullopt};
    }
    if (root == 0) {
        return {ERROR_RESOURCE_DATA_NOT_FOUND, std::nullopt};
    }
    ResourceTree tree(reader, root);
    // Three levels: type, name, language. The first two lead to directories, the third to data.
    const std::optional<std::uint32_t> names = tree.Child(0, type);
    if (!names || (*names & kHighBit) == 0) {
        return {ERROR_RESOURCE_TYPE_NOT_FOUND, std::nullopt};
    }
    const std::optional<std::uint32_t> languages = tree.Child(*names & ~kHighBit, name);
    if (!languages || (*languages & kHighBit) == 0) {
        return {ERROR_RESOURCE_NAME_NOT_FOUND, std::nullopt};
    }
    const std::optional<std::uint32_t> data = tree.Child(*languages & ~kHighBit, std::nullopt);
    if (!data || (*data & kHighBit) != 0) {
        return {ERROR_RESOURCE_LANG_NOT_FOUND, std::nullopt};
    }
    return {ERROR_SUCCESS, tree.Data(*data, maxSize), tree.ClaimedSize(*data).value_or(0)};
}
