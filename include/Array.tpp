// Template bodies of Array; included by Array.h.

template <class T>
Array<T>::Array() : SigCollection<T>(4) {}

template <class T>
Array<T>::Array(int arraySize) : SigCollection<T>(arraySize) {}

template <class T>
Array<T>::Array(const Array<T>& anArray) : SigCollection<T>(anArray) {}

template <class T>
Array<T>::~Array() {}

// Storage is replaced only when it is too small; the replacement takes the
// source's growth settings.  Then size and elements follow the source.
template <class T>
Array<T>& Array<T>::operator=(const Array<T>& anArray) {
    if (this == &anArray) {
        return *this;
    }
    if (this->allocSize < anArray.size) {
        delete[] this->array;
        this->array = new T[anArray.size]();
        this->allocSize = anArray.size;
        this->allowGrowthQ = anArray.allowGrowthQ;
        this->growthAmount = anArray.growthAmount;
        this->maxSize = anArray.maxSize;
    }
    this->size = anArray.size;
    for (long i = 0; i < this->size; i++) {
        this->array[i] = anArray.array[i];
    }
    return *this;
}

template <class T>
void Array<T>::setAll(const T& aValue) {
    for (long i = 0; i < this->size; i++) {
        this->array[i] = aValue;
    }
}

template <class T>
void Array<T>::zero() {
    setAll(T());
}
