#pragma once
// "Create Shortcut": a bookmark as a freedesktop link entry (a ".desktop" file of Type=Link) that
// file managers and desktops open with the user's browser.

#include <functional>
#include <string>
#include <string_view>

namespace corvane::bookmarks {

// The entry's text. Values are escaped as the format asks (backslash, line ends, tabs, a leading
// space), so no name can add a key of its own.
std::string DesktopLinkText(std::string_view name, std::string_view url);

// A file name for the link: the bookmark's name with "/" and control characters replaced, no
// leading dot, at most 100 bytes cut on a character boundary, then ".desktop"; " (2)", " (3)"...
// are added while `taken` says the name is in use.
std::string DesktopLinkFileName(std::string_view name,
                                const std::function<bool(const std::string&)>& taken);

}  // namespace corvane::bookmarks
