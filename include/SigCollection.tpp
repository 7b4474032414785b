// Template bodies of SigCollection; included by SigCollection.h.

#include <cstdlib>
#include <new>
#include <utility>

#include "ArrayErrors.h"
#include "ElementStorage.h"
#include "FatalError.h"

template <class T>
SigCollection<T>::SigCollection()
    : size(0), allocSize(0), array(nullptr), allowGrowthQ(0), growthAmount(8), maxSize(0),
      built(0) {}

template <class T>
SigCollection<T>::SigCollection(int arraySize)
    : size(0), allocSize(0), array(nullptr), allowGrowthQ(0), growthAmount(arraySize),
      maxSize(0), built(0) {
    if (arraySize > 0) {
        moveStorage(arraySize);
        buildUpTo(arraySize);
        size = arraySize;
    }
}

template <class T>
SigCollection<T>::SigCollection(const SigCollection<T>& aCollection)
    : size(0), allocSize(0), array(nullptr), allowGrowthQ(aCollection.allowGrowthQ),
      growthAmount(aCollection.growthAmount), maxSize(aCollection.maxSize), built(0) {
    if (aCollection.size > 0) {
        moveStorage(aCollection.size);
        for (; built < aCollection.size; built++) {
            new (array + built) T(aCollection.array[built]);
        }
        size = aCollection.size;
    }
}

// Storage is replaced only when it is too small; the replacement takes the
// source's growth settings.  Then size and elements follow the source.
template <class T>
SigCollection<T>& SigCollection<T>::operator=(const SigCollection<T>& aCollection) {
    if (this == &aCollection) {
        return *this;
    }
    if (allocSize < aCollection.size) {
        release();
        moveStorage(aCollection.size);
        allowGrowthQ = aCollection.allowGrowthQ;
        growthAmount = aCollection.growthAmount;
        maxSize = aCollection.maxSize;
    }
    for (long i = 0; i < aCollection.size; i++) {
        if (i < built) {
            array[i] = aCollection.array[i];
        } else {
            new (array + i) T(aCollection.array[i]);
            built = i + 1;
        }
    }
    size = aCollection.size;
    return *this;
}

template <class T>
SigCollection<T>::~SigCollection() {
    release();
}

template <class T>
void SigCollection<T>::release() {
    for (long i = 0; i < built; i++) {
        array[i].~T();
    }
    releaseElements(array);
    array = nullptr;
    allocSize = 0;
    size = 0;
    built = 0;
}

template <class T>
void SigCollection<T>::allowGrowth(int status) {
    allowGrowthQ = status ? 1 : 0;
}

template <class T>
void SigCollection<T>::append(const T& element) {
    if (size == allocSize) {
        if (array <= &element && &element < array + built) {
            const T copy(element);  // the element moves when storage grows
            grow();
            increase() = copy;
            return;
        }
        grow();
    }
    if (size < built) {
        array[size] = element;
    } else {
        new (array + size) T(element);
        built = size + 1;
    }
    size++;
}

template <class T>
T* SigCollection<T>::getBase() {
    return array;
}

template <class T>
const T* SigCollection<T>::getBase() const {
    return array;
}

template <class T>
long SigCollection<T>::getAllocSize() const {
    return allocSize;
}

template <class T>
long SigCollection<T>::getSize() const {
    return size;
}

template <class T>
long SigCollection<T>::getGrowth() const {
    return growthAmount;
}

template <class T>
void SigCollection<T>::setGrowth(long growth) {
    growthAmount = growth;
}

template <class T>
void SigCollection<T>::buildUpTo(long anEnd) {
    for (; built < anEnd; built++) {
        new (array + built) T();
    }
}

template <class T>
void SigCollection<T>::setSize(long newSize) {
    if (allocSize < newSize) {
        grow(newSize - allocSize);
    }
    buildUpTo(newSize);
    size = newSize;
}

template <class T>
void SigCollection<T>::setAllocSize(long aSize) {
    if (aSize < size) {
        arrayStorageBelowSize();
    }
    if (aSize <= allocSize) {
        shrinkTo(aSize);
    } else {
        grow(aSize - allocSize);
    }
}

template <class T>
T& SigCollection<T>::increase(long addcount) {
    if (size + addcount > allocSize) {
        grow(size + addcount - allocSize > growthAmount ? size + addcount - allocSize : 0);
    }
    buildUpTo(size + addcount);
    size += addcount;
    return array[size - 1];
}

template <class T>
T& SigCollection<T>::last() {
    return (*this)[static_cast<int>(size - 1)];
}

template <class T>
T& SigCollection<T>::operator[](int elementIndex) {
    if (allowGrowthQ && elementIndex == size) {
        if (size == allocSize) {
            grow(growthAmount);
        }
        buildUpTo(size + 1);
        size++;
        return array[elementIndex];
    }
    if (elementIndex < 0 || elementIndex >= size) {
        arrayIndexError(elementIndex, size);
    }
    return array[elementIndex];
}

template <class T>
const T& SigCollection<T>::operator[](int elementIndex) const {
    if (elementIndex < 0 || elementIndex >= size) {
        arrayIndexError(elementIndex, size);
    }
    return array[elementIndex];
}

template <class T>
void SigCollection<T>::grow(long growamt) {
    if (growamt <= 0) {
        growamt = growthAmount;
    }
    if (growamt <= 0) {
        // A collection made with SigCollection(0) has no growth amount of
        // its own; growing it must still make room.
        growamt = 8;
    }
    if (maxSize != 0 && allocSize + growamt > maxSize) {
        arrayMaximumExceeded();
    }
    moveStorage(allocSize + growamt);
}

template <class T>
void SigCollection<T>::shrinkTo(long aSize) {
    if (aSize < size) {
        fatalExit();
    }
    moveStorage(aSize);
}

template <class T>
void SigCollection<T>::moveStorage(long newAlloc) {
    T* fresh = newAlloc > 0 ? static_cast<T*>(allocateElements(sizeof(T) * newAlloc)) : nullptr;
    const long keep = size < newAlloc ? size : newAlloc;
    for (long i = 0; i < keep; i++) {
        new (fresh + i) T(std::move(array[i]));
    }
    for (long i = 0; i < built; i++) {
        array[i].~T();
    }
    releaseElements(array);
    array = fresh;
    allocSize = newAlloc;
    built = keep > 0 ? keep : 0;
}
