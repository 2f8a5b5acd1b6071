#pragma once
// telnet: and tn3270: start the terminal program named in the settings with the host and port
// as arguments of their own, never through a shell, and show no document.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol.h"

namespace corvane::protocols {

// The host and, when given, the port of a telnet or tn3270 location: any user and password before
// "@" are dropped and escapes decoded. The host must be a host name or IPv4 address (letters,
// digits, ".", "-", "_") or a bracketed IPv6 literal (given without its brackets), and must not
// begin with "-", so it can never pass for an option; the port is 1 to 65535 in decimal.
// nullopt for anything else.
std::optional<std::vector<std::string>> TerminalArguments(std::string_view location);

// The commands of the terminal programs ("Use Telnet App", "Use TN3270 App").
void SetTerminalPrograms(std::string telnet, std::string tn3270);

class CHTTerminal : public core::CHTCommand {
  public:
    int Open() override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // "telnet" or "tn3270", for the messages.
    virtual std::string_view Name() const = 0;
    virtual const std::string& Program() const = 0;
    bool Launch(std::string_view hostAndPort) override;
};

class CHTTelnet : public CHTTerminal {
  public:
    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    std::string_view Name() const override { return "telnet"; }
    const std::string& Program() const override;
};

class CHTTN3270 : public CHTTerminal {
  public:
    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    std::string_view Name() const override { return "tn3270"; }
    const std::string& Program() const override;
};

// Makes telnet: and tn3270: URLs start the terminal programs.
void RegisterTerminals();

}  // namespace corvane::protocols
