// One reference to an object of the format library's reference-counted kind,
// released when the holder goes.
#pragma once

#include <utility>

namespace SevenZip {

// Marks a holder that takes a reference of its own, for objects whose count
// starts at 0 (ours) rather than at 1 (the library's factory results).
struct AddReferenceTag {};
inline constexpr AddReferenceTag AddReference{};

template <typename T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* adopted) : object_(adopted) {}
  Ref(T* object, AddReferenceTag) : object_(object) {
    if (object_ != nullptr) object_->AddRef();
  }
  ~Ref() { Reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // For calls that hand out a new reference through a T** argument.
  T** Out() {
    Reset();
    return &object_;
  }
  void Reset() {
    if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
  }

 private:
  T* object_ = nullptr;
};

}  // namespace SevenZip
