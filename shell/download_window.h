#pragma once
// The download window: one small window per file being saved or handed to an application,
// showing the document's address, a progress bar, the bytes moved and the time, with a Cancel
// button that stops the download. It is the progress reporter of the download's protocol, made
// at the first report and closed with the protocol.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "core/protocol.h"
#include "core/transfer_progress.h"

namespace corvane::shell {

class CDownloadWindow : public QWidget {
  public:
    // onCancel runs once, when the user presses Cancel.
    CDownloadWindow(const std::string& url, std::function<void()> onCancel);

    void Show(const core::TransferFigures& figures);

    QString UrlText() const { return url_->text(); }
    QString BytesText() const { return bytes_->text(); }
    QString TimeLabel() const { return timeLabel_->text(); }
    QString TimeText() const { return time_->text(); }
    QProgressBar& Bar() const { return *bar_; }
    QPushButton& CancelButton() const { return *cancel_; }

  protected:
    // Closing the window stops the download, as Cancel does.
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* url_;
    QProgressBar* bar_;
    QLabel* bytes_;
    QLabel* timeLabel_;
    QLabel* time_;
    QPushButton* cancel_;
};

// The reporter that shows a download's progress in its own window.
class CDownloadProgress : public core::CHTProgressReporter {
  public:
    explicit CDownloadProgress(core::CHTRequest& download);
    ~CDownloadProgress() override;
    void Report(std::uint64_t received, std::uint64_t expected, std::uint32_t elapsedMs) override;

    // Null before the first report.
    CDownloadWindow* Window() const { return window_.get(); }

  private:
    core::CHTRequest& download_;
    std::unique_ptr<CDownloadWindow> window_;
};

// For CHTHostServices::makeDownloadReporter in a windowed run.
std::unique_ptr<core::CHTProgressReporter> MakeDownloadWindow(core::CHTRequest& download);

}  // namespace corvane::shell
