#pragma once
// Saving an address into a file the user chose (a link, an image, a page's background) without
// touching the window's document or load. The address is retrieved through the normal path as a
// private request of method kMethodSaveToFile, which the disk cache serves like a shared one when
// its copy is fresh; as soon as the protocol knows its data, ChooseConvertor hands it to a
// CFileTargetConvertor (a page the protocol writes itself, a menu or a listing, is handed over as
// the HTML the window would show), and the download goes on as any other: its progress in the
// download window, failures in a message, the chosen file replaced only when the data is complete.
//
// Memory: the task that starts the retrieval is one of the host's background tasks; it holds the
// request until the data has been handed off (or the retrieval failed) and then releases it.

#include <string>
#include <string_view>

#include "core/task.h"

namespace corvane::core {

class CHTHostServices;
class CHTRequest;
class COvalonDoc;

// Starts saving `url` into `target` for the window `owner`; every failure is told to the user.
void SaveAddressToFile(CHTHostServices& host, std::string_view url, std::string target,
                       COvalonDoc* owner);

// Starts the retrieval and follows redirections until the data is handed to the file.
class CSaveToFileTask : public CHTTask {
  public:
    CSaveToFileTask(CHTHostServices& host, CHTRequest& request);
    ~CSaveToFileTask() override;
    int Run() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    int Check();
    int Redirect();
    int Fail(const char* message);
    int End();
    void SetRequest(CHTRequest& request);

    CHTHostServices& host_;
    CHTRequest* request_ = nullptr;
    int redirections_ = 0;
};

}  // namespace corvane::core
