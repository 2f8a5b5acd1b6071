#pragma once
// A window loading through CHTTP on a real event loop, with a convertor that keeps the body as
// the document and stores that HTTP asks in place of the disk cache and the realm store.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/convertor_registry.h"
#include "core/ovalon_doc.h"
#include "core/ht_host_services.h"
#include "core/load_task.h"
#include "core/scheduler.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "core/web_stores.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "protocols/http_protocol.h"

namespace corvane::protocols::testing_support {

class BodyDocument : public core::CObject {
  public:
    explicit BodyDocument(std::string body) : text(std::move(body)) {}
    std::string text;
};

// Keeps every byte of the body and makes a document of it at the end of the data.
class BodyConvertor : public core::CHTConvertor {
  public:
    int Convert() override {
        core::CHTProtocol* protocol = Protocol();
        for (;;) {
            std::int32_t length = 0;
            const std::uint8_t* block = protocol->GetBlock(length);
            if (block == nullptr) break;
            body_.append(reinterpret_cast<const char*>(block), static_cast<std::size_t>(length));
        }
        if (protocol->error == core::kNeedMoreData) return -1;
        if (protocol->error != core::kEndOfData) {
            Finish(core::kFailure);
            return -1;
        }
        request->SetResult(core::kKindDocument, std::make_unique<BodyDocument>(body_));
        Finish(0);
        return 1;
    }
    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    std::string body_;
};
inline const core::CRuntimeClass BodyConvertor::kRuntimeClass =
    core::MakeRuntimeClass<BodyConvertor, core::CHTConvertor>("BodyConvertor");

// A cache with at most one copy and a realm store in a map, recording what HTTP asks.
class FakeStores : public core::CHTWebStores {
  public:
    core::CopyCheck check = core::CopyCheck::kFetch;
    std::int64_t copyTime = 0;
    std::optional<std::string> copy;     // the copy's body, text/html
    std::vector<core::CHTLogin> logins;  // all for loginHost
    std::string loginHost = "127.0.0.1";
    std::vector<std::string> stored;  // "host:port path user:password refused-user"
    int noCopies = 0;                 // answers that were not to be kept

    core::CopyCheck CheckCopy(core::CHTRequest& request) override {
        request.lastUsed = check == core::CopyCheck::kRevalidate ? copyTime : 0;
        return copy ? check : core::CopyCheck::kFetch;
    }
    std::unique_ptr<core::CHTStoredCopy> OpenCopy(core::CHTRequest&) override {
        if (!copy) return nullptr;
        return std::make_unique<Copy>(*copy);
    }
    void KeepNoCopy(core::CHTRequest&) override { ++noCopies; }
    std::optional<core::CHTLogin> FindLogin(std::string_view host, int,
                                            std::string_view path) override {
        if (host != loginHost) return std::nullopt;
        for (const core::CHTLogin& login : logins) {
            if (path.starts_with(login.pathPattern)) return login;
        }
        return std::nullopt;
    }
    std::optional<core::CHTLogin> FindRealm(std::string_view, int,
                                            std::string_view realm) override {
        for (const core::CHTLogin& login : logins) {
            if (login.realm == realm) return login;
        }
        return std::nullopt;
    }
    void StoreLogin(std::string_view host, int port, std::string_view path,
                    const core::CHTLogin& login, const core::CHTLogin* refused) override {
        stored.push_back(std::string(host) + ":" + std::to_string(port) + " " + std::string(path) +
                         " " + login.user + ":" + login.password + " " +
                         (refused ? refused->user : "-"));
        core::CHTLogin kept = login;
        kept.pathPattern = std::string(path.substr(0, path.rfind('/') + 1));
        logins.insert(logins.begin(), kept);
    }

  private:
    class Copy : public core::CHTStoredCopy {
      public:
        explicit Copy(std::string body) : body_(std::move(body)) {}
        const std::string& ContentType() const override { return type_; }
        std::int32_t Read(std::uint8_t* destination, std::int32_t maxLength) override {
            const std::size_t count = std::min(body_.size(), static_cast<std::size_t>(maxLength));
            std::copy_n(body_.data(), count, destination);
            body_.erase(0, count);
            return static_cast<std::int32_t>(count);
        }

      private:
        std::string body_;
        std::string type_ = "text/html";
    };
};

class HttpTest : public ::testing::Test {
  public:
    HttpTest()
        : savedRegistry_(core::Convertors()),
          savedHttp_(core::Schemes().ProtocolClass(core::kSchemeHttp)),
          savedHttps_(core::Schemes().ProtocolClass(core::kSchemeHttps)) {
        host.SetLoop(&loop);
        scheduler.AttachTo(loop);
        RegisterHttpProtocol();
        core::CHTConvertorRegistry fresh;
        core::RegisterBuiltinTypes(fresh);
        for (const char* type : {"text/plain", "text/html"})
            fresh.SetConvertorClass(type, &BodyConvertor::kRuntimeClass);
        core::Convertors() = fresh;
        host.webStores = &stores;
        host.proxyHost = [this](int slot) { return proxies[slot]; };
        window = std::make_unique<core::COvalonDoc>(host, nullptr);
    }
    ~HttpTest() override {
        window.reset();
        scheduler.DeleteRetired();
        scheduler.Detach();
        core::Convertors() = savedRegistry_;
        core::Schemes().SetProtocolClass(core::kSchemeHttp, savedHttp_);
        core::Schemes().SetProtocolClass(core::kSchemeHttps, savedHttps_);
        for (int scheme : {core::kSchemeHttp, core::kSchemeFtp, core::kSchemeGopher})
            core::Schemes().SetProxySlotAt(scheme, -1);
    }

    std::string Url(std::uint16_t port, std::string_view path = "/") {
        return "http://127.0.0.1:" + std::to_string(port) + std::string(path);
    }
    // Navigates from inside the loop, as a click does, so the scheduler gets the new load.
    void Navigate(const std::string& url, core::COvalonDoc::NavigateOptions options = {}) {
        bool done = false;
        auto shared = std::make_shared<core::COvalonDoc::NavigateOptions>(std::move(options));
        loop.Post([&, shared] {
            window->Navigate(url, std::move(*shared));
            done = true;
        });
        loop.RunUntil([&] { return done; }, 1000);
    }
    // Loads the address into the window and runs until the load has ended.
    void Load(const std::string& url, core::COvalonDoc::NavigateOptions options = {}) {
        Navigate(url, std::move(options));
        EXPECT_TRUE(loop.RunUntil([&] { return window->LoadTask() == nullptr; }, 5000));
    }
    std::string Shown() const {
        core::CHTRequest* request = window->Shown();
        if (request == nullptr) return "(nothing)";
        const auto* document = dynamic_cast<const BodyDocument*>(request->document.get());
        return document != nullptr ? document->text : "(no document)";
    }
    core::CHTRequest::Security ShownSecurity() const {
        return window->Shown() != nullptr ? window->Shown()->security
                                          : core::CHTRequest::Security::kNone;
    }
    std::string LastMessage() const { return ui.messages.empty() ? "" : ui.messages.back().text; }

    platform::PollEventLoop loop;
    platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler{[] { return platform::TickCount(); }};
    core::CHTHostServices host{ui, scheduler};
    FakeStores stores;
    std::map<int, std::string> proxies;
    std::unique_ptr<core::COvalonDoc> window;

  private:
    core::CHTConvertorRegistry savedRegistry_;
    const core::CRuntimeClass* savedHttp_;
    const core::CRuntimeClass* savedHttps_;
};

}  // namespace corvane::protocols::testing_support
