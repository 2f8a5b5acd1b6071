#include "protocols/terminal_launch.h"

#include "core/ht_host_services.h"
#include "core/scheme_registry.h"
#include "core/url_escapes.h"
#include "platform/ascii.h"
#include "platform/program_launcher.h"
#include "protocols/tcp_protocol.h"

namespace corvane::protocols {
namespace {

struct TerminalPrograms {
    std::string telnet = "x-terminal-emulator -e telnet";
    std::string tn3270 = "x3270";
};

TerminalPrograms& Programs() {
    static TerminalPrograms programs;
    return programs;
}

bool IsHostName(std::string_view host) {
    if (host.empty() || host.front() == '-') return false;
    for (const char c : host) {
        if (!IsAsciiAlnum(c) && c != '.' && c != '-' && c != '_') return false;
    }
    return true;
}

bool IsIpv6Literal(std::string_view host) {
    return !host.empty() &&
           host.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
}

}  // namespace

std::optional<std::vector<std::string>> TerminalArguments(std::string_view location) {
    if (const std::size_t at = location.rfind('@'); at != std::string_view::npos)
        location = location.substr(at + 1);
    const std::string decoded = core::DecodeUrlEscapes(location);
    const std::optional<HostAndPort> split = SplitHostAndPort(decoded);
    if (!split) return std::nullopt;
    const bool bracketed = decoded.starts_with('[');
    if (bracketed ? !IsIpv6Literal(split->host) : !IsHostName(split->host)) return std::nullopt;
    std::vector<std::string> arguments{split->host};
    if (split->port != 0) arguments.push_back(std::to_string(split->port));
    return arguments;
}

void SetTerminalPrograms(std::string telnet, std::string tn3270) {
    Programs() = {std::move(telnet), std::move(tn3270)};
}

void RegisterTerminals() {
    core::Schemes().SetProtocolClass(core::kSchemeTelnet, &CHTTelnet::kRuntimeClass);
    core::Schemes().SetProtocolClass(core::kSchemeTn3270, &CHTTN3270::kRuntimeClass);
}

const core::CRuntimeClass CHTTerminal::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CHTTerminal, core::CHTCommand>("CHTTerminal");
const core::CRuntimeClass CHTTelnet::kRuntimeClass =
    core::MakeRuntimeClass<CHTTelnet, CHTTerminal>("CHTTelnet");
const core::CRuntimeClass CHTTN3270::kRuntimeClass =
    core::MakeRuntimeClass<CHTTN3270, CHTTerminal>("CHTTN3270");

const std::string& CHTTelnet::Program() const {
    return Programs().telnet;
}

const std::string& CHTTN3270::Program() const {
    return Programs().tn3270;
}

int CHTTerminal::Open() {
    const std::optional<std::vector<std::string>> arguments =
        TerminalArguments(request->address.host);
    if (!arguments) {
        request->Host().Ui().ShowMessage("The URL is not reconized by " + std::string(Name()) + ".",
                                         platform::MessageButtons::kOk,
                                         platform::MessageIcon::kExclamation);
        return core::kOpenDoneItself;
    }
    std::string hostAndPort = arguments->front();
    if (arguments->size() > 1) hostAndPort += " " + arguments->back();
    Launch(hostAndPort);
    return core::kOpenDoneItself;
}

bool CHTTerminal::Launch(std::string_view hostAndPort) {
    const std::string& program = Program();
    std::vector<std::string> arguments = platform::SplitCommandLine(program);
    // The host holds no blank (it was checked), so the blank divides host and port.
    const std::size_t blank = hostAndPort.find(' ');
    arguments.emplace_back(hostAndPort.substr(0, blank));
    if (blank != std::string_view::npos) arguments.emplace_back(hostAndPort.substr(blank + 1));
    platform::ProgramLauncher* launcher = request->Host().downloads.launcher;
    if (!program.empty() && launcher != nullptr && launcher->Start(arguments)) return true;
    request->Host().Ui().ShowMessage(
        program.empty() ? "No " + std::string(Name()) + " application is specified."
                        : "Unable to find application " + program,
        platform::MessageButtons::kOk, platform::MessageIcon::kExclamation);
    return false;
}

}  // namespace corvane::protocols
