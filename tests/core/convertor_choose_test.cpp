// ChooseConvertor driven through whole loads: scripted responses with a content type (or none)
// reach the real choice, the file convertors and the copy task.

#include <filesystem>

#include <gtest/gtest.h>

#include "core/convertor_registry.h"
#include "core/file_convertor.h"
#include "core/load_task.h"
#include "scripted_load.h"
#include "tests/core/recording_cache_entry.h"
#include "tests/support/scratch_directory.h"

namespace corvane::core::testing_support {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;

class ConvertorChoose : public LoadFixture {
  protected:
    ConvertorChoose() : savedRegistry_(Convertors()) {
        Schemes().SetProtocolClass(kSchemeHttp, &CTypedProtocol::kRuntimeClass);
        CHTConvertorRegistry fresh;
        RegisterBuiltinTypes(fresh);
        for (const char* type : {"text/plain", "text/html", "image/gif", "image/jpeg"}) {
            fresh.SetConvertorClass(type, &CScriptedConvertor::kRuntimeClass);
        }
        Convertors() = fresh;
        host->downloads.postCloseMessage = [this](COvalonDoc* owner) { closed.push_back(owner); };
    }
    ~ConvertorChoose() override { Convertors() = savedRegistry_; }

    // A response of `type` (none when empty) with the body in pieces of `piece` bytes, each
    // followed by a "not yet" answer so the transfer spans several passes.
    void Serve(const std::string& url, const std::string& type, const std::string& body,
               std::size_t piece = 0, int kind = kKindDocument) {
        Script& script = scripts[url];
        script.kind = kind;
        if (piece == 0) piece = body.size();
        for (std::size_t at = 0; at < body.size(); at += piece) {
            script.pieces.push_back({body.substr(at, piece)});
            script.pieces.push_back({"", kNeedMoreData});
        }
        script.contentType = type;
    }

    int Settled(const std::string& url) {
        CHTRequestEntry* entry = host->FindEntry(url);
        return entry != nullptr && entry->request != nullptr ? entry->request->convertorIndex : -2;
    }

    std::vector<COvalonDoc*> closed;
    corvane::testing::ScratchDirectory scratch;

  private:
    CHTConvertorRegistry savedRegistry_;
};

// A source-only load (the source dump) passes every type's bytes on to the request's cache
// writer as they come and builds nothing; a transfer cut short ends the writer with a failure.
TEST_F(ConvertorChoose, SourceOnlyLoadsPassTheBytesOnAndBuildNothing) {
    host->sourceOnly = true;
    struct Case {
        const char* url;
        const char* type;
        bool cut;
    };
    for (const Case& c :
         {Case{"http://h/a.html", "text/html", false}, Case{"http://h/b", "image/gif", false},
          Case{"http://h/c.txt", "text/plain", true}}) {
        const std::string body = std::string(200, 'x') + c.url;
        Serve(c.url, c.type, body, 7);
        if (c.cut) scripts[c.url].pieces.push_back({"", kFailure});
        scripts[c.url].connectPasses = 1;
        Window& window = OpenWindow();
        window.doc->Navigate(c.url);
        CHTRequest* request = host->FindEntry(c.url)->request.get();
        std::string copy;
        int end = 1;
        request->cacheEntry = std::make_unique<corvane::testing::RecordingCacheEntry>(copy, end);
        RunUntilIdle();
        EXPECT_EQ(copy, body) << c.url;
        EXPECT_EQ(end, c.cut ? kFailure : kStatusOk) << c.url;
        EXPECT_EQ(request->document, nullptr) << c.url;
        EXPECT_EQ(window.view->shown, nullptr) << c.url;
    }
}

TEST_F(ConvertorChoose, BytesWinOverTheExtensionAndTheExtensionOverNothing) {
    struct Case {
        const char* url;
        const char* body;
        int expectedType;
    };
    const Case cases[] = {
        {"http://h/a.gif", "\xFF\xD8\xFF\xE0 jpeg data", kTypeImageJpeg},
        {"http://h/picture", "GIF89a and more", kTypeImageGif},
        {"http://h/b.gif", "no signature at all", kTypeImageGif},
        {"http://h/c.txt", "GIF87a but served as text", kTypeImageGif},
        {"http://h/page.HTM", "<p>hello", kTypeTextHtml},
    };
    for (const Case& c : cases) {
        Serve(c.url, "", c.body);
        Window& window = OpenAt(c.url);
        EXPECT_EQ(Settled(c.url), c.expectedType) << c.url;
        EXPECT_EQ(ShownText(window), c.body) << c.url;
    }
    // A content type decides alone.
    Serve("http://h/d.gif", "text/plain", "GIF89a served as text");
    OpenAt("http://h/d.gif");
    EXPECT_EQ(Settled("http://h/d.gif"), kTypeTextPlain);
    EXPECT_TRUE(ui.messages.empty());
    // Its charset parameter is passed on to the convertor.
    const std::pair<std::string, std::string> charsets[] = {
        {"text/html ; format=x; Charset=\"KOI8-R\"", "KOI8-R"},
        {"text/html;charset=utf-8 ", "utf-8"},
        {"text/html; charsets=x", ""},
    };
    for (const auto& [type, charset] : charsets) {
        const std::string url = "http://h/" + charset + ".htm";
        Serve(url, type, "<p>x");
        OpenAt(url);
        CHTRequestEntry* entry = host->FindEntry(url);
        ASSERT_TRUE(entry != nullptr && entry->request != nullptr);
        EXPECT_EQ(entry->request->charset, charset) << type;
    }
}

// No shows the data as text; Cancel ends the load without a document or an error.
TEST_F(ConvertorChoose, UnknownTypeAnsweredNoIsShownAsTextAndCancelEndsQuietly) {
    Serve("http://h/x.foo", "application/x-foo", "plain words");
    Window& window = OpenWindow();
    ui.messageAnswers = {MessageAnswer::kNo, MessageAnswer::kCancel};
    Visit(window, "http://h/x.foo");
    EXPECT_EQ(ShownText(window), "plain words");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "File Type has not been configured.\nSave to Disk?");
    EXPECT_EQ(ui.messages[0].icon, platform::MessageIcon::kExclamation);

    Serve("http://h/y.foo", "application/x-foo", "ignored");
    Window& cancelled = OpenWindow();
    Visit(cancelled, "http://h/y.foo");
    EXPECT_EQ(cancelled.view->shown, nullptr);
    EXPECT_EQ(ui.messages.size(), 2u);  // the question only
    EXPECT_TRUE(ui.fileDialogTitles.empty());
    EXPECT_EQ(host->FindEntry("http://h/y.foo")->request->kind, kKindHandedOff);
    EXPECT_EQ(cancelled.doc->LoadTask(), nullptr);
}

// The window closes while the question is open; the Yes that comes after saves nothing.
TEST_F(ConvertorChoose, WindowClosedInsideTheUnknownTypeQuestionSavesNothing) {
    Serve("http://h/x.foo", "application/x-foo", "foo bytes");
    Window& window = OpenWindow();
    ui.messageAnswers = {MessageAnswer::kYes};
    ui.onMessage = [&] { CloseWindow(window); };
    Visit(window, "http://h/x.foo");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "File Type has not been configured.\nSave to Disk?");
    EXPECT_TRUE(ui.fileDialogTitles.empty());
    EXPECT_EQ(host->PrivateRequestCount(), 0u);
    EXPECT_EQ(host->downloads.RunningCount(nullptr), 0u);
}

TEST_F(ConvertorChoose, UnknownTypeAnsweredYesAndTypeWithActionSaveAreSaved) {
    Convertors().Entry(kTypeTextHtml).action = ConvertorAction::kSave;
    std::string big(20000, 'x');
    big += "end";
    Serve("http://h/x.foo", "application/x-foo", "foo bytes", 4);
    Serve("http://h/page.html", "text/html", big, 3000);
    ui.messageAnswers = {MessageAnswer::kYes};
    ui.fileAnswers = {scratch.File("foo.bin"), scratch.File("page.html")};
    Window& window = OpenAt("http://h/x.foo");
    Visit(window, "http://h/page.html");

    EXPECT_EQ(scratch.Read("foo.bin"), "foo bytes");
    EXPECT_EQ(scratch.Read("page.html"), big);
    EXPECT_EQ(window.view->shown, nullptr);
    EXPECT_EQ(ui.fileDialogTitles, (std::vector<std::string>{"Save As", "Save As"}));
    EXPECT_EQ(ui.messages.size(), 1u);  // only the question about the unknown type
    EXPECT_EQ(host->PrivateRequestCount(), 0u);
    EXPECT_EQ(host->downloads.RunningCount(window.doc.get()), 0u);
    // The shared request that handed its data off holds nothing and is loaded afresh next time.
    EXPECT_EQ(host->FindEntry("http://h/page.html")->request->document, nullptr);
}

TEST_F(ConvertorChoose, CancelledSaveAsLeavesNoFileAndNoMessage) {
    Convertors().Entry(kTypeTextHtml).action = ConvertorAction::kSave;
    Serve("http://h/page.html", "text/html", "content", 2);
    ui.fileAnswers = {std::nullopt};
    OpenAt("http://h/page.html");
    EXPECT_EQ(ui.fileDialogTitles.size(), 1u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(fs::is_empty(scratch.path()));
    EXPECT_EQ(host->PrivateRequestCount(), 0u);
    EXPECT_EQ(scripts["http://h/page.html"].aborts, 1);
}

TEST_F(ConvertorChoose, TransferErrorMidCopyDiscardsThePartialFileAndReports) {
    Convertors().Entry(kTypeTextHtml).action = ConvertorAction::kSave;
    scripts["http://h/x.html"].pieces = {{"part one"}, {"", kNeedMoreData}, {"", kFailure}};
    scripts["http://h/x.html"].contentType = "text/html";
    scratch.Write("x.html", "the old file");
    ui.fileAnswers = {scratch.File("x.html")};
    OpenAt("http://h/x.html");

    EXPECT_EQ(scratch.Read("x.html"), "the old file");
    EXPECT_EQ(scratch.Names().size(), 1u);  // no temporary file left
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::string>{"Cannot complete loading http://h/x.html"}));
    EXPECT_EQ(host->PrivateRequestCount(), 0u);
    EXPECT_EQ(scripts["http://h/x.html"].aborts, 1);
}

TEST_F(ConvertorChoose, ClosingOwnerIsClosedAfterItsLastDownload) {
    Convertors().Entry(kTypeTextHtml).action = ConvertorAction::kSave;
    Serve("http://h/short.html", "text/html", "ab", 1);
    Serve("http://h/long.html", "text/html", std::string(40, 'z'), 1);
    ui.fileAnswers = {scratch.File("long.html"), scratch.File("short.html")};
    Window& window = OpenWindow();
    Window& other = OpenWindow();
    COvalonDoc* owner = window.doc.get();
    window.doc->Navigate("http://h/long.html");
    scheduler.RunPass();
    window.doc->Navigate("http://h/short.html");
    scheduler.RunPass();
    EXPECT_EQ(host->downloads.RunningCount(owner), 2u);
    EXPECT_TRUE(host->downloads.CloseWhenIdle(other.doc.get()));
    EXPECT_FALSE(host->downloads.CloseWhenIdle(owner));

    int passes = 0;
    while (host->downloads.RunningCount(owner) == 2 && ++passes < 100) scheduler.RunPass();
    EXPECT_EQ(host->downloads.RunningCount(owner), 1u);
    EXPECT_TRUE(closed.empty());
    RunUntilIdle();
    EXPECT_EQ(closed, std::vector<COvalonDoc*>{owner});
    EXPECT_EQ(scratch.Read("long.html"), std::string(40, 'z'));
    // A window that is gone waits for nothing: a new window at its address is not closed.
    CHTRequest* download = host->GetRequest("http://h/z", nullptr, kMethodFormQuery, owner);
    host->downloads.Add(*download);
    EXPECT_FALSE(host->downloads.CloseWhenIdle(owner));
    host->ForgetOwner(owner);
    host->downloads.Remove(download);
    host->downloads.DownloadEnded(owner);
    EXPECT_EQ(closed.size(), 1u);
    EXPECT_EQ(scratch.Read("short.html"), "ab");
}

// An inline part that the registry cannot place ends quietly: no question, no convertor, kind 5.
class Asker : public CHTTask {
  public:
    using CHTTask::CHTTask;
};

TEST_F(ConvertorChoose, EmbeddedRequestOfUnknownTypeEndsQuietly) {
    Serve("http://h/pic.foo", "image/x-unknown", "bytes");
    Serve("http://h/pic.bin", "", "no signature");
    for (const char* url : {"http://h/pic.foo", "http://h/pic.bin"}) {
        CHTRequest* request = host->GetRequest(url, nullptr, kMethodShared, nullptr);
        Asker asker(scheduler);
        EXPECT_EQ(StartEmbeddedRequest(*request, false, asker), -1) << url;
        RunUntilIdle();
        EXPECT_EQ(request->kind, kKindInline) << url;
        EXPECT_EQ(request->convertorIndex, -1) << url;
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.typeQuestions.empty());
}

// A connection that fails before any data (a server dropping it unanswered) ends the image's
// wait with -1 instead of leaving it waiting for ever; asking again with reload connects again.
TEST_F(ConvertorChoose, EmbeddedRequestWhoseConnectionFailsEndsTheWait) {
    Script& script = scripts["http://h/pic.gif"];
    script.connectPasses = 1;
    script.failConnect = true;
    CHTRequest* request = host->GetRequest("http://h/pic.gif", nullptr, kMethodShared, nullptr);
    Asker asker(scheduler);
    ASSERT_EQ(StartEmbeddedRequest(*request, false, asker), 0);
    for (int pass = 0; pass < 5; ++pass) scheduler.RunPass();
    ASSERT_LT(request->status, 0);
    EXPECT_EQ(StartEmbeddedRequest(*request, false, asker), -1);
    EXPECT_EQ(request->protocol, nullptr);
    EXPECT_EQ(StartEmbeddedRequest(*request, true, asker), 0);
    EXPECT_EQ(script.opens, 2);
    request->Stop(std::nullopt);
}

}  // namespace
}  // namespace corvane::core::testing_support
