#pragma once
// The MIME type database: which types exist beyond the built-in ones, which file extensions name
// them, and what the program does with each (show, save, ask, or hand to an application).
//
// Types and extensions come from the text databases every Linux program shares, the system's
// "/etc/mime.types" and then the user's "~/.mime.types" ("type/subtype ext ext..." per line).
// An extension belongs to the first type that claims it: the built-in types, then the system
// file's lines, then the user's, in order; a later claim never takes it over. The program writes
// only the user's file. The action per type lives in the settings section "Content Type": one
// value per type whose action is not its default, "action,application". A type the user deleted
// that the system file still names is hidden there with the value "-1,".
//
// HelperAppsModel is the "Helper Apps" page without its widgets: rows of type, extensions and
// Application text, edited in memory and written back on OK.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/settings_section.h"
#include "core/convertor_registry.h"

namespace corvane::config {

inline constexpr std::string_view kSystemMimeTypesFile = "/etc/mime.types";
inline constexpr std::string_view kUserMimeTypesName = ".mime.types";

// The Application column's texts for the actions that are not an application.
inline constexpr std::string_view kDisplayText = "Corvane";
inline constexpr std::string_view kSaveText = "Save to Disk";
inline constexpr std::string_view kAskText = "Prompt User";

inline constexpr std::string_view kInvalidType = "MIME Type is invalid... please try again.";
inline constexpr std::string_view kInvalidSubtype = "MIME SubType is invalid... please try again.";
inline constexpr std::string_view kInvalidSuffixes = "Suffix List is invalid... please try again.";
inline constexpr std::string_view kInvalidApplication =
    "Configured browser is invalid... please try again.";

// A type or subtype: one or more token characters (printable ASCII without blanks and without
// ()<>@,;:\"/[]?=).
bool IsMimeToken(std::string_view text);
// "type/subtype" with both parts tokens.
bool IsMimeType(std::string_view text);
// Extensions separated by ",", blanks around each allowed; each of letters, digits, "-", "_" and
// "+". Answers the list without blanks ("" for an empty text), nothing when invalid.
std::optional<std::string> NormalizeSuffixList(std::string_view text);

std::string ApplicationText(core::ConvertorAction action, std::string_view application);
struct ActionChoice {
    core::ConvertorAction action;
    std::string application;
};
ActionChoice ActionOfText(std::string_view text);

// One parsed mime.types file. Lines that are not a valid type line (comments, junk) are kept
// as they are when the file is written again.
class MimeTypesFile {
  public:
    struct Line {
        std::string type;  // empty for a kept line
        std::vector<std::string> extensions;
        std::string text;
    };
    static MimeTypesFile Parse(std::string_view text);
    std::string Text() const;
    const std::vector<Line>& Lines() const { return lines_; }
    bool Names(std::string_view type) const;
    // Gives the type exactly one line holding the extensions (in place of its first line), or
    // removes its lines when `extensions` is nothing. False when the file already was so.
    bool SetType(std::string_view type, const std::optional<std::vector<std::string>>& extensions);

  private:
    std::vector<Line> lines_;
};

class MimeDatabase {
  public:
    // `userFile` is the user's "~/.mime.types"; `contentTypes` the program's section.
    MimeDatabase(std::string systemFile, std::string userFile, CSettingsSection contentTypes);
    ~MimeDatabase();
    MimeDatabase(const MimeDatabase&) = delete;
    MimeDatabase& operator=(const MimeDatabase&) = delete;

    // Merges both files and the program's actions into the registry, which already holds the
    // built-in types. Files that cannot be read contribute nothing.
    void Load(core::CHTConvertorRegistry& registry);
    // Gives the types the registry holds their actions now and leaves the files to be merged
    // when the registry first needs them (see CHTConvertorRegistry::DeferMerge).
    void DeferLoad(core::CHTConvertorRegistry& registry);

    // The type the extension belongs to; empty when none claims it.
    std::string ClaimOf(std::string_view extension) const;

    // Writes the type's action as its program value (deleted when it is the type's default).
    bool WriteAction(const core::CHTConvertorRegistry& registry, int typeIndex);

    // The page's OK for one type: the type keeps the row's extensions that no other type claims
    // (claiming those still free), takes the action, and the user's file and the program's value
    // follow. `registry` gains the type when it is new.
    bool SaveType(core::CHTConvertorRegistry& registry, std::string_view type,
                  const std::vector<std::string>& extensions, const ActionChoice& action);
    // Deletes the type from the user's file and the program's section (hiding it when the
    // system file names it), and from the registry for the rest of the run unless the program
    // shows it itself.
    bool DeleteType(core::CHTConvertorRegistry& registry, std::string_view type);
    // Writes the user's file when it changed.
    bool Flush();

    const std::string& UserFile() const { return userFile_; }

  private:
    bool Hidden(std::string_view type) const;
    void ApplyActions(core::CHTConvertorRegistry& registry) const;

    std::string systemFile_;
    std::string userFile_;
    CSettingsSection contentTypes_;
    MimeTypesFile user_;
    // Extension (lower case) to its type, first claim first.
    std::map<std::string, std::string> claims_;
    // What the built-in types and the system file give each type (lower-case type).
    std::map<std::string, std::vector<std::string>> baseline_;
    // The types known without the user's file: built in, or named by the system file. The system
    // file itself (some thousand lines) is not kept: only deleting a type reads it again.
    std::set<std::string> known_;
    bool userChanged_ = false;
    // The registry whose deferred merge is this database's, until it runs.
    core::CHTConvertorRegistry* deferredOn_ = nullptr;
};

// `LoadMimeDatabase` at start: the databases of the user's home directory.
void LoadMimeDatabase(core::CHTConvertorRegistry& registry, MimeDatabase& database);
std::string UserMimeTypesFile(std::string_view homeDirectory);

struct HelperAppRow {
    std::string type;
    std::string extensions;   // "," separated
    std::string application;  // the Application column's text
};

class HelperAppsModel {
  public:
    explicit HelperAppsModel(const core::CHTConvertorRegistry& registry);

    const std::vector<HelperAppRow>& Rows() const { return rows_; }
    int Find(std::string_view type) const;

    // The Add/Edit dialog's OK: checks type, subtype and suffixes in that order; answers the
    // row added or updated (an existing type's row is updated), or the message to show.
    std::variant<int, std::string_view> PutType(std::string_view type, std::string_view subtype,
                                                std::string_view suffixes);
    // Removes the row; answers the row to select afterwards (-1 when none is left).
    int Delete(int row);
    // An action choice; kApplication needs a command whose program is executable (else the
    // message to show and nothing changes).
    std::optional<std::string_view> SetAction(int row, core::ConvertorAction action,
                                              std::string_view application = {});

    // OK: writes every change to the registry and the database.
    bool Save(core::CHTConvertorRegistry& registry, MimeDatabase& database) const;

  private:
    std::vector<HelperAppRow> rows_;
    std::vector<std::string> deleted_;
};

// "Configure a Viewer": gives the type the application; the message to show when the command's
// program is not an executable.
std::optional<std::string_view> ConfigureViewer(core::CHTConvertorRegistry& registry,
                                                MimeDatabase& database, int typeIndex,
                                                std::string_view application);

}  // namespace corvane::config
