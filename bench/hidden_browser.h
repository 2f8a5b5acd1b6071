#pragma once
// A browser window over a hidden view on the poll loop, set up as the headless modes do it, for
// the probes that time whole loads through the window's own code.

#include <optional>

#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "render/fixed_pitch_surface.h"
#include "render/html_view.h"
#include "shell/application.h"
#include "shell/browser_window.h"

namespace corvane::bench {

// Members in construction order: the application needs the loop and the host services, the
// view the surface and the hidden window.
struct HiddenBrowser {
    explicit HiddenBrowser(const char* profileDirectory)
        : application(profileDirectory, loop, ui), view(surface, ui, hidden) {}

    // Lays out at 800 x 600 with no time budget (nobody waits for input); false without fonts.
    bool Open() {
        if (!view.ApplySettings(application.ViewSettings())) return false;
        view.OnSize(800, 600);
        view.OnRelayout();
        window.emplace(application, view);
        view.layoutBudgetMs = render::CFlowLayout::kNoBudget;
        return true;
    }

    platform::PollEventLoop loop;
    render::FixedPitchSurface surface;
    platform::ScriptedHostServices ui;
    shell::CApplication application;
    render::CHiddenViewWindow hidden;
    render::CHTMLView view;
    std::optional<shell::CBrowserWindow> window;
};

}  // namespace corvane::bench
