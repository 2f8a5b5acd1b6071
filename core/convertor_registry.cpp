#include "core/convertor_registry.h"

#include "core/convertor.h"
#include "core/signature_probes.h"
#include "platform/ascii.h"

namespace corvane::core {

bool ExtensionListContains(std::string_view list, std::string_view extension) {
    if (extension.empty()) return false;
    while (true) {
        std::size_t comma = list.find(',');
        if (EqualsIgnoreCase(list.substr(0, comma), extension)) return true;
        if (comma == std::string_view::npos) return false;
        list.remove_prefix(comma + 1);
    }
}

int CHTConvertorRegistry::AddClass(std::string_view type, const CRuntimeClass* convertorClass) {
    classes_.push_back(CHTConvertorClassEntry{std::string(type), convertorClass});
    return static_cast<int>(classes_.size()) - 1;
}

int CHTConvertorRegistry::Register(std::string_view type, const CRuntimeClass* convertorClass,
                                   std::string_view extensions, ConvertorProbe probe) {
    int classIndex = convertorClass != nullptr ? AddClass(type, convertorClass) : -1;
    int typeIndex = FindType(type);
    if (typeIndex < 0) {
        CHTConvertorEntry entry;
        entry.type = std::string(type);
        entry.extensions = std::string(extensions);
        entry.action = classIndex >= 0 ? ConvertorAction::kDisplay : ConvertorAction::kAsk;
        entry.classIndex = classIndex;
        entries_.push_back(std::move(entry));
        typeIndex = Count() - 1;
        lastEntryOfType_[AsciiLower(type)] = typeIndex;
    } else {
        CHTConvertorEntry& entry = Entry(typeIndex);
        if (entry.classIndex < 0) entry.classIndex = classIndex;
        while (!extensions.empty()) {
            std::size_t comma = extensions.find(',');
            std::string_view item = extensions.substr(0, comma);
            if (!item.empty() && !ExtensionListContains(entry.extensions, item)) {
                if (!entry.extensions.empty()) entry.extensions += ',';
                entry.extensions += item;
            }
            extensions.remove_prefix(comma == std::string_view::npos ? extensions.size()
                                                                     : comma + 1);
        }
    }
    if (probe != nullptr) probes_.push_back(CHTProbeEntry{probe, typeIndex});
    return typeIndex;
}

void CHTConvertorRegistry::SetConvertorClass(std::string_view type,
                                             const CRuntimeClass* convertorClass) {
    int typeIndex = FindType(type);
    if (typeIndex < 0 || convertorClass == nullptr) return;
    CHTConvertorEntry& entry = Entry(typeIndex);
    if (entry.classIndex >= 0) {
        classes_[static_cast<std::size_t>(entry.classIndex)].convertorClass = convertorClass;
        return;
    }
    entry.classIndex = AddClass(entry.type, convertorClass);
    if (entry.action == ConvertorAction::kAsk) entry.action = ConvertorAction::kDisplay;
}

int CHTConvertorRegistry::FindType(std::string_view name) const {
    const auto found = lastEntryOfType_.find(AsciiLower(name));
    if (found != lastEntryOfType_.end() && !Entry(found->second).removed) return found->second;
    if (!deferredMerge_) return -1;
    Complete();
    return FindType(name);
}

int CHTConvertorRegistry::FindTypeByExtension(std::string_view extension) const {
    for (int index = 0; index < Count(); ++index) {
        if (!Entry(index).removed && ExtensionListContains(Entry(index).extensions, extension))
            return index;
    }
    if (!deferredMerge_) return -1;
    Complete();
    return FindTypeByExtension(extension);
}

void CHTConvertorRegistry::DeferMerge(const void* owner, std::function<void()> merge) {
    deferredOwner_ = owner;
    deferredMerge_ = std::move(merge);
}

void CHTConvertorRegistry::DropDeferredMerge(const void* owner) {
    if (deferredOwner_ != owner) return;
    deferredOwner_ = nullptr;
    deferredMerge_ = nullptr;
}

void CHTConvertorRegistry::Complete() const {
    if (!deferredMerge_) return;
    // Taken first: the merge registers types, and its lookups must not start it again.
    const std::function<void()> merge = std::move(deferredMerge_);
    deferredMerge_ = nullptr;
    deferredOwner_ = nullptr;
    merged_ = true;
    merge();
}

const CRuntimeClass* CHTConvertorRegistry::ConvertorClass(int typeIndex) const {
    if (!IsValid(typeIndex)) return nullptr;
    int classIndex = Entry(typeIndex).classIndex;
    if (classIndex < 0 || classIndex >= static_cast<int>(classes_.size())) return nullptr;
    return classes_[static_cast<std::size_t>(classIndex)].convertorClass;
}

const CRuntimeClass* CHTConvertorRegistry::ConvertorClass(std::string_view type) const {
    for (const CHTConvertorClassEntry& entry : classes_) {
        if (EqualsIgnoreCase(entry.type, type)) return entry.convertorClass;
    }
    return nullptr;
}

int CHTConvertorRegistry::Probe(CHTProtocol& protocol) const {
    for (const CHTProbeEntry& entry : probes_) {
        if (entry.probe(protocol) == kProbeMatch) return entry.typeIndex;
    }
    return -1;
}

namespace {

std::unique_ptr<CHTConvertor> CreateAndInit(const CRuntimeClass* convertorClass,
                                            CHTRequest& request) {
    std::unique_ptr<CHTConvertor> convertor = CreateObjectAs<CHTConvertor>(convertorClass);
    if (convertor != nullptr) convertor->Init(&request);
    return convertor;
}

}  // namespace

std::unique_ptr<CHTConvertor> CHTConvertorRegistry::CreateConvertor(int typeIndex,
                                                                    CHTRequest& request) const {
    return CreateAndInit(ConvertorClass(typeIndex), request);
}

std::unique_ptr<CHTConvertor> CHTConvertorRegistry::CreateConvertor(std::string_view type,
                                                                    CHTRequest& request) const {
    return CreateAndInit(ConvertorClass(type), request);
}

void RegisterBuiltinTypes(CHTConvertorRegistry& registry) {
    // The order fixes the indexes of BuiltinType.
    registry.Register("text/plain", nullptr, "txt");
    registry.Register("text/html", nullptr, "htm,html");
    registry.Register("image/gif", nullptr, "gif", ProbeGif);
    registry.Register("image/jpeg", nullptr, "jpg", ProbeJpeg);
    registry.Register("image/x-xbitmap", nullptr, "xbm");
}

CHTConvertorRegistry& Convertors() {
    static CHTConvertorRegistry registry = [] {
        CHTConvertorRegistry builtins;
        RegisterBuiltinTypes(builtins);
        return builtins;
    }();
    return registry;
}

bool DisplaysInternally(int typeIndex) {
    const CHTConvertorRegistry& registry = Convertors();
    return !registry.IsValid(typeIndex) ||
           registry.Entry(typeIndex).action == ConvertorAction::kDisplay;
}

}  // namespace corvane::core
