#pragma once
// The tasks of the load lifecycle: CLoadTask runs one request into one window (start, wait for
// data, show, pump, complete), CRefreshTask counts down a client-pull refresh, CBackgroundTask
// pumps a retrieval that goes on away from the window.

#include <cstdint>
#include <string>

#include "core/task.h"

namespace corvane::core {

class CHTHostServices;
class CHTRequest;
class COvalonDoc;

// Redirections followed in one load before it gives up, so that addresses redirecting to each
// other cannot keep a window busy for ever.
inline constexpr int kMaxRedirections = 20;

inline constexpr char kCannotConnect[] = "Cannot connect to ";
inline constexpr char kCannotComplete[] = "Cannot complete loading ";

class CLoadTask : public CHTTask {
  public:
    CLoadTask(COvalonDoc& window, CHTRequest& request, bool reload, bool remember);
    ~CLoadTask() override;

    int Run() override;
    CHTRequest& Request() const { return *request_; }
    bool Started() const { return started_; }
    int Redirections() const { return redirections_; }

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    int CheckRequest();
    int Loading();
    int Complete();
    int Redirect();
    int Fail(const char* message);
    int FinishAndDeleteRequest();
    void SetRequest(CHTRequest& request);

    COvalonDoc& window_;
    CHTRequest* request_ = nullptr;
    bool reload_;
    bool remember_;
    bool started_ = false;
    bool deleteRequest_ = false;
    int redirections_ = 0;
};

class CRefreshTask : public CHTTask {
  public:
    CRefreshTask(COvalonDoc& window, std::string url, int seconds);
    int Run() override;
    int SecondsLeft() const { return seconds_; }
    const std::string& Url() const { return url_; }

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    COvalonDoc& window_;
    std::string url_;
    int seconds_;
};

class CBackgroundTask : public CHTTask {
  public:
    CBackgroundTask(CHTHostServices& host, CHTRequest& request);
    ~CBackgroundTask() override;
    int Run() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    int Pumping();
    int End();

    CHTHostServices& host_;
    CHTRequest& request_;
};

}  // namespace corvane::core
