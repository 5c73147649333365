// Reference-counted automation objects.
//
// An object's last release runs its terminate step at once, with the object
// still whole (as a class's terminate event runs), and then frees it. Ref<T>
// is the owning handle; a null Ref is Nothing. WeakRef<T> observes an object
// without keeping it alive, for the places that hold an object by address.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace svx {

class Variant;
class ClassInfo;
class EventSink;
struct EventConnections;

enum class InvokeKind : uint8_t {
  Method = 1,
  PropertyGet = 2,
  PropertyPut = 4,     // Let
  PropertyPutRef = 8,  // Set
};

class Object {
 public:
  Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object();

  void addRef() { ++refs_; }
  void release();
  int32_t refCount() const { return refs_; }

  // The class's declared members and events (dispatch.h). Every automation
  // class returns its one table.
  virtual const ClassInfo& classInfo() const = 0;

  // Late-bound calls. Arguments are positional, first argument first; each is
  // a value (passed by value) or a VT_BYREF|VT_VARIANT reference to the
  // caller's variable. Trailing arguments that are left out count as missing.
  // Failures raise RuntimeError: 438 unknown member, 449 required argument
  // missing, 450 wrong number of arguments, 13 type mismatch.
  Variant invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args);
  // With named arguments: the last argNames.size() of `args` go to the
  // parameters of those names (case-insensitive); 448 for a name the member
  // does not have, 450 for a parameter given twice.
  Variant invoke(std::u16string_view name, InvokeKind kind, std::span<Variant> args,
                 std::span<const std::u16string> argNames);
  virtual Variant invoke(int32_t dispid, InvokeKind kind, std::span<Variant> args);
  // The DISPID of a member name (case-insensitive), or -1.
  int32_t dispidOf(std::u16string_view name) const;

  // Connection point of the class's source interface.
  int32_t connect(std::shared_ptr<EventSink> sink);
  void disconnect(int32_t cookie);
  bool hasListeners() const;
  // Whether some connected sink would act on event `dispid` (EventSink::
  // listensTo): a raiser with nobody listening may skip the raise.
  bool listensTo(int32_t dispid);

  // Shared control block for weak references; created on first use.
  struct WeakLink {
    Object* target = nullptr;
  };
  std::shared_ptr<WeakLink> weakLink();

 protected:
  // Raises event `dispid` of the source interface to every connected sink.
  // `args` should hold VT_BYREF|VT_VARIANT references to the raiser's
  // argument Variants, so what a listener writes is seen when the raise
  // returns. A raise with nobody connected does nothing.
  void raiseEvent(int32_t dispid, std::span<Variant> args);

  // Runs once, at the last release, before the object is freed.
  virtual void terminate() {}

 private:
  int32_t refs_ = 0;
  bool terminating_ = false;
  std::shared_ptr<WeakLink> weak_;
  std::unique_ptr<EventConnections> connections_;
};

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  explicit Ref(T* p) : p_(p) {
    if (p_) p_->addRef();
  }
  Ref(const Ref& o) : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(const Ref<U>& o) : Ref(static_cast<T*>(o.get())) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() { reset(); }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T* detach() { return std::exchange(p_, nullptr); }

  friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }
  friend bool operator==(const Ref& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

using ObjectRef = Ref<Object>;

// Creates an object; the returned Ref holds its first reference.
template <class T, class... Args>
Ref<T> makeRef(Args&&... args) {
  return Ref<T>(new T(std::forward<Args>(args)...));
}

// Casts between object references; null when the object is not a T.
template <class T, class U>
Ref<T> refCast(const Ref<U>& r) {
  return Ref<T>(dynamic_cast<T*>(r.get()));
}

template <class T>
class WeakRef {
 public:
  WeakRef() = default;
  WeakRef(T* p) : link_(p ? p->weakLink() : nullptr) {}
  WeakRef(const Ref<T>& r) : WeakRef(r.get()) {}
  // The object while it lives, else null. Takes no reference.
  T* get() const { return link_ && link_->target ? static_cast<T*>(link_->target) : nullptr; }
  Ref<T> lock() const { return Ref<T>(get()); }
  bool expired() const { return get() == nullptr; }

 private:
  std::shared_ptr<Object::WeakLink> link_;
};

}  // namespace svx
