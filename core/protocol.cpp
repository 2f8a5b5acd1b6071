#include "core/protocol.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/ht_host_services.h"
#include "core/scheme_registry.h"
#include "core/status.h"

namespace corvane::core {

const CRuntimeClass CHTProtocol::kRuntimeClass =
    MakeAbstractRuntimeClass<CHTProtocol, CObject>("CHTProtocol");

CHTProtocol::CHTProtocol() : progress(std::make_unique<CHTProgressReporter>()) {}

CHTProtocol::~CHTProtocol() = default;

CWaitCursor::CWaitCursor(CHTHostServices& host) : host_(host) {
    if (host_.showWaitCursor) host_.showWaitCursor(true);
}

CWaitCursor::~CWaitCursor() {
    if (host_.showWaitCursor) host_.showWaitCursor(false);
}

void CHTProtocol::ShowWaitCursor() {
    if (waitCursor == nullptr && request != nullptr) {
        waitCursor = std::make_unique<CWaitCursor>(request->Host());
    }
}

void CHTProtocol::Attach(CHTRequest* servedRequest, bool reloadFlag, bool embeddedFlag) {
    request = servedRequest;
    reload = reloadFlag;
    embedded = embeddedFlag;
}

std::uint32_t CHTProtocol::Tick() const {
    return request != nullptr ? request->Host().Scheduler().Now() : 0;
}

void CHTProtocol::SetBuffer(std::uint8_t* start, std::int32_t size) {
    buffer = start;
    capacity = size;
    readPosition = start;
    available = 0;
}

int CHTProtocol::ReadMore() {
    if (startTick == 0) startTick = Tick();
    if (available > 0 && readPosition != buffer) std::memmove(buffer, readPosition, available);
    readPosition = buffer;
    if (available < capacity) {
        std::int32_t count = (this->*dataSource)(buffer + available, capacity - available);
        if (count == 0) {
            error = kEndOfData;
            return kEndOfData;
        }
        if (count < 0) {
            error = count;
            return count;
        }
        lastTick = Tick();
        received += static_cast<std::uint64_t>(count);
        available += count;
        const std::uint64_t expected = request != nullptr ? request->size : 0;
        progress->Report(received,
                         static_cast<std::uint32_t>(std::min<std::uint64_t>(expected, UINT32_MAX)),
                         lastTick - startTick);
    }
    return available;
}

const std::uint8_t* CHTProtocol::GetBlock(std::int32_t& length) {
    if (available == 0 && ReadMore() <= 0) return nullptr;
    if (length <= 0 || length > available) length = available;
    const std::uint8_t* block = readPosition;
    readPosition += length;
    available -= length;
    return block;
}

const std::uint8_t* CHTProtocol::Peek(std::int32_t count) {
    int read = available < count ? ReadMore() : available;
    if (available < count) {
        // At the end of the data (or after a failure) more bytes will never come: keep that
        // error, or a convertor waiting for a block that cannot arrive would retry for ever.
        if (read >= 0 || read == kNeedMoreData) error = kNeedMoreData;
        return nullptr;
    }
    return readPosition;
}

void CHTProtocol::SetProgressReporter(std::unique_ptr<CHTProgressReporter> reporter) {
    progress = std::move(reporter);
    if (progress == nullptr) progress = std::make_unique<CHTProgressReporter>();
}

int CHTProtocol::Pump() {
    if (convertor == nullptr) return -1;
    if (!pumped_) {
        // The transfer is timed from the convertor's first pull. Counting starts with what is
        // buffered already (a type probe, bytes that came with the last header line); later
        // pumps must not start the count again, or the figures would show one pass only.
        pumped_ = true;
        received = static_cast<std::uint64_t>(available);
        startTick = 0;
    }
    return convertor->Convert();
}

int CHTProtocol::StartPumping() {
    int answer = Pump();
    if (answer != 0) return answer;
    CreatePumpTask();
    return 0;
}

void CHTProtocol::CreatePumpTask() {
    if (pumpTask != nullptr || request == nullptr) return;
    pumpTask = std::make_unique<CHTPumpTask>(request->Host().Scheduler(), *this);
    request->Host().Scheduler().Schedule(*pumpTask);
}

std::unique_ptr<CHTProtocol> CreateProtocol(CHTRequest& request, bool reload, bool embedded) {
    const CHTSchemeRegistry& schemes = Schemes();
    int scheme = request.address.scheme;
    if (!schemes.IsValid(scheme)) return nullptr;
    const CRuntimeClass* cls = schemes.ProxySlot(scheme) >= 0 ? schemes.ProtocolClass(kSchemeHttp)
                                                              : schemes.ProtocolClass(scheme);
    std::unique_ptr<CHTProtocol> protocol = CreateObjectAs<CHTProtocol>(cls);
    if (protocol != nullptr) protocol->Attach(&request, reload, embedded);
    return protocol;
}

// The pump task.

const CRuntimeClass CHTPumpTask::kRuntimeClass =
    MakeAbstractRuntimeClass<CHTPumpTask, CHTTask>("CHTPumpTask");

CHTPumpTask::CHTPumpTask(CHTScheduler& scheduler, CHTProtocol& protocol)
    : CHTTask(scheduler), protocol_(protocol), request_(*protocol.request) {
    if (protocol.running) SetStep(&CHTPumpTask::Pumping);
}

int CHTPumpTask::Run() {
    if (protocol_.convertor == nullptr) return request_.WaitFor(*this);
    if (request_.status == kSilentEnd) {
        request_.Wake();
        return kStepFinished;
    }
    if (request_.status != 0) return Abort();
    if (request_.kind == kKindRedirect) {
        protocol_.readySignal.Raise(Scheduler(), 0);
        request_.Stop(0);
        return kStepFinished;
    }
    if (request_.kind != kKindHandedOff) protocol_.readySignal.Raise(Scheduler(), 0);
    protocol_.running = true;
    SetStep(&CHTPumpTask::Pumping);
    return kStepContinue;
}

int CHTPumpTask::Pumping() {
    switch (protocol_.Pump()) {
        case -1:
            if (IsPause(protocol_.error)) return PauseStep(protocol_.error);
            return Abort();
        case 1:
            SetStep(&CHTPumpTask::Final);
            return kStepContinue;
        default:
            SetStep(&CHTPumpTask::Final);
            return request_.WaitFor(*this);
    }
}

int CHTPumpTask::Final() {
    if ((request_.kind == kKindDocument || request_.kind == kKindImage) &&
        request_.document == nullptr)
        return Abort();
    request_.Stop(0);
    return kStepFinished;
}

int CHTPumpTask::Abort() {
    protocol_.readySignal.Raise(Scheduler(), kFailure);
    request_.Stop(kFailure);
    return kStepFinished;
}

// Command protocols.

const CRuntimeClass CHTCommand::kRuntimeClass =
    MakeAbstractRuntimeClass<CHTCommand, CHTProtocol>("CHTCommand");

int CHTCommand::Open() {
    std::string target = request->address.host;
    std::size_t colon = target.rfind(':');
    if (colon != std::string::npos) {
        if (colon + 1 == target.size()) {
            target.erase(colon);
        } else {
            target[colon] = ' ';
        }
    }
    Launch(target);
    return kOpenDoneItself;
}

// The stand-in for protocols the program does not have.

const CRuntimeClass CHTUnavailableProtocol::kRuntimeClass =
    MakeRuntimeClass<CHTUnavailableProtocol, CHTProtocol>("CHTUnavailableProtocol");

int CHTUnavailableProtocol::Open() {
    error = kFailure;
    return kOpenFailed;
}

}  // namespace corvane::core
