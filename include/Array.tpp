// Template bodies of Array; included by Array.h.

template <class T>
Array<T>::Array() : SigCollection<T>(4) {}

template <class T>
Array<T>::Array(int arraySize) : SigCollection<T>(arraySize) {}

template <class T>
Array<T>::Array(const Array<T>& anArray) : SigCollection<T>(anArray) {}

template <class T>
Array<T>::~Array() {}

// The same rule as the base's: storage is replaced only when it is too
// small, and then takes the source's growth settings.
template <class T>
Array<T>& Array<T>::operator=(const Array<T>& anArray) {
    SigCollection<T>::operator=(anArray);
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
