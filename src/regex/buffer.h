// Growable arrays used throughout the engine: CBufferRefT is a view of a run of
// elements (owns nothing); CBufferT owns its storage and grows by doubling.
// Only for trivially copyable element types (code units, ints, pointers).
#pragma once

#include <cstring>
#include <type_traits>

namespace cw {

template <class T>
class CBufferRefT {
 public:
  CBufferRefT() = default;
  CBufferRefT(const T* data, int size) : data_(data), size_(size) {}

  const T* Data() const { return data_; }
  int Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  const T& operator[](int index) const { return data_[index]; }
  // The element at `index`, or `fallback` when the index is out of range.
  T At(int index, T fallback = T()) const {
    return index >= 0 && index < size_ ? data_[index] : fallback;
  }

 protected:
  const T* data_ = nullptr;
  int size_ = 0;
};

template <class T>
class CBufferT : public CBufferRefT<T> {
  static_assert(std::is_trivially_copyable_v<T>, "CBufferT holds plain values only");
  using Base = CBufferRefT<T>;

 public:
  CBufferT() = default;
  CBufferT(const T* data, int size) { Append(data, size); }
  CBufferT(const CBufferT& other) : Base() { Append(other.Data(), other.Size()); }
  CBufferT& operator=(const CBufferT& other) {
    if (this != &other) {
      Base::size_ = 0;
      Append(other.Data(), other.Size());
    }
    return *this;
  }
  ~CBufferT() { delete[] storage_; }

  T* MutableData() { return storage_; }
  T& operator[](int index) { return storage_[index]; }
  const T& operator[](int index) const { return storage_[index]; }
  int Capacity() const { return capacity_; }

  void Push(T value) {
    if (Base::size_ == capacity_) Reserve(Base::size_ + 1);
    storage_[Base::size_++] = value;
  }
  void Append(const T* data, int count) {
    if (count <= 0) return;
    Reserve(Base::size_ + count);
    std::memcpy(storage_ + Base::size_, data, sizeof(T) * count);
    Base::size_ += count;
  }
  // Removes and returns the last element; `fallback` when empty.
  T Pop(T fallback = T()) { return Base::size_ > 0 ? storage_[--Base::size_] : fallback; }
  // The last element; `fallback` when empty.
  T Top(T fallback = T()) const { return Base::size_ > 0 ? storage_[Base::size_ - 1] : fallback; }
  // Grows so that `index` is valid, filling new slots with `fill`.
  void Prepare(int index, T fill = T()) {
    if (index < Base::size_) return;
    Reserve(index + 1);
    for (int i = Base::size_; i <= index; ++i) storage_[i] = fill;
    Base::size_ = index + 1;
  }
  // Sets the element count (not above the current count), keeping storage.
  void Restore(int count) {
    if (count >= 0 && count < Base::size_) Base::size_ = count;
  }
  void Clear() { Base::size_ = 0; }
  // Makes room for `count` elements: capacity doubles, at least 8.
  void Reserve(int count) {
    if (count <= capacity_) return;
    int capacity = capacity_ < 8 ? 8 : capacity_;
    while (capacity < count) capacity *= 2;
    T* grown = new T[capacity];
    if (Base::size_ > 0) std::memcpy(grown, storage_, sizeof(T) * Base::size_);
    delete[] storage_;
    storage_ = grown;
    capacity_ = capacity;
    Base::data_ = storage_;
  }

 private:
  T* storage_ = nullptr;
  int capacity_ = 0;
};

}  // namespace cw
