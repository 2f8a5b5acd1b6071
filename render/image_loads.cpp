#include "render/image_loads.h"

#include <algorithm>
#include <functional>
#include <string>

#include "core/ht_host_services.h"
#include "core/request.h"
#include "core/scheduler.h"
#include "core/task.h"
#include "html/document.h"
#include "images/image_bitmap.h"
#include "images/palette_reduction.h"

namespace corvane::render {

namespace {
// Image loads running at once for one window. Servers count connections: a page of two hundred
// images opened all at once gets the oldest dropped unanswered by a busy server.
constexpr int kMaxRunningLoads = 8;
}  // namespace

// Asks for its image's request until the image is there or cannot be had, then says so.
class CImageTask : public core::CHTTask {
  public:
    CImageTask(core::CHTScheduler& scheduler, core::CHTRequest& request, bool reload,
               std::function<void()> ended)
        : CHTTask(scheduler), request_(request), reload_(reload), ended_(std::move(ended)) {}
    int Run() override {
        const int answer = core::StartEmbeddedRequest(request_, reload_, *this);
        reload_ = false;
        if (answer == 0) return core::kStepWait;
        running_ = false;
        ended_();
        return core::kStepFinished;
    }
    bool Running() const { return running_; }

  private:
    core::CHTRequest& request_;
    bool reload_;
    bool running_ = true;
    std::function<void()> ended_;
};

struct CImageLoads::Load {
    const html::CHTMLImage* element;
    core::CHTRequest* request = nullptr;
    std::unique_ptr<CImageTask> task;
    bool queued = false;  // to start when a running load ends
    bool queuedReload = false;
    bool failureReported = false;
    // The image in palette colours, and the bitmap version it was made from.
    std::vector<Color> reduced;
    std::uint32_t reducedVersion = 0;
};

CImageLoads::CImageLoads(core::CHTHostServices& host, core::COvalonDoc* owner)
    : host_(host), owner_(owner) {}

CImageLoads::~CImageLoads() {
    Clear();
}

void CImageLoads::Clear() {
    for (auto& load : loads_) {
        if (load->task) {
            host_.Scheduler().Cancel(*load->task);
            host_.Scheduler().DeleteLater(std::move(load->task));
        }
        if (load->request) --load->request->taskRefs;
    }
    loads_.clear();
    messageShown_ = false;
    lastRows_ = 0;
    lastSizes_ = 0;
}

void CImageLoads::Add(const html::CHTMLImage& image, bool start) {
    if (Find(&image) != nullptr || image.url.empty()) return;
    auto load = std::make_unique<Load>();
    load->element = &image;
    load->request = host_.GetRequest(image.url, nullptr, core::kMethodShared, owner_);
    if (load->request) ++load->request->taskRefs;
    if (start) Start(*load, false);
    loads_.push_back(std::move(load));
}

void CImageLoads::AddAll(const html::CHTML& document, bool start) {
    for (const html::CHTMLImage* image : document.images) Add(*image, start);
    if (document.background) Add(*document.background, start);
}

void CImageLoads::Start(Load& load, bool reload) {
    if (load.request == nullptr) return;
    if (load.task) {
        host_.Scheduler().Cancel(*load.task);
        host_.Scheduler().DeleteLater(std::move(load.task));
    }
    load.failureReported = false;
    const auto running = std::count_if(loads_.begin(), loads_.end(), [](const auto& other) {
        return other->task && other->task->Running();
    });
    load.queued = running >= kMaxRunningLoads;
    load.queuedReload = reload;
    if (load.queued) return;
    load.task = std::make_unique<CImageTask>(host_.Scheduler(), *load.request, reload,
                                             [this] { StartQueued(); });
    host_.Scheduler().Schedule(*load.task);
}

void CImageLoads::StartQueued() {
    for (auto& load : loads_) {
        if (load->queued) {
            Start(*load, load->queuedReload);
            return;
        }
    }
}

void CImageLoads::StartAll() {
    for (auto& load : loads_) StartOne(load->element);
}

void CImageLoads::StartOne(const html::CHTMLElement* image) {
    for (auto& load : loads_) {
        if (load->element != image || load->queued) continue;
        const bool failed = load->request && load->request->status < 0;
        if (!load->task || failed) Start(*load, failed);
    }
}

void CImageLoads::StopAll() {
    for (auto& load : loads_) {
        load->queued = false;
        if (load->request && load->request->IsRunning() && load->request->kind == core::kKindImage)
            load->request->Stop();
    }
}

const CImageLoads::Load* CImageLoads::Find(const html::CHTMLElement* image) const {
    for (const auto& load : loads_)
        if (load->element == image) return load.get();
    return nullptr;
}

const images::CImageBitmap* CImageLoads::BitmapOf(const Load& load) const {
    const core::CHTRequest* request = load.request;
    if (request == nullptr || request->kind != core::kKindImage || request->document == nullptr ||
        !request->document->IsKindOf(&images::CImageBitmap::kRuntimeClass))
        return nullptr;
    return static_cast<const images::CImageBitmap*>(request->document.get());
}

void CImageLoads::UsePalette(bool on, bool dithering) {
    if (on == palette_ && dithering == dithering_) return;
    palette_ = on;
    dithering_ = dithering;
    for (auto& load : loads_) {
        load->reduced.clear();
        load->reducedVersion = 0;
    }
    // Views are told of the change at the next look.
    lastRows_ = 0;
}

ImageInfo CImageLoads::InfoOf(const html::CHTMLElement* image) const {
    ImageInfo info;
    const Load* load = Find(image);
    if (load == nullptr) return info;
    const images::CImageBitmap* bitmap = BitmapOf(*load);
    const bool failed =
        load->request == nullptr || load->request->status < 0 ||
        (bitmap && bitmap->progress == images::ImageProgress::kFailed) ||
        (bitmap == nullptr && load->task && load->task->lastResult == core::kStepFinished);
    if (bitmap && bitmap->HasSize()) {
        info.naturalWidth = bitmap->width;
        info.naturalHeight = bitmap->height;
    }
    // Reduced rows are drawn as far as they were made.
    const int rows = !bitmap             ? 0
                     : !palette_         ? bitmap->rowsReady
                     : bitmap->width > 0 ? static_cast<int>(load->reduced.size() / bitmap->width)
                                         : 0;
    if (bitmap && rows > 0 && bitmap->IsAllocated()) {
        info.state = ImageState::kDecoded;
        const auto count = static_cast<std::size_t>(bitmap->width) * rows;
        info.bitmap.width = bitmap->width;
        info.bitmap.height = rows;
        info.bitmap.pixels =
            std::span<const Color>(palette_ ? load->reduced.data() : bitmap->pixels.data(), count);
        if (!bitmap->mask.empty())
            info.bitmap.mask = std::span<const std::uint8_t>(bitmap->mask.data(), count);
    } else if (failed) {
        info.state = ImageState::kFailed;
    }
    return info;
}

bool CImageLoads::Busy() const {
    // A task that has not run yet counts too, or a page could settle before its images start.
    return std::any_of(loads_.begin(), loads_.end(), [](const auto& load) {
        return load->queued ||
               (load->task && load->request &&
                (load->request->IsRunning() || load->task->lastResult != core::kStepFinished));
    });
}

CImageLoads::Change CImageLoads::Changes() {
    std::uint64_t rows = 0;
    std::uint64_t sizes = 0;
    for (auto& load : loads_) {
        const images::CImageBitmap* bitmap = BitmapOf(*load);
        if (load->request) rows += static_cast<std::uint64_t>(load->request->status < 0);
        if (bitmap == nullptr) continue;
        rows += bitmap->version;
        if (palette_ && load->reducedVersion != bitmap->version) {
            images::ReduceToPalette(*bitmap, dithering_, load->reduced);
            load->reducedVersion = bitmap->version;
        }
        sizes += static_cast<std::uint64_t>(bitmap->width) * 65536 + bitmap->height;
        if (bitmap->progress == images::ImageProgress::kFailed && !bitmap->failureMessage.empty() &&
            !load->failureReported) {
            load->failureReported = true;
            if (!messageShown_) {
                messageShown_ = true;
                host_.Ui().ShowMessage(bitmap->failureMessage, platform::MessageButtons::kOk,
                                       platform::MessageIcon::kStop);
            } else {
                host_.Ui().SetStatusText(bitmap->failureMessage + " " +
                                         load->request->CanonicalUrl());
            }
        }
    }
    Change change = Change::kNone;
    if (sizes != lastSizes_) {
        change = Change::kSizes;
    } else if (rows != lastRows_) {
        change = Change::kRows;
    }
    lastRows_ = rows;
    lastSizes_ = sizes;
    return change;
}

}  // namespace corvane::render
