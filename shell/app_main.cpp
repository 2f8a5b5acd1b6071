#include "shell/app_main.h"

#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/command_line.h"
#include "platform/profile_directory.h"
#include "platform/whole_file.h"
#include "shell/application.h"
#include "shell/browser_window.h"
#include "shell/command_line.h"
#include "shell/download_window.h"
#include "shell/headless_runner.h"
#include "shell/mail_check_runner.h"
#include "shell/mail_window.h"
#include "shell/main_frame.h"
#include "shell/qt_event_loop.h"
#include "store/history_file.h"

namespace corvane::shell {
namespace {

// Exit codes: 0 done, 1 the run failed, 2 the command line was wrong.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Qt is told to draw off screen before it starts; the window modes need a real display.
bool HasDisplay() {
    if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) return true;
    // A platform chosen by hand that needs no display server (offscreen, vnc, eglfs...).
    const std::string_view platform =
        std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    return !platform.empty() && !platform.starts_with("xcb") && !platform.starts_with("wayland");
}

std::string CurrentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

// What the command line asks the new window to show first.
void StartWindow(CBrowserWindow& window, const CApplication& application,
                 const CommandLine& commandLine) {
    if (commandLine.historyFile) {
        window.AdoptHistory(store::TakeHistoryFile(*commandLine.historyFile));
        // With nothing else asked for, the new window shows where the old one stood.
        if (!commandLine.target) {
            window.LoadCurrent();
            return;
        }
    }
    std::vector<std::string> words;
    if (commandLine.target) words.push_back(*commandLine.target);
    const char* home = std::getenv("HOME");
    const config::StartupCommand start =
        config::ParseCommandLine(words, application.Settings().General().autoloadHomePage != 0,
                                 home ? home : "", CurrentDirectory());
    switch (start.kind) {
        case config::StartTarget::kNothing:
            break;
        case config::StartTarget::kHomePage:
            window.Home();
            break;
        case config::StartTarget::kLocalFile:
            window.Load(
                config::CommandLineFileUrl(start.target, home ? home : "", CurrentDirectory()));
            break;
        case config::StartTarget::kAddress:
            window.Load(start.target);
            break;
    }
}

int RunWindow(const CommandLine& commandLine, const std::string& profile, int& argc, char** argv) {
    QApplication qtApplication(argc, argv);
    // The installed theme's icon when there is one, else the one built into the program.
    QIcon builtIn;
    for (int size : {16, 32, 48, 64, 128, 256})
        builtIn.addFile(QString(":/icons/corvane-%1.png").arg(size));
    QApplication::setWindowIcon(QIcon::fromTheme("corvane", builtIn));
    QApplication::setDesktopFileName("corvane");
    QtEventLoop loop;
    CMainFrame frame;
    CApplication application(profile, loop, frame.Host());
    application.Host().showWaitCursor = [](bool show) {
        if (show) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    };
    application.Host().makeDownloadReporter = MakeDownloadWindow;
    if (!frame.ViewWidget().View().ApplySettings(application.ViewSettings())) return kExitFailure;
    CBrowserWindow window(application, frame.ViewWidget().View());
    core::CDownloadServices& downloads = application.Host().downloads;
    frame.mayClose = [&] { return downloads.CloseWhenIdle(&window.Document()); };
    // Sent from inside a download's last step: the window closes on a later turn.
    downloads.postCloseMessage = [&](core::COvalonDoc*) {
        application.Loop().Post([&frame] { frame.close(); });
    };
    // Made at first use and kept for the run, so checks it started go on reporting.
    std::unique_ptr<CMailWindow> mailWindow;
    frame.openMail = [&] {
        if (!mailWindow) mailWindow = std::make_unique<CMailWindow>(application);
        mailWindow->show();
        mailWindow->raise();
    };
    frame.Restore(application.Settings());
    frame.SetSession(&window);
    frame.ShowAsStored();
    StartWindow(window, application, commandLine);
    const int status = qtApplication.exec();
    frame.SetSession(nullptr);
    frame.openMail = nullptr;
    return status;
}

int Run(const CommandLine& commandLine, int& argc, char** argv) {
    std::string error;
    auto sources = platform::ProfileDirectorySourcesFromEnvironment(commandLine.profileDirectory);
    std::optional<std::string> profile = platform::OpenProfileDirectory(sources, error);
    if (!profile) {
        std::fprintf(stderr, "corvane: %s\n", error.c_str());
        return kExitFailure;
    }
    platform::RemoveLeftoverTemporaries(*profile);
    if (commandLine.action == CommandLine::Action::kCheckMail)
        return RunMailCheck(commandLine.mailAccount, *profile);
    if (commandLine.headless != CommandLine::Headless::kNone)
        return RunHeadless(commandLine, *profile, argc, argv);
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "corvane: there is no display to open a window on.\n"
                     "Without one, use --dump-text, --dump-source or --screenshot FILE.png "
                     "(see corvane --help).\n");
        return kExitFailure;
    }
    return RunWindow(commandLine, *profile, argc, argv);
}

}  // namespace

int AppMain(int argc, char** argv) {
    // A file-size limit must fail the write that meets it, which is then reported, instead of
    // killing the program in the middle of it.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    CommandLineParse parse = ParseCommandLine(arguments);
    if (!parse.commandLine) {
        std::fprintf(stderr, "corvane: %s\nTry 'corvane --help' for more information.\n",
                     parse.error.c_str());
        return kExitUsage;
    }
    switch (parse.commandLine->action) {
        case CommandLine::Action::kHelp:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case CommandLine::Action::kVersion:
            std::printf("Corvane %s\n", CORVANE_VERSION);
            return 0;
        case CommandLine::Action::kRun:
        case CommandLine::Action::kCheckMail:
            break;
    }
    return Run(*parse.commandLine, argc, argv);
}

}  // namespace corvane::shell
