#include "shell/qt_host_services.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "shell/qt_text.h"
#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

TEST(QtHostServices, StatusAndProgressAreBounded) {
    testing::TestApplication();
    QMainWindow window;
    QtHostServices host(window);
    host.SetStatusText(std::string(2000, 'x'));
    EXPECT_EQ(host.StatusText().size(), 1024);

    struct Case {
        int value;
        int shown;
    };
    const Case cases[] = {{0, 0}, {64, 64}, {128, 128}, {129, -1}, {-1, -1}, {5, 5}};
    for (const Case& c : cases) {
        host.SetProgress(c.value);
        EXPECT_EQ(host.Progress(), c.shown) << c.value;
    }
}

// A scripted user: OK with no user name, dismisses the complaint, then fills in the dialog.
TEST(QtHostServices, TheLoginDialogRefusesAnEmptyUserName) {
    testing::TestApplication();
    QMainWindow window;
    QtHostServices host(window);
    QString complaint;
    QStringList labels;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QDialog* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!widget->isVisible()) continue;
            if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                complaint = box->text();
                box->accept();
                return;
            }
            if (auto* candidate = qobject_cast<QDialog*>(widget)) dialog = candidate;
        }
        if (dialog == nullptr) return;
        for (const QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
        if (!complaint.isEmpty()) {
            dialog->findChild<QLineEdit*>("user")->setText("ann");
            dialog->findChild<QLineEdit*>("password")->setText("secret");
            dialog->findChild<QCheckBox*>()->setChecked(true);
        }
        // Queued, so this tick ends before the complaint's own loop starts.
        QMetaObject::invokeMethod(
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), "click",
            Qt::QueuedConnection);
    });
    user.start(20);
    const auto answer = host.AskUserPassword("Realm", "www.example.org", {});
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(complaint, "User name is invalid... please try again.");
    EXPECT_EQ(answer->user, "ann");
    EXPECT_EQ(answer->password, "secret");
    EXPECT_TRUE(answer->savePassword);
    EXPECT_TRUE(labels.contains("Enter username for www.example.org\nRealm"));
    EXPECT_TRUE(labels.contains("Please enter your user name and password:"));
}

}  // namespace
}  // namespace corvane::shell
