// Form controls in a view with scripted windows (fixed metrics: body font 16 high, 8 per
// character): their boxes and dump text, windows made as they come into view, and what the
// user's typing, ticking, choosing, Enter, Tab and submit buttons do (RESET: the window test).
#include <gtest/gtest.h>

#include "platform/scripted_host_services.h"
#include "render/html_view.h"
#include "tests/html/build_document.h"
#include "tests/support/fixed_metrics_surface.h"

namespace corvane::render {
namespace {

using html::testing::BuildDocument;

struct ScriptedControl : ControlWindow {
    void Move(const Rect& r) override { rect = r; }
    void Show(bool on) override { shown = on; }
    void SetText(std::string_view t) override { text = t; }
    void SetChecked(bool on) override { checked = on; }
    void SetSelection(const std::vector<bool>& s) override { selection = s; }
    void Focus() override { ++*focusCount, focused = true; }

    ControlSpec spec;
    int key = -1;
    Rect rect;
    bool shown = false;
    std::string text;
    bool checked = false;
    std::vector<bool> selection;
    bool focused = false;
    int* focusCount = nullptr;
};

struct ScriptedFactory : ControlFactory {
    std::unique_ptr<ControlWindow> Create(const ControlSpec& spec, int key,
                                          ControlEvents&) override {
        auto window = std::make_unique<ScriptedControl>();
        window->spec = spec;
        window->key = key;
        window->text = spec.text;
        window->focusCount = &focuses;
        made.push_back(window.get());
        return window;
    }
    std::vector<ScriptedControl*> made;
    int focuses = 0;
};

class ScrollingWindow : public CHiddenViewWindow {
  public:
    void ScrollToY(int y) override {
        if (view) view->OnScroll(Point{0, y});
        scrolledTo = y;
    }
    CHTMLView* view = nullptr;
    int scrolledTo = -1;
};

class FormControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.view = &view;
        ASSERT_TRUE(view.ApplySettings(ViewSettings{}));
        view.Forms().SetFactory(&factory);
        view.Forms().onSubmit = [this](const html::FormSubmission& s) { sent.push_back(s); };
    }
    std::string Show(std::string_view html, int height = 400) {
        view.SetDocument(nullptr, "", "");
        built = BuildDocument(html, {}, "http://h/dir/page.html");
        view.OnSize(620, height);
        view.SetDocument(built.document.get(), built.document->url(), "");
        view.Finish();
        return view.DumpText();
    }
    ScriptedControl* Made(std::string_view name) {
        for (ScriptedControl* c : factory.made) {
            if (ControlOf(*c).name == name) return c;
        }
        ADD_FAILURE() << "no window for " << name;
        return nullptr;
    }
    const html::CHTMLControl& ControlOf(const ScriptedControl& window) {
        for (const std::uint32_t index : view.Layout().Display().controls) {
            const auto& control = static_cast<const html::CHTMLControl&>(
                *view.Layout().Display().boxes[index].element);
            if (view.Forms().WindowOf(control) == &window) return control;
        }
        throw std::runtime_error("unknown window");
    }

    testing::FixedMetricsSurface surface;
    platform::ScriptedHostServices host;
    ScrollingWindow window;
    CHTMLView view{surface, host, window};
    ScriptedFactory factory;
    html::testing::Built built;
    std::vector<html::FormSubmission> sent;
};

TEST_F(FormControlsTest, EachControlDumpsAsOneFragment) {
    struct Case {
        const char* html;
        const char* text;
    };
    const Case cases[] = {
        {"<input value=abc size=5>", "[abc__]\n"},
        {"<input value=abcdefgh size=3>", "[abc]\n"},
        {"<input type=password value=\xC3\xA9t\xC3\xA9 size=4>", "[***_]\n"},
        {"<input type=checkbox checked><input type=checkbox>", "[x] [ ]\n"},
        {"<input type=radio><input type=radio checked>", "( ) (*)\n"},
        {"<input type=submit value=Go> or <input type=reset><input type=image value=Map>",
         "[Go] or [reset] [Map]\n"},
        {"<select><option>one<option selected>two</select>", "[two v]\n"},
        {"<select multiple><option selected>a<option>b<option selected>c</select>", "[a, c]\n"},
        {"<textarea>first\nsecond</textarea>", "[first]\n"},
        {"a<input type=hidden value=x>b", "ab\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Show(c.html), c.text) << c.html;
}

TEST_F(FormControlsTest, ControlsInTableCellsKeepTheirWindowsAndPlaces) {
    // Table cells are put in order after layout: the list of control boxes must follow them.
    EXPECT_EQ(Show("<form><table><tr><td>Name<td><input name=q value=hi size=4>"
                   "<tr><td colspan=2><input type=checkbox name=c checked> Check"
                   "</table></form>"),
              "Name [hi__]\n[x] Check\n");
    const DisplayList& list = view.Layout().Display();
    ASSERT_EQ(list.controls.size(), 2u);
    for (const std::uint32_t index : list.controls)
        EXPECT_EQ(list.boxes[index].kind, BoxKind::kControl);
    ASSERT_EQ(factory.made.size(), 2u);
    EXPECT_EQ(Made("q")->text, "hi");
    EXPECT_TRUE(Made("c")->checked);
}

TEST_F(FormControlsTest, BoxesAreSizedFromTheControlFont) {
    struct Case {
        const char* html;
        int width, height;
    };
    const Case cases[] = {
        {"<input type=submit value=Go>", 2 * 8 + 20, 16 + 8},
        {"<select multiple><option>a<option>b<option>c</select>", 8 + 16 + 10, 3 * 16 + 4},
        {"<select size=2><option>a<option>b<option>c</select>", 8 + 16 + 10, 2 * 16 + 4},
        {"<textarea cols=10 rows=3></textarea>", 10 * 8 + 16 + 8, 3 * 16 + 8},
        {"<input size=2147483648>", 256 * 8 + 8, 16 + 8},
    };
    for (const Case& c : cases) {
        Show(c.html);
        const auto& list = view.Layout().Display();
        ASSERT_EQ(list.controls.size(), 1u) << c.html;
        const Rect& r = list.boxes[list.controls[0]].rect;
        EXPECT_EQ(r.Width(), c.width) << c.html;
        EXPECT_EQ(r.Height(), c.height) << c.html;
    }
}

TEST_F(FormControlsTest, WindowsAreMadeAsControlsComeIntoView) {
    std::string page;
    for (int i = 0; i < 100; ++i) page += "<input name=f" + std::to_string(i) + "><br>";
    Show(page, 200);
    const std::size_t first = factory.made.size();
    EXPECT_GT(first, 0u);
    EXPECT_LT(first, 20u);
    ScriptedControl* top = factory.made.front();
    EXPECT_TRUE(top->shown);
    EXPECT_EQ(top->rect.top, 20);
    EXPECT_EQ(top->spec.kind, ControlKind::kEdit);

    view.OnScroll(Point{0, 1000});
    EXPECT_GT(factory.made.size(), first);
    EXPECT_FALSE(top->shown);
    for (const ScriptedControl* c : factory.made) {
        if (c->shown) {
            EXPECT_GE(c->rect.bottom, 0);
        }
    }
    view.OnScroll(Point{0, 0});
    EXPECT_TRUE(top->shown);
    EXPECT_EQ(top->rect.top, 20);  // the same window again, in its place
}

TEST_F(FormControlsTest, WhatTheUserDoesIsSent) {
    Show(
        "<form action=/echo><input name=t><input type=password name=p>"
        "<input type=checkbox name=c value=1><input type=radio name=r value=a checked>"
        "<input type=radio name=r value=b><input type=radio name=other value=z checked>"
        "<select name=s multiple><option>x<option value=Y>y<option>z</select>"
        "<textarea name=a>old</textarea><input type=submit name=go value=Go>"
        "<input type=submit name=stop value=Stop></form>");
    ControlEvents& events = view.Forms();
    events.TextEdited(Made("t")->key, "a b");
    events.TextEdited(Made("p")->key, "s&t");
    events.Toggled(Made("c")->key, true);
    ScriptedControl* b = nullptr;
    for (ScriptedControl* c : factory.made) {
        if (c->spec.kind == ControlKind::kRadio && ControlOf(*c).value == "b") b = c;
    }
    ASSERT_NE(b, nullptr);
    events.Toggled(b->key, true);
    events.SelectionChanged(Made("s")->key, {1, 2});
    events.TextEdited(Made("a")->key, "l1\nl2");
    events.Clicked(Made("stop")->key, Point{3, 4});
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, html::SubmitMethod::kGet);
    EXPECT_EQ(sent[0].url,
              "http://h/echo?t=a+b&p=s%26t&c=1&r=b&other=z&s=Y&s=z&a=l1%0D%0Al2&stop=Stop");
    // The other radio button of the group went off on screen too.
    for (ScriptedControl* c : factory.made) {
        if (c->spec.kind == ControlKind::kRadio && ControlOf(*c).value == "a") {
            EXPECT_FALSE(c->checked);
        }
    }
    // Clicking the chosen radio button again leaves it on.
    events.Toggled(b->key, false);
    EXPECT_TRUE(b->checked);
    EXPECT_TRUE(ControlOf(*b).checked);
}

TEST_F(FormControlsTest, EnterSubmitsOnlyTheFormsOnlyTextField) {
    Show(
        "<form action=one method=post><input name=q value=1><input type=checkbox name=c></form>"
        "<form action=two><input name=a><input name=b></form>");
    view.Forms().EnterPressed(Made("a")->key);
    EXPECT_TRUE(sent.empty());
    view.Forms().EnterPressed(Made("q")->key);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, html::SubmitMethod::kPost);
    EXPECT_EQ(sent[0].url, "http://h/dir/one");
    EXPECT_EQ(sent[0].body, "q=1");
}

TEST_F(FormControlsTest, ActionsAreReadAgainstTheBase) {
    Show(
        "<base href=http://other/x/><form action=go><input name=q></form>"
        "<form action=mailto:a@b.example method=post><input name=m></form>");
    view.Forms().EnterPressed(Made("q")->key);
    view.Forms().EnterPressed(Made("m")->key);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].url, "http://other/x/go?q=");
    EXPECT_EQ(sent[1].url, "mailto:a@b.example");
    EXPECT_EQ(sent[1].body, "m=");
}

// Tab skips what is not a text field and scrolls a field out of view into it.
TEST_F(FormControlsTest, TabGoesToTheNextTextFieldOfTheForm) {
    std::string page = "<form><input name=a><input type=checkbox name=c>";
    for (int i = 0; i < 60; ++i) page += "<br>line";
    Show(page +
             "<textarea name=t></textarea><input type=password name=p></form>"
             "<form><input name=alone></form>",
         200);
    ControlEvents& events = view.Forms();
    events.TabPressed(Made("a")->key);
    EXPECT_GT(window.scrolledTo, 0);
    ASSERT_NE(Made("t"), nullptr);
    EXPECT_TRUE(Made("t")->focused);
    EXPECT_TRUE(Made("t")->shown);
    const int focuses = factory.focuses;
    events.TabPressed(Made("t")->key);      // ignored in a text area
    events.TabPressed(Made("alone")->key);  // and in a form's only field
    EXPECT_EQ(factory.focuses, focuses);
    events.TabPressed(Made("p")->key);  // round to the first
    EXPECT_TRUE(Made("a")->focused);
}

TEST_F(FormControlsTest, ManyControlsLayOutWithWindowsOnlyInView) {
    std::string page = "<select name=s>";
    for (int i = 0; i < 10000; ++i) page += "<option>o";
    page += "</select>";
    for (int i = 0; i < 100000; ++i) page += "<input type=checkbox>";
    Show(page, 400);
    EXPECT_EQ(view.Layout().Display().controls.size(), 100001u);
    EXPECT_LT(factory.made.size(), 2000u);
}

}  // namespace
}  // namespace corvane::render
