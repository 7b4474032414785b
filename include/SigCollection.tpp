// Template bodies of SigCollection; included by SigCollection.h.

#include <cstdlib>
#include <iostream>

#include "FatalError.h"

template <class T>
SigCollection<T>::SigCollection()
    : size(0), allocSize(0), array(nullptr), allowGrowthQ(0),
      growthAmount(8), maxSize(0) {}

template <class T>
SigCollection<T>::SigCollection(int arraySize)
    : size(0), allocSize(0), array(nullptr), allowGrowthQ(0),
      growthAmount(arraySize), maxSize(0) {
    if (arraySize > 0) {
        array = new T[arraySize]();
        size = arraySize;
        allocSize = arraySize;
    }
}

template <class T>
SigCollection<T>::SigCollection(const SigCollection<T>& aCollection)
    : size(0), allocSize(0), array(nullptr),
      allowGrowthQ(aCollection.allowGrowthQ),
      growthAmount(aCollection.growthAmount), maxSize(aCollection.maxSize) {
    if (aCollection.size > 0) {
        array = new T[aCollection.size]();
        allocSize = aCollection.size;
        for (long i = 0; i < aCollection.size; i++) {
            array[i] = aCollection.array[i];
        }
        size = aCollection.size;
    }
}

template <class T>
SigCollection<T>& SigCollection<T>::operator=(const SigCollection<T>& aCollection) {
    if (this == &aCollection) {
        return *this;
    }
    if (allocSize < aCollection.size) {
        delete[] array;
        array = new T[aCollection.size]();
        allocSize = aCollection.size;
        allowGrowthQ = aCollection.allowGrowthQ;
        growthAmount = aCollection.growthAmount;
        maxSize = aCollection.maxSize;
    }
    size = aCollection.size;
    for (long i = 0; i < size; i++) {
        array[i] = aCollection.array[i];
    }
    return *this;
}

template <class T>
SigCollection<T>::~SigCollection() {
    if (allocSize != 0 && array != nullptr) {
        delete[] array;
    }
    array = nullptr;
    allocSize = 0;
    size = 0;
}

template <class T>
void SigCollection<T>::allowGrowth(int status) {
    allowGrowthQ = status ? 1 : 0;
}

template <class T>
void SigCollection<T>::append(const T& element) {
    if (size == allocSize) {
        grow();
    }
    array[size] = element;
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
void SigCollection<T>::setSize(long newSize) {
    if (allocSize < newSize) {
        grow(newSize - allocSize);
    }
    size = newSize;
}

template <class T>
void SigCollection<T>::setAllocSize(long aSize) {
    if (aSize < size) {
        std::cerr << "Error: cannot set allocated size smaller than actual size." << std::endl;
        fatalExit();
    }
    if (aSize <= allocSize) {
        shrinkTo(aSize);
    } else {
        grow(aSize - allocSize);
    }
}

template <class T>
T& SigCollection<T>::last() {
    return (*this)[static_cast<int>(size - 1)];
}

template <class T>
void SigCollection<T>::badIndex(int elementIndex, long aSize) {
    std::cerr << "Error: accessing invalid array location " << elementIndex
              << " Maximum is " << aSize - 1 << std::endl;
    fatalExit();
}

template <class T>
T& SigCollection<T>::operator[](int elementIndex) {
    if (allowGrowthQ && elementIndex == size) {
        if (size == allocSize) {
            grow(growthAmount);
        }
        size++;
        return array[elementIndex];
    }
    if (elementIndex < 0 || elementIndex >= size) {
        badIndex(elementIndex, size);
    }
    return array[elementIndex];
}

template <class T>
const T& SigCollection<T>::operator[](int elementIndex) const {
    if (elementIndex < 0 || elementIndex >= size) {
        badIndex(elementIndex, size);
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
    allocSize += growamt;
    if (maxSize != 0 && allocSize > maxSize) {
        std::cerr << "Error: Maximum size allowed for array exceeded." << std::endl;
        fatalExit();
    }
    T* temp = new T[allocSize]();
    for (long i = 0; i < size && i < allocSize; i++) {
        temp[i] = array[i];
    }
    delete[] array;
    array = temp;
}

template <class T>
void SigCollection<T>::shrinkTo(long aSize) {
    if (aSize < size) {
        fatalExit();
    }
    T* temp = aSize > 0 ? new T[aSize]() : nullptr;
    for (long i = 0; i < size; i++) {
        temp[i] = array[i];
    }
    delete[] array;
    array = temp;
    allocSize = aSize;
}
