// Forms in the window on the offscreen platform, against nginx on loopback: type into the
// fields, tick and choose, press a button, and read back what the server received.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "shell/qt_form_controls.h"
#include "tests/shell/browser_window_fixture.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_peer.h"

namespace corvane::shell {
namespace {

constexpr std::string_view kEchoes =
    "location = /get { default_type text/plain; echo \"$request_method $request_uri\"; }\n"
    "location = /post { default_type text/plain; echo_read_request_body;"
    " echo \"$request_method $content_type $content_length\"; echo_request_body; }\n";

class FormWindowTest : public testing::BrowserWindowTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(web.Start()) << web.Log();
        BrowserWindowTest::SetUp();
        frame.resize(900, 700);
    }
    // Each page under its own name: a page loaded before is shown again as it was left.
    void Open(const std::string& page, const std::string& name = "form") {
        web.Root().Write(name + ".html", page);
        window->Load(web.Url("/" + name + ".html"));
        ASSERT_TRUE(WaitForLoad());
    }
    // The widget of the control with this NAME (and VALUE, for radio buttons).
    template <class Widget>
    Widget* Control(std::string_view name, std::string_view value = {}) {
        render::CHTMLView& view = frame.ViewWidget().View();
        const render::DisplayList& list = view.Layout().Display();
        for (const std::uint32_t index : list.controls) {
            const auto& control =
                static_cast<const html::CHTMLControl&>(*list.boxes[index].element);
            if (control.name != name || (!value.empty() && control.value != value)) continue;
            render::ControlWindow* made = view.Forms().WindowOf(control);
            return made ? dynamic_cast<Widget*>(WidgetOf(*made)) : nullptr;
        }
        return nullptr;
    }
    void Press(QWidget* target, int key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
    }
    void TypeInto(QWidget* target, const QString& text) {
        for (const QChar c : text) Press(target, 0, QString(c));
    }
    // What the echo page shows, once the submission has loaded.
    std::string Echoed() {
        EXPECT_TRUE(loop.RunUntil(
            [this] {
                return window->IsSettled() &&
                       window->CurrentUrl().find(".html") == std::string::npos;
            },
            10000));
        return window->View().DumpText();
    }

    corvane::testing::NginxServer web{std::string(kEchoes)};
};

constexpr std::string_view kEveryControl =
    "<meta charset=utf-8><form action=%s method=%s>"
    "<input name=t value=x maxlength=8><input type=password name=p>"
    "<input type=checkbox name=c value=on><input type=radio name=r value=a checked>"
    "<input type=radio name=r value=b><input type=hidden name=h value=\"h v\">"
    "<select name=d><option>one<option value=2>two</select>"
    "<select name=m multiple><option>x<option>y<option>z</select>"
    "<textarea name=a>old</textarea><input type=reset name=rs value=Undo>"
    "<input type=submit name=ok value=OK><input type=submit name=no value=No></form>";

std::string EveryControl(std::string_view action, std::string_view method) {
    std::string page(kEveryControl);
    page.replace(page.find("%s"), 2, action);
    page.replace(page.find("%s"), 2, method);
    return page;
}

TEST_F(FormWindowTest, FilledInAndSentByGetAndPost) {
    for (const std::string_view method : {"get", "post"}) {
        Open(EveryControl(method == "get" ? "/get?old=1" : "/post", method), std::string(method));
        QLineEdit* text = Control<QLineEdit>("t");
        ASSERT_NE(text, nullptr) << window->View().DumpText();
        text->setFocus();
        Press(text, Qt::Key_End);
        TypeInto(text, QString::fromUtf8("y \xC3\xA9&=%123"));  // cut at MAXLENGTH 8
        EXPECT_EQ(text->text(), QString::fromUtf8("xy \xC3\xA9&=%1"));
        TypeInto(Control<QLineEdit>("p"), "pw");
        Control<QAbstractButton>("c")->click();
        Control<QAbstractButton>("r", "b")->click();
        EXPECT_FALSE(Control<QAbstractButton>("r", "a")->isChecked());
        Press(Control<QComboBox>("d"), Qt::Key_Down);
        QListWidget* list = Control<QListWidget>("m");
        list->item(0)->setSelected(true);
        list->item(2)->setSelected(true);
        QPlainTextEdit* area = Control<QPlainTextEdit>("a");
        area->setPlainText("l1\nl2");
        Control<QAbstractButton>("no")->click();
        const std::string sent =
            "t=xy+%C3%A9%26%3D%251&p=pw&c=on&r=b&h=h+v&d=2&m=x&m=z&a=l1%0D%0Al2&no=No";
        if (method == "get") {
            EXPECT_EQ(Echoed(), "GET /get?" + sent + "\n");
        } else {
            EXPECT_EQ(Echoed(), "POST application/x-www-form-urlencoded " +
                                    std::to_string(sent.size()) + "\n" + sent + "\n");
        }
    }
}

TEST_F(FormWindowTest, ResetPutsEveryControlBack) {
    Open(EveryControl("/get", "get"));
    TypeInto(Control<QLineEdit>("t"), "zz");
    Control<QAbstractButton>("c")->click();
    Control<QAbstractButton>("r", "b")->click();
    Press(Control<QComboBox>("d"), Qt::Key_Down);
    Control<QListWidget>("m")->item(1)->setSelected(true);
    Control<QPlainTextEdit>("a")->setPlainText("new");
    Control<QAbstractButton>("rs")->click();
    EXPECT_EQ(Control<QLineEdit>("t")->text(), "x");
    EXPECT_FALSE(Control<QAbstractButton>("c")->isChecked());
    EXPECT_TRUE(Control<QAbstractButton>("r", "a")->isChecked());
    EXPECT_FALSE(Control<QAbstractButton>("r", "b")->isChecked());
    EXPECT_EQ(Control<QComboBox>("d")->currentIndex(), 0);
    EXPECT_TRUE(Control<QListWidget>("m")->selectedItems().isEmpty());
    EXPECT_EQ(Control<QPlainTextEdit>("a")->toPlainText(), "old");
    Control<QAbstractButton>("ok")->click();
    EXPECT_EQ(Echoed(), "GET /get?t=x&p=&r=a&h=h+v&d=one&a=old&ok=OK\n");
}

TEST_F(FormWindowTest, EnterInTheOnlyFieldSendsAndTabMovesBetweenFields) {
    Open(
        "<form action=/get><input name=a><input name=b></form>"
        "<form action=/get><input name=q><input type=checkbox name=c checked></form>");
    QLineEdit* a = Control<QLineEdit>("a");
    a->setFocus();
    Press(a, Qt::Key_Tab);
    EXPECT_EQ(frame.focusWidget(), Control<QLineEdit>("b"));
    Press(Control<QLineEdit>("b"), Qt::Key_Return);  // two fields: nothing is sent
    loop.RunUntil([] { return false; }, 50);
    EXPECT_FALSE(window->IsLoading());
    QLineEdit* q = Control<QLineEdit>("q");
    TypeInto(q, "find me");
    Press(q, Qt::Key_Return);
    EXPECT_EQ(Echoed(), "GET /get?q=find+me&c=\n");
}

TEST_F(FormWindowTest, APostCarriesExactlyTheseHeadersAndBody) {
    corvane::testing::ScriptedPeer peer(loop);
    const std::string port = std::to_string(peer.Listen());
    Open("<form method=post action=http://127.0.0.1:" + port +
         "/post?keep=1><input name=q value=\"a b\"><input type=submit></form>");
    const std::string body = "q=a+b";
    for (const std::string& line : std::vector<std::string>{
             "POST /post?keep=1 HTTP/1.0", "Host: 127.0.0.1:" + port,
             std::string("Accept: image/gif, image/x-xbitmap, image/jpeg, */*"),
             std::string("User-Agent: Corvane/2.0 Linux/1.0"), "Referer: " + web.Url("/form.html"),
             std::string("Content-type: application/x-www-form-urlencoded"),
             "Content-length: " + std::to_string(body.size()), std::string(), body}) {
        peer.Expect(line);
    }
    peer.Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nreceived").Close();
    Press(Control<QLineEdit>("q"), Qt::Key_Return);
    EXPECT_EQ(Echoed(), "received\n");
    EXPECT_TRUE(peer.Done()) << peer.Mismatch() << "\n" << peer.Received();
}

}  // namespace
}  // namespace corvane::shell
