#pragma once
// Everything the core asks of the user interface goes through this interface: status text,
// progress, the busy animation, message boxes, dialogs and the clipboard. The Qt window implements
// it in shell/; ScriptedHostServices records every call and answers from a script, so every
// subsystem runs headless in tests and in the command-line modes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform {

enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel, kRetryCancel };
enum class MessageIcon { kNone, kStop, kExclamation, kQuestion, kInformation };
enum class MessageAnswer { kOk, kCancel, kYes, kNo, kRetry };

// What the user chose in the "no viewer configured" question about a content type.
enum class TypeAction { kSave, kCancel, kConfigure };

struct Credentials {
    std::string user;
    std::string password;
    bool savePassword = false;
};

// Status texts longer than this are cut.
inline constexpr std::size_t kMaxStatusText = 1024;
// The progress control runs from 0 to this; any other value clears it.
inline constexpr int kProgressRange = 128;

class HostServices {
public:
    virtual ~HostServices() = default;

    virtual void SetStatusText(std::string_view text) = 0;
    virtual void SetProgress(int value) = 0;
    virtual void SetBusy(bool busy) = 0;

    // The caption is the program's title unless the dialog has a title of its own.
    virtual MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons,
                                      MessageIcon icon, std::string_view caption = "Corvane") = 0;

    // filter uses the "Name (*.x)|*.x|All Files (*.*)|*.*||" form. nullopt when cancelled.
    virtual std::optional<std::string> AskOpenFile(std::string_view title, std::string_view filter,
                                                   std::string_view initialPath) = 0;
    virtual std::optional<std::string> AskSaveFile(std::string_view title, std::string_view filter,
                                                   std::string_view defaultName) = 0;

    // "Corvane : User Password": prompt text, server host, prefilled credentials. nullopt on cancel.
    virtual std::optional<Credentials> AskUserPassword(std::string_view prompt, std::string_view host,
                                                       const Credentials& prefill) = 0;
    // "Corvane : Mail Retrieval Password" for the given user. nullopt on cancel.
    virtual std::optional<Credentials> AskPassword(std::string_view user, bool savePassword) = 0;

    // The per-type question asked when a type has no viewer configured.
    virtual TypeAction AskTypeAction(std::string_view mimeType) = 0;

    // Whether to go on with a server whose certificate failed the check; `question` names the
    // host and the reason. No is the default button, and the answer of headless runs.
    virtual bool AskTrustCertificate(std::string_view question) = 0;

    virtual void SetClipboardText(std::string_view text) = 0;
    virtual std::string ClipboardText() = 0;
};

}  // namespace corvane::platform
