#pragma once
// Every conversion between the program's byte strings and QString happens here. All text inside
// the program is UTF-8.

#include <QString>
#include <string>
#include <string_view>

namespace corvane::shell {

QString FromUtf8(std::string_view text);
std::string ToUtf8(const QString& text);
// A file-dialog filter in the "Name (*.x)|*.x|All Files (*.*)|*.*||" form, as Qt writes it.
QString ToQtFilter(std::string_view filter);

}  // namespace corvane::shell
