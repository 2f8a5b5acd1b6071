#pragma once
// The program-wide objects of one run, made in start-up order: the settings, the scheduler
// stepped from the event loop's idle time, the host-services object with the request table, the
// stores of browsing (disk cache, visited list, realms), and the registries of schemes and content
// types with their protocol and convertor classes. The window and the headless runner both start
// from here, so they load pages the same way.
//
// At the end of the run the visited list and the realms are saved and the cache does its exit
// work (clearing when asked to, removing temporary files).
//
// Memory: the application owns everything it makes; the event loop and the user-interface
// services are the caller's and must outlive it. The stores outlive the request table, whose
// requests link to the cache.

#include <memory>
#include <string>

#include "config/settings.h"
#include "core/ht_host_services.h"
#include "core/scheduler.h"
#include "mail/mail_session.h"
#include "mail/mail_to.h"
#include "news/news_services.h"
#include "platform/event_loop.h"
#include "platform/host_services.h"
#include "platform/program_launcher.h"
#include "render/html_view.h"
#include "store/browsing_stores.h"
#include "store/disk_cache.h"
#include "store/realm_store.h"

namespace corvane::shell {

class CApplication {
  public:
    CApplication(std::string profileDirectory, platform::EventLoop& loop,
                 platform::HostServices& ui);
    ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    config::Settings& Settings() { return settings_; }
    const config::Settings& Settings() const { return settings_; }
    platform::EventLoop& Loop() { return loop_; }
    platform::HostServices& Ui() { return ui_; }
    core::CHTScheduler& Scheduler() { return *scheduler_; }
    platform::ProgramLauncher& Launcher() { return launcher_; }
    core::CHTHostServices& Host() { return *host_; }
    store::CDiskCache& Cache() { return *cache_; }
    store::CRealmStore& Realms() { return realms_; }
    const std::string& ProfileDirectory() const { return settings_.ProfileDirectory(); }

    // The mail store and its checks, loaded when first asked for; "mail.ini" is saved at exit.
    mail::MailSession& Mail();
    // What mailto: sending asks of the program; the window sets openCompose.
    mail::MailSendServices& MailSend() { return mailSend_; }

    // Writes the visited list and the saved realms (before another window starts, and at exit).
    void SaveStores();

    // The "Home Page" setting, or the start page beside the executable.
    std::string HomePage() const;
    render::ViewSettings ViewSettings() const;

  private:
    std::string VisitedPath() const;
    void SetUpMailSend();

    platform::EventLoop& loop_;
    platform::HostServices& ui_;
    config::Settings settings_;
    std::unique_ptr<core::CHTScheduler> scheduler_;
    // Before the host services: downloads may start applications until the very end.
    platform::ProgramLauncher launcher_;
    std::unique_ptr<store::CDiskCache> cache_;
    store::CRealmStore realms_;
    std::unique_ptr<core::CHTHostServices> host_;
    // The cache and the realms as HTTP sees them.
    std::unique_ptr<store::CBrowsingStores> webStores_;
    // The news servers with their group trees and logins, for the whole run.
    std::unique_ptr<news::NewsServices> news_;
    std::unique_ptr<mail::MailSession> mail_;
    mail::MailSendServices mailSend_;
};

}  // namespace corvane::shell
