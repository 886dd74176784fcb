// What the solution walk asks of the host's automation model, and nothing more.
//
// Every answer is either something to work on or nothing: a call that failed and a call that
// succeeded with a null object, an empty text or no count look alike here. Objects and texts come
// back in owners that give them back to the view when they go out of scope, so each reference the
// walk obtains ends with the step that obtained it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace sprig {

class SolutionView;

// One object of the host's model (solution, collection, project or item), held until the owner
// is destroyed. Empty when the host gave nothing.
class HostObject {
public:
    HostObject() = default;
    HostObject(SolutionView& view, void* object) : view_(&view), object_(object) {}
    HostObject(HostObject&& other) noexcept : view_(other.view_), object_(std::exchange(other.object_, nullptr)) {}
    HostObject& operator=(HostObject&& other) noexcept {
        std::swap(view_, other.view_);
        std::swap(object_, other.object_);
        return *this;
    }
    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;
    inline ~HostObject();

    explicit operator bool() const { return object_ != nullptr; }
    void* get() const { return object_; }

private:
    SolutionView* view_ = nullptr;
    void* object_ = nullptr;
};

// One text the host gave, held until the owner is destroyed. False when the host gave nothing
// or an empty text (which is still given back).
class HostText {
public:
    HostText() = default;
    HostText(SolutionView& view, const char16_t* text, std::size_t length)
        : view_(&view), text_(text), length_(text ? length : 0) {}
    HostText(HostText&& other) noexcept
        : view_(other.view_), text_(std::exchange(other.text_, nullptr)), length_(std::exchange(other.length_, 0)) {}
    HostText& operator=(HostText&& other) noexcept {
        std::swap(view_, other.view_);
        std::swap(text_, other.text_);
        std::swap(length_, other.length_);
        return *this;
    }
    HostText(const HostText&) = delete;
    HostText& operator=(const HostText&) = delete;
    inline ~HostText();

    explicit operator bool() const { return length_ != 0; }
    std::u16string_view view() const { return std::u16string_view(text_, length_); }
    // The host's texts are zero-terminated; null when the host gave nothing.
    const char16_t* c_str() const { return text_; }

private:
    SolutionView* view_ = nullptr;
    const char16_t* text_ = nullptr;
    std::size_t length_ = 0;
};

// The host's automation model as the walk sees it: from the root object to the solution, its
// projects, their items, and through folders and sub-projects down the tree.
class SolutionView {
public:
    virtual ~SolutionView() = default;

    virtual HostObject Solution() = 0;                            // root.Solution
    virtual HostObject Projects(const HostObject& solution) = 0;  // Solution.Projects
    virtual std::optional<std::int32_t> ProjectCount(const HostObject& projects) = 0;
    virtual HostObject Project(const HostObject& projects, std::int32_t index) = 0;  // 1-based
    virtual HostText ProjectName(const HostObject& project) = 0;
    virtual HostObject ProjectItems(const HostObject& project) = 0;
    virtual std::optional<std::int32_t> ItemCount(const HostObject& items) = 0;
    virtual HostObject Item(const HostObject& items, std::int32_t index) = 0;  // 1-based
    virtual HostText ItemKind(const HostObject& item) = 0;
    virtual HostText ItemFileName(const HostObject& item, std::int16_t index) = 0;  // FileNames(index)
    virtual HostObject ItemChildren(const HostObject& item) = 0;                    // ProjectItem.ProjectItems
    virtual HostText ItemName(const HostObject& item) = 0;
    virtual HostObject SubProject(const HostObject& item) = 0;
    // The object's identity: equal for two held objects exactly when they are the same object
    // of the host. Null when the host gives none to rely on.
    virtual const void* Identity(const HostObject& object) = 0;

protected:
    HostObject Hold(void* object) { return HostObject(*this, object); }
    HostText HoldText(const char16_t* text, std::size_t length) { return HostText(*this, text, length); }

private:
    friend class HostObject;
    friend class HostText;
    // Give back what a HostObject or a HostText held.
    virtual void Release(void* object) = 0;
    virtual void Release(const char16_t* text) = 0;
};

inline HostObject::~HostObject() {
    if (object_) view_->Release(object_);
}

inline HostText::~HostText() {
    if (text_) view_->Release(text_);
}

}  // namespace sprig
