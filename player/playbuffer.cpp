// op_buffer: the written arrangement, padded to a multiple of four bytes.

#include "playbuffer.h"

#include <cstring>
#include <new>

#include "runstate.h"

long paddedLength(long length) {
    return (length + 3) / 4 * 4;
}

long fillPlaybackBuffer(const std::string& writtenFile) {
    const long fileLength = static_cast<long>(writtenFile.size());
    const long length = paddedLength(fileLength);
    op_buffer = new (std::nothrow) unsigned char[length > 0 ? length : 1];
    if (op_buffer == nullptr) {
        return -1;
    }
    std::memcpy(op_buffer, writtenFile.data(), writtenFile.size());
    std::memset(op_buffer + fileLength, 0, length - fileLength);
    return length;
}
