#include "shell/download_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <algorithm>
#include <cstdio>

#include "core/file_convertor.h"
#include "core/request.h"

namespace corvane::shell {

CDownloadWindow::CDownloadWindow(const std::string& url, std::function<void()> onCancel)
    : QWidget(nullptr, Qt::Window),
      url_(new QLabel(QString::fromStdString(url))),
      bar_(new QProgressBar),
      bytes_(new QLabel),
      timeLabel_(new QLabel("Time remaining:")),
      time_(new QLabel),
      cancel_(new QPushButton("Cancel")) {
    setObjectName("CVDownLoad");
    setWindowTitle("Corvane: Saving File");
    url_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    url_->setMinimumWidth(320);
    bar_->setRange(0, platform::kProgressRange);
    bar_->setTextVisible(false);
    auto* layout = new QGridLayout(this);
    layout->addWidget(url_, 0, 0, 1, 2);
    layout->addWidget(bar_, 1, 0, 1, 2);
    layout->addWidget(new QLabel("Transferred:"), 2, 0);
    layout->addWidget(bytes_, 2, 1);
    layout->addWidget(timeLabel_, 3, 0);
    layout->addWidget(time_, 3, 1);
    layout->addWidget(cancel_, 4, 1, Qt::AlignRight);
    QObject::connect(cancel_, &QPushButton::clicked, this, [this, onCancel = std::move(onCancel)] {
        // The download ends on the scheduler's next safe point; one press is enough.
        cancel_->setEnabled(false);
        hide();
        onCancel();
    });
}

void CDownloadWindow::closeEvent(QCloseEvent* event) {
    if (cancel_->isEnabled()) cancel_->click();
    QWidget::closeEvent(event);
}

void CDownloadWindow::Show(const core::TransferFigures& figures) {
    bytes_->setText(QString::fromStdString(core::TransferredText(figures)));
    if (figures.TotalKnown()) {
        char title[64];
        std::snprintf(title, sizeof title, "Corvane: Saving File %02d%c", figures.percent, '%');
        setWindowTitle(title);
        bar_->setEnabled(true);
        bar_->setValue(std::min(figures.control, platform::kProgressRange));
        timeLabel_->setText("Time remaining:");
        time_->setText(QString::fromStdString(core::FormatClock(figures.remainingSeconds)));
    } else {
        bar_->setEnabled(false);
        timeLabel_->setText("Time used:");
        time_->setText(QString::fromStdString(core::FormatClock(figures.elapsedSeconds)));
    }
}

CDownloadProgress::CDownloadProgress(core::CHTRequest& download) : download_(download) {}

CDownloadProgress::~CDownloadProgress() = default;

void CDownloadProgress::Report(std::uint64_t received, std::uint64_t expected,
                               std::uint32_t elapsedMs) {
    if (window_ == nullptr) {
        window_ = std::make_unique<CDownloadWindow>(download_.canonicalUrl,
                                                    [this] { core::CancelDownload(download_); });
        window_->show();
    }
    if (window_->isHidden()) return;  // cancelled
    window_->Show(core::ComputeTransferFigures(received, expected, elapsedMs));
}

std::unique_ptr<core::CHTProgressReporter> MakeDownloadWindow(core::CHTRequest& download) {
    return std::make_unique<CDownloadProgress>(download);
}

}  // namespace corvane::shell
