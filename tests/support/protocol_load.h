#pragma once
// Loads one URL through the protocol class its scheme is registered with, on a real event loop,
// and collects what the protocol hands its convertor: the content type and every byte, until
// the data ends or fails. Every content type these tests meet is collected the same way.

#include <string>
#include <string_view>

#include "core/convertor.h"
#include "core/ht_host_services.h"
#include "core/protocol.h"
#include "core/scheduler.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"

namespace corvane::testing {

class CollectingConvertor : public core::CHTConvertor {
  public:
    int Convert() override;
    std::string body;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }
};

class ProtocolLoad {
  public:
    ProtocolLoad();
    ~ProtocolLoad();

    // Opens the URL: the Open answer, or -1 when no protocol could be made.
    int Open(std::string_view url);
    // Runs until the convertor has finished (1) or failed (-1); 0 on time-out.
    int Finish(int milliseconds = 5000);
    // Opens and finishes.
    int Load(std::string_view url) { return Open(url) < 0 ? -1 : Finish(); }
    // The collected bytes; empty without a convertor.
    std::string Body() const;

    platform::PollEventLoop loop;
    platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler{[] { return platform::TickCount(); }};
    core::CHTHostServices host{ui, scheduler};
    core::CHTRequest* request = nullptr;
};

}  // namespace corvane::testing
