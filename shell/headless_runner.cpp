#include "shell/headless_runner.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "config/startup_command.h"
#include "core/cache_entry.h"
#include "core/load_task.h"
#include "core/request.h"
#include "html/text_convertor.h"
#include "platform/file_services.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "render/fixed_pitch_surface.h"
#include "shell/application.h"
#include "shell/browser_window.h"

namespace corvane::shell {
namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
// A load that has not ended by then is given up.
constexpr std::uint32_t kLoadTimeoutMs = 300'000;
// Images still loading that long after their page are drawn as far as they came.
constexpr std::uint32_t kImagesTimeoutMs = 60'000;
constexpr std::size_t kSourceOutputBuffer = 256 * 1024;

// What the source dump wrote: whether a write failed, and whether the data ended normally.
struct SourceOutcome {
    bool failed = false;
    bool complete = false;
};

// Stands in for the request's disk cache entry and writes the bytes its convertor consumes to
// standard output as they arrive, for --dump-source: memory stays the same for any size.
class SourceCapture : public core::CCacheEntry {
  public:
    class Writer : public core::CConvertorCacheWriter {
      public:
        explicit Writer(SourceOutcome& outcome) : outcome_(outcome) {}
        void Put(const void* data, std::size_t length) override {
            outcome_.failed = outcome_.failed || std::fwrite(data, 1, length, stdout) != length;
        }
        void End(int status) override {
            outcome_.failed = outcome_.failed || std::fflush(stdout) != 0;
            outcome_.complete = status == 0;
        }

      private:
        SourceOutcome& outcome_;
    };

    explicit SourceCapture(SourceOutcome& outcome) : outcome_(outcome) {}
    std::unique_ptr<core::CConvertorCacheWriter> OpenWriter(core::CHTRequest&) override {
        return std::make_unique<Writer>(outcome_);
    }

  private:
    SourceOutcome& outcome_;
};

// A target that names a local file becomes its file: URL; anything else is an address.
std::string TargetUrl(const std::string& target) {
    const char* home = std::getenv("HOME");
    const std::string here = platform::CurrentDirectory();
    const std::string words[] = {target};
    const config::StartupCommand start =
        config::ParseCommandLine(words, false, home ? home : "", here);
    if (start.kind != config::StartTarget::kLocalFile) return target;
    return config::CommandLineFileUrl(target, home ? home : "", here);
}

// The dump writes each line as it is laid out: the elements behind written lines go too, so a
// long page is never held whole. Only the document still loading changes, and only the one the
// view shows.
void ReleaseWritten(CBrowserWindow& window, const render::CFlowLayout& layout) {
    const core::CLoadTask* task = window.Document().LoadTask();
    const html::CHTMLElement* keep = layout.FirstElementInUse();
    if (task == nullptr || keep == nullptr) return;
    core::CObject* result = task->Request().document.get();
    if (result == nullptr || !result->IsKindOf(&html::CHTMLDocument::kRuntimeClass)) return;
    html::CHTML* document = static_cast<html::CHTMLDocument*>(result)->html.get();
    if (document != nullptr && document == layout.Document()) document->ReleaseBefore(keep);
}

}  // namespace

int LoadAndWrite(const CommandLine& commandLine, const std::string& profileDirectory,
                 platform::EventLoop& loop, render::DrawingSurface& surface,
                 const PagePicture& picture) {
    using Headless = CommandLine::Headless;
    // The source comes in blocks of a few KiB: written one by one they would cost a system call
    // each. (Set before anything is written.)
    if (commandLine.headless == Headless::kDumpSource)
        std::setvbuf(stdout, nullptr, _IOFBF, kSourceOutputBuffer);
    platform::ScriptedHostServices ui;
    ui.SetEchoMessages(true);

    CApplication application(profileDirectory, loop, ui);
    // The source as the server sends it now, never a stored copy, and passed on without
    // building the document.
    if (commandLine.headless == Headless::kDumpSource) {
        application.Host().webStores = nullptr;
        application.Host().sourceOnly = true;
    }
    render::CHiddenViewWindow hidden;
    render::CHTMLView view(surface, ui, hidden);
    if (!view.ApplySettings(application.ViewSettings())) return 1;
    const int width = commandLine.width.value_or(kDefaultWidth);
    view.OnSize(width, commandLine.height.value_or(kDefaultHeight));
    view.OnRelayout();

    CBrowserWindow window(application, view);
    if (commandLine.headless == Headless::kDumpText) window.LeavePicturesUnloaded();
    // Nobody waits for input here: the one tick below lays out the whole page.
    view.layoutBudgetMs = render::CFlowLayout::kNoBudget;
    window.Load(TargetUrl(*commandLine.target));
    // The source of whichever request the load ends with: a redirection moves it to another.
    SourceOutcome source;
    core::CHTRequest* loading = nullptr;
    const auto captureSource = [&] {
        const core::CLoadTask* task = window.Document().LoadTask();
        if (commandLine.headless != Headless::kDumpSource || task == nullptr ||
            &task->Request() == loading) {
            return;
        }
        loading = &task->Request();
        source.complete = false;
        loading->cacheEntry = std::make_unique<SourceCapture>(source);
    };
    captureSource();
    // The text is written as it is laid out, and what was written is let go.
    bool written = true;
    std::optional<render::CTextStream> text;
    if (commandLine.headless == Headless::kDumpText) {
        text.emplace(view.TextMetrics(), [&written](std::string_view line) {
            written = written && std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
        });
    }
    if (text) {
        view.StreamTextTo(&*text);
        // Each pass of the convertor is laid out, written and let go before the next: what
        // waits in memory stays one pass long.
        application.Scheduler().SetTimeSlice(0);
    }
    // The window lays out on its clock; text is laid out (and written) at every turn instead.
    const auto loaded = [&] {
        captureSource();
        if (text) {
            view.Update();
            ReleaseWritten(window, view.Layout());
        }
        return !window.IsLoading();
    };
    if (!loop.RunUntil(loaded, kLoadTimeoutMs)) {
        std::fprintf(stderr, "corvane: loading %s took too long\n", commandLine.target->c_str());
        return 1;
    }
    if (commandLine.headless == Headless::kDumpSource) {
        return source.complete && !source.failed ? 0 : 1;
    }
    // A picture or a print shows the page as loaded, its images included.
    const bool drawn = commandLine.headless == Headless::kScreenshot ||
                       commandLine.headless == Headless::kPrintPdf;
    if (drawn && !loop.RunUntil([&] { return !window.ImagesLoading(); }, kImagesTimeoutMs)) {
        std::fprintf(stderr, "corvane: images of %s still loading; drawn as far as they came\n",
                     commandLine.target->c_str());
        window.StopImages();
    }
    window.Tick();
    core::CHTRequest* shown = window.Document().Shown();
    if (window.ShownHtml() == nullptr || shown == nullptr) return 1;

    switch (commandLine.headless) {
        case Headless::kDumpText:
            view.StreamTextTo(nullptr);
            return written && std::fflush(stdout) == 0 ? 0 : 1;
        case Headless::kScreenshot:
        case Headless::kPrintPdf:
            return picture ? picture(view, width) : 1;
        case Headless::kDumpSource:
        case Headless::kNone:
            break;
    }
    return 1;
}

int RunHeadlessText(const CommandLine& commandLine, const std::string& profileDirectory) {
    // Text needs neither Qt nor fonts: fixed-pitch measures give exact columns, and the start-up
    // costs nothing but the load.
    platform::PollEventLoop loop;
    render::FixedPitchSurface surface;
    return LoadAndWrite(commandLine, profileDirectory, loop, surface, nullptr);
}

}  // namespace corvane::shell
