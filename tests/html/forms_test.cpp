// Forms as the builder makes them, and what submitting them sends.
#include <gtest/gtest.h>

#include "build_document.h"
#include "html/form_encoder.h"

namespace corvane::html {
namespace {

using testing::BuildDocument;

std::vector<const CHTMLForm*> FormsOf(const CHTML& document) {
    std::vector<const CHTMLForm*> forms;
    for (const CHTMLElement* e = document.First(); e != document.End(); e = e->next) {
        if (e->type == kElementForm) forms.push_back(static_cast<const CHTMLForm*>(e));
    }
    return forms;
}

const CHTMLForm& OnlyForm(const testing::Built& built) {
    const auto forms = FormsOf(*built.document);
    EXPECT_EQ(forms.size(), 1u);
    return *forms.at(0);
}

TEST(FormBuilding, ControlsTakeTheirAttributes) {
    const auto built = BuildDocument(
        "<form method=post action=go enctype=x/y>"
        "<input name=t value=vwxyz size=5 maxlength=3><input type=PassWord name=p>"
        "<input type=checkbox name=c checked><input type=radio name=r value=1>"
        "<input type=hidden name=h value=hv><input type=reset><input type=Submit value=Send>"
        "<input type=image name=i><input type=colour name=u>"
        "<select name=s><option value=a>  first  one  <option selected>second </select>"
        "<select name=m multiple><option>x<option>y</select><select size=3><option>z</select>"
        "<textarea name=a cols=30 rows=4>one\r\ntwo\rthree</textarea></form>");
    const CHTMLForm& form = OnlyForm(built);
    EXPECT_EQ(form.method, kFormPost);
    EXPECT_EQ(form.action, "go");
    EXPECT_EQ(form.encodingType, "x/y");
    EXPECT_EQ(form.textFieldCount, 4);  // t, p, the unknown type, the textarea
    std::vector<int> types;
    for (const CHTMLControl* c : form.controls) types.push_back(c->type);
    EXPECT_EQ(types, (std::vector<int>{kControlText, kControlPassword, kControlCheckBox,
                                       kControlRadio, kControlHidden, kControlReset, kControlSubmit,
                                       kControlImage, kControlText, kControlDropDown, kControlList,
                                       kControlList, kControlTextArea}));
    const auto& c = form.controls;
    EXPECT_EQ(c[0]->text, "vwx");  // cut at MAXLENGTH
    EXPECT_EQ(c[0]->size, 5);
    EXPECT_EQ(c[0]->maxLength, 3);
    EXPECT_TRUE(c[2]->checked);
    EXPECT_FALSE(c[3]->checked);
    EXPECT_EQ(c[5]->label, "reset");  // the TYPE as written
    EXPECT_EQ(c[6]->label, "Send");
    EXPECT_EQ(c[9]->options.size(), 2u);
    EXPECT_EQ(c[9]->options[0].text, "first one");
    EXPECT_EQ(c[9]->options[1].text, "second");
    EXPECT_TRUE(c[9]->options[1].selected);
    EXPECT_FALSE(c[9]->options[0].selected);
    EXPECT_TRUE(c[10]->multiple);
    EXPECT_EQ(c[11]->rows, 3);
    EXPECT_EQ(c[12]->text, "one\ntwo\nthree");
    EXPECT_EQ(c[12]->columns, 30);
    for (std::size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(c[i]->identifier, kFirstControlIdentifier + static_cast<int>(i));
        EXPECT_EQ(c[i]->form, &form);
    }
}

TEST(FormBuilding, MethodAndNumbersReadAsWritten) {
    struct Case {
        std::string html;
        std::int16_t method;
        std::int32_t size, maxLength;
    };
    const Case cases[] = {
        {"<form><input>", kFormGet, 20, 0},
        {"<form method=get><input size=abc>", kFormOtherMethod, 1, 0},
        {"<form method=PoSt><input size=2147483648 maxlength=99999999>", kFormPost, 256, 1 << 20},
        {"<input size=-5 maxlength=-1>", kFormGet, 1, 0},
    };
    for (const Case& c : cases) {
        const auto built = BuildDocument(c.html);
        const CHTMLForm& form = OnlyForm(built);
        EXPECT_EQ(form.method, c.method) << c.html;
        ASSERT_EQ(form.controls.size(), 1u);
        EXPECT_EQ(form.controls[0]->size, c.size) << c.html;
        EXPECT_EQ(form.controls[0]->maxLength, c.maxLength) << c.html;
    }
}

TEST(FormBuilding, StrayAndNestedPartsMakeSeparateForms) {
    const auto built = BuildDocument(
        "<option>lost<input name=a><form><input name=b><form><input name=c></form>"
        "<select><option>o</select></form><textarea>never closed");
    const auto forms = FormsOf(*built.document);
    // The inner FORM closed the outer one; the SELECT after its end opened a form of its own,
    // which the second end tag closed.
    ASSERT_EQ(forms.size(), 5u);
    EXPECT_EQ(forms[0]->controls[0]->name, "a");
    EXPECT_EQ(forms[1]->controls[0]->name, "b");
    EXPECT_EQ(forms[2]->controls[0]->name, "c");
    EXPECT_EQ(forms[3]->controls[0]->options.size(), 1u);
    ASSERT_EQ(forms[4]->controls.size(), 1u);
    EXPECT_EQ(forms[4]->controls[0]->text, "never closed");
    EXPECT_TRUE(forms[4]->controls[0]->complete);
}

TEST(FormBuilding, IsIndexMakesAnIndexFormBetweenRules) {
    const auto built = BuildDocument("<isindex>", {}, "http://h/find?old");
    const CHTMLForm& form = OnlyForm(built);
    EXPECT_TRUE(form.indexForm);
    EXPECT_EQ(form.action, "http://h/find?old");
    ASSERT_EQ(form.controls.size(), 1u);
    EXPECT_EQ(form.controls[0]->name, "index");
    const std::string elements = [&] {
        std::string all;
        for (const auto& word : testing::Elements(*built.document)) all += word + " ";
        return all;
    }();
    EXPECT_NE(elements.find("rule"), std::string::npos) << elements;
    EXPECT_NE(elements.find("Enter keyword(s) you want to search for: "), std::string::npos);
}

// Fills in a form the way a user would, then submits it.
struct Filled {
    testing::Built built;
    const CHTMLForm* form;
    const CHTMLControl* Named(std::string_view name) const {
        for (const CHTMLControl* c : form->controls) {
            if (c->name == name) return c;
        }
        return nullptr;
    }
};

Filled Fill(std::string_view html, std::string_view url = "http://h/dir/page.html") {
    Filled filled{BuildDocument(html, {}, url), nullptr};
    filled.form = FormsOf(*filled.built.document).at(0);
    return filled;
}

TEST(FormSubmission, GetAddressesAreExact) {
    struct Case {
        std::string html;
        std::string typed;  // into the control named "q"
        std::string expected;
    };
    const Case cases[] = {
        {"<form action=search><input name=q>", "a b", "http://h/dir/search?q=a+b"},
        {"<form action=/s?old=1#frag><input name=q>", "x", "http://h/s?q=x"},
        {"<form><input name=q>", "a&b=c%", "http://h/dir/page.html?q=a%26b%3Dc%25"},
        {"<form method=put action=s><input name=q><input type=hidden name=h value=\"1 2\">", "",
         "http://h/dir/s?q=&h=1+2"},
        {"<form action=s><input type=checkbox name=c><input type=checkbox name=d checked>"
         "<input type=checkbox name=e value=v checked><input name=q>",
         "", "http://h/dir/s?d=&e=v&q="},
        {"<form action=s><select name=m multiple><option selected>one<option>two"
         "<option selected value=3>three</select><select name=d><option>first<option>second"
         "</select><input name=q>",
         "", "http://h/dir/s?m=one&m=3&d=first&q="},
        {"<form action=s><textarea name=q></textarea>", "l1\nl2", "http://h/dir/s?q=l1%0D%0Al2"},
        {"<form action=s><input name=q><input type=submit name=go value=Go>"
         "<input type=reset name=r value=R>",
         "1", "http://h/dir/s?q=1"},
    };
    for (const Case& c : cases) {
        const Filled filled = Fill(c.html);
        if (const CHTMLControl* q = filled.Named("q")) q->text = c.typed;
        const FormSubmission sent = SubmitForm(*filled.form, "UTF-8", "http://h/dir/page.html");
        EXPECT_EQ(sent.method, SubmitMethod::kGet);
        EXPECT_EQ(sent.url, c.expected) << c.html;
    }
}

TEST(FormSubmission, OnlyTheButtonThatSubmittedIsSent) {
    const Filled filled = Fill(
        "<form method=post action=/save><input name=n value=x>"
        "<input type=submit name=save value=Save><input type=submit name=delete value=Delete>"
        "<input type=reset name=r value=Reset><input type=image name=map>");
    const FormSubmission saved =
        SubmitForm(*filled.form, "", "http://h/p", Submitter{filled.Named("save")});
    EXPECT_EQ(saved.method, SubmitMethod::kPost);
    EXPECT_EQ(saved.url, "http://h/save");
    EXPECT_EQ(saved.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(saved.body, "n=x&save=Save");
    const FormSubmission clicked =
        SubmitForm(*filled.form, "", "http://h/p", Submitter{filled.Named("map"), 7, 9});
    EXPECT_EQ(clicked.body, "n=x&map.x=7&map.y=9");
    EXPECT_EQ(SubmitForm(*filled.form, "", "http://h/p").body, "n=x");  // Enter
}

TEST(FormSubmission, IsIndexSendsTheKeywordsAlone) {
    const Filled filled = Fill("<isindex>", "http://h/find?old");
    filled.Named("index")->text = "two words";
    EXPECT_EQ(SubmitForm(*filled.form, "", "http://h/find?old").url, "http://h/find?two+words");
}

TEST(FormSubmission, TextGoesInTheDocumentsCharacterSet) {
    struct Case {
        std::string charset;
        std::string expected;
    };
    // e acute, the euro sign, and a character Latin-1 pages cannot hold.
    const std::string typed = "\xC3\xA9\xE2\x82\xAC\xE4\xB8\x80";
    const Case cases[] = {
        {"UTF-8", "q=%C3%A9%E2%82%AC%E4%B8%80"},
        {"windows-1252", "q=%E9%80%26%2319968%3B"},
        {"ISO-8859-15", "q=%E9%A4%26%2319968%3B"},
        {"", "q=%C3%A9%E2%82%AC%E4%B8%80"},
    };
    for (const Case& c : cases) {
        const Filled filled = Fill("<form method=post><input name=q>");
        filled.Named("q")->text = typed;
        EXPECT_EQ(SubmitForm(*filled.form, c.charset, "http://h/").body, c.expected) << c.charset;
    }
}

TEST(FormHostile, ManyControlsAndOptionsBuildInLinearTime) {
    std::string page = "<form><form><select name=s>";
    for (int i = 0; i < 10000; ++i) page += "<option value=" + std::to_string(i) + ">o";
    page += "</select>";
    for (int i = 0; i < 100000; ++i) page += "<input type=checkbox name=c checked>";
    const auto built = BuildDocument(page);
    const auto forms = FormsOf(*built.document);
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_EQ(forms[1]->controls.size(), 100001u);
    EXPECT_EQ(forms[1]->controls[0]->options.size(), 10000u);
    EXPECT_EQ(forms[1]->controls.back()->identifier, kFirstControlIdentifier + 100000);
    const FormSubmission sent = SubmitForm(*forms[1], "", "http://h/");
    EXPECT_EQ(sent.url.size(), std::string("http://h/?s=0").size() + 100000 * 3);
}

}  // namespace
}  // namespace corvane::html
