#include "core/runtime_class.h"

namespace corvane::core {

const CRuntimeClass CObject::kRuntimeClass{"CObject", sizeof(CObject), nullptr, nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* cls = this; cls != nullptr; cls = cls->baseClass) {
        if (cls == base) return true;
    }
    return false;
}

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const {
    return factory != nullptr ? factory() : nullptr;
}

}  // namespace corvane::core
