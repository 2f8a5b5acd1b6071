#include "shell/qt_text.h"

#include <QStringList>

namespace corvane::shell {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString ToQtFilter(std::string_view filter) {
    // Pairs of description and pattern; the description already names the patterns.
    const QStringList parts = FromUtf8(filter).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.replace("*.*", "*");
        filters << description;
    }
    return filters.join(";;");
}

}  // namespace corvane::shell
