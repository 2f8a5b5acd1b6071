#include "html/text_convertor.h"

#include <algorithm>

#include "core/convertor_registry.h"
#include "core/protocol.h"
#include "core/request.h"
#include "core/status.h"
#include "html/table_collector.h"
#include "html/tags.h"

namespace corvane::html {
namespace {

// Old text files end at a DOS end-of-file mark.
constexpr std::uint8_t kEndOfFileMark = 0x1A;

TextConvertorServices& Services() {
    static TextConvertorServices services;
    return services;
}

}  // namespace

const core::CRuntimeClass CHTMLDocument::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CHTMLDocument, core::CObject>("CHTMLDocument");
const core::CRuntimeClass CHTextConvertor::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CHTextConvertor, core::CHTConvertor>("CHTextConvertor");
const core::CRuntimeClass CHTMLConvertor::kRuntimeClass =
    core::MakeRuntimeClass<CHTMLConvertor, CHTextConvertor>("CHTMLConvertor");
const core::CRuntimeClass CPlainConvertor::kRuntimeClass =
    core::MakeRuntimeClass<CPlainConvertor, CHTextConvertor>("CPlainConvertor");

void SetTextConvertorServices(const TextConvertorServices& services) {
    Services() = services;
}

void RegisterTextConvertors() {
    core::Convertors().SetConvertorClass("text/plain", &CPlainConvertor::kRuntimeClass);
    core::Convertors().SetConvertorClass("text/html", &CHTMLConvertor::kRuntimeClass);
}

// The builder's view of the window: a refresh goes to the request, whose load hands it to the
// window when the data is complete; the rest goes to the window, when it has asked for it.
class CHTextConvertor::RequestHost : public DocumentHost {
  public:
    explicit RequestHost(core::CHTRequest& request) : request_(request) {}

    void ShowTitle(std::string_view title) override {
        if (DocumentHost* window = Window()) window->ShowTitle(title);
    }
    void RepaintBackground() override {
        if (DocumentHost* window = Window()) window->RepaintBackground();
    }
    void RequestRefresh(std::int32_t seconds, std::string_view url) override {
        request_.refreshSeconds = seconds;
        request_.refreshUrl = std::string(url);
    }
    void RequestImage(CHTMLImage& image) override {
        if (DocumentHost* window = Window()) window->RequestImage(image);
    }

  private:
    DocumentHost* Window() const {
        return Services().window != nullptr ? Services().window(request_) : nullptr;
    }

    core::CHTRequest& request_;
};

CHTextConvertor::CHTextConvertor(bool readsMeta) : readsMeta_(readsMeta) {}

CHTextConvertor::~CHTextConvertor() {
    // A load stopped before its end leaves no copy behind.
    if (cacheWriter_ != nullptr && !done_) cacheWriter_->End(core::kFailure);
}

void CHTextConvertor::Init(core::CHTRequest* servedRequest) {
    core::CHTConvertor::Init(servedRequest);
    if (servedRequest == nullptr) return;
    auto document = std::make_unique<CHTML>(servedRequest->CanonicalUrl());
    document_ = document.get();
    document_->offline = servedRequest->offline;
    host_ = std::make_unique<RequestHost>(*servedRequest);
    decoder_ = std::make_unique<CharsetDecoder>(servedRequest->charset, readsMeta_);
    const TextConvertorServices& services = Services();
    builder_ = std::make_unique<CHTMLBuilder>(
        *document_, BuilderServices{host_.get(), services.visited, services.tables});
    Prepare(*builder_);
    // The window shows the document while it grows.
    servedRequest->SetResult(core::kKindDocument,
                             std::make_unique<CHTMLDocument>(std::move(document)));
}

int CHTextConvertor::Convert() {
    if (done_) return failed_ ? -1 : 1;
    core::CHTProtocol* protocol = Protocol();
    if (builder_ == nullptr || protocol == nullptr) return -1;
    if (cacheWriter_ == nullptr) cacheWriter_ = core::OpenCacheWriter(*request);

    std::size_t budget = kBytesPerPass;
    for (;;) {
        if (replaying_) {
            const TextConvertorServices& services = Services();
            TableReplay& replay =
                services.replay != nullptr ? *services.replay : DefaultTableCollector();
            if (!replay.Replay(*builder_)) break;
            replaying_ = false;
        }
        if (!pending_.empty()) {
            const std::size_t used =
                Feed(reinterpret_cast<const std::uint8_t*>(pending_.data()), pending_.size());
            pending_.erase(0, used);
            continue;
        }
        if (ending_) {
            if (decoderFinished_) return EndOfData();
            decoderFinished_ = true;
            decoded_.clear();
            decoder_->Finish(decoded_);
            FeedDecoded(decoded_);
            continue;
        }
        if (budget == 0) break;

        std::int32_t length = static_cast<std::int32_t>(budget);
        const std::uint8_t* block = protocol->GetBlock(length);
        if (block == nullptr) {
            if (protocol->error == core::kNeedMoreData) return -1;
            if (protocol->error == core::kEndOfData) {
                ending_ = true;
                continue;
            }
            return Fail(protocol->error);
        }
        const std::size_t size = static_cast<std::size_t>(length);
        budget -= std::min(budget, size);
        cacheWriter_->Put(block, size);
        decoded_.clear();
        decoder_->Decode(std::string_view(reinterpret_cast<const char*>(block), size), decoded_);
        FeedDecoded(decoded_);
    }
    // More to do: let the loop breathe, then come back at once.
    protocol->error = core::kYielded;
    return -1;
}

void CHTextConvertor::FeedDecoded(std::string_view text) {
    // Detection may still turn from UTF-8 to Windows-1252 at a later block.
    document_->charset = decoder_->Charset();
    // The mark is looked for in the decoded text, where it is a character in every charset.
    if (const std::size_t mark = text.find(static_cast<char>(kEndOfFileMark));
        mark != std::string_view::npos) {
        text = text.substr(0, mark);
        ending_ = true;
        decoderFinished_ = true;  // what follows the mark is ignored
    }
    const std::size_t used = Feed(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    pending_.assign(text.substr(used));
}

template <class Convertor>
std::size_t CHTextConvertor::FeedWith(Convertor& self, const std::uint8_t* data,
                                      std::size_t length) {
    bool preformatted = builder_->Preformatted();
    for (std::size_t i = 0; i < length; ++i) {
        i += self.PutPlainRun(data + i, length - i, preformatted);
        if (i == length) break;
        // 0 tells the tokenizer that the data ended; a NUL inside the data is a blank.
        const int ch = data[i] == 0 ? ' ' : data[i];
        const int token = self.PutChar(ch, preformatted);
        if (token == kTokenNone) continue;
        if (builder_->HandleToken(token, self.TokenText()) == CHTMLBuilder::kTableCompleted) {
            replaying_ = true;
            return i + 1;
        }
        preformatted = builder_->Preformatted();
    }
    return length;
}

std::size_t CHTMLConvertor::Feed(const std::uint8_t* data, std::size_t length) {
    return FeedWith(*this, data, length);
}

std::size_t CPlainConvertor::Feed(const std::uint8_t* data, std::size_t length) {
    return FeedWith(*this, data, length);
}

int CHTextConvertor::EndOfData() {
    if (!lastTextDelivered_) {
        lastTextDelivered_ = true;
        const int token = PutChar(0, builder_->Preformatted());
        if (token != kTokenNone &&
            builder_->HandleToken(token, TokenText()) == CHTMLBuilder::kTableCompleted) {
            replaying_ = true;
            return Convert();
        }
    }
    // A table never closed is laid out with the cells it has.
    if (builder_->CloseOpenTables() == CHTMLBuilder::kTableCompleted) {
        replaying_ = true;
        return Convert();
    }
    builder_->EndOfData();
    done_ = true;
    cacheWriter_->End(core::kStatusOk);
    Finish(core::kStatusOk);
    return 1;
}

int CHTextConvertor::Fail(int status) {
    done_ = true;
    failed_ = true;
    cacheWriter_->End(status);
    return -1;
}

}  // namespace corvane::html
