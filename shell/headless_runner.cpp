#include "shell/headless_runner.h"

#include <unistd.h>

#include <cstdio>

#include "config/command_line.h"
#include "core/cache_entry.h"
#include "core/load_task.h"
#include "core/request.h"
#include "platform/scripted_host_services.h"
#include "shell/application.h"
#include "shell/browser_window.h"
#include "shell/page_image.h"
#include "shell/qt_event_loop.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
// A load that has not ended by then is given up.
constexpr std::uint32_t kLoadTimeoutMs = 300'000;

// The view of a window that is never shown.
class HiddenViewWindow : public render::CViewWindow {
  public:
    void SetScrollSizes(const render::ScrollSizes&) override {}
    void Repaint(const render::Rect&) override {}
    void PostRelayout() override {}
    void SetCursor(render::CursorKind) override {}
    void ScrollToY(int) override {}
};

// Stands in for the request's disk cache entry and writes the bytes its convertor consumes to
// standard output as they arrive, for --dump-source: memory stays the same for any size.
class SourceCapture : public core::CCacheEntry {
  public:
    class Writer : public core::CConvertorCacheWriter {
      public:
        explicit Writer(bool& failed) : failed_(failed) {}
        void Put(const void* data, std::size_t length) override {
            failed_ = failed_ || std::fwrite(data, 1, length, stdout) != length;
        }
        void End(int) override { failed_ = failed_ || std::fflush(stdout) != 0; }

      private:
        bool& failed_;
    };

    explicit SourceCapture(bool& failed) : failed_(failed) {}
    std::unique_ptr<core::CConvertorCacheWriter> OpenWriter(core::CHTRequest&) override {
        return std::make_unique<Writer>(failed_);
    }

  private:
    bool& failed_;
};

std::string CurrentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

// A target that names a local file becomes its file: URL; anything else is an address.
std::string TargetUrl(const std::string& target) {
    if (!config::IsLocalPathText(target)) return target;
    const char* home = std::getenv("HOME");
    return config::CommandLineFileUrl(target, home ? home : "", CurrentDirectory());
}

}  // namespace

int RunHeadless(const CommandLine& commandLine, const std::string& profileDirectory) {
    using Headless = CommandLine::Headless;
    QtEventLoop loop;
    platform::ScriptedHostServices ui;
    ui.SetEchoMessages(true);

    CApplication application(profileDirectory, loop, ui);
    // The source as the server sends it now, never a stored copy.
    if (commandLine.headless == Headless::kDumpSource) application.Host().webStores = nullptr;
    HiddenViewWindow hidden;
    QtDrawingSurface surface;
    render::CHTMLView view(surface, ui, hidden);
    if (!view.ApplySettings(application.ViewSettings())) return 1;
    const int width = commandLine.width.value_or(kDefaultWidth);
    view.OnSize(width, commandLine.height.value_or(kDefaultHeight));
    view.OnRelayout();

    CBrowserWindow window(application, view);
    window.Load(TargetUrl(*commandLine.target));
    // The source of whichever request the load ends with: a redirection moves it to another.
    bool writeFailed = false;
    core::CHTRequest* loading = nullptr;
    const auto captureSource = [&] {
        const core::CLoadTask* task = window.Document().LoadTask();
        if (commandLine.headless != Headless::kDumpSource || task == nullptr ||
            &task->Request() == loading) {
            return;
        }
        loading = &task->Request();
        loading->cacheEntry = std::make_unique<SourceCapture>(writeFailed);
    };
    captureSource();
    if (!loop.RunUntil(
            [&] {
                captureSource();
                return !window.IsLoading();
            },
            kLoadTimeoutMs)) {
        std::fprintf(stderr, "corvane: loading %s took too long\n", commandLine.target->c_str());
        return 1;
    }
    window.Tick();
    core::CHTRequest* shown = window.Document().Shown();
    if (window.ShownHtml() == nullptr || shown == nullptr) return 1;

    switch (commandLine.headless) {
        case Headless::kDumpSource:
            return shown == loading && !writeFailed ? 0 : 1;
        case Headless::kDumpText: {
            bool written = true;
            view.WriteText([&written](std::string_view line) {
                written =
                    written && std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
            });
            return written && std::fflush(stdout) == 0 ? 0 : 1;
        }
        case Headless::kScreenshot: {
            const QImage image = RenderPage(view, surface, width, commandLine.height);
            if (!image.save(FromUtf8(*commandLine.screenshotFile), "PNG")) {
                std::fprintf(stderr, "corvane: cannot write %s\n",
                             commandLine.screenshotFile->c_str());
                return 1;
            }
            return 0;
        }
        case Headless::kNone:
            break;
    }
    return 1;
}

}  // namespace corvane::shell
