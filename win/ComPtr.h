// Owns one counted reference on a COM object. (MinGW's WRL ComPtr adds a reference in Attach,
// which would leak every reference a call hands over, so the add-in keeps its own.)
#pragma once

#include <cstddef>
#include <utility>

namespace sprig {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares `object`: takes a reference of its own.
    explicit ComPtr(T* object) : object_(object) {
        if (object_) object_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComPtr() {
        if (object_) object_->Release();
    }

    // Takes over the reference that the caller holds, as a call hands it out.
    static ComPtr Adopt(T* object) {
        ComPtr owner;
        owner.object_ = object;
        return owner;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Gives the reference up to the caller, who must release it.
    T* release() { return std::exchange(object_, nullptr); }
    // Empties the owner and gives the slot for a call's out-parameter.
    T** put() {
        *this = nullptr;
        return &object_;
    }

private:
    T* object_ = nullptr;
};

}  // namespace sprig
