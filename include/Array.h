// Array: a SigCollection that starts with a given number of elements in use.

#ifndef ARRAY_H
#define ARRAY_H

#include "SigCollection.h"

template <class T>
class Array : public SigCollection<T> {
  public:
    Array();
    explicit Array(int arraySize);
    Array(const Array<T>& anArray);
    virtual ~Array();

    Array<T>& operator=(const Array<T>& anArray);
    void setAll(const T& aValue);
    void zero();
};

// The byte array, on the compact SigCollection of bytes: no virtual
// destructor, so that it stays as small as its base.
template <>
class Array<unsigned char> : public SigCollection<unsigned char> {
  public:
    Array() : SigCollection<unsigned char>(4) {}
    explicit Array(int arraySize) : SigCollection<unsigned char>(arraySize) {}
    Array(const Array<unsigned char>& anArray) = default;
    Array(Array<unsigned char>&& anArray) noexcept = default;
    ~Array() = default;

    Array<unsigned char>& operator=(const Array<unsigned char>& anArray) {
        SigCollection<unsigned char>::operator=(anArray);
        return *this;
    }
    void setAll(unsigned char aValue) {
        for (long i = 0; i < getSize(); i++) {
            getBase()[i] = aValue;
        }
    }
    void zero() { setAll(0); }
};

#include "Array.tpp"

#endif
