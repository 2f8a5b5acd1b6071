#include "core/file_convertor.h"

#include "core/convertor_registry.h"
#include "core/ht_host_services.h"
#include "core/protocol.h"
#include "core/request.h"
#include "core/status.h"

namespace corvane::core {
namespace {

constexpr const char* kCannotCompleteLoading = "Cannot complete loading ";

// The filter of the Save As dialog: the proposed extension first, then everything.
std::string SaveFilter(std::string_view extension) {
    std::string all = "All Files (*.*)|*.*||";
    if (extension.empty()) return all;
    std::string pattern = "*." + std::string(extension);
    return pattern + " (" + pattern + ")|" + pattern + "|" + all;
}

}  // namespace

const CRuntimeClass CFileConvertor::kRuntimeClass =
    MakeAbstractRuntimeClass<CFileConvertor, CHTConvertor>("CFileConvertor");
const CRuntimeClass CFileTaskConvertor::kRuntimeClass =
    MakeAbstractRuntimeClass<CFileTaskConvertor, CFileConvertor>("CFileTaskConvertor");
const CRuntimeClass CFileSaveConvertor::kRuntimeClass =
    MakeRuntimeClass<CFileSaveConvertor, CFileTaskConvertor>("CFileSaveConvertor");
const CRuntimeClass CExecuteConvertor::kRuntimeClass =
    MakeRuntimeClass<CExecuteConvertor, CFileTaskConvertor>("CExecuteConvertor");
const CRuntimeClass CCopyTask::kRuntimeClass =
    MakeAbstractRuntimeClass<CCopyTask, CHTTask>("CCopyTask");

// CFileConvertor

CFileConvertor::CFileConvertor() = default;
CFileConvertor::~CFileConvertor() = default;

void CFileConvertor::StartCopy(DownloadFile file) {
    file_ = std::move(file);
    copyTask_ = std::make_unique<CCopyTask>(request->Host().Scheduler(), *this);
    request->Host().Scheduler().Schedule(*copyTask_);
}

// CFileTaskConvertor

CFileTaskConvertor::~CFileTaskConvertor() {
    // Deleted without a Finish (the program ends, the request was stopped): the partial file
    // goes with file_, and the download must not count any more.
    if (host_ != nullptr) host_->downloads.Remove(request);
}

void CFileTaskConvertor::Init(CHTRequest* servedRequest) {
    CFileConvertor::Init(servedRequest);
    host_ = &request->Host();
    CHTHostServices& host = *host_;
    if (host.makeDownloadReporter && Protocol() != nullptr) {
        Protocol()->SetProgressReporter(host.makeDownloadReporter(*request));
    }
}

int CFileTaskConvertor::Convert() {
    switch (state_) {
        case State::kCopying:
            return 0;
        case State::kFinished:
            return startAnswer_ == 0 ? 1 : startAnswer_;
        case State::kNew:
            break;
    }
    state_ = State::kCopying;
    startAnswer_ = StartDownload();
    if (startAnswer_ == 1) {
        Finish(kStatusOk);
    } else if (startAnswer_ < 0) {
        startAnswer_ = -1;
        if (Protocol() != nullptr) Protocol()->error = kFailure;
        Finish(kFailure);
    }
    return startAnswer_;
}

int CFileTaskConvertor::FinishFile(int status) {
    if (!file_) return status;
    if (status == kStatusOk) return file_->Commit() ? kStatusOk : kFailure;
    file_->Discard();
    return status;
}

void CFileTaskConvertor::Finish(int status) {
    if (state_ == State::kFinished) return;
    state_ = State::kFinished;
    CHTRequest* download = request;
    CHTHostServices& host = download->Host();
    status = FinishFile(status);
    if (status < 0 && status != kSilentEnd) {
        host.Ui().ShowMessage(kCannotCompleteLoading + download->canonicalUrl,
                              platform::MessageButtons::kOk, platform::MessageIcon::kStop);
    }
    COvalonDoc* owner = download->owner;
    host.downloads.Remove(download);
    host.DeleteRequest(download);
    host.downloads.DownloadEnded(owner);
}

void CancelDownload(CHTRequest& download) {
    CHTProtocol* protocol = download.protocol.get();
    auto* file = protocol != nullptr ? dynamic_cast<CFileTaskConvertor*>(protocol->convertor.get())
                                     : nullptr;
    if (file != nullptr) {
        file->Finish(kSilentEnd);
    } else {
        download.Stop(kSilentEnd);
    }
}

// CFileSaveConvertor

int CFileSaveConvertor::StartDownload() {
    platform::HostServices& ui = request->Host().Ui();
    // The proposed name is shown in a dialog that would read "../" or a leading "/" as a place.
    std::string proposed = SafeDownloadName(request->address.path);
    std::string filter = SaveFilter(DownloadNameExtension(proposed));
    while (true) {
        std::optional<std::string> chosen = ui.AskSaveFile("Save As", filter, proposed);
        if (!chosen) return 1;
        if (std::optional<DownloadFile> file = CreateReplacingFile(*chosen)) {
            StartCopy(std::move(*file));
            return 0;
        }
        platform::MessageAnswer answer = ui.ShowMessage(
            "Cannot create file '" + *chosen + "\"... Try another name?",
            platform::MessageButtons::kRetryCancel, platform::MessageIcon::kExclamation);
        if (answer != platform::MessageAnswer::kRetry) return 1;
    }
}

// CExecuteConvertor

int CExecuteConvertor::StartDownload() {
    std::optional<DownloadFile> file =
        request->Host().downloads.Directory().Create(request->address.path);
    if (!file) return -1;
    arguments_ = platform::SplitCommandLine(application_);
    arguments_.push_back(file->Path());
    StartCopy(std::move(*file));
    return 0;
}

int CExecuteConvertor::FinishFile(int status) {
    bool hadFile = file_.has_value();
    status = CFileTaskConvertor::FinishFile(status);
    if (status != kStatusOk || !hadFile) return status;
    platform::ProgramLauncher* launcher = request->Host().downloads.launcher;
    // Without a configured program the path alone is no command.
    if (launcher == nullptr || arguments_.size() < 2 || !launcher->Start(arguments_)) {
        return kFailure;
    }
    return kStatusOk;
}

// CCopyTask

CCopyTask::CCopyTask(CHTScheduler& scheduler, CFileConvertor& convertor)
    : CHTTask(scheduler), convertor_(convertor) {}

int CCopyTask::Run() {
    CHTProtocol* protocol = convertor_.Protocol();
    if (protocol == nullptr || !convertor_.file_) return kStepFinished;
    std::int32_t length = kCopyBlockSize;
    const std::uint8_t* block = protocol->GetBlock(length);
    if (block != nullptr) {
        if (!convertor_.file_->Write(block, static_cast<std::size_t>(length))) {
            convertor_.Finish(kFailure);
            return kStepFinished;
        }
        // More may be buffered already: go on once pending input has had its turn.
        return kStepYield;
    }
    if (protocol->error == kNeedMoreData) return kStepLater;
    int error = protocol->error;
    convertor_.Finish(error == kEndOfData ? kStatusOk : (error < 0 ? error : kFailure));
    return kStepFinished;
}

}  // namespace corvane::core
