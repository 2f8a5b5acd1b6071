// How the window behaves while a long local page loads: the time from the start of the load to
// the first paint that shows text, and the longest time the window left input waiting. A helper
// thread posts an input-like event every millisecond; the window handles it when its loop gets a
// turn, so the largest gap between two handled events is the longest time a key press, a menu
// click or Stop would have waited.
//
// usage: window_load_probe PAGE.html   (QT_QPA_PLATFORM=offscreen or a display)
#include <QApplication>
#include <QPaintEvent>
#include <QScrollBar>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "render/layout_box.h"
#include "shell/application.h"
#include "shell/browser_window.h"
#include "shell/main_frame.h"
#include "shell/qt_event_loop.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr QEvent::Type kProbe = QEvent::User;

// Records when posted probe events and text-showing paints are handled.
class Recorder : public QObject {
  public:
    Recorder(corvane::shell::CMainFrame& frame, Clock::time_point start)
        : frame_(frame), start_(start), last_(start) {}
    bool firstTextSeen() const { return firstText_ >= 0; }
    double firstText() const { return firstText_; }
    double longestGap() const { return longestGap_; }
    void StopMeasuring() { measuring_ = false; }

  protected:
    bool event(QEvent* event) override {
        if (event->type() != kProbe) return QObject::event(event);
        const Clock::time_point now = Clock::now();
        if (measuring_) {
            longestGap_ = std::max(longestGap_,
                                   std::chrono::duration<double, std::milli>(now - last_).count());
        }
        last_ = now;
        return true;
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && firstText_ < 0) {
            // Filters run before the paint: the text is drawn by the handler that follows.
            for (const corvane::render::LayoutBox& box :
                 frame_.ViewWidget().View().Layout().Display().boxes) {
                if (box.kind == corvane::render::BoxKind::kText) {
                    firstText_ = MsSince(start_);
                    break;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    corvane::shell::CMainFrame& frame_;
    Clock::time_point start_;
    Clock::time_point last_;
    double firstText_ = -1;
    double longestGap_ = 0;
    bool measuring_ = true;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_load_probe PAGE.html\n");
        return 2;
    }
    const std::string page = std::filesystem::absolute(argv[1]).string();
    const std::filesystem::path profile =
        std::filesystem::temp_directory_path() / ("corvane-probe-" + std::to_string(getpid()));
    std::filesystem::create_directories(profile);

    QApplication qt(argc, argv);
    corvane::shell::QtEventLoop loop;
    corvane::shell::CMainFrame frame;
    int status = 0;
    {
        corvane::shell::CApplication application(profile.string(), loop, frame.Host());
        if (!frame.ViewWidget().View().ApplySettings(application.ViewSettings())) return 1;
        corvane::shell::CBrowserWindow window(application, frame.ViewWidget().View());
        frame.SetSession(&window);
        frame.resize(1000, 800);
        frame.show();
        loop.RunUntil([] { return false; }, 200);  // the window takes its size

        const Clock::time_point start = Clock::now();
        Recorder recorder(frame, start);
        frame.ViewWidget().viewport()->installEventFilter(&recorder);
        std::atomic<bool> probing{true};
        std::thread prober([&] {
            while (probing) {
                QCoreApplication::postEvent(&recorder, new QEvent(kProbe));
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        window.OpenFile(page);
        const bool settled = loop.RunUntil([&] { return window.IsSettled(); }, 600000);
        const double loaded = MsSince(start);
        recorder.StopMeasuring();
        probing = false;
        prober.join();
        frame.SetSession(nullptr);
        if (!settled || !recorder.firstTextSeen()) {
            std::fprintf(stderr, "window_load_probe: the page did not %s\n",
                         settled ? "show text" : "finish loading");
            status = 1;
        } else {
            std::printf(
                "window load of %s (%.1f MB): first painted text %.0f ms, longest input "
                "wait %.0f ms, whole load %.0f ms\n",
                argv[1], std::filesystem::file_size(page) / 1e6, recorder.firstText(),
                recorder.longestGap(), loaded);
        }
    }
    std::filesystem::remove_all(profile);
    return status;
}
