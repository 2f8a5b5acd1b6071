#pragma once
// The command-line modes without a window: load one address the way the window does (the same
// load lifecycle, protocols, convertors and layout), then write its source, its text, a picture
// of it or its printed pages as a PDF, and exit. Text is laid out in fixed-pitch columns and needs
// no Qt; the picture and the PDF are drawn by the window module with real fonts
// (shell/screenshot.h).

#include <functional>
#include <string>

#include "platform/event_loop.h"
#include "render/drawing_surface.h"
#include "render/html_view.h"
#include "shell/command_line.h"

namespace corvane::shell {

// Draws the laid-out page, `width` wide, and writes the picture or the PDF; answers the exit
// status.
using PagePicture = std::function<int(render::CHTMLView& view, int width)>;

// Loads the target with the given loop and measuring surface and writes what the mode asks for.
// Exit status: 0 when the load ends with a document, 1 when it fails (the message box text is on
// stderr).
int LoadAndWrite(const CommandLine& commandLine, const std::string& profileDirectory,
                 platform::EventLoop& loop, render::DrawingSurface& surface,
                 const PagePicture& picture);

// --dump-text and --dump-source.
int RunHeadlessText(const CommandLine& commandLine, const std::string& profileDirectory);

}  // namespace corvane::shell
