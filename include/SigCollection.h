// SigCollection: a growable, bounds-checked array.
//
// Indexing one past the end appends an element when index-growth is on;
// any other index outside 0 to size - 1 prints an error on standard error
// and ends the process with status 1.  Storage grows by growthAmount
// elements at a time (or by the amount asked for) and never shrinks on its
// own.  Newly allocated elements are value-initialised, so bytes start at 0.

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
    T& last();
    T& operator[](int elementIndex);
    const T& operator[](int elementIndex) const;
    void grow(long growamt = 0);

  protected:
    void shrinkTo(long aSize);
    [[noreturn]] static void badIndex(int elementIndex, long aSize);

    long size;
    long allocSize;
    T* array;
    char allowGrowthQ;
    long growthAmount;
    long maxSize;
};

#include "SigCollection.tpp"

#endif
