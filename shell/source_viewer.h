#pragma once
// The built-in source viewer: a read-only text window with the document's bytes shown as
// ISO 8859-1, one character per byte, whatever the document's own character set.

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace corvane::shell {

class SourceViewer : public QDialog {
    Q_OBJECT
  public:
    SourceViewer(const std::string& url, const std::string& bytes, QWidget* parent);
    QPlainTextEdit& Text() { return *text_; }

  private:
    QPlainTextEdit* text_;
};

}  // namespace corvane::shell
