#pragma once
// The small dialogs of the FTP, Gopher, Whois and Telnet commands: labelled text fields with OK
// and Cancel.

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

namespace corvane::shell {

struct ServiceField {
    QString label;  // with its "&" mnemonic
    std::string initial;
    bool password = false;
    bool focus = false;  // gets the focus when the dialog opens (else the first field)
};

// Shows the dialog; the fields' texts on OK, nullopt on Cancel.
std::optional<std::vector<std::string>> AskServiceFields(QWidget* parent, const QString& title,
                                                         const std::vector<ServiceField>& fields);

}  // namespace corvane::shell
