#pragma once
// The MIME type registry: which convertor class consumes data of a type, which file extensions
// name the type, which signature probes recognise it, and what to do with such data. Three ordered
// arrays, filled at start-up with the built-in types and extended by the MIME type database.
// A type's position in the entry array is its type index, which requests store.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane::core {

class CHTConvertor;
class CHTProtocol;
class CHTRequest;
struct CRuntimeClass;

// What to do with data of a type. The values are stored in the settings; do not renumber.
enum class ConvertorAction : std::int32_t {
    kDisplay = 0,      // display internally
    kSave = 1,         // save to disk
    kAsk = 2,          // ask the user
    kApplication = 3,  // pass to the configured application
};

struct CHTConvertorEntry {
    std::string type;        // compared case-insensitively
    std::string extensions;  // without dots, separated by ","
    ConvertorAction action = ConvertorAction::kAsk;
    std::string application;       // command of the configured application (kApplication)
    std::int32_t classIndex = -1;  // position in the class array; -1: no internal convertor
    // Deleted by the user during this run; indices stay, so the entry stays, unfound.
    bool removed = false;
};

struct CHTConvertorClassEntry {
    std::string type;
    const CRuntimeClass* convertorClass;
};

// Probe answers.
inline constexpr int kProbeMatch = 1;
inline constexpr int kProbeTooShort = 0;
inline constexpr int kProbeNoMatch = -1;

// Looks at the protocol's buffered data without consuming it.
using ConvertorProbe = int (*)(CHTProtocol& protocol);

struct CHTProbeEntry {
    ConvertorProbe probe;
    int typeIndex;
};

class CHTConvertorRegistry {
  public:
    // Adds the type (or finds its entry), its class and its probe; answers the type index. A new
    // entry gets action kDisplay when it has a class and kAsk when it has none. Extensions are
    // appended to an existing entry's list when missing from it.
    int Register(std::string_view type, const CRuntimeClass* convertorClass,
                 std::string_view extensions, ConvertorProbe probe = nullptr);

    // Gives a registered type its convertor class; used at start-up by the layers that define
    // the convertors, before the MIME type database is merged. A type still on the default
    // action of a type without a class (kAsk) gets kDisplay. Ignored for an unknown type.
    void SetConvertorClass(std::string_view type, const CRuntimeClass* convertorClass);

    // The first entry whose type equals the name, case-insensitively; -1 if none.
    int FindType(std::string_view name) const;
    // The first entry whose extension list holds the extension, case-insensitively; -1 if none.
    int FindTypeByExtension(std::string_view extension) const;

    // A merge that extends the registry (the MIME type database: thousands of types) waits until
    // it could change an answer, so that a start which needs only the built-in types never pays
    // for it: it runs before a type or an extension is looked for in vain, and before anything
    // lists every entry (Complete). Extensions go to the first claimant and the built-in types
    // come first, so a lookup they answer answers the same after the merge. One merge waits at a
    // time, a newer one in place of an older; its owner drops it when going away.
    void DeferMerge(const void* owner, std::function<void()> merge);
    void DropDeferredMerge(const void* owner);
    // Runs the waiting merge, if any; the registry answers as if it had always been complete.
    void Complete() const;
    // A deferred merge has run.
    bool Merged() const { return merged_; }
    // The type of the first probe that recognises the protocol's data; -1 if none does.
    int Probe(CHTProtocol& protocol) const;

    // The class of a type's internal convertor; null for -1, an unknown index or no class.
    const CRuntimeClass* ConvertorClass(int typeIndex) const;
    // The first class registered under the name; null if none.
    const CRuntimeClass* ConvertorClass(std::string_view type) const;
    bool HasInternalConvertor(int typeIndex) const { return ConvertorClass(typeIndex) != nullptr; }

    // Creates the internal convertor (none for a type without a class) and calls its Init.
    std::unique_ptr<CHTConvertor> CreateConvertor(int typeIndex, CHTRequest& request) const;
    std::unique_ptr<CHTConvertor> CreateConvertor(std::string_view type, CHTRequest& request) const;

    // Makes room for `more` entries beyond those held, so that a known number of registrations
    // (a MIME database's lines) grows the entry array once and leaves no spare half.
    void Reserve(std::size_t more) { entries_.reserve(entries_.size() + more); }

    bool IsValid(int typeIndex) const { return typeIndex >= 0 && typeIndex < Count(); }
    int Count() const { return static_cast<int>(entries_.size()); }
    // Entry access for the MIME type database and its configuration page; index must be valid.
    CHTConvertorEntry& Entry(int typeIndex) {
        return entries_[static_cast<std::size_t>(typeIndex)];
    }
    const CHTConvertorEntry& Entry(int typeIndex) const {
        return entries_[static_cast<std::size_t>(typeIndex)];
    }

  private:
    int AddClass(std::string_view type, const CRuntimeClass* convertorClass);

    std::vector<CHTConvertorClassEntry> classes_;
    std::vector<CHTConvertorEntry> entries_;
    // The last entry of each type, by its lower-case name: a type gets a new entry only once
    // all its earlier ones are removed, so that one is the only one FindType may answer. Start-up
    // registers a few thousand types; a search of the whole list for each was quadratic.
    std::unordered_map<std::string, int> lastEntryOfType_;
    std::vector<CHTProbeEntry> probes_;
    mutable std::function<void()> deferredMerge_;
    mutable const void* deferredOwner_ = nullptr;
    mutable bool merged_ = false;
};

// Built-in type indexes, fixed by the order of the built-in registrations.
enum BuiltinType : int {
    kTypeTextPlain = 0,
    kTypeTextHtml = 1,
    kTypeImageGif = 2,
    kTypeImageJpeg = 3,
    kTypeImageXbm = 4,
};

// Registers the built-in types, in their fixed order, with their extensions and probes. Their
// convertor classes live in the layers above and arrive through SetConvertorClass.
void RegisterBuiltinTypes(CHTConvertorRegistry& registry);

// True when the comma-separated list holds the extension, compared case-insensitively item by
// item.
bool ExtensionListContains(std::string_view list, std::string_view extension);

// The program's registry, holding the built-in types from first use.
CHTConvertorRegistry& Convertors();

// Whether a held document of the type is shown again as it is: its type is displayed internally
// (action kDisplay) in the program's registry, or it has no known type.
bool DisplaysInternally(int typeIndex);

}  // namespace corvane::core
