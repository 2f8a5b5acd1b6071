#include "core/convertor_choice.h"

#include "core/protocol.h"

namespace corvane::core {

std::string_view ContentTypeWithoutParameters(std::string_view contentType) {
    std::string_view type = contentType.substr(0, contentType.find(';'));
    std::size_t first = type.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    std::size_t last = type.find_last_not_of(" \t");
    return type.substr(first, last - first + 1);
}

std::string_view FileNameExtension(std::string_view fileName) {
    if (std::size_t slash = fileName.rfind('/'); slash != std::string_view::npos) {
        fileName.remove_prefix(slash + 1);
    }
    std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : fileName.substr(dot + 1);
}

ConvertorDecision DecideConvertor(const CHTConvertorRegistry& registry, int typeIndex,
                                  bool embedded, platform::HostServices& host) {
    if (!registry.IsValid(typeIndex)) {
        if (embedded) return ConvertorDecision::kEmbeddedUnknown;
        switch (host.ShowMessage(kUnconfiguredTypePrompt, platform::MessageButtons::kYesNoCancel,
                                 platform::MessageIcon::kExclamation)) {
            case platform::MessageAnswer::kYes:
                return ConvertorDecision::kSaveToDisk;
            case platform::MessageAnswer::kNo:
                return ConvertorDecision::kPlainText;
            default:
                return ConvertorDecision::kCancel;
        }
    }
    if (embedded) {
        return registry.HasInternalConvertor(typeIndex) ? ConvertorDecision::kInternal
                                                        : ConvertorDecision::kNoConvertor;
    }
    while (true) {
        const CHTConvertorEntry& entry = registry.Entry(typeIndex);
        switch (entry.action) {
            case ConvertorAction::kDisplay:
                return ConvertorDecision::kInternal;
            case ConvertorAction::kSave:
                return ConvertorDecision::kSaveToDisk;
            case ConvertorAction::kApplication:
                return ConvertorDecision::kApplication;
            case ConvertorAction::kAsk:
                break;
        }
        switch (host.AskTypeAction(entry.type)) {
            case platform::TypeAction::kCancel:
                return ConvertorDecision::kCancel;
            case platform::TypeAction::kConfigure:
                continue;  // the user changed the type's settings: decide anew
            case platform::TypeAction::kSave:
                return ConvertorDecision::kSaveToDisk;
        }
        return ConvertorDecision::kSaveToDisk;
    }
}

// Without a MIME type registry no convertor can be chosen: the data cannot flow, and the
// protocol fails the request.
bool CHTProtocol::ChooseConvertor(std::string_view fileName) {
    (void)fileName;
    return false;
}

}  // namespace corvane::core
