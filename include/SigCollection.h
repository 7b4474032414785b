// SigCollection: a growable, bounds-checked array.
//
// Indexing one past the end appends an element when index-growth is on;
// any other index outside 0 to size - 1 prints an error on standard error
// and ends the process with status 1.  Storage grows by growthAmount
// elements at a time (or by the amount asked for) and never shrinks on its
// own.  Elements come into being value-initialised (bytes and numbers as 0)
// when the size first reaches them, so storage that is reserved but never
// used is never touched.  When storage grows, the elements move into it.
//
// Byte arrays have a compact form of their own (SigCollectionBytes.h) with
// the same behaviour.

#ifndef SIGCOLLECTION_H
#define SIGCOLLECTION_H

template <class T>
class SigCollection {
  public:
    SigCollection();
    explicit SigCollection(int arraySize);
    SigCollection(const SigCollection<T>& aCollection);
    SigCollection<T>& operator=(const SigCollection<T>& aCollection);
    virtual ~SigCollection();

    void allowGrowth(int status = 1);
    void append(const T& element);
    T* getBase();
    const T* getBase() const;
    long getAllocSize() const;
    long getSize() const;
    long getGrowth() const;
    void setGrowth(long growth);
    void setSize(long newSize);
    void setAllocSize(long aSize);
    // Adds addcount elements at the end (storage grows as for append) and
    // returns the last one.
    T& increase(long addcount = 1);
    T& last();
    T& operator[](int elementIndex);
    const T& operator[](int elementIndex) const;
    void grow(long growamt = 0);

  protected:
    void shrinkTo(long aSize);
    // Storage of exactly newAlloc elements, holding the first size ones.
    void moveStorage(long newAlloc);
    // Elements up to (not including) anEnd exist.
    void buildUpTo(long anEnd);
    void release();

    long size;
    long allocSize;
    T* array;
    char allowGrowthQ;
    long growthAmount;
    long maxSize;
    long built;  // elements 0 to built - 1 exist; built >= size
};

#include "SigCollection.tpp"
#include "SigCollectionBytes.h"

#endif
