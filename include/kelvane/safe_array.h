// Arrays with explicit bounds, as a host of this component passes them:
// one- or two-dimensional, any lower bound per dimension, resizable by the
// called method, column-major (the first index varies fastest).
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "kelvane/variant.h"

namespace kelvane {

// Thrown by the checked accessors; public methods turn it into an error
// status (subscript out of range) and never let it escape.
class SubscriptError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};

template <class T>
class SafeArray {
 public:
  SafeArray() = default;
  SafeArray(const SafeArray&) = default;
  SafeArray& operator=(const SafeArray&) = default;
  // A moved-from array is unallocated: it must not keep bounds over cells
  // it no longer has.
  SafeArray(SafeArray&& o) noexcept
      : rank_(o.rank_), lb_{o.lb_[0], o.lb_[1]}, ub_{o.ub_[0], o.ub_[1]},
        data_(std::move(o.data_)) {
    o.Unallocate();
  }
  SafeArray& operator=(SafeArray&& o) noexcept {
    if (this != &o) {
      rank_ = o.rank_;
      lb_[0] = o.lb_[0], lb_[1] = o.lb_[1];
      ub_[0] = o.ub_[0], ub_[1] = o.ub_[1];
      data_ = std::move(o.data_);
      o.Unallocate();
    }
    return *this;
  }

  // One dimension, lb..ub.
  static SafeArray Vector(long lb, long ub) {
    SafeArray a;
    a.ReDim(lb, ub);
    return a;
  }
  // Two dimensions, (lb1..ub1, lb2..ub2).
  static SafeArray Matrix(long lb1, long ub1, long lb2, long ub2) {
    SafeArray a;
    a.ReDim(lb1, ub1, lb2, ub2);
    return a;
  }

  bool IsAllocated() const { return rank_ != 0; }
  int Rank() const { return rank_; }
  long LBound(int dim = 1) const { return CheckDim(dim), lb_[dim - 1]; }
  long UBound(int dim = 1) const { return CheckDim(dim), ub_[dim - 1]; }
  // Number of elements along a dimension (0 when ub < lb).
  long Extent(int dim = 1) const { return CheckDim(dim), Len(dim - 1); }

  // Reallocate, discarding contents.
  void ReDim(long lb, long ub) {
    Reset(1, lb, ub, 0, -1);
  }
  void ReDim(long lb1, long ub1, long lb2, long ub2) { Reset(2, lb1, ub1, lb2, ub2); }
  // Change the upper bound of the last dimension, keeping contents.
  void ReDimPreserve(long newUbLast) {
    if (rank_ == 0) throw SubscriptError("array is not allocated");
    int last = rank_ - 1;
    long oldLen = Len(last);
    ub_[last] = newUbLast;
    long newLen = Len(last);
    long inner = rank_ == 2 ? Len(0) : 1;
    data_.resize(static_cast<size_t>(inner * newLen));
    (void)oldLen;
  }
  void Erase() {
    rank_ = 0;
    data_.clear();
  }

  T& operator()(long i) { return data_[Index1(i)]; }
  const T& operator()(long i) const { return data_[Index1(i)]; }
  T& operator()(long i, long j) { return data_[Index2(i, j)]; }
  const T& operator()(long i, long j) const { return data_[Index2(i, j)]; }

  // Non-throwing access: nullptr when out of range or of another rank.
  T* Find(long i) { return InRange1(i) ? &data_[static_cast<size_t>(i - lb_[0])] : nullptr; }
  const T* Find(long i) const {
    return InRange1(i) ? &data_[static_cast<size_t>(i - lb_[0])] : nullptr;
  }
  T* Find(long i, long j) { return InRange2(i, j) ? &data_[Offset2(i, j)] : nullptr; }
  const T* Find(long i, long j) const { return InRange2(i, j) ? &data_[Offset2(i, j)] : nullptr; }

  const std::vector<T>& data() const { return data_; }

 private:
  void CheckDim(int dim) const {
    if (dim < 1 || dim > rank_) throw SubscriptError("array dimension out of range");
  }
  long Len(int d) const { return ub_[d] >= lb_[d] ? ub_[d] - lb_[d] + 1 : 0; }
  void Reset(int rank, long lb1, long ub1, long lb2, long ub2) {
    rank_ = rank;
    lb_[0] = lb1;
    ub_[0] = ub1;
    lb_[1] = lb2;
    ub_[1] = ub2;
    long n = Len(0) * (rank == 2 ? Len(1) : 1);
    if (n < 0 || n > (1L << 31)) throw SubscriptError("array too large");
    data_.assign(static_cast<size_t>(n), T());
  }
  bool InRange1(long i) const { return rank_ == 1 && i >= lb_[0] && i <= ub_[0]; }
  bool InRange2(long i, long j) const {
    return rank_ == 2 && i >= lb_[0] && i <= ub_[0] && j >= lb_[1] && j <= ub_[1];
  }
  size_t Offset2(long i, long j) const {
    return static_cast<size_t>((j - lb_[1]) * Len(0) + (i - lb_[0]));
  }
  size_t Index1(long i) const {
    if (!InRange1(i)) throw SubscriptError("subscript out of range");
    return static_cast<size_t>(i - lb_[0]);
  }
  size_t Index2(long i, long j) const {
    if (!InRange2(i, j)) throw SubscriptError("subscript out of range");
    return Offset2(i, j);
  }

  void Unallocate() noexcept {
    rank_ = 0;
    lb_[0] = lb_[1] = 0;
    ub_[0] = ub_[1] = -1;
    data_.clear();
  }

  int rank_ = 0;
  long lb_[2] = {0, 0};
  long ub_[2] = {-1, -1};
  std::vector<T> data_;
};

using StringArray = SafeArray<std::string>;
using VariantArray = SafeArray<Variant>;

}  // namespace kelvane
