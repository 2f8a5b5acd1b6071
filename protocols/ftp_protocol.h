#pragma once
// ftp: logs in (anonymously unless the URL names a user), opens a passive data connection, asks
// for the path as a file and, when the server refuses, lists it as a directory and shows the
// listing as a page of links. A failure other than a refusal (class 5) starts over, up to three
// attempts in all.
//
// The data connection goes to the control connection's host whatever address a 227 reply
// names, so a server cannot point the client at a third machine. In active mode only a
// connection from the control connection's peer is taken as the data connection. A data
// connection not made within the connect time-out fails the load.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "protocols/ftp_listing.h"
#include "protocols/tcp_protocol.h"

namespace corvane::protocols {

class CHTFTP;

class CFtpDataSocket : public platform::AsyncSocket {
  public:
    CFtpDataSocket(platform::EventLoop& loop, CHTFTP& owner);

  protected:
    void OnConnect(int error) override;
    void OnReceive(int error) override;
    void OnClose(int error) override;

  private:
    CHTFTP& owner_;
};

// Waits for the server's data connection in active mode.
class CFtpListenSocket : public platform::AsyncSocket {
  public:
    CFtpListenSocket(platform::EventLoop& loop, CHTFTP& owner);

  protected:
    void OnAccept(int error) override;

  private:
    CHTFTP& owner_;
};

class CHTFTP : public CHTTCP {
  public:
    CHTFTP();

    int Open() override;
    void Abort() override;
    void StartDialogue(int error) override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    friend class CFtpDataSocket;
    friend class CFtpListenSocket;

    int ConnectControl();
    // The complete reply's code, 0 while it goes on, -1 when the connection failed (retried).
    int Reply(int lineResult);
    // A reply the step did not expect: class 5 fails the load, anything else starts over.
    void Unexpected();
    void Retry();

    void OnGreeting(int result);
    void OnLogin(int result);
    void OnType(int result);
    void AskForDataPort();
    void OnPassive(int result);
    // Passive mode refused: listen on the control connection's local address and send PORT.
    void StartActive();
    void OnPort(int result);
    void SendTransferCommand();
    // A connection to the listening socket: taken only from the server's own address.
    void Accepted(int error);
    std::string DataTimeoutText() const;
    void OnRetrieve(int result);
    void OnSystem(int result);
    void OnDirectory(int result);
    void OnList(int result);
    void OnFinal(int result);

    void StartFile();
    void StartListing();
    void DataNotification(int error);
    void WakeForData();
    std::int32_t FileSource(std::uint8_t* destination, std::int32_t maxLength);
    std::int32_t ListingSource(std::uint8_t* destination, std::int32_t maxLength);
    void ListingLine(std::string_view line);

    static constexpr std::int32_t kBufferSize = kBodyCapacity;
    static constexpr std::size_t kListingLineCapacity = 1024;
    static constexpr std::size_t kMessageLimit = 200;

    std::string host_;           // host and optional ":port"
    std::string user_;           // decoded; empty for anonymous
    std::string password_;       // decoded
    std::string serverText_;     // the location as written in the URL, for links
    std::string shownLocation_;  // the location without the password, for the page text
    std::string path_;           // decoded URL path
    std::string directory_;      // "/" and the path, ending in "/"
    std::vector<std::string> messages_;
    FtpSystem system_ = FtpSystem::kOther;
    int attempts_ = 3;
    bool listing_ = false;          // RETR was refused: the path is listed
    bool extendedRefused_ = false;  // EPSV was refused: PASV from now on
    bool passiveRefused_ = false;   // PASV was refused too: active mode from now on
    std::unique_ptr<CFtpDataSocket> data_;
    std::unique_ptr<CFtpListenSocket> listener_;
    bool dataConnected_ = false;
    bool dataEnded_ = false;
    std::string listingLine_;  // a listing line still without its end
    bool listingLineCut_ = false;
    std::string pending_;  // listing HTML not yet handed out
    std::size_t taken_ = 0;
    std::uint8_t storage_[kBufferSize] = {};
};

// The password of anonymous logins: the user's e-mail address.
void SetFtpAnonymousPassword(std::string password);

// The port a 229 ("(|||port|)") or 227 ("(h1,h2,h3,h4,p1,p2)") reply names; 0 when none.
std::uint16_t PassivePort(std::string_view replyText, bool extended);

// Makes ftp: URLs load with CHTFTP.
void RegisterFtp();

}  // namespace corvane::protocols
