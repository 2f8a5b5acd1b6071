#include "tests/support/protocol_load.h"

#include "core/convertor_registry.h"
#include "core/status.h"

namespace corvane::testing {

const core::CRuntimeClass CollectingConvertor::kRuntimeClass =
    core::MakeRuntimeClass<CollectingConvertor, core::CHTConvertor>("CollectingConvertor");

int CollectingConvertor::Convert() {
    std::int32_t length = 0;
    while (const std::uint8_t* block = Protocol()->GetBlock(length = 0)) {
        body.append(reinterpret_cast<const char*>(block), static_cast<std::size_t>(length));
    }
    const int error = Protocol()->error;
    if (error == core::kNeedMoreData) return 0;
    return error == core::kEndOfData ? 1 : -1;
}

ProtocolLoad::ProtocolLoad() {
    for (const char* type : {"text/html", "text/plain", "image/gif", "application/octet-stream"}) {
        core::CHTConvertorRegistry& registry = core::Convertors();
        const int index =
            registry.Register(type, &CollectingConvertor::kRuntimeClass,
                              type == std::string_view("application/octet-stream") ? "bin" : "");
        registry.SetConvertorClass(type, &CollectingConvertor::kRuntimeClass);
        registry.Entry(index).action = core::ConvertorAction::kDisplay;
    }
    host.SetLoop(&loop);
    scheduler.AttachTo(loop);
}

ProtocolLoad::~ProtocolLoad() {
    if (request != nullptr) request->Stop();
    scheduler.DeleteRetired();
    scheduler.Detach();
}

int ProtocolLoad::Open(std::string_view url, std::unique_ptr<core::CObject> body) {
    request = host.GetRequest(std::string(url), nullptr, core::kMethodFormQuery, nullptr);
    if (request == nullptr) return -1;
    request->body = std::move(body);
    request->protocol = core::CreateProtocol(*request, false, false);
    if (request->protocol == nullptr) return -1;
    return request->protocol->Open();
}

int ProtocolLoad::Finish(int milliseconds) {
    int result = 0;
    loop.RunUntil(
        [&] {
            core::CHTProtocol* protocol = request->protocol.get();
            if (protocol == nullptr) return (result = -1) != 0;
            if (protocol->convertor == nullptr) {
                if (request->status < 0) result = -1;
                return result != 0;
            }
            result = protocol->Pump();
            return result != 0;
        },
        milliseconds);
    return result;
}

std::string ProtocolLoad::Body() const {
    const core::CHTProtocol* protocol = request != nullptr ? request->protocol.get() : nullptr;
    if (protocol == nullptr || protocol->convertor == nullptr) return {};
    return static_cast<const CollectingConvertor*>(protocol->convertor.get())->body;
}

}  // namespace corvane::testing
