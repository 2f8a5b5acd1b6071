#include "protocols/gopher_protocol.h"

#include "core/ht_host_services.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "protocols/whois_protocol.h"

namespace corvane::protocols {

const core::CRuntimeClass CHTGopher::kRuntimeClass =
    core::MakeRuntimeClass<CHTGopher, CHTLinePage>("CHTGopher");

void RegisterGopherAndWhois() {
    core::Schemes().SetProtocolClass(core::kSchemeGopher, &CHTGopher::kRuntimeClass);
    core::Schemes().SetProtocolClass(core::kSchemeWhois, &CHTWhois::kRuntimeClass);
}

int CHTGopher::Open() {
    error = core::kFailure;
    if (request == nullptr) return core::kOpenFailed;
    const core::CHTAddress& address = request->address;
    const std::string hostText = address.host.empty() ? "localhost" : address.host;
    const std::optional<HostAndPort> split = SplitHostAndPort(hostText);
    const std::optional<GopherPlan> plan = PlanGopherRequest(address.path);
    if (!split || !plan) return core::kOpenFailed;
    plan_ = *plan;
    host_ = split->host;
    error = 0;
    if (plan_.output == GopherPlan::Output::kSearchPage) {
        if (!StartPage(GopherSearchPage(address.host, plan_.shownPath))) return core::kOpenFailed;
        EndPage();
        return core::kOpenComplete;
    }
    const int opened = Connect(hostText, "gopher", 70);
    if (opened == core::kOpenWaiting && Socket() != nullptr && !Socket()->connected)
        request->Host().Ui().SetStatusText("Connecting to Gopher Server " + host_ + "...");
    return opened;
}

void CHTGopher::StartDialogue(int connectError) {
    CHTLinePage::StartDialogue(connectError);
    if (connectError != 0) return;
    ReleaseWaitCursor();
    request->Host().Ui().SetStatusText("");
    SendLine(plan_.requestLine);
    if (plan_.output == GopherPlan::Output::kPassThrough) {
        contentType = plan_.contentType;
        StartData(plan_.shownPath);
        return;
    }
    if (!StartPage(GopherMenuHeader(request->address.host, plan_.shownPath))) {
        Fail(core::kFailure);
        return;
    }
    request->status = 0;
    request->Wake();
}

void CHTGopher::PageLine(std::string_view line, bool continuation, std::string& html) {
    // The rest of an over-long menu line is dropped: its start has been written.
    if (continuation) return;
    if (!AppendGopherMenuLine(line, html)) EndPage();
}

}  // namespace corvane::protocols
