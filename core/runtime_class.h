#pragma once
// Run-time class records. Protocols and convertors are created from the record of their class
// (taken from the scheme or MIME type registry), never by name, and a record can tell whether its
// class derives from another.

#include <cstddef>
#include <memory>

namespace corvane::core {

class CObject;

struct CRuntimeClass {
    const char* className;
    std::size_t objectSize;
    const CRuntimeClass* baseClass;         // null for the root
    std::unique_ptr<CObject> (*factory)();  // null for classes that cannot be created

    bool IsDerivedFrom(const CRuntimeClass* base) const;
    std::unique_ptr<CObject> CreateObject() const;
};

class CObject {
  public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const { return &kRuntimeClass; }
    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

    static const CRuntimeClass kRuntimeClass;
};

// The record of a creatable class T derived from Base.
template <class T, class Base>
constexpr CRuntimeClass MakeRuntimeClass(const char* name) {
    return CRuntimeClass{name, sizeof(T), &Base::kRuntimeClass,
                         []() -> std::unique_ptr<CObject> { return std::make_unique<T>(); }};
}

// The record of an abstract class T derived from Base.
template <class T, class Base>
constexpr CRuntimeClass MakeAbstractRuntimeClass(const char* name) {
    return CRuntimeClass{name, sizeof(T), &Base::kRuntimeClass, nullptr};
}

// Creates an object of cls when cls derives from T; null otherwise.
template <class T>
std::unique_ptr<T> CreateObjectAs(const CRuntimeClass* cls) {
    if (cls == nullptr || !cls->IsDerivedFrom(&T::kRuntimeClass)) return nullptr;
    std::unique_ptr<CObject> object = cls->CreateObject();
    return std::unique_ptr<T>(static_cast<T*>(object.release()));
}

}  // namespace corvane::core
