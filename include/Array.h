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

#include "Array.tpp"

#endif
