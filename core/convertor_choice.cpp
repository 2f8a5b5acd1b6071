#include "core/convertor_choice.h"

#include "core/file_convertor.h"
#include "core/ht_host_services.h"
#include "core/protocol.h"
#include "core/request.h"
#include "core/source_convertor.h"
#include "core/status.h"
#include "platform/ascii.h"

namespace corvane::core {

std::string_view ContentTypeWithoutParameters(std::string_view contentType) {
    std::string_view type = contentType.substr(0, contentType.find(';'));
    std::size_t first = type.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    std::size_t last = type.find_last_not_of(" \t");
    return type.substr(first, last - first + 1);
}

std::string_view ContentTypeCharset(std::string_view contentType) {
    std::size_t start = contentType.find(';');
    while (start != std::string_view::npos) {
        const std::size_t end = contentType.find(';', start + 1);
        const std::string_view parameter = contentType.substr(start + 1, end - (start + 1));
        start = end;
        const std::size_t equals = parameter.find('=');
        if (equals == std::string_view::npos ||
            !EqualsIgnoreCase(ContentTypeWithoutParameters(parameter.substr(0, equals)),
                              "charset")) {
            continue;
        }
        std::string_view value = ContentTypeWithoutParameters(parameter.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return {};
}

std::string_view FileNameExtension(std::string_view fileName) {
    if (std::size_t slash = fileName.rfind('/'); slash != std::string_view::npos) {
        fileName.remove_prefix(slash + 1);
    }
    std::size_t dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : fileName.substr(dot + 1);
}

ConvertorDecision AskSaveUnconfigured(platform::HostServices& host) {
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

ConvertorDecision DecideConvertor(const CHTConvertorRegistry& registry, int typeIndex,
                                  bool embedded, platform::HostServices& host) {
    if (!registry.IsValid(typeIndex)) {
        return embedded ? ConvertorDecision::kEmbeddedUnknown : AskSaveUnconfigured(host);
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

namespace {

// Moves the retrieval to a private copy of its request (method 1) that owns the protocol from now
// on, and lets the first request's load end without a new document. Answers the copy.
CHTRequest& MoveToPrivateCopy(CHTProtocol& protocol) {
    CHTRequest& original = *protocol.request;
    CHTHostServices& host = original.Host();
    CHTRequest& copy =
        *host.GetRequest(original.canonicalUrl, nullptr, kMethodFormQuery, original.owner);
    copy.address = original.address;
    copy.canonicalUrl = original.canonicalUrl;
    copy.referrer = original.referrer;
    copy.newsgroups = original.newsgroups;
    copy.subject = original.subject;
    copy.sender = original.sender;
    copy.references = original.references;
    copy.kind = kKindHandedOff;
    copy.size = original.size;
    copy.announcedLength = original.announcedLength;
    copy.lastUsed = original.lastUsed;
    copy.convertorIndex = original.convertorIndex;
    copy.protocol = std::move(original.protocol);
    protocol.request = &copy;
    // A pump task made for the first request would wait on it for ever; the copy task drives
    // the data from now on.
    if (protocol.pumpTask != nullptr) {
        host.Scheduler().Cancel(*protocol.pumpTask);
        host.Scheduler().DeleteLater(std::move(protocol.pumpTask));
    }
    original.status = kStatusOk;
    original.kind = kKindHandedOff;
    original.Wake();
    host.downloads.Add(copy);
    return copy;
}

// Hands the data to a file convertor working for a private copy and pumps once, which asks for
// the file and starts the copy.
bool HandOffToFile(CHTProtocol& protocol, std::unique_ptr<CFileTaskConvertor> convertor) {
    CHTRequest& copy = MoveToPrivateCopy(protocol);
    CFileTaskConvertor& installed = *convertor;
    protocol.convertor = std::move(convertor);
    installed.Init(&copy);
    return protocol.Pump() == 0;
}

// Data of a request saving its address: into the file chosen beforehand, without a question.
bool SaveIntoTarget(CHTProtocol& protocol) {
    auto target = std::make_unique<CFileTargetConvertor>();
    target->SetTarget(protocol.request->saveTarget);
    return HandOffToFile(protocol, std::move(target));
}

bool IsSavedIntoTarget(const CHTProtocol& protocol) {
    return protocol.request->method == kMethodSaveToFile && !protocol.embedded;
}

}  // namespace

bool CHTProtocol::SaveDataToFile() {
    return HandOffToFile(*this, std::make_unique<CFileSaveConvertor>());
}

bool CHTProtocol::StartOwnPage() {
    contentType = "text/html";
    CHTRequest& served = *request;
    if (IsSavedIntoTarget(*this)) {
        served.convertorIndex = Convertors().FindType(contentType);
        SaveIntoTarget(*this);
        return true;
    }
    convertor = Convertors().CreateConvertor(contentType, served);
    return convertor != nullptr;
}

bool CHTProtocol::ChooseConvertor(std::string_view fileName) {
    CHTConvertorRegistry& registry = Convertors();
    CHTRequest& served = *request;
    int typeIndex = ResolveTypeIndex(
        registry, contentType, [this, &registry] { return registry.Probe(*this); }, fileName);
    served.convertorIndex = typeIndex;
    served.charset = std::string(ContentTypeCharset(contentType));
    if (IsSavedIntoTarget(*this)) return SaveIntoTarget(*this);
    ConvertorDecision decision = DecideConvertor(registry, typeIndex, embedded, served.Host().Ui());
    // The questions may have let the user stop the load meanwhile.
    if (served.protocol.get() != this) return false;

    if (served.Host().sourceOnly && !embedded &&
        (decision == ConvertorDecision::kInternal || decision == ConvertorDecision::kPlainText)) {
        convertor = std::make_unique<CSourceConvertor>();
        convertor->Init(&served);
        return true;
    }
    switch (decision) {
        case ConvertorDecision::kInternal:
            convertor = registry.CreateConvertor(typeIndex, served);
            return convertor != nullptr;
        case ConvertorDecision::kPlainText:
            convertor = registry.CreateConvertor("text/plain", served);
            return convertor != nullptr;
        case ConvertorDecision::kSaveToDisk:
            return HandOffToFile(*this, std::make_unique<CFileSaveConvertor>());
        case ConvertorDecision::kApplication: {
            auto execute = std::make_unique<CExecuteConvertor>();
            execute->SetApplication(registry.Entry(typeIndex).application);
            return HandOffToFile(*this, std::move(execute));
        }
        case ConvertorDecision::kCancel:
            served.kind = kKindHandedOff;
            return false;
        case ConvertorDecision::kEmbeddedUnknown:
            served.kind = kKindInline;
            return false;
        case ConvertorDecision::kNoConvertor:
            return false;
    }
    return false;
}

}  // namespace corvane::core
