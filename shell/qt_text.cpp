#include "shell/qt_text.h"

#include <QStringList>

namespace corvane::shell {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString FromLatin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString ToQtFilter(std::string_view filter) {
    // Pairs of description and patterns. Qt reads the patterns from the parentheses of the
    // description, separated by blanks, where the pairs separate them with ";".
    const QStringList parts = FromUtf8(filter).split('|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (const qsizetype open = name.lastIndexOf('('); open >= 0) name.truncate(open);
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        // "*.*" would leave out every file without a dot in its name.
        for (QString& pattern : patterns)
            pattern = pattern.trimmed() == "*.*" ? "*" : pattern.trimmed();
        filters << name.trimmed() + " (" + patterns.join(' ') + ")";
    }
    return filters.join(";;");
}

}  // namespace corvane::shell
