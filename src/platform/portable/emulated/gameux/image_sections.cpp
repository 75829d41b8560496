#include "emulated/gameux/image_sections.h"

#include <algorithm>

namespace {

std::uint64_t EndOf(const ImageSection& section) {
    return std::uint64_t{section.virtualAddress} + section.rawSize;
}

}  // namespace

ImageSections::ImageSections(const std::vector<ImageSection>& sections, std::uint64_t fileSize) {
    // A section whose raw data lies outside the file holds nothing that can be read.
    for (const ImageSection& section : sections) {
        if (std::uint64_t{section.rawOffset} + section.rawSize <= fileSize) {
            sections_.push_back(section);
        }
    }
    std::stable_sort(sections_.begin(), sections_.end(),
                     [](const ImageSection& a, const ImageSection& b) {
                         return a.virtualAddress < b.virtualAddress;
                     });
    furthest_.reserve(sections_.size());
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const bool reachesFurther =
            furthest_.empty() || EndOf(sections_[i]) > EndOf(sections_[furthest_.back()]);
        furthest_.push_back(reachesFurther ? i : furthest_.back());
    }
}

std::optional<std::uint64_t> ImageSections::FileOffset(std::uint64_t rva,
                                                       std::uint64_t count) const {
    // How many sections start at or before rva: a binary search, counted.
    std::size_t low = 0;
    std::size_t high = sections_.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        ++probes_;
        if (sections_[middle].virtualAddress <= rva) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low == 0) {
        return std::nullopt;
    }
    const ImageSection& section = sections_[furthest_[low - 1]];
    const std::uint64_t into = rva - section.virtualAddress;
    if (into > section.rawSize || count > section.rawSize - into) {
        return std::nullopt;
    }
    return section.rawOffset + into;
}
