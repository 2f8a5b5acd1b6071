#pragma once
// Convertors that write the data to a file instead of showing it: saved where the user says
// (CFileSaveConvertor) or handed to the type's configured application (CExecuteConvertor). They
// work for a private copy of the request that the download was moved to (ChooseConvertor), so
// the window's load ends while the copy task moves the bytes into the file pass by pass.
//
// Order of calls: Init(private copy) -> Convert once (choose and create the file, start the copy
// task) -> the copy task writes every block -> exactly one Finish, which makes the file final
// (or deletes it after a failure), reports a failure, ends the download and deletes the copy.
//
// Memory: the convertor owns its file and its copy task; the copy's protocol owns the convertor,
// so deleting the copy (at the scheduler's next safe point) releases everything.

#include <optional>
#include <string>
#include <vector>

#include "core/convertor.h"
#include "core/download_file.h"
#include "core/task.h"

namespace corvane::core {

class CCopyTask;
class CHTHostServices;

// Bytes the copy task asks for at a time.
inline constexpr std::int32_t kCopyBlockSize = 8096;

// The filter of a Save As dialog for a file with this extension: that extension first, then
// everything.
std::string SaveDialogFilter(std::string_view extension);

class CFileConvertor : public CHTConvertor {
  public:
    CFileConvertor();
    ~CFileConvertor() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Takes the file and schedules the copy task.
    void StartCopy(DownloadFile file);

    std::optional<DownloadFile> file_;
    // Bytes the copy task has written into file_.
    std::uint64_t written_ = 0;

  private:
    friend class CCopyTask;
    std::unique_ptr<CCopyTask> copyTask_;
};

class CFileTaskConvertor : public CFileConvertor {
  public:
    ~CFileTaskConvertor() override;
    // Also attaches the download window's progress reporter to the protocol.
    void Init(CHTRequest* servedRequest) override;
    // Once: makes the file final (status 0) or deletes it, reports a failure with "Cannot
    // complete loading ", deletes the private request, and lets a closing owner close after its
    // last download.
    void Finish(int status) override;
    // Convert runs once; later calls answer how that went.
    int Convert() final;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Chooses and creates the file and starts the copy: 0 copying, 1 nothing to do, -1 failed.
    virtual int StartDownload() = 0;
    // Makes the file final or deletes it; answers the status the download ends with. Data that
    // ends short of the length the server announced is a failure: the connection was cut.
    virtual int FinishFile(int status);

  private:
    CHTHostServices* host_ = nullptr;
    enum class State { kNew, kCopying, kFinished };
    State state_ = State::kNew;
    int startAnswer_ = 0;
};

class CFileSaveConvertor : public CFileTaskConvertor {
  public:
    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // The Save As dialog, offered again while the chosen file cannot be created.
    int StartDownload() override;
};

// Writes into a file chosen before the retrieval started (saving a link, an image or a
// background); the file is replaced only when the data is complete.
class CFileTargetConvertor : public CFileTaskConvertor {
  public:
    void SetTarget(std::string target) { target_ = std::move(target); }

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // "Cannot create file" when the target cannot be written.
    int StartDownload() override;

  private:
    std::string target_;
};

class CExecuteConvertor : public CFileTaskConvertor {
  public:
    // The type's configured application command; its words come before the file's path.
    void SetApplication(std::string application) { application_ = std::move(application); }

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Creates the file in the private download directory under a safe name.
    int StartDownload() override;
    // On success starts the application without a shell; a failed start gives -255.
    int FinishFile(int status) override;

  private:
    std::string application_;
    std::vector<std::string> arguments_;
};

// Stops a download at the user's wish: the partial file is deleted and nothing is reported.
void CancelDownload(CHTRequest& download);

// Moves one protocol's data into a file convertor's file, a block per step.
class CCopyTask : public CHTTask {
  public:
    CCopyTask(CHTScheduler& scheduler, CFileConvertor& convertor);
    int Run() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    CFileConvertor& convertor_;
};

}  // namespace corvane::core
