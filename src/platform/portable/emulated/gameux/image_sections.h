// The sections of a PE image, indexed so that finding where an RVA lies in the file costs a
// binary search however many sections there are: a hostile image may declare 65,535 of them and
// then point every resource entry outside them all.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct ImageSection {
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

class ImageSections {
  public:
    // sections in the order of the image's table; fileSize is the size of the image's file.
    ImageSections(const std::vector<ImageSection>& sections, std::uint64_t fileSize);

    // Where the image's bytes at [rva, rva + count) lie in the file: within one section's raw
    // data, which must itself lie in the file. Where sections overlap, the one that reaches
    // furthest of those that start at or before rva holds them (well-formed images have no
    // overlap, so for them this is the one section that holds rva).
    std::optional<std::uint64_t> FileOffset(std::uint64_t rva, std::uint64_t count) const;

    // Sections compared by FileOffset so far: about log2 of their number per call.
    std::uint64_t Probes() const { return probes_; }

  private:
    std::vector<ImageSection> sections_;  // those within the file, by virtual address
    // furthest_[i]: the section of sections_[0..i] whose raw data reaches the highest RVA.
    std::vector<std::size_t> furthest_;
    mutable std::uint64_t probes_ = 0;
};
