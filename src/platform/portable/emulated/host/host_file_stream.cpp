#include "emulated/host/host_file_stream.h"

HostFileStreamBuf::int_type HostFileStreamBuf::underflow() {
    const std::uint64_t position = Position();
    std::size_t got = 0;
    // A failed read ends the stream: the reader then sees a file that is too short.
    if (file_.ReadAt(position, buffer_.data(), buffer_.size(), got) != 0 || got == 0) {
        setg(buffer_.data(), buffer_.data(), buffer_.data());
        bufferStart_ = position;
        return traits_type::eof();
    }
    bufferStart_ = position;
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(buffer_[0]);
}

HostFileStreamBuf::pos_type HostFileStreamBuf::seekoff(off_type offset,
                                                       std::ios_base::seekdir direction,
                                                       std::ios_base::openmode which) {
    off_type base = 0;
    if (direction == std::ios_base::cur) {
        base = static_cast<off_type>(Position());
    } else if (direction == std::ios_base::end) {
        std::uint64_t size = 0;
        if (file_.SizeOf(size) != 0) {
            return pos_type(off_type(-1));
        }
        base = static_cast<off_type>(size);
    }
    return seekpos(pos_type(base + offset), which);
}

HostFileStreamBuf::pos_type HostFileStreamBuf::seekpos(pos_type position,
                                                       std::ios_base::openmode which) {
    if ((which & std::ios_base::in) == 0 || off_type(position) < 0) {
        return pos_type(off_type(-1));
    }
    // Nothing is read until the next character is asked for.
    bufferStart_ = static_cast<std::uint64_t>(off_type(position));
    setg(buffer_.data(), buffer_.data(), buffer_.data());
    return position;
}
