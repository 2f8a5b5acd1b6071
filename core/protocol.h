#pragma once
// The protocol object framework. A protocol fetches or generates the bytes of one request: it is
// created by class from the scheme registry, attached to its request, opened, and then read from
// by the convertor chosen for the data, which pulls blocks out of the protocol's buffer while the
// protocol refills it from its data source (a socket, a file, a generator of HTML text).
//
// Order of calls: create by class -> Attach -> Open -> (ChooseConvertor once the type is known)
// -> convertor pulls with GetBlock/Peek, which call ReadMore -> Abort -> destroy.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/convertor.h"
#include "core/request.h"
#include "core/runtime_class.h"
#include "core/task.h"

namespace corvane::core {

class CHTHostServices;
class CHTProtocol;

// Receives transfer progress after every successful read. The base shows nothing; the status-bar
// and download-window reporters derive from it.
class CHTProgressReporter {
  public:
    virtual ~CHTProgressReporter() = default;
    // Byte counts are 64-bit: a transfer past 4 GiB keeps correct figures. expected 0: unknown.
    virtual void Report(std::uint64_t received, std::uint64_t expected, std::uint32_t elapsedMs) {
        (void)received, (void)expected, (void)elapsedMs;
    }
};

// The wait cursor, shown with the mouse captured while a connection is being made.
class CWaitCursor {
  public:
    explicit CWaitCursor(CHTHostServices& host);
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

  private:
    CHTHostServices& host_;
};

// Answers of Open.
enum OpenResult : int {
    kOpenFailed = -1,
    kOpenWaiting = 0,  // still connecting or waiting
    kOpenComplete = 1,
    kOpenDoneItself = 3,  // did everything itself; nothing to show
};

class CHTProtocol : public CObject {
  public:
    // Fills `destination` with at most `maxLength` bytes: answers the count (above 0), 0 at the
    // end of the data, or a negative error. Never blocks: a network source answers -66 when
    // nothing has arrived.
    using DataSource = std::int32_t (CHTProtocol::*)(std::uint8_t* destination,
                                                     std::int32_t maxLength);

    CHTProtocol();
    ~CHTProtocol() override;
    CHTProtocol(const CHTProtocol&) = delete;
    CHTProtocol& operator=(const CHTProtocol&) = delete;

    virtual void Attach(CHTRequest* servedRequest, bool reloadFlag, bool embeddedFlag);
    // -1 failed (error says why), 0 connecting or waiting, 1 complete, 3 done itself.
    virtual int Open() { return kOpenComplete; }
    // Releases the connection or file at once.
    virtual void Abort() {}
    // Decides and installs the convertor once the content type or the first data is known;
    // answers whether data should now flow.
    virtual bool ChooseConvertor(std::string_view fileName = {});
    // Hands the data to the Save As download whatever its type (data the user asked to save).
    bool SaveDataToFile();
    // For a page the protocol writes itself (a menu, a listing, an article): the HTML convertor
    // shows it or, when the address is being saved into a chosen file, the file gets the page
    // (whose own failures are told to the user). False when no convertor could be made.
    bool StartOwnPage();

    // Refills the buffer: the number of bytes now available, or the negative error.
    [[nodiscard]] int ReadMore();
    // Hands out and consumes the next block. `length` 0, or more than is available, takes all
    // that is available. Null when nothing could be read.
    const std::uint8_t* GetBlock(std::int32_t& length);
    // Makes `count` bytes available without consuming them. Null when fewer came: error -66
    // while more may come, -65 (or the source's error) when the data has ended.
    const std::uint8_t* Peek(std::int32_t count);
    void SetProgressReporter(std::unique_ptr<CHTProgressReporter> reporter);

    // The convertor's answer: -1 failed, 1 finished, 0 more to come; -1 without a convertor.
    [[nodiscard]] int Pump();
    // Pumps once; when more is to come the pump task takes over (answer 0).
    [[nodiscard]] int StartPumping();
    void CreatePumpTask();

    // While connecting; released once the request is sent, and when the protocol ends.
    void ShowWaitCursor();
    void ReleaseWaitCursor() { waitCursor.reset(); }

    template <class Derived>
    void SetDataSource(std::int32_t (Derived::*source)(std::uint8_t*, std::int32_t)) {
        dataSource = static_cast<DataSource>(source);
    }
    void SetBuffer(std::uint8_t* start, std::int32_t size);

    CHTSignal readySignal;   // raised with 0 when data flows, negative when the protocol fails
    CHTSignal secondSignal;  // for subclasses
    CHTRequest* request = nullptr;
    std::unique_ptr<CHTConvertor> convertor;
    std::unique_ptr<CHTTask> pumpTask;
    std::unique_ptr<CWaitCursor> waitCursor;
    std::string contentType;
    std::string secondString;
    std::int32_t error = 0;
    std::uint8_t* buffer = nullptr;
    std::int32_t capacity = 0;
    std::uint8_t* readPosition = nullptr;
    std::int32_t available = 0;
    DataSource dataSource = &CHTProtocol::EndedSource;
    std::unique_ptr<CHTProgressReporter> progress;
    std::uint64_t received = 0;
    std::uint32_t startTick = 0;
    std::uint32_t lastTick = 0;
    bool running = false;
    bool embedded = false;
    bool reload = false;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    std::int32_t EndedSource(std::uint8_t*, std::int32_t) { return 0; }
    std::uint32_t Tick() const;

  private:
    bool pumped_ = false;  // the received count has been started
};

// The protocol for the request's scheme, attached: a scheme with a proxy slot is fetched by the
// class of scheme 0. Null when the scheme or its class is unknown or the object cannot be made.
std::unique_ptr<CHTProtocol> CreateProtocol(CHTRequest& request, bool reload, bool embedded);

// Drives a protocol's convertor from the scheduler until the data ends.
class CHTPumpTask : public CHTTask {
  public:
    CHTPumpTask(CHTScheduler& scheduler, CHTProtocol& protocol);
    int Run() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    int Pumping();
    int Final();
    int Abort();

    CHTProtocol& protocol_;
    CHTRequest& request_;
};

// Protocols that only start an external program (telnet, tn3270): Open launches it with the
// host and port and answers 3, so the window keeps its document.
class CHTCommand : public CHTProtocol {
  public:
    int Open() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Starts the terminal program for "host port" (or "host" without a port); false when it
    // could not be started (the subclass has told the user).
    virtual bool Launch(std::string_view hostAndPort) = 0;
};

// Registered for every scheme whose protocol is not in the program: Open fails, so the load ends
// with "Cannot connect to " and the URL.
class CHTUnavailableProtocol : public CHTProtocol {
  public:
    int Open() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }
};

}  // namespace corvane::core
