// A read-only, seekable stream buffer over a HostFile, so that readers written for streams (the
// game definition reader) reach the host's files through the one file layer, where every read
// is counted and can be made to fail.
#pragma once

#include <array>
#include <cstdint>
#include <streambuf>

#include "emulated/host/host_files.h"

class HostFileStreamBuf : public std::streambuf {
  public:
    // The file must stay open while the stream buffer is used.
    explicit HostFileStreamBuf(HostFile& file) : file_(file) {}

  protected:
    int_type underflow() override;
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode which) override;
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override;

  private:
    std::uint64_t Position() const {
        return bufferStart_ + static_cast<std::uint64_t>(gptr() - eback());
    }

    HostFile& file_;
    std::array<char, 4096> buffer_{};  // a page: the reader jumps between small headers
    std::uint64_t bufferStart_ = 0;    // the file offset of buffer_[0]
};
