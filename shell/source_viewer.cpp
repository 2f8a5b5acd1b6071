#include "shell/source_viewer.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "shell/qt_text.h"

namespace corvane::shell {

SourceViewer::SourceViewer(const std::string& url, const std::string& bytes, QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit) {
    setWindowTitle("Corvane : Document Source - " + FromUtf8(url));
    setAttribute(Qt::WA_DeleteOnClose);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setPlainText(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 560);
}

}  // namespace corvane::shell
