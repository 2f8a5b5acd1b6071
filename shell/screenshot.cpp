#include "shell/screenshot.h"

#include <QApplication>
#include <QBuffer>
#include <QPdfWriter>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "html/document.h"
#include "platform/whole_file.h"
#include "shell/headless_runner.h"
#include "shell/page_image.h"
#include "shell/print_job.h"
#include "shell/qt_drawing_surface.h"
#include "shell/qt_event_loop.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

// The paper's unprintable edge a printer would have.
constexpr double kPdfMarginMm = 10;

// Written whole or not at all: a full disk leaves no truncated picture or PDF behind. Without
// data the output could not be made.
int WriteOutput(const std::string& path, const QByteArray* data) {
    std::error_code error = std::make_error_code(std::errc::not_enough_memory);
    if (data) {
        error = platform::WriteFileAtomically(
            path, std::string_view(data->constData(), static_cast<std::size_t>(data->size())),
            platform::NewFileAccess::kUmask);
    }
    if (!error) return 0;
    std::fprintf(stderr, "corvane: cannot write %s: %s\n", path.c_str(), error.message().c_str());
    return 1;
}

// Every page, through the code the printer gets.
bool PrintToPdf(render::CHTMLView& view, QBuffer& buffer) {
    const html::CHTML* document = view.Layout().Document();
    const std::string title = document ? document->title : std::string();
    QPdfWriter writer(&buffer);
    writer.setTitle(FromUtf8(title));
    writer.setCreator("Corvane");
    writer.setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                          QPageLayout::Millimeter);
    return PrintDocument(writer, view, FrameForNow(title, view.Url())) > 0;
}

}  // namespace

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
    const bool pdf = commandLine.headless == CommandLine::Headless::kPrintPdf;
    const PagePicture picture = [&](render::CHTMLView& view, int width) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        bool made = buffer.open(QIODevice::WriteOnly);
        if (made && pdf) {
            made = PrintToPdf(view, buffer);
        } else if (made) {
            made = RenderPage(view, surface, width, commandLine.height).save(&buffer, "PNG");
        }
        return WriteOutput(*commandLine.outputFile, made ? &bytes : nullptr);
    };
    return LoadAndWrite(commandLine, profileDirectory, loop, surface, picture);
}

}  // namespace corvane::shell
