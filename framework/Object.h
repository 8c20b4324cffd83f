#pragma once
// Framework objects are reference-counted; Nil is the empty reference.
// Ref<T> is a checked smart pointer: using a member of Nil raises
// NilObjectException instead of crashing.
#include <memory>
#include <utility>

#include "framework/Exceptions.h"

namespace fw {

struct ClassRecord;

class Object : public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    // The runtime class record this object was made from (Nil for plain C++ objects).
    const ClassRecord* Class() const { return class_; }
    void SetClass(const ClassRecord* record) { class_ = record; }

private:
    const ClassRecord* class_ = nullptr;
};

struct NilType {};
inline constexpr NilType Nil{};

template <class T>
class Ref {
public:
    Ref() = default;
    Ref(NilType) {}
    Ref(std::nullptr_t) {}
    Ref(std::shared_ptr<T> p) : p_(std::move(p)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& other) : p_(other.shared()) {}

    T* operator->() const { return &get(); }
    T& operator*() const { return get(); }
    T& get() const {
        if (!p_) throw NilObjectException();
        return *p_;
    }
    T* raw() const { return p_.get(); }
    const std::shared_ptr<T>& shared() const { return p_; }

    bool IsNil() const { return !p_; }
    explicit operator bool() const { return static_cast<bool>(p_); }
    bool operator==(NilType) const { return !p_; }
    bool operator!=(NilType) const { return static_cast<bool>(p_); }
    template <class U>
    bool operator==(const Ref<U>& o) const { return p_.get() == o.raw(); }
    template <class U>
    bool operator!=(const Ref<U>& o) const { return p_.get() != o.raw(); }

    void Release() { p_.reset(); }

private:
    std::shared_ptr<T> p_;
};

template <class T>
class WeakRef {
public:
    WeakRef() = default;
    WeakRef(const Ref<T>& r) : p_(r.shared()) {}
    Ref<T> Lock() const { return Ref<T>(p_.lock()); }
    bool Expired() const { return p_.expired(); }

private:
    std::weak_ptr<T> p_;
};

template <class T, class... Args>
Ref<T> New(Args&&... args) {
    return Ref<T>(std::make_shared<T>(std::forward<Args>(args)...));
}

// The reference to an object from inside one of its members.
template <class T>
Ref<T> RefTo(T* self) {
    if (!self) return Ref<T>();
    return Ref<T>(std::static_pointer_cast<T>(self->shared_from_this()));
}

template <class T, class U>
Ref<T> DynamicCast(const Ref<U>& r) {
    return Ref<T>(std::dynamic_pointer_cast<T>(r.shared()));
}

}  // namespace fw
