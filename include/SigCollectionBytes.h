// SigCollection<unsigned char>: the byte array, in a compact form.
//
// Every event of a MIDI file owns one, so it is small (24 bytes) and keeps
// up to eight bytes inside itself: channel messages, tempo and end-of-track
// events need no storage of their own.  It behaves as the general
// SigCollection does (sizes, storage sizes, growth, index-growth and the
// fatal errors), except that it holds at most 2^31 - 1 bytes; growing
// beyond that is the error of exceeding the maximum size.  It has no
// virtual destructor.

#ifndef SIGCOLLECTIONBYTES_H
#define SIGCOLLECTIONBYTES_H

#include <cstdint>

#include "ArrayErrors.h"

template <>
class SigCollection<unsigned char> {
  public:
    SigCollection() : size(0), allocSize(0), growthAmount(8), allowGrowthQ(0) { local = 0; }
    explicit SigCollection(int arraySize)
        : size(0), allocSize(0), growthAmount(arraySize), allowGrowthQ(0) {
        local = 0;
        if (arraySize > localBytes) {
            moveStorage(arraySize);
        } else if (arraySize > 0) {
            allocSize = arraySize;
        }
        if (arraySize > 0) {
            size = arraySize;
        }
    }
    SigCollection(const SigCollection<unsigned char>& aCollection);
    // Takes the bytes and the settings as they are; the source is left
    // empty, without storage.
    SigCollection(SigCollection<unsigned char>&& aCollection) noexcept;
    SigCollection<unsigned char>& operator=(const SigCollection<unsigned char>& aCollection);
    ~SigCollection() {
        if (!isLocal()) {
            delete[] heap;
        }
    }

    void allowGrowth(int status = 1) { allowGrowthQ = status ? 1 : 0; }
    void append(unsigned char element) {
        if (size == allocSize) {
            grow();
        }
        bytes()[size++] = element;
    }
    unsigned char* getBase() { return allocSize == 0 ? nullptr : bytes(); }
    const unsigned char* getBase() const { return allocSize == 0 ? nullptr : bytes(); }
    long getAllocSize() const { return allocSize; }
    long getSize() const { return size; }
    long getGrowth() const { return growthAmount; }
    void setGrowth(long growth);
    void setSize(long newSize) {
        if (allocSize < newSize) {
            grow(newSize - allocSize);
        }
        size = static_cast<int32_t>(newSize);
    }
    void setAllocSize(long aSize);
    unsigned char& increase(long addcount = 1);
    unsigned char& last() { return (*this)[size - 1]; }
    unsigned char& operator[](int elementIndex) {
        if (allowGrowthQ && elementIndex == size) {
            if (size == allocSize) {
                grow(growthAmount);
            }
            size++;
        } else if (elementIndex < 0 || elementIndex >= size) {
            arrayIndexError(elementIndex, size);
        }
        return bytes()[elementIndex];
    }
    const unsigned char& operator[](int elementIndex) const {
        if (elementIndex < 0 || elementIndex >= size) {
            arrayIndexError(elementIndex, size);
        }
        return bytes()[elementIndex];
    }
    void grow(long growamt = 0);

  protected:
    static const int localBytes = 8;

    bool isLocal() const { return allocSize <= localBytes; }
    unsigned char* bytes() { return isLocal() ? localBytesOf() : heap; }
    const unsigned char* bytes() const {
        return isLocal() ? reinterpret_cast<const unsigned char*>(&local) : heap;
    }
    unsigned char* localBytesOf() { return reinterpret_cast<unsigned char*>(&local); }
    void shrinkTo(long aSize);
    // Storage of exactly newAlloc bytes holding the first size bytes; the
    // rest of it is zero.
    void moveStorage(long newAlloc);

    int32_t size;
    int32_t allocSize;
    union {
        unsigned char* heap;  // when allocSize > localBytes
        uint64_t local;       // the bytes themselves otherwise
    };
    int32_t growthAmount;
    char allowGrowthQ;
};

#endif
