#pragma once
// The convertors that turn a text stream into a CHTML document: CHTMLConvertor for "text/html"
// and CPlainConvertor for "text/plain", both built on CHTextConvertor, which owns the builder and
// the reader that pulls the protocol's bytes and feeds them, one at a time, to PutChar.
//
// Order of calls (from the convertor framework): create by class -> Init(request) -> Convert on
// every pump pass until it answers 1 (finished) or -1 -> one Finish.
//
// Reading: the bytes are decoded from the document's character set into UTF-8 (CharsetDecoder)
// before they are tokenized; the cache copy keeps them as they came. A 0x1A ends the data (the rest
// is ignored), as does the end of the stream; the end feeds 0 so the last text is delivered, then
// the builder's end-of-document step runs. Each pass reads at most kBytesPerPass bytes and then
// asks to be called again, so a large local file never holds the window up. When the builder
// completes a table (answer 4), reading pauses while the table replay hook lays it out and replays
// its cells.
//
// Memory: the request owns the document (a CHTMLDocument, set as its result at Init); the
// convertor refers to it while building. The builder and the cache writer belong to the convertor.

#include <memory>
#include <string>
#include <string_view>

#include "core/convertor.h"
#include "core/convertor_cache.h"
#include "html/builder.h"
#include "html/builder_services.h"
#include "html/charset_decoder.h"
#include "html/document.h"
#include "html/plain_lines.h"
#include "html/tokenizer.h"

namespace corvane::html {

// The result object a text load leaves in its request: the parsed document.
class CHTMLDocument : public core::CObject {
  public:
    explicit CHTMLDocument(std::unique_ptr<CHTML> parsed) : html(std::move(parsed)) {}
    std::unique_ptr<CHTML> html;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }
};

// The program-wide services every text convertor hands to its builder; set at start-up by the
// layers that provide them; tables and their replay default to CTableCollector. `window` answers
// the window side (title, repaint, images) for a request, or null; refreshes are handed to the
// request's load lifecycle by the convertor itself.
struct TextConvertorServices {
    TableHooks* tables = nullptr;
    TableReplay* replay = nullptr;
    const VisitedLookup* visited = nullptr;
    DocumentHost* (*window)(core::CHTRequest& request) = nullptr;
};
void SetTextConvertorServices(const TextConvertorServices& services);

class CHTextConvertor : public core::CHTConvertor {
  public:
    static constexpr std::size_t kBytesPerPass = 64 * 1024;

    // `readsMeta`: the text may name its character set in a META tag.
    explicit CHTextConvertor(bool readsMeta);
    ~CHTextConvertor() override;

    void Init(core::CHTRequest* servedRequest) override;
    int Convert() override;

    // Tokenizes one byte (0 at the end of the data); answers a token code, 0 when none is
    // complete. The token's text is TokenText() until the next call.
    virtual int PutChar(int ch, bool preformatted) = 0;
    virtual std::string_view TokenText() const = 0;

    CHTML* Document() const { return document_; }

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Called by Init once the builder exists.
    virtual void Prepare(CHTMLBuilder&) {}
    // Feed for a final convertor class: its PutChar, called for every byte that may end a token,
    // is then a direct call instead of one through the vtable, and its PutPlainRun takes the runs
    // of bytes between those whole.
    template <class Convertor>
    std::size_t FeedWith(Convertor& self, const std::uint8_t* data, std::size_t length);

  private:
    class RequestHost;

    // Feeds bytes to the builder; stops after a token that completes a table. Answers the bytes
    // used.
    virtual std::size_t Feed(const std::uint8_t* data, std::size_t length) = 0;
    // Feeds decoded text up to a 0x1A, keeping what a table paused in pending_.
    void FeedDecoded(std::string_view text);
    int EndOfData();
    int Fail(int status);

    std::unique_ptr<RequestHost> host_;
    std::unique_ptr<CHTMLBuilder> builder_;
    std::unique_ptr<core::CConvertorCacheWriter> cacheWriter_;
    std::unique_ptr<CharsetDecoder> decoder_;
    std::string decoded_;  // the UTF-8 text of the current block
    bool readsMeta_;
    CHTML* document_ = nullptr;
    std::string pending_;  // decoded text not fed yet (a table paused it)
    bool replaying_ = false;
    bool ending_ = false;  // the data ended (end of stream or 0x1A) once pending_ is fed
    bool decoderFinished_ = false;
    bool lastTextDelivered_ = false;
    bool done_ = false;  // the data ended or failed; the cache writer has had its End
    bool failed_ = false;
};

class CHTMLConvertor final : public CHTextConvertor {
  public:
    CHTMLConvertor() : CHTextConvertor(true) {}
    int PutChar(int ch, bool preformatted) override { return tokenizer_.Feed(ch, preformatted); }
    std::size_t PutPlainRun(const std::uint8_t* data, std::size_t length, bool preformatted) {
        return tokenizer_.FeedPlainRun(data, length, preformatted);
    }
    std::string_view TokenText() const override { return tokenizer_.Text(); }

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    std::size_t Feed(const std::uint8_t* data, std::size_t length) override;

    CHTMLTokenizer tokenizer_;
};

// Plain text: every line is preformatted text in the fixed-pitch font, every line end a break.
class CPlainConvertor final : public CHTextConvertor {
  public:
    CPlainConvertor() : CHTextConvertor(false) {}
    int PutChar(int ch, bool) override { return lines_.PutChar(ch); }
    std::size_t PutPlainRun(const std::uint8_t* data, std::size_t length, bool) {
        return lines_.PutPlainRun(data, length);
    }
    std::string_view TokenText() const override { return lines_.Text(); }

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    void Prepare(CHTMLBuilder& builder) override { builder.SetPlainMode(); }

  private:
    std::size_t Feed(const std::uint8_t* data, std::size_t length) override;

    PlainLines lines_;
};

// Gives "text/plain" and "text/html" (extensions "txt" and "htm,html") their convertor classes.
void RegisterTextConvertors();

}  // namespace corvane::html
