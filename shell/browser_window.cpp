#include "shell/browser_window.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "config/startup_command.h"
#include "core/address.h"
#include "core/download_file.h"
#include "core/file_convertor.h"
#include "core/request.h"
#include "core/save_to_file.h"
#include "html/document.h"
#include "html/text_convertor.h"
#include "images/image_bitmap.h"
#include "platform/ascii.h"
#include "platform/file_services.h"
#include "platform/program_launcher.h"
#include "shell/document_copy.h"
#include "shell/new_window.h"

namespace corvane::shell {
namespace {

// How often a growing page is laid out again while it loads, and how long each time may take:
// keys, menus and paints are handled between two ticks.
constexpr std::uint32_t kTickMs = 100;
constexpr std::uint32_t kLayoutBudgetMs = 25;
// While the layout is behind what has arrived, ticks follow each other with the loop's other
// work in between.
constexpr std::uint32_t kCatchUpTickMs = 1;
// The built-in source viewer shows at most this much of a document.
constexpr std::size_t kMaxSourceViewBytes = 64 * 1024 * 1024;

std::vector<CBrowserWindow*>& Windows() {
    static std::vector<CBrowserWindow*> windows;
    return windows;
}

const html::CHTML* HtmlOf(const core::CObject* object) {
    if (object == nullptr || !object->IsKindOf(&html::CHTMLDocument::kRuntimeClass)) return nullptr;
    return static_cast<const html::CHTMLDocument*>(object)->html.get();
}

// "~/" in the location field is the home directory, as in a shell; empty for any other text.
std::string TypedLocalFileUrl(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (!text.starts_with("~/")) return {};
    const char* home = std::getenv("HOME");
    return config::CommandLineFileUrl(text, home ? home : "", "/");
}

}  // namespace

CBrowserWindow::CBrowserWindow(CApplication& application, render::CHTMLView& view)
    : application_(application), view_(view) {
    document_ = std::make_unique<core::COvalonDoc>(application.Host(), this);
    images_ = std::make_unique<render::CImageLoads>(application.Host(), document_.get());
    view_.SetImageSource(
        [this](const html::CHTMLElement* image) { return images_->InfoOf(image); });
    Windows().push_back(this);
    view_.beforeUse = [this] { Revalidate(); };
    view_.onFollowLink = [this](const render::LinkRequest& link) { FollowLink(link); };
    view_.Forms().onSubmit = [this](const html::FormSubmission& form) { SubmitForm(form); };
    view_.onLoadImage = [this](const html::CHTMLElement* image) {
        images_->StartOne(image);
        StartTicking();
    };
    view_.layoutBudgetMs = kLayoutBudgetMs;
    view_.onLayoutBehind = [this] { StartTicking(); };
}

CBrowserWindow::~CBrowserWindow() {
    if (bookmarks_) bookmarks_->Save(bookmarks_->FileName());
    if (ticker_ != 0) application_.Loop().StopTimer(ticker_);
    view_.beforeUse = nullptr;
    view_.onFollowLink = nullptr;
    view_.Forms().onSubmit = nullptr;
    view_.onLoadImage = nullptr;
    view_.onLayoutBehind = nullptr;
    view_.layoutBudgetMs = render::CFlowLayout::kNoBudget;
    // The document's end detaches the view; nobody is told any more.
    onChanged = nullptr;
    onRememberTyped = nullptr;
    document_.reset();
    view_.SetImageSource(nullptr);
    images_.reset();
    view_.SetDocument(nullptr, "", "");
    std::erase(Windows(), this);
}

html::DocumentHost* CBrowserWindow::HostFor(core::CHTRequest& request) {
    for (CBrowserWindow* window : Windows()) {
        if (window->document_.get() == request.owner) return window;
    }
    return nullptr;
}

void CBrowserWindow::Attach(core::CHTRequest* request) {
    shown_ = request;
    attachedGeneration_ = request ? request->documentGeneration : 0;
    attachedHtml_ = HtmlOf(request ? request->document.get() : nullptr);
    const std::string url = request ? request->canonicalUrl : std::string();
    imagePage_.reset();
    if (request && request->document &&
        request->document->IsKindOf(&images::CImageBitmap::kRuntimeClass)) {
        // An address that is itself an image shows a page holding just that image.
        imagePage_ = std::make_unique<html::CHTML>(url);
        auto* image = imagePage_->AddElement<html::CHTMLImage>();
        image->url = url;
        imagePage_->images.push_back(image);
        attachedHtml_ = imagePage_.get();
    }
    const std::string base = attachedHtml_ && attachedHtml_->base ? *attachedHtml_->base : url;
    images_->Clear();
    ApplyDisplayColours();
    if (attachedHtml_) images_->AddAll(*attachedHtml_, AutoLoadImages());
    view_.SetDocument(attachedHtml_, url, base);
}

bool CBrowserWindow::AutoLoadImages() const {
    return picturesWanted_ && application_.Settings().Display().autoLoadImages != 0;
}

void CBrowserWindow::ApplyDisplayColours() {
    // A display of 256 colours or fewer shows every image in one shared palette.
    constexpr int kPaletteDepth = 8;
    images_->UsePalette(application_.Host().displayDepth <= kPaletteDepth,
                        application_.Settings().Display().colorDithering != 0);
}

void CBrowserWindow::RequestImage(html::CHTMLImage& image) {
    images_->Add(image, AutoLoadImages());
    StartTicking();
}

void CBrowserWindow::SetAutoLoadImages(bool on) {
    config::DisplaySettings display = application_.Settings().Display();
    display.autoLoadImages = on ? 1 : 0;
    (void)application_.Settings().SaveDisplay(display);
    Changed();
}

void CBrowserWindow::StopImages() {
    images_->StopAll();
}

void CBrowserWindow::LoadImages() {
    images_->StartAll();
    StartTicking();
}

void CBrowserWindow::Revalidate() {
    if (shown_ != nullptr && shown_->documentGeneration != attachedGeneration_) Attach(shown_);
}

void CBrowserWindow::ShowRequest(core::CHTRequest* request) {
    Attach(request);
    // A document shown again (Back, Forward) keeps the title it was built with.
    if (attachedHtml_ && !attachedHtml_->title.empty()) title_ = attachedHtml_->title;
    if (request) StartTicking();
    Changed();
}

BrowserSession::Security CBrowserWindow::ShownSecurity() const {
    const core::CHTRequest* shown = document_->Shown();
    if (shown == nullptr) return {};
    return {shown->security, shown->certificateSubject};
}

void CBrowserWindow::Clear() {
    attachedHtml_ = nullptr;
    view_.SetDocument(nullptr, "", "");
    Changed();
}

void CBrowserWindow::SetTitle(std::string_view title) {
    title_ = title;
    Changed();
}

void CBrowserWindow::ShowTitle(std::string_view title) {
    SetTitle(title);
}

void CBrowserWindow::SetLocationText(std::string_view url, bool remember) {
    location_ = url;
    locationText_ = url;
    if (remember && onRememberTyped) onRememberTyped(location_);
    Changed();
}

void CBrowserWindow::RepaintAndScrollTo(std::string_view) {
    view_.Update();
}

void CBrowserWindow::AdoptHistory(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<core::CHTRequest*> requests;
    for (const auto& [key, urlText] : entries) {
        core::CHTRequest* request =
            application_.Host().GetRequest(key, nullptr, 0, document_.get());
        if (request == nullptr) continue;
        // A redirected request is known by its first address but shows its last one.
        if (!urlText.empty()) request->canonicalUrl = urlText;
        requests.push_back(request);
    }
    document_->AdoptHistory(requests);
    Changed();
}

void CBrowserWindow::GoToHistoryEntry(int n) {
    document_->GoToHistoryEntry(n);
    StartTicking();
    Changed();
}

bool CBrowserWindow::NewWindow() {
    if (StartNewWindow(application_, document_->History(), location_)) return true;
    application_.Ui().ShowMessage("Cannot start a new window.", platform::MessageButtons::kOk,
                                  platform::MessageIcon::kStop);
    return false;
}

void CBrowserWindow::OpenWindowAt(const std::string& url) {
    if (StartNewWindow(application_, document_->History(), url)) return;
    application_.Ui().ShowMessage("Cannot start a new window.", platform::MessageButtons::kOk,
                                  platform::MessageIcon::kStop);
}

void CBrowserWindow::SaveAs() {
    core::CHTRequest* shown = document_->Shown();
    if (shown == nullptr) return;
    const SaveAsProposal proposal = ProposeSaveAs(*shown);
    const std::optional<std::string> target =
        application_.Ui().AskSaveFile("Save As", proposal.filter, proposal.name);
    if (!target) return;
    const SaveResult result = SavesShownText(*shown, *target)
                                  ? SaveTextAs(view_.DumpText(), *target)
                                  : SaveDocumentAs(*shown, application_.Cache(), *target);
    if (result == SaveResult::kSaved) return;
    application_.Ui().ShowMessage(SaveResultMessage(result), platform::MessageButtons::kOk,
                                  platform::MessageIcon::kExclamation);
}

void CBrowserWindow::SaveAddressAs(const std::string& url) {
    const core::CHTAddress base = core::ParseAddress(view_.Base());
    const core::CHTAddress address = core::ParseAddress(url, &base);
    const std::string name = core::SafeDownloadName(address.path);
    const std::optional<std::string> target = application_.Ui().AskSaveFile(
        "Save As", core::SaveDialogFilter(core::DownloadNameExtension(name)), name);
    if (!target) return;
    if (target->empty()) {
        application_.Ui().ShowMessage(SaveResultMessage(SaveResult::kNoName),
                                      platform::MessageButtons::kOk,
                                      platform::MessageIcon::kExclamation);
        return;
    }
    core::SaveAddressToFile(application_.Host(), core::FormatAddress(address), *target,
                            document_.get());
}

std::optional<std::string> CBrowserWindow::ViewSource() {
    core::CHTRequest* shown = document_->Shown();
    if (shown == nullptr) return std::nullopt;
    platform::HostServices& ui = application_.Ui();
    const std::string& command = application_.Settings().General().sourceCommand;
    if (command.empty()) {
        std::optional<std::string> bytes =
            ReadStoredDocument(*shown, application_.Cache(), kMaxSourceViewBytes);
        if (!bytes) {
            ui.ShowMessage(SaveResultMessage(SaveResult::kNoSource), platform::MessageButtons::kOk,
                           platform::MessageIcon::kExclamation);
        }
        return bytes;
    }
    // A file of its own in our private directory, named after the document, ending in ".TXT"
    // so that any editor takes it for text.
    std::string name = core::SafeDownloadName(shown->canonicalUrl);
    std::optional<core::DownloadFile> file =
        core::SystemDownloadDirectory().Create((name.empty() ? "source" : name) + ".TXT");
    if (!file) {
        ui.ShowMessage("Cannot Make Temp Filename for Viewing Source",
                       platform::MessageButtons::kOk, platform::MessageIcon::kStop);
        return std::nullopt;
    }
    if (std::optional<std::string> bytes =
            ReadStoredDocument(*shown, application_.Cache(), kMaxSourceViewBytes)) {
        if (!file->Write(bytes->data(), bytes->size())) file->Discard();
    }
    const std::string path = file->Path();
    if (!file->Commit()) {
        ui.ShowMessage("Cannot Make Temp Filename for Viewing Source",
                       platform::MessageButtons::kOk, platform::MessageIcon::kStop);
        return std::nullopt;
    }
    std::vector<std::string> words = platform::SplitCommandLine(command);
    words.push_back(path);
    if (!application_.Launcher().Start(words)) {
        ui.ShowMessage("Cannot run the Source Command \"" + command + "\".",
                       platform::MessageButtons::kOk, platform::MessageIcon::kStop);
    }
    return std::nullopt;
}

std::vector<store::HistoryMenuItem> CBrowserWindow::HistoryItems() const {
    return store::BuildHistoryMenu(document_->History(), document_->Position());
}

std::vector<std::string> CBrowserWindow::HistoryList() const {
    std::vector<std::string> urls;
    const auto& history = document_->History();
    for (auto it = history.rbegin(); it != history.rend(); ++it)
        urls.push_back((*it)->canonicalUrl);
    return urls;
}

void CBrowserWindow::LoadCurrent() {
    document_->LoadCurrent();
    StartTicking();
    Changed();
}

void CBrowserWindow::Load(const std::string& text) {
    std::string url = TypedLocalFileUrl(text);
    if (url.empty()) {
        url = text;
        core::CompleteTypedUrl(url, location_);
    }
    if (url.empty()) return;
    locationText_ = url;
    core::COvalonDoc::NavigateOptions options;
    options.remember = true;
    document_->Navigate(url, std::move(options));
    StartTicking();
    Changed();
}

void CBrowserWindow::OpenTyped(const std::string& text) {
    Load(text);
}

void CBrowserWindow::LoadBookmarks() {
    const std::string& profile = application_.ProfileDirectory();
    bookmarks_ = std::make_unique<bookmarks::CBookmarkList>(
        application_.Ui(), application_.Settings().General().bookmarkFile,
        platform::JoinPath(profile, bookmarks::kFallbackFileName));
    bookmarks_->Load("", bookmarks::LoadMode::kReplace, bookmarks::MissingFile::kCreate);
}

void CBrowserWindow::OpenFile(const std::string& path) {
    core::COvalonDoc::NavigateOptions options;
    options.remember = true;
    document_->Navigate(core::LocalFileUrl(path), std::move(options));
    StartTicking();
    Changed();
}

void CBrowserWindow::FollowLink(const render::LinkRequest& link) {
    core::COvalonDoc::NavigateOptions options;
    options.method = link.method;
    options.referrer = link.referrer;
    document_->Navigate(link.url, std::move(options));
    StartTicking();
    Changed();
}

PostNewsFields CBrowserWindow::FollowUpFields() const {
    PostNewsFields fields;
    const core::CHTRequest* shown = document_->Shown();
    // Only an article page sets references.
    if (shown == nullptr || shown->references.empty() || shown->newsgroups.empty()) return fields;
    const core::CHTAddress& address = shown->address;
    if (address.hasLocation && !address.host.empty())
        fields.serverPrefix = "//" + address.host + "/";
    fields.newsgroups = shown->newsgroups;
    fields.subject = shown->subject;
    if (!(fields.subject.size() >= 3 && EqualsIgnoreCase(fields.subject.substr(0, 3), "re:")))
        fields.subject = "Re: " + fields.subject;
    fields.references = shown->references;
    return fields;
}

std::pair<std::string, std::string> CBrowserWindow::QuoteSource() const {
    const core::CHTRequest* shown = document_->Shown();
    if (shown == nullptr) return {};
    return {view_.DumpText(), shown->sender};
}

void CBrowserWindow::OpenWithMethod(const std::string& url, int method,
                                    std::unique_ptr<core::CObject> body) {
    core::COvalonDoc::NavigateOptions options;
    options.method = method;
    options.body = std::move(body);
    document_->Navigate(url, std::move(options));
    StartTicking();
    Changed();
}

void CBrowserWindow::SubmitForm(const html::FormSubmission& form) {
    if (form.method == html::SubmitMethod::kPost) {
        Post(form.url, std::make_unique<core::CHTFormBody>(form.contentType, form.body));
        return;
    }
    core::COvalonDoc::NavigateOptions options;
    options.referrer = location_;
    options.method = core::kMethodFormQuery;
    document_->Navigate(form.url, std::move(options));
    StartTicking();
    Changed();
}

void CBrowserWindow::Post(const std::string& url, std::unique_ptr<core::CObject> body) {
    core::COvalonDoc::NavigateOptions options;
    options.referrer = location_;
    options.method = core::kMethodFormPost;
    options.body = std::move(body);
    document_->Navigate(url, std::move(options));
    StartTicking();
    Changed();
}

void CBrowserWindow::Back() {
    document_->Back();
    StartTicking();
    Changed();
}

void CBrowserWindow::Forward() {
    document_->Forward();
    StartTicking();
    Changed();
}

void CBrowserWindow::Home() {
    const std::string home = application_.HomePage();
    if (!home.empty()) Load(home);
}

void CBrowserWindow::Reload() {
    // The reload drops the document the view shows; let go of it first.
    Attach(nullptr);
    document_->Reload();
    StartTicking();
    Changed();
}

void CBrowserWindow::Stop() {
    document_->Stop();
    Tick();
}

void CBrowserWindow::StartTicking() {
    if (ticker_ != 0) return;
    wasLoading_ = true;
    TickEvery(kTickMs);
}

void CBrowserWindow::TickEvery(std::uint32_t intervalMs) {
    if (ticker_ != 0) {
        if (tickMs_ == intervalMs) return;
        application_.Loop().StopTimer(ticker_);
    }
    tickMs_ = intervalMs;
    ticker_ = application_.Loop().StartTimer(intervalMs, true, [this] { Tick(); });
}

void CBrowserWindow::Tick() {
    view_.Update();
    switch (images_->Changes()) {
        case render::CImageLoads::Change::kSizes:
            view_.OnRelayout();
            break;
        case render::CImageLoads::Change::kRows:
            view_.Update();
            view_.RepaintAll();
            break;
        case render::CImageLoads::Change::kNone:
            break;
    }
    const bool caughtUp = view_.LayoutCaughtUp();
    TickEvery(caughtUp ? kTickMs : kCatchUpTickMs);
    if (IsLoading() || !caughtUp || images_->Busy()) return;
    view_.Finish();
    application_.Loop().StopTimer(ticker_);
    ticker_ = 0;
    if (wasLoading_) {
        wasLoading_ = false;
        Changed();
    }
}

void CBrowserWindow::Changed() {
    if (onChanged) onChanged();
}

}  // namespace corvane::shell
