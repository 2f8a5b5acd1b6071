#pragma once
// The retrieval request for one URL. Shared requests live in the program's request table under
// their canonical URL and are reused by every window; requests with a method (form query, form
// post, news window) are private to one load and deleted when the last Back/Forward list lets go.
// A request owns its running protocol, then the document that protocol produced.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/address.h"
#include "core/cache_entry.h"
#include "core/task.h"

namespace corvane::core {

class CHTHostServices;
class CHTProtocol;
class COvalonDoc;
struct CHTRequestEntry;

// What a retrieval produced.
enum ResultKind : int {
    kKindNothing = 0,
    kKindDocument = 1,    // a parsed text or HTML document
    kKindImage = 2,       // a decoded image
    kKindRedirect = 3,    // the protocol put the new location in the canonical URL
    kKindHandedOff = 4,   // given to a file convertor: saved or passed on, nothing to display
    kKindInline = 5,      // set by inline image elements
    kKindBackground = 6,  // the retrieval goes on away from the window
};

enum RequestMethod : int {
    kMethodShared = 0,
    kMethodFormQuery = 1,
    kMethodFormPost = 2,
    kMethodNewsWindow = 3,
    // The data goes into the file named by saveTarget; private, but served from the disk cache
    // like a shared request.
    kMethodSaveToFile = 4,
};

// Answers of StartRetrieval.
enum RetrievalStart : int {
    kRetrievalFailed = -1,
    kRetrievalConnecting = 0,
    kRetrievalRunning = 1,
    kRetrievalDone = 2,     // finished without a protocol
    kRetrievalNothing = 3,  // the protocol did everything itself; nothing to keep
};

// A form post body: the bytes sent after the request.
class CHTFormBody : public CObject {
  public:
    CHTFormBody() = default;
    CHTFormBody(std::string type, std::string bytes)
        : contentType(std::move(type)), data(std::move(bytes)) {}
    std::string contentType = "application/x-www-form-urlencoded";
    std::string data;
};

class CHTRequest : public CObject {
  public:
    CHTRequest(CHTHostServices& host, const CHTAddress& address, int method, COvalonDoc* owner);
    ~CHTRequest() override;

    CHTHostServices& Host() const { return host_; }
    const std::string& CanonicalUrl() const { return canonicalUrl; }
    bool IsPrivate() const { return method != kMethodShared; }
    bool IsRunning() const { return protocol != nullptr; }
    // Whether the disk cache may serve this request from its copy.
    bool ReadsStoredCopy() const { return method == kMethodShared || method == kMethodSaveToFile; }

    // Lets go of the converted document (its stored copy stays): the next retrieval converts
    // anew, from the disk cache when it holds a copy.
    void ForgetDocument();
    // Starts the protocol, or reuses the held document (see RetrievalStart).
    [[nodiscard]] int StartRetrieval(bool reload, bool preferStored = false, bool embedded = false);
    // Lets the protocol's convertor consume data: -1 failure, 1 finished, 0 more to come.
    [[nodiscard]] int Pump();
    // Deletes the protocol (at the next safe point), sets the status when one is given, and
    // wakes the waiting tasks.
    void Stop(std::optional<int> newStatus = std::nullopt);
    void Wake();
    // Visit time, cached copy touched, seen since start.
    void MarkSeen();
    void SetResult(int resultKind, std::unique_ptr<CObject> result);
    // Suspends `task` until this request has news.
    int WaitFor(CHTTask& task);

    CHTTaskList waiting;
    std::int16_t status = 0;
    int kind = kKindNothing;
    CHTAddress address;
    std::string canonicalUrl;
    COvalonDoc* owner;               // the window that made the request; null once it closed
    CHTRequestEntry* key = nullptr;  // table entry; null for private requests
    std::int16_t useCount = 0;       // Back/Forward lists holding the request
    bool seenSinceStart = false;
    int method;
    std::unique_ptr<CObject> body;
    // For kMethodSaveToFile: the file the data replaces once it is complete.
    std::string saveTarget;
    std::optional<std::string> referrer;
    // Reached by a redirection from an https address to one that is not: no stored login goes
    // with it.
    bool downgradedByRedirect = false;
    // The connection that brought the document: kNone when it was not secured (or the cache
    // served it), otherwise whether the certificate passed the check or the user accepted it,
    // and the certificate's subject.
    enum class Security : std::uint8_t { kNone, kVerified, kAccepted };
    Security security = Security::kNone;
    std::string certificateSubject;
    std::int32_t refreshSeconds = -1;
    std::string refreshUrl;
    // The character set the protocol was told the data is in (a content type's charset
    // parameter); empty when it was not told. Text convertors decode from it.
    std::string charset;
    std::unique_ptr<CHTProtocol> protocol;
    std::unique_ptr<CObject> document;
    // Changes whenever the document is replaced or dropped. A view that shows the request
    // compares it instead of the document's address, which a new document may reuse.
    std::uint64_t documentGeneration = 0;
    std::int32_t convertorIndex = -1;
    std::uint64_t size = 0;  // expected length in bytes; 0 when not announced
    // Seconds since 1970: the cached copy's modification time, 0 when no conditional request
    // is to be made.
    std::int64_t lastUsed = 0;
    // The length the server announced for the body, -1 when it announced none; a copy that ends
    // short of it is never committed to the disk cache.
    std::int64_t announcedLength = -1;
    // The local file that is itself the document (file: URLs): the disk cache keeps no copy of
    // its own and never deletes it. Empty for everything else.
    std::string localFile;
    // The document fetches nothing it names (images, background, refresh): a stored message,
    // whose HTML would otherwise tell its sender when and where it was read.
    bool offline = false;
    std::unique_ptr<CCacheEntry> cacheEntry;
    std::string newsgroups;
    std::string subject;
    std::string sender;
    std::string references;
    int imageDisplayDepth = 0;  // display depth an image document was decoded for
    int taskRefs = 0;           // load and background tasks working on the request

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    CHTHostServices& host_;
};

// Starts or joins the retrieval of an inline part (an image) for `asker`: 1 the image is there,
// -1 it cannot be had, 0 `asker` waits on the request.
[[nodiscard]] int StartEmbeddedRequest(CHTRequest& request, bool reload, CHTTask& asker);

}  // namespace corvane::core
