#include "shell/window_main.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/startup_command.h"
#include "platform/file_services.h"
#include "shell/application.h"
#include "shell/browser_window.h"
#include "shell/configuration_sheet.h"
#include "shell/download_window.h"
#include "shell/mail_window.h"
#include "shell/main_frame.h"
#include "shell/newsgroup_window.h"
#include "shell/post_news_window.h"
#include "shell/qt_drawing_surface.h"
#include "shell/qt_event_loop.h"
#include "shell/send_mail_window.h"
#include "store/history_file.h"

namespace corvane::shell {
namespace {

// The exit status when the view cannot take the settings.
constexpr int kExitFailure = 1;

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
                                 home ? home : "", platform::CurrentDirectory());
    switch (start.kind) {
        case config::StartTarget::kNothing:
            break;
        case config::StartTarget::kHomePage:
            window.Home();
            break;
        case config::StartTarget::kLocalFile:
            window.Load(config::CommandLineFileUrl(start.target, home ? home : "",
                                                   platform::CurrentDirectory()));
            break;
        case config::StartTarget::kAddress:
            window.Load(start.target);
            break;
    }
}

// The installed theme's icon when there is one, else the one built into the program. Only the
// sizes a window manager shows: every size an icon has is decoded and sent to the X server with
// each window, and the large ones (a 256-pixel image is 256 KB) serve only the desktop's menus,
// which take them from the installed theme.
QIcon WindowIcon() {
    const QIcon theme = QIcon::fromTheme("corvane");
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(theme.isNull() ? QPixmap(QString(":/icons/corvane-%1.png").arg(size))
                                      : theme.pixmap(size));
    }
    return icon;
}

}  // namespace

int RunWindow(const CommandLine& commandLine, const std::string& profile, int& argc, char** argv) {
    QApplication qtApplication(argc, argv);
    QApplication::setWindowIcon(WindowIcon());
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
    application.Host().displayDepth = ScreenDepth();
    CBrowserWindow window(application, frame.ViewWidget().View());
    core::CDownloadServices& downloads = application.Host().downloads;
    frame.mayClose = [&] { return downloads.CloseWhenIdle(&window.Document()); };
    // Sent from inside a download's last step: the window closes on a later turn.
    downloads.postCloseMessage = [&](core::COvalonDoc*) {
        application.Loop().Post([&frame] { frame.close(); });
    };
    // One Send Mail window at a time; an open one is raised, its text kept.
    std::unique_ptr<CSendMailWindow> sendMail;
    const auto openSendMail = [&](const std::string& recipient) {
        if (sendMail && sendMail->isVisible()) {
            sendMail->raise();
            return;
        }
        SendMailHost host;
        host.post = [&](const std::string& url, std::unique_ptr<core::CObject> body) {
            window.Post(url, std::move(body));
        };
        host.shownText = [&]() -> std::optional<SendMailHost::Quoted> {
            const core::CHTRequest* shown = window.Document().Shown();
            if (shown == nullptr || shown->kind != core::kKindDocument) return std::nullopt;
            return SendMailHost::Quoted{frame.ViewWidget().View().DumpText(), shown->sender};
        };
        sendMail = std::make_unique<CSendMailWindow>(application, std::move(host), &frame);
        if (sendMail->Start(recipient)) sendMail->show();
    };
    application.MailSend().openCompose = [&](const std::string& recipient, core::COvalonDoc*) {
        openSendMail(recipient);
    };
    // Made at first use and kept for the run, so checks it started go on reporting.
    std::unique_ptr<CMailWindow> mailWindow;
    frame.openMail = [&] {
        if (!mailWindow) {
            mailWindow = std::make_unique<CMailWindow>(application);
            mailWindow->sendMail = [&] { openSendMail(""); };
            mailWindow->openUrl = [&](const std::string& url) {
                window.OpenTyped(url);
                frame.raise();
                frame.activateWindow();
            };
        }
        mailWindow->show();
        mailWindow->raise();
    };
    // Made at first use and hidden when closed; the server list is read again at each opening.
    std::unique_ptr<CNewsgroupWindow> newsgroupWindow;
    frame.openNewsgroups = [&] {
        if (!newsgroupWindow) {
            newsgroupWindow = std::make_unique<CNewsgroupWindow>(
                application,
                [&window](const std::string& url, int method) {
                    window.OpenWithMethod(url, method);
                },
                [&window] { window.Stop(); });
            // Closing the browser window ends the run even while this one is open.
            newsgroupWindow->setAttribute(Qt::WA_QuitOnClose, false);
        }
        if (newsgroupWindow->isVisible() || newsgroupWindow->ShowServers()) {
            newsgroupWindow->show();
            newsgroupWindow->raise();
        }
    };
    // Post News windows post through this browser window and quote what it shows.
    const auto openPostNews = [&](PostNewsFields fields) {
        CPostNewsWindow::Open(
            application, std::move(fields),
            [&window](const std::string& url, std::unique_ptr<core::CObject> body) {
                window.OpenWithMethod(url, core::kMethodFormPost, std::move(body));
            },
            [&window] { return window.QuoteSource(); });
    };
    frame.openPostNews = [&] { openPostNews(window.FollowUpFields()); };
    application.News().openPostNews = [&](const std::string& prefix, const std::string& newsgroups,
                                          const std::string& references) {
        openPostNews({prefix, newsgroups, "", references});
    };
    frame.openConfigurations = [&] { RunConfigurationSheet(frame, application); };
    frame.Host().configureViewer = [&application](std::string_view type, std::string_view command) {
        return config::ConfigureViewer(core::Convertors(), application.MimeTypes(),
                                       core::Convertors().FindType(type), command);
    };
    frame.Restore(application.Settings());
    window.LoadBookmarks();
    frame.SetSession(&window);
    frame.ShowAsStored();
    StartWindow(window, application, commandLine);
    const int status = qtApplication.exec();
    // Stores its placement and the servers' view flags as when the user closes it.
    if (newsgroupWindow && newsgroupWindow->isVisible()) newsgroupWindow->close();
    frame.SetSession(nullptr);
    frame.openMail = nullptr;
    application.MailSend().openCompose = nullptr;
    sendMail.reset();
    frame.openNewsgroups = nullptr;
    frame.openPostNews = nullptr;
    application.News().openPostNews = nullptr;
    frame.openConfigurations = nullptr;
    frame.Host().configureViewer = nullptr;
    return status;
}

}  // namespace corvane::shell
