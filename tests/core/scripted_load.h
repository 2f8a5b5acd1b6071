#pragma once
// Scripted protocols and convertors for driving the load lifecycle headless: every URL gets a
// script saying how its connection goes, which bytes arrive in which pieces, and what the data
// turns into. Time is a counter the test advances; passes are run one by one.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/convertor.h"
#include "core/ovalon_doc.h"
#include "core/ht_host_services.h"
#include "core/protocol.h"
#include "core/request.h"
#include "core/scheduler.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "platform/scripted_host_services.h"

namespace corvane::core::testing_support {

// One piece handed out by the data source: bytes, or a status answered instead.
struct Piece {
    std::string bytes;
    int status = 0;  // 0: hand out the bytes; otherwise answer this (-66 not yet, -255 failure)
};

struct Script {
    int connectPasses = 0;     // passes until the connection is up; 0: Open completes at once
    bool failOpen = false;     // Open answers -1
    bool failConnect = false;  // the connection fails after connectPasses
    bool silent = false;       // the connection ends with -52
    std::string redirectTo;    // the response redirects here
    std::vector<Piece> pieces;
    int kind = kKindDocument;  // what the convertor makes of the data
    bool noDocument = false;   // the convertor ends without a document
    int minimumBlock = 0;      // bytes the convertor needs before it starts
    int refreshSeconds = -1;
    std::string refreshUrl;
    std::int32_t capacity = 64;
    std::string contentType;  // sent by CTypedProtocol; none when empty

    int opens = 0;  // how many protocols were opened for the URL
    int aborts = 0;
};

// The scripts, by canonical URL, of the running test.
class ScriptBook {
  public:
    ScriptBook() { current_ = this; }
    ~ScriptBook() { current_ = nullptr; }
    Script& operator[](const std::string& url) { return scripts_[url]; }
    static ScriptBook& Current() { return *current_; }

  private:
    static inline ScriptBook* current_ = nullptr;
    std::map<std::string, Script> scripts_;
};

class CTextDocument : public CObject {
  public:
    explicit CTextDocument(std::string body) : text(std::move(body)) {}
    std::string text;
};

// Collects every byte and makes a CTextDocument (or an image) of it at the end of the data.
class CScriptedConvertor : public CHTConvertor {
  public:
    int Convert() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    std::string collected_;
    bool startedBlock_ = false;
};

class CScriptedProtocol : public CHTProtocol {
  public:
    CScriptedProtocol();
    ~CScriptedProtocol() override;
    int Open() override;
    void Abort() override;
    bool ChooseConvertor(std::string_view fileName) override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    class ConnectTask;
    std::int32_t Source(std::uint8_t* destination, std::int32_t maxLength);
    void Connected();

    Script* script_ = nullptr;
    std::vector<std::uint8_t> storage_;
    std::deque<std::string> pending_;  // as answered: bytes, or "#<status>"
    std::unique_ptr<CHTTask> connectTask_;
};

// Records what the lifecycle asks of the window's view.
// The scripted protocol, but the convertor is chosen for real from the script's content type,
// with the path as file name.
class CTypedProtocol : public CScriptedProtocol {
  public:
    bool ChooseConvertor(std::string_view fileName) override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }
};

class RecordingView : public IDocumentView {
  public:
    std::vector<std::string> events;
    CHTRequest* shown = nullptr;
    int clears = 0;

    void ShowRequest(CHTRequest* request) override;
    void ResetState() override { events.push_back("reset"); }
    void Clear() override {
        ++clears;
        events.push_back("clear");
    }
    void SetTitle(std::string_view title) override {
        events.push_back("title " + std::string(title));
    }
    void SetLocationText(std::string_view url, bool remember) override {
        events.push_back(std::string(remember ? "remember " : "location ") + std::string(url));
    }
    void RebuildHistoryMenu() override { events.push_back("history"); }
    void RepaintAndScrollTo(std::string_view anchor) override {
        events.push_back("repaint #" + std::string(anchor));
    }
    void StopImages() override { events.push_back("stop images"); }
    void LoadImages() override { events.push_back("load images"); }
};

// Scripted host services that can run a callback from inside a message box, as a nested event
// loop would (the user closes the window while the box is up).
class HookedHostServices : public platform::ScriptedHostServices {
  public:
    std::function<void()> onMessage;
    platform::MessageAnswer ShowMessage(std::string_view text, platform::MessageButtons buttons,
                                        platform::MessageIcon icon,
                                        std::string_view caption) override {
        platform::MessageAnswer answer =
            ScriptedHostServices::ShowMessage(text, buttons, icon, caption);
        if (onMessage) std::exchange(onMessage, nullptr)();
        return answer;
    }
};

// A program with a fake clock, scripted host services and the scripted protocol for http.
class LoadFixture : public ::testing::Test {
  protected:
    LoadFixture();
    ~LoadFixture() override;

    struct Window {
        std::unique_ptr<RecordingView> view;
        std::unique_ptr<COvalonDoc> doc;
    };
    Window& OpenWindow();
    void CloseWindow(Window& window);
    // Navigates and runs until idle; OpenAt does so in a new window.
    void Visit(Window& window, const std::string& url);
    Window& OpenAt(const std::string& url);

    // Runs passes until nothing is queued (timers aside); fails the test after `limit` passes.
    int RunUntilIdle(int limit = 1000);
    void AdvanceSeconds(int seconds);
    std::string ShownText(const Window& window) const;
    std::vector<std::string> MessageTexts() const;

    std::uint32_t now = 5000;
    std::uint32_t tickPerRead = 0;  // makes every clock read take time, so slices end early
    bool pendingInput = false;
    ScriptBook scripts;
    HookedHostServices ui;
    CHTScheduler scheduler{[this] { return now += tickPerRead; }, [this] { return pendingInput; }};
    std::unique_ptr<CHTHostServices> host = std::make_unique<CHTHostServices>(ui, scheduler);
    std::vector<std::unique_ptr<Window>> windows;

  private:
    const CRuntimeClass* savedHttpClass_;
};

}  // namespace corvane::core::testing_support
