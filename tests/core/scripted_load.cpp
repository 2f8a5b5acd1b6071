#include "scripted_load.h"

#include "tests/support/piece_protocol.h"

namespace corvane::core::testing_support {

const CRuntimeClass CScriptedConvertor::kRuntimeClass =
    MakeRuntimeClass<CScriptedConvertor, CHTConvertor>("CScriptedConvertor");

const CRuntimeClass CScriptedProtocol::kRuntimeClass =
    MakeRuntimeClass<CScriptedProtocol, CHTProtocol>("CScriptedProtocol");

const CRuntimeClass CTypedProtocol::kRuntimeClass =
    MakeRuntimeClass<CTypedProtocol, CScriptedProtocol>("CTypedProtocol");

namespace {

Script& ScriptFor(const CHTRequest& request) {
    return ScriptBook::Current()[FormatAddress(request.address)];
}

}  // namespace

bool CTypedProtocol::ChooseConvertor(std::string_view) {
    contentType = ScriptFor(*request).contentType;
    return CHTProtocol::ChooseConvertor(request->address.path);
}

int CScriptedConvertor::Convert() {
    CHTProtocol* protocol = Protocol();
    Script& script = ScriptFor(*request);
    if (script.minimumBlock > 0 && !startedBlock_) {
        if (protocol->Peek(script.minimumBlock) == nullptr) {
            if (protocol->error != kNeedMoreData) Finish(protocol->error);
            return -1;
        }
        startedBlock_ = true;
    }
    for (;;) {
        std::int32_t length = 0;
        const std::uint8_t* block = protocol->GetBlock(length);
        if (block == nullptr) {
            if (protocol->error == kNeedMoreData) return -1;
            if (protocol->error != kEndOfData) {
                Finish(kFailure);
                return -1;
            }
            if (script.noDocument) {
                request->kind = script.kind;
            } else {
                request->SetResult(script.kind, std::make_unique<CTextDocument>(collected_));
            }
            Finish(0);
            return 1;
        }
        collected_.append(reinterpret_cast<const char*>(block), static_cast<std::size_t>(length));
    }
}

class CScriptedProtocol::ConnectTask : public CHTTask {
  public:
    ConnectTask(CHTScheduler& scheduler, CScriptedProtocol& protocol, int passes)
        : CHTTask(scheduler), protocol_(protocol), passes_(passes) {}
    int Run() override {
        if (--passes_ > 0) return kStepLater;
        protocol_.Connected();
        return kStepFinished;
    }

  private:
    CScriptedProtocol& protocol_;
    int passes_;
};

CScriptedProtocol::CScriptedProtocol() = default;
CScriptedProtocol::~CScriptedProtocol() = default;

int CScriptedProtocol::Open() {
    script_ = &ScriptFor(*request);
    ++script_->opens;
    if (script_->failOpen) {
        error = kFailure;
        return kOpenFailed;
    }
    storage_.resize(static_cast<std::size_t>(script_->capacity));
    SetBuffer(storage_.data(), script_->capacity);
    pending_.clear();
    for (const Piece& piece : script_->pieces)
        pending_.push_back(piece.status != 0 ? "#" + std::to_string(piece.status) : piece.bytes);
    SetDataSource(&CScriptedProtocol::Source);
    if (script_->connectPasses == 0) {
        Connected();
        return kOpenComplete;
    }
    connectTask_ =
        std::make_unique<ConnectTask>(request->Host().Scheduler(), *this, script_->connectPasses);
    request->Host().Scheduler().Schedule(*connectTask_);
    return kOpenWaiting;
}

void CScriptedProtocol::Connected() {
    if (script_->failConnect) {
        error = kFailure;
        request->status = kFailure;
    } else if (script_->silent) {
        request->status = kSilentEnd;
    } else if (!script_->redirectTo.empty()) {
        request->kind = kKindRedirect;
        request->canonicalUrl = script_->redirectTo;
    } else {
        if (script_->kind == kKindBackground) request->kind = kKindBackground;
        request->refreshSeconds = script_->refreshSeconds;
        request->refreshUrl = script_->refreshUrl;
        request->status = ChooseConvertor({}) ? 0 : kFailure;
    }
    request->Wake();
}

void CScriptedProtocol::Abort() {
    if (script_ != nullptr) ++script_->aborts;
    if (connectTask_ != nullptr) request->Host().Scheduler().Cancel(*connectTask_);
}

bool CScriptedProtocol::ChooseConvertor(std::string_view) {
    convertor = std::make_unique<CScriptedConvertor>();
    convertor->Init(request);
    return true;
}

std::int32_t CScriptedProtocol::Source(std::uint8_t* destination, std::int32_t maxLength) {
    return corvane::testing::TakeAnswer(pending_, destination, maxLength);
}

void RecordingView::ShowRequest(CHTRequest* request) {
    shown = request;
    events.push_back(request != nullptr ? "show " + request->canonicalUrl : "show none");
}

LoadFixture::LoadFixture() : savedHttpClass_(Schemes().ProtocolClass(kSchemeHttp)) {
    Schemes().SetProtocolClass(kSchemeHttp, &CScriptedProtocol::kRuntimeClass);
}

LoadFixture::~LoadFixture() {
    windows.clear();
    host.reset();
    Schemes().SetProtocolClass(kSchemeHttp, savedHttpClass_);
    for (const char* scheme : {"http", "ftp", "gopher"}) SetProxySlot(scheme, -1);
}

LoadFixture::Window& LoadFixture::OpenWindow() {
    auto window = std::make_unique<Window>();
    window->view = std::make_unique<RecordingView>();
    window->doc = std::make_unique<COvalonDoc>(*host, window->view.get());
    windows.push_back(std::move(window));
    return *windows.back();
}

void LoadFixture::CloseWindow(Window& window) {
    window.doc.reset();
    window.view.reset();
}

void LoadFixture::Visit(Window& window, const std::string& url) {
    window.doc->Navigate(url);
    RunUntilIdle();
}

LoadFixture::Window& LoadFixture::OpenAt(const std::string& url) {
    Window& window = OpenWindow();
    Visit(window, url);
    return window;
}

int LoadFixture::RunUntilIdle(int limit) {
    int passes = 0;
    while (scheduler.HasQueuedTasks()) {
        scheduler.RunPass();
        if (++passes > limit) {
            ADD_FAILURE() << "still busy after " << limit << " passes";
            break;
        }
    }
    return passes;
}

void LoadFixture::AdvanceSeconds(int seconds) {
    for (int i = 0; i < seconds; ++i) {
        now += 1000;
        scheduler.RunPass();
        RunUntilIdle();
    }
}

std::string LoadFixture::ShownText(const Window& window) const {
    CHTRequest* shown = window.view->shown;
    if (shown == nullptr || shown->document == nullptr) return "<none>";
    auto* text = dynamic_cast<CTextDocument*>(shown->document.get());
    return text != nullptr ? text->text : "<other>";
}

std::vector<std::string> LoadFixture::MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : ui.messages) {
        EXPECT_EQ(message.icon, platform::MessageIcon::kStop) << message.text;
        texts.push_back(message.text);
    }
    return texts;
}

}  // namespace corvane::core::testing_support
