#include "config/startup_command.h"

#include <sys/stat.h>

#include "core/address.h"
#include "platform/ascii.h"

namespace corvane::config {
namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

StartupCommand ParseCommandLine(std::span<const std::string> words, bool autoloadHomePage,
                                std::string_view home, std::string_view currentDirectory) {
    StartupCommand command;
    std::size_t next = 0;
    while (next < words.size() && TrimAscii(words[next], IsBlankOrControl).empty()) ++next;
    if (next == words.size()) {
        command.kind = autoloadHomePage ? StartTarget::kHomePage : StartTarget::kNothing;
        return command;
    }
    std::string rest;
    for (; next < words.size(); ++next) {
        if (!rest.empty()) rest.push_back(' ');
        rest += words[next];
    }
    command.target = std::string(TrimAscii(rest, IsBlankOrControl));
    if (!command.target.empty()) {
        struct stat status {};
        const bool exists =
            stat(CommandLinePath(command.target, home, currentDirectory).c_str(), &status) == 0;
        command.kind = exists || IsLocalPathText(command.target) ? StartTarget::kLocalFile
                                                                 : StartTarget::kAddress;
    }
    return command;
}

bool IsLocalPathText(std::string_view text) {
    return (text.size() > 1 && text[1] == ':') || text.find('\\') != std::string_view::npos ||
           StartsWith(text, "/") || StartsWith(text, "./") || StartsWith(text, "../") ||
           StartsWith(text, "~/");
}

std::string CommandLinePath(std::string_view path, std::string_view home,
                            std::string_view currentDirectory) {
    if (StartsWith(path, "~/")) return std::string(home) + std::string(path.substr(1));
    if (StartsWith(path, "/") || (path.size() > 1 && path[1] == ':') ||
        path.find('\\') != std::string_view::npos) {
        return std::string(path);
    }
    std::string absolute(currentDirectory);
    if (absolute.empty() || absolute.back() != '/') absolute.push_back('/');
    return absolute += path;
}

std::string CommandLineFileUrl(std::string_view path, std::string_view home,
                               std::string_view currentDirectory) {
    return core::LocalFileUrl(CommandLinePath(path, home, currentDirectory));
}

}  // namespace corvane::config
