#pragma once
// The convertor base: consumes the bytes a protocol delivers (pulled with GetBlock and Peek in
// Convert) and turns them into a document, an image, or a file. Concrete convertors carry their
// own run-time class records and are created by class from the MIME type registry.
//
// Order of calls: create by class -> Init(request) -> Convert, repeatedly, from the pump ->
// exactly one Finish.

#include <cstdint>

#include "core/runtime_class.h"
#include "core/task.h"

namespace corvane::core {

class CHTRequest;
class CHTProtocol;

class CHTConvertor : public CObject {
  public:
    ~CHTConvertor() override = default;

    virtual void Init(CHTRequest* servedRequest) { request = servedRequest; }
    // Pushing data is not used: convertors pull it in Convert.
    virtual int Write(const std::uint8_t* data, std::int32_t length) {
        (void)data, (void)length;
        return -1;
    }
    // Called once when the data is consumed (0) or the transfer failed (negative): stops the
    // request with that status, which wakes the tasks waiting on it.
    virtual void Finish(int status);
    // Pulls and processes data: 0 more to come, 1 finished, -1 failed (with the protocol's
    // error -66 meaning "not enough data yet, call again later").
    virtual int Convert() { return 1; }

    // The protocol feeding this convertor, or null.
    CHTProtocol* Protocol() const;

    CHTSignal signal;
    CHTRequest* request = nullptr;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }
};

}  // namespace corvane::core
