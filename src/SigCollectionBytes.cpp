// The compact byte array: what is not inline in its header.

#include <climits>
#include <cstring>

#include "FatalError.h"
#include "SigCollection.h"

namespace {

// A byte count as the compact array keeps it, or the maximum-size error.
int32_t fitting(long count) {
    if (count > INT32_MAX) {
        arrayMaximumExceeded();
    }
    return static_cast<int32_t>(count);
}

}  // namespace

SigCollection<unsigned char>::SigCollection(const SigCollection<unsigned char>& aCollection)
    : size(0), allocSize(0), growthAmount(aCollection.growthAmount),
      allowGrowthQ(aCollection.allowGrowthQ) {
    local = 0;
    if (aCollection.size > 0) {
        moveStorage(aCollection.size);
        std::memcpy(bytes(), aCollection.bytes(), static_cast<size_t>(aCollection.size));
        size = aCollection.size;
    }
}

SigCollection<unsigned char>::SigCollection(SigCollection<unsigned char>&& aCollection) noexcept
    : size(aCollection.size), allocSize(aCollection.allocSize),
      growthAmount(aCollection.growthAmount), allowGrowthQ(aCollection.allowGrowthQ) {
    local = aCollection.local;  // the inline bytes, or the storage pointer
    aCollection.size = 0;
    aCollection.allocSize = 0;
    aCollection.local = 0;
}

// Storage is replaced only when it is too small; the replacement takes the
// source's growth settings.  Then size and bytes follow the source.
SigCollection<unsigned char>& SigCollection<unsigned char>::operator=(
    const SigCollection<unsigned char>& aCollection) {
    if (this == &aCollection) {
        return *this;
    }
    if (allocSize < aCollection.size) {
        size = 0;
        moveStorage(aCollection.size);
        allowGrowthQ = aCollection.allowGrowthQ;
        growthAmount = aCollection.growthAmount;
    }
    size = aCollection.size;
    if (size > 0) {
        std::memcpy(bytes(), aCollection.bytes(), static_cast<size_t>(size));
    }
    return *this;
}

void SigCollection<unsigned char>::setGrowth(long growth) {
    growthAmount = growth > INT32_MAX ? INT32_MAX : growth < INT32_MIN ? INT32_MIN
                                                                       : static_cast<int32_t>(growth);
}

void SigCollection<unsigned char>::setAllocSize(long aSize) {
    if (aSize < size) {
        arrayStorageBelowSize();
    }
    if (aSize <= allocSize) {
        shrinkTo(aSize);
    } else {
        grow(aSize - allocSize);
    }
}

unsigned char& SigCollection<unsigned char>::increase(long addcount) {
    const long wanted = static_cast<long>(size) + addcount;
    if (wanted > allocSize) {
        grow(wanted - allocSize > growthAmount ? wanted - allocSize : 0);
    }
    size = fitting(wanted);
    return bytes()[size - 1];
}

void SigCollection<unsigned char>::grow(long growamt) {
    if (growamt <= 0) {
        growamt = growthAmount;
    }
    if (growamt <= 0) {
        growamt = 8;  // no growth amount of its own: still make room
    }
    moveStorage(fitting(static_cast<long>(allocSize) + growamt));
}

void SigCollection<unsigned char>::shrinkTo(long aSize) {
    if (aSize < size) {
        fatalExit();
    }
    moveStorage(aSize);
}

void SigCollection<unsigned char>::moveStorage(long newAlloc) {
    const long keep = size < 0 ? 0 : size < newAlloc ? size : newAlloc;
    if (newAlloc <= localBytes) {
        uint64_t kept = 0;
        std::memcpy(&kept, bytes(), static_cast<size_t>(keep));
        if (!isLocal()) {
            delete[] heap;
        }
        local = kept;
    } else {
        unsigned char* fresh = new unsigned char[newAlloc];
        std::memcpy(fresh, bytes(), static_cast<size_t>(keep));
        std::memset(fresh + keep, 0, static_cast<size_t>(newAlloc - keep));
        if (!isLocal()) {
            delete[] heap;
        }
        heap = fresh;
    }
    allocSize = static_cast<int32_t>(newAlloc);
}
