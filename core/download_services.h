#pragma once
// What downloads need from the program: the running downloads of every owner (the window context
// that started them) with the owners waiting to close, the private directory that files for
// configured applications go to, and the launcher that starts those applications.
//
// A window that is asked to close while its downloads run is marked closing and closes when the
// last one has ended: the download posts the close message through postCloseMessage.
//
// Memory: downloads are plain pointers to private requests that the host-services object owns;
// a download leaves the list when it ends or its convertor is destroyed.

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "core/download_file.h"
#include "platform/program_launcher.h"

namespace corvane::core {

class CHTRequest;
class COvalonDoc;

class CDownloadServices {
  public:
    CDownloadServices();
    ~CDownloadServices();
    CDownloadServices(const CDownloadServices&) = delete;
    CDownloadServices& operator=(const CDownloadServices&) = delete;

    // A private request copy whose data goes to a file; it counts for request.owner.
    void Add(CHTRequest& download);
    // Idempotent; the request is not touched, so it may be on its way out.
    void Remove(const CHTRequest* download);
    std::size_t RunningCount(const COvalonDoc* owner) const;
    bool IsRunning(const CHTRequest& download) const;

    // The owner asks to close: true when it may close now; otherwise it is marked closing and is
    // sent the close message after its last download.
    bool CloseWhenIdle(COvalonDoc* owner);
    bool IsClosing(const COvalonDoc* owner) const;
    // A window that is gone: it waits for nothing any more.
    void ForgetOwner(const COvalonDoc* owner);
    // Called after a download of owner ended: posts the close message when the owner is
    // closing and has no download left.
    void DownloadEnded(COvalonDoc* owner);

    // Delivers the close message to the main window of owner. It is called from inside a task
    // step, so it must post the message rather than close the window at once. Unset: nothing.
    std::function<void(COvalonDoc* owner)> postCloseMessage;
    // Starts the applications configured for types; unset, no application can be started.
    platform::ProgramLauncher* launcher = nullptr;

    // The private directory for files handed to applications; the system one unless replaced.
    DownloadDirectory& Directory();
    void SetDirectory(std::unique_ptr<DownloadDirectory> directory);

  private:
    std::vector<CHTRequest*> running_;
    std::vector<COvalonDoc*> closing_;
    std::unique_ptr<DownloadDirectory> directory_;
};

}  // namespace corvane::core
