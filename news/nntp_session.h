#pragma once
// CNNTP is the NNTP session under every news protocol: it picks the server, connects, reads the
// greeting, logs in when the server record has a user name, and checks each reply's class. A
// reply of 480 to a command brings up the login dialog and, after OK, logs in and runs the first
// command again; a refused login asks again (when the user may be asked) on a new connection.
// It also carries the page output shared by the news pages: HTML text and generated units handed
// to the HTML convertor through the protocol's own buffer.
//
// Order of calls: Open (subclass: read the address, ConnectToServer) -> greeting -> (STARTTLS ->
// TLS handshake) -> login -> FirstCommand (subclass) -> reply handlers -> StartPage / Emit /
// EndPage -> Abort. The server record's security setting asks for TLS from the connect (nntps)
// or through STARTTLS; a server that refuses STARTTLS gets no login and no command.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "news/news_services.h"
#include "protocols/generated_units.h"
#include "protocols/tcp_protocol.h"

namespace corvane::news {

class CNNTP : public protocols::CHTTCP {
  public:
    CNNTP();
    ~CNNTP() override;

    void StartDialogue(int error) override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Sends the first command once the session is ready (again after a login).
    virtual void FirstCommand() = 0;

    // The server of the request's address: its host (this machine when empty), else the
    // default server. Also sets linkStart for the pages. False without news services.
    bool ChooseServer();
    // Connects to serverName on the "nntp" port (119 when the system does not know it), or with
    // TLS on the "nntps" port (563) when the record asks for TLS from the start.
    int ConnectToServer();

    // Reads the reply handed to a handler. True when it is complete and of the expected class;
    // false while it goes on, or when it failed the request or started a login (done here).
    bool AcceptReply(int result, int expectedClass, bool loginOnRefusal);
    // The request still runs this protocol (a dialog may have let the user stop it).
    bool IsCurrent() const;

    // Page output. StartPage makes the HTML convertor and announces the page; Emit appends
    // HTML; SetUnits hands over a generator written after the pending HTML; EndPage ends the
    // data once everything is taken.
    bool StartPage();
    void Emit(std::string_view html);
    void SetUnits(std::unique_ptr<protocols::GeneratedUnits> units);
    void EndPage();
    // Hands `data` (an attachment) to a Save As download in place of a page; false (and the
    // load failed) when it could not start.
    bool SaveData(std::string data, std::string_view type);
    // A page made at once without a connection (the group list from memory or the cache).
    int ServeWithoutConnection(std::string header,
                               std::unique_ptr<protocols::GeneratedUnits> units);

    NewsServices* services = nullptr;
    NewsServerRecord* server = nullptr;
    std::string serverName;
    std::string linkStart;  // the start of article and group links on the pages

  private:
    void OnGreeting(int result);
    void OnStartTls(int result);
    void Login();
    void StartLogin();
    void SendUser();
    void OnUser(int result);
    void OnPassword(int result);
    void LoginRefused();
    std::int32_t PageSource(std::uint8_t* destination, std::int32_t maxLength);

    static constexpr std::int32_t kPageBufferSize = 4096;
    std::string pending_;
    std::size_t taken_ = 0;
    std::unique_ptr<protocols::GeneratedUnits> units_;
    bool pageEnded_ = false;
    bool securing_ = false;  // STARTTLS was accepted: the handshake's end continues the session
    std::uint8_t pageBuffer_[kPageBufferSize] = {};
};

}  // namespace corvane::news
