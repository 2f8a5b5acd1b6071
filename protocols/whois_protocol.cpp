#include "protocols/whois_protocol.h"

#include "core/ht_host_services.h"
#include "core/html_escape.h"
#include "core/status.h"
#include "core/url_escapes.h"
#include "protocols/text_links.h"

namespace corvane::protocols {

const core::CRuntimeClass CHTWhois::kRuntimeClass =
    core::MakeRuntimeClass<CHTWhois, CHTLinePage>("CHTWhois");

bool IsSafeCommandText(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

int CHTWhois::Open() {
    error = core::kFailure;
    if (request == nullptr) return core::kOpenFailed;
    const core::CHTAddress& address = request->address;
    query_ = core::DecodeUrlEscapes(address.path);
    if (!IsSafeCommandText(query_)) return core::kOpenFailed;
    std::string server(kDefaultWhoisServer);
    if (address.hasLocation) server = address.host.empty() ? "localhost" : address.host;
    error = 0;
    const int opened = Connect(server, "whois", 43);
    if (opened == core::kOpenWaiting && Socket() != nullptr && !Socket()->connected)
        request->Host().Ui().SetStatusText("Connecting to Whois Server " + server + "...");
    return opened;
}

void CHTWhois::StartDialogue(int connectError) {
    CHTLinePage::StartDialogue(connectError);
    if (connectError != 0) return;
    ReleaseWaitCursor();
    request->Host().Ui().SetStatusText("");
    SendLine(query_);
    std::string header =
        "<body bgcolor=#FFFFFF text=000000 link=#000088 alink=#008888 vlink=#880000>\r\n"
        "<td><font size=+3>Whois: " +
        core::EscapeHtmlText(query_) + "</font><hr size=4><br>\r\n";
    if (!StartPage(std::move(header))) {
        Fail(core::kFailure);
        return;
    }
    request->status = 0;
    request->Wake();
}

void CHTWhois::PageLine(std::string_view line, bool continuation, std::string& html) {
    if (lineOpen_ && !continuation) html += "<br>\r\n";
    AppendTextWithLinks(line, html);
    lineOpen_ = true;
}

void CHTWhois::PageEnd(std::string& html) {
    if (lineOpen_) html += "<br>\r\n";
    lineOpen_ = false;
}

}  // namespace corvane::protocols
