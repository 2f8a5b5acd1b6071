#pragma once
// The decision of which convertor gets a retrieval's data, made once per retrieval: from the type
// index and the entry's action, asking the user through the host services when the type is unknown
// or so configured. Acting on the decision (creating convertors, moving downloads) is
// ChooseConvertor's job.

#include <string_view>

#include "core/convertor_registry.h"
#include "platform/host_services.h"

namespace corvane::core {

enum class ConvertorDecision {
    kInternal,         // create the type's internal convertor
    kPlainText,        // show the data as text with the "text/plain" convertor
    kSaveToDisk,       // move to a private request and save with the Save As dialog
    kApplication,      // move to a private request and hand the file to the application
    kCancel,           // the user cancelled: result kind 4, no convertor
    kEmbeddedUnknown,  // an inline request of an unknown type: result kind 5, no convertor
    kNoConvertor,      // an inline request of a type without internal convertor
};

// The question asked for an unknown type of a document the user asked for.
inline constexpr std::string_view kUnconfiguredTypePrompt =
    "File Type has not been configured.\nSave to Disk?";

// The type index of data: by content type when there is one (its parameters after ";" ignored),
// otherwise by the registry's probes and then by the extension of fileName. probe is called only
// without a content type and answers a type index or -1.
template <class ProbeFunction>
int ResolveTypeIndex(const CHTConvertorRegistry& registry, std::string_view contentType,
                     ProbeFunction&& probe, std::string_view fileName);

// The extension of a file name or path: the text after the last "." of its last "/" segment;
// empty when that segment has no ".".
std::string_view FileNameExtension(std::string_view fileName);

// The question for data of an unknown type: Yes saves it, No shows it as text, Cancel stops.
ConvertorDecision AskSaveUnconfigured(platform::HostServices& host);

// Decides for a type index; may ask the user. For action kAsk the per-type question is asked
// again after the user configured the type, so the entry is re-read every time.
ConvertorDecision DecideConvertor(const CHTConvertorRegistry& registry, int typeIndex,
                                  bool embedded, platform::HostServices& host);

std::string_view ContentTypeWithoutParameters(std::string_view contentType);
// The charset parameter of a content type, without quotes; empty when there is none.
std::string_view ContentTypeCharset(std::string_view contentType);

template <class ProbeFunction>
int ResolveTypeIndex(const CHTConvertorRegistry& registry, std::string_view contentType,
                     ProbeFunction&& probe, std::string_view fileName) {
    std::string_view type = ContentTypeWithoutParameters(contentType);
    if (!type.empty()) return registry.FindType(type);
    int typeIndex = probe();
    if (typeIndex >= 0) return typeIndex;
    std::string_view extension = FileNameExtension(fileName);
    return extension.empty() ? -1 : registry.FindTypeByExtension(extension);
}

}  // namespace corvane::core
