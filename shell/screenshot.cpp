#include "shell/screenshot.h"

#include <QApplication>
#include <QBuffer>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "platform/whole_file.h"
#include "shell/headless_runner.h"
#include "shell/page_image.h"
#include "shell/qt_drawing_surface.h"
#include "shell/qt_event_loop.h"

namespace corvane::shell {

int RunScreenshot(const CommandLine& commandLine, const std::string& profileDirectory, int& argc,
                  char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's chatter about its environment would mix with what the mode writes.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "corvane: %s\n", text.toLocal8Bit().constData());
    });
    QApplication qtApplication(argc, argv);
    QtEventLoop loop;
    QtDrawingSurface surface;
    const PagePicture picture = [&](render::CHTMLView& view, int width) {
        const QImage image = RenderPage(view, surface, width, commandLine.height);
        // Written whole or not at all: a full disk leaves no truncated picture behind.
        QByteArray png;
        QBuffer buffer(&png);
        std::error_code error;
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
            error = std::make_error_code(std::errc::not_enough_memory);
        } else {
            error = platform::WriteFileAtomically(
                *commandLine.screenshotFile,
                std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                platform::NewFileAccess::kUmask);
        }
        if (!error) return 0;
        std::fprintf(stderr, "corvane: cannot write %s: %s\n", commandLine.screenshotFile->c_str(),
                     error.message().c_str());
        return 1;
    };
    return LoadAndWrite(commandLine, profileDirectory, loop, surface, picture);
}

}  // namespace corvane::shell
