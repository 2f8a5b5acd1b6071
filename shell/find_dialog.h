#pragma once
// The "Find" dialog: a pattern, "Start from top of page" (which applies to one search and then
// clears itself) and "Match case". "Find Next" searches the view's page from where the last
// search stopped; the dialog stays open beside the window until "Cancel".

#include <QDialog>

#include "render/html_view.h"

class QCheckBox;
class QLineEdit;

namespace corvane::shell {

class FindDialog : public QDialog {
    Q_OBJECT
  public:
    FindDialog(render::CHTMLView& view, QWidget* parent);

    QLineEdit& Field() { return *field_; }
    QCheckBox& FromTop() { return *fromTop_; }
    QCheckBox& MatchCase() { return *matchCase_; }
    void FindNext();

  private:
    render::CHTMLView& view_;
    QLineEdit* field_;
    QCheckBox* fromTop_;
    QCheckBox* matchCase_;
};

}  // namespace corvane::shell
