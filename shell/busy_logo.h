#pragma once
// The animated logo in the menu bar's corner: the program's icon, still while nothing loads,
// turning while a load is busy (the host services' SetBusy).

#include <QTimer>
#include <QWidget>

namespace corvane::shell {

class BusyLogo : public QWidget {
  public:
    explicit BusyLogo(QWidget* parent = nullptr);
    void SetBusy(bool busy);
    bool IsBusy() const { return timer_.isActive(); }
    QSize sizeHint() const override { return {28, 24}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QTimer timer_;
    int frame_ = 0;
};

}  // namespace corvane::shell
