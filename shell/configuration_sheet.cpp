#include "shell/configuration_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/file_services.h"
#include "shell/application.h"
#include "shell/helper_apps_page.h"
#include "shell/main_frame.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

// Stored colours hold red in the lowest byte, then green, then blue.
QColor ColourOf(int stored) {
    return QColor(stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF);
}

int StoredColour(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

// Each control edits its field of the sheet's values as it changes; OK saves them all.
QLineEdit* AddText(QFormLayout& form, const QString& label, std::string& field, const char* name) {
    auto* edit = new QLineEdit(FromUtf8(field));
    edit->setObjectName(name);
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [&field](const QString& text) { field = ToUtf8(text); });
    form.addRow(label, edit);
    return edit;
}

QCheckBox* AddCheck(QBoxLayout& layout, const QString& label, int& field, const char* name) {
    auto* box = new QCheckBox(label);
    box->setObjectName(name);
    box->setChecked(field != 0);
    QObject::connect(box, &QCheckBox::toggled, box, [&field](bool on) { field = on ? 1 : 0; });
    layout.addWidget(box);
    return box;
}

QSpinBox* AddNumber(QFormLayout& form, const QString& label, int& field, int minimum, int maximum,
                    const char* name) {
    auto* spin = new QSpinBox;
    spin->setObjectName(name);
    spin->setRange(minimum, maximum);
    spin->setValue(field);
    QObject::connect(spin, &QSpinBox::valueChanged, spin, [&field](int value) { field = value; });
    form.addRow(label, spin);
    return spin;
}

// Radio buttons choosing a value of `field`: choice i stores values[i].
void AddChoices(QBoxLayout& layout, QObject* owner, const std::vector<QString>& texts,
                const std::vector<int>& values, int& field) {
    auto* group = new QButtonGroup(owner);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(texts[i]);
        radio->setChecked(field == values[i]);
        group->addButton(radio, static_cast<int>(i));
        layout.addWidget(radio);
    }
    QObject::connect(group, &QButtonGroup::idClicked, owner,
                     [&field, values](int id) { field = values[static_cast<std::size_t>(id)]; });
}

// A button showing the colour; pressing it opens the colour dialog.
void AddColour(QFormLayout& form, QWidget* parent, const QString& label, int& field,
               const char* name) {
    auto* button = new QPushButton;
    button->setObjectName(name);
    const auto show = [button, &field] {
        button->setText(ColourOf(field).name());
        button->setStyleSheet("background-color: " + ColourOf(field).name() + ";");
    };
    show();
    QObject::connect(button, &QPushButton::clicked, button, [parent, label, &field, show] {
        const QColor chosen = QColorDialog::getColor(ColourOf(field), parent, label);
        if (!chosen.isValid()) return;
        field = StoredColour(chosen);
        show();
    });
    form.addRow(label, button);
}

// A button naming the face and size; pressing it opens the font dialog.
void AddFont(QFormLayout& form, QWidget* parent, const QString& label, std::string& face, int& size,
             const char* name) {
    auto* button = new QPushButton;
    button->setObjectName(name);
    const auto show = [button, &face, &size] {
        button->setText(FromUtf8(face) + QString(" %1 pt").arg(size));
    };
    show();
    QObject::connect(button, &QPushButton::clicked, button, [parent, &face, &size, show] {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, QFont(FromUtf8(face), size), parent);
        if (!ok) return;
        face = ToUtf8(chosen.family());
        size = chosen.pointSize() > 0 ? chosen.pointSize() : size;
        show();
    });
    form.addRow(label, button);
}

QWidget* Page(QBoxLayout*& layout, QFormLayout*& form) {
    auto* page = new QWidget;
    layout = new QVBoxLayout(page);
    form = new QFormLayout;
    layout->addLayout(form);
    return page;
}

}  // namespace

ConfigurationSheet::ConfigurationSheet(config::Settings& settings,
                                       core::CHTConvertorRegistry& registry,
                                       config::MimeDatabase& database, platform::HostServices& host,
                                       QWidget* parent)
    : QDialog(parent), settings_(settings), host_(host), values_(ReadConfiguration(settings)) {
    setWindowTitle("Corvane : Configurations");
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget;
    helperApps_ = new HelperAppsPage(registry, database, host);
    pages_->addTab(GeneralPage(), "General");
    pages_->addTab(ViewPage(), "View");
    pages_->addTab(FontsPage(), "Fonts");
    pages_->addTab(ImagesPage(), "Images");
    pages_->addTab(helperApps_, "Helper Apps");
    pages_->addTab(MailNewsPage(), "Mail/News");
    pages_->addTab(ServicesPage(), "Services");
    pages_->addTab(ProxiesPage(), "Proxies");
    pages_->addTab(CachePage(), "Cache");
    layout->addWidget(pages_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(680, 500);
}

void ConfigurationSheet::accept() {
    changes_ = SaveConfiguration(settings_, values_);
    const bool helpersWritten = helperApps_->Apply();
    if (!changes_.written || !helpersWritten) {
        host_.ShowMessage("Cannot save the configuration.", platform::MessageButtons::kOk,
                          platform::MessageIcon::kStop);
    }
    QDialog::accept();
}

void ConfigurationSheet::Ask(const char* question, const std::function<void()>& action) {
    if (host_.ShowMessage(question, platform::MessageButtons::kOkCancel,
                          platform::MessageIcon::kQuestion) == platform::MessageAnswer::kOk &&
        action) {
        action();
    }
}

QWidget* ConfigurationSheet::GeneralPage() {
    QBoxLayout* layout;
    QFormLayout* form;
    QWidget* page = Page(layout, form);
    config::GeneralSettings& general = values_.general;
    AddText(*form, "&Home Page:", general.homePage, "homePage");
    AddCheck(*layout, "&Autoload Home Page", general.autoloadHomePage, "autoloadHomePage");
    auto* more = new QFormLayout;
    AddText(*more, "&Source Command:", general.sourceCommand, "sourceCommand");
    QLineEdit* bookmarks = AddText(*more, "&Bookmark File:", general.bookmarkFile, "bookmarkFile");
    auto* browse = new QPushButton("B&rowse...");
    connect(browse, &QPushButton::clicked, this, [this, bookmarks] {
        const QString file = QFileDialog::getSaveFileName(this, "Bookmark File", bookmarks->text(),
                                                          "HTML Files (*.htm *.html)", nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        if (!file.isEmpty()) bookmarks->setText(file);
    });
    more->addRow("", browse);
    layout->addLayout(more);
    layout->addStretch();
    return page;
}

QWidget* ConfigurationSheet::ViewPage() {
    QBoxLayout* layout;
    QFormLayout* form;
    QWidget* page = Page(layout, form);
    config::DisplaySettings& display = values_.display;
    AddColour(*form, this, "&Unvisited Links:", display.unvisitedLinkColor, "unvisitedLinkColor");
    AddColour(*form, this, "&Visited Links:", display.visitedLinkColor, "visitedLinkColor");
    AddColour(*form, this, "&Highlighted Links:", display.highlightedLinkColor,
              "highlightedLinkColor");
    AddColour(*form, this, "&Text:", display.textColor, "textColor");
    AddColour(*form, this, "&Background:", display.backgroundColor, "backgroundColor");
    AddCheck(*layout, "Use &Document Colors", display.useDocumentColor, "useDocumentColor");
    AddCheck(*layout, "U&nderline Links", display.underlineLinks, "underlineLinks");
    AddCheck(*layout, "Visited Links &Expire", display.visitedLinksExpire, "visitedLinksExpire");
    auto* days = new QFormLayout;
    AddNumber(*days, "Days &Valid:", display.visitedLinkDaysValid, 0, 9999, "visitedLinkDaysValid");
    layout->addLayout(days);
    auto* box = new QGroupBox("Background Image");
    auto* images = new QVBoxLayout(box);
    AddChoices(*images, this, {"&No Background Image", "Background &Image File:"}, {0, 1},
               display.defaultBgImageFile);
    auto* file = new QFormLayout;
    AddText(*file, "", display.bgImageFileName, "bgImageFileName");
    images->addLayout(file);
    AddCheck(*images, "Use Document's Background Ima&ge", display.useDocumentBgImageFile,
             "useDocumentBgImageFile");
    layout->addWidget(box);
    layout->addStretch();
    return page;
}

QWidget* ConfigurationSheet::FontsPage() {
    QBoxLayout* layout;
    QFormLayout* form;
    QWidget* page = Page(layout, form);
    config::DisplaySettings& display = values_.display;
    AddFont(*form, this, "&Proportional Font:", display.propFontName, display.propFontSize,
            "propFont");
    AddFont(*form, this, "&Fixed Font:", display.fixFontName, display.fixFontSize, "fixFont");
    layout->addStretch();
    return page;
}

QWidget* ConfigurationSheet::ImagesPage() {
    QBoxLayout* layout;
    QFormLayout* form;
    QWidget* page = Page(layout, form);
    config::DisplaySettings& display = values_.display;
    auto* colours = new QGroupBox("Colors");
    auto* colourChoices = new QVBoxLayout(colours);
    AddChoices(*colourChoices, this, {"&Dither", "Use &Closest Color"}, {1, 0},
               display.colorDithering);
    layout->addWidget(colours);
    auto* loading = new QGroupBox("Display While Loading");
    auto* loadChoices = new QVBoxLayout(loading);
    AddChoices(*loadChoices, this,
               {"&Disable Display While Loading", "Display &Text While Loading",
                "Display Text and &Image While Loading"},
               {0, 1, 2}, display.loadDisplayType);
    layout->addWidget(loading);
    AddCheck(*layout, "&Auto Load Images", display.autoLoadImages, "autoLoadImages");
    layout->addStretch();
    return page;
}

QWidget* ConfigurationSheet::MailNewsPage() {
    QBoxLayout* layout;
    QFormLayout* form;
    QWidget* page = Page(layout, form);
    config::MailNewsSettings& mail = values_.mailNews;
    AddText(*form, "&Name:", mail.mailName, "mailName");
    AddText(*form, "&E-Mail Address:", mail.emailAddress, "emailAddress");
    AddText(*form, "&SMTP Server:", mail.smtpServer, "smtpServer");
    AddText(*form, "&Mail Directory:", mail.mailDirectory, "mailDirectory");
    AddCheck(*layout, "Save &Outgoing Mail", mail.saveOutgoingMail, "saveOutgoingMail");
    AddCheck(*layout, "&Clear Mail Display", mail.clearMailDisplay, "clearMailDisplay");
    auto* news = new QFormLayout;
    AddText(*news, "NN&TP Server:", mail.nntpServer, "nntpServer");
    AddText(*news, "News &File Directory:", mail.newsFileDirectory, "newsFileDirectory");
    AddNumber(*news, "Number of &Articles:", mail.numberOfArticles, 1, 100000, "numberOfArticles");
    layout->addLayout(news);
    AddCheck(*layout, "Save &Posted News", mail.savePostedNews, "savePostedNews");
    AddCheck(*layout, "Keep &Group List", mail.groupListCache, "groupListCache");
    AddCheck(*layout, "P&rompt for Group List Retrieval", mail.promptForGroupList,
             "promptForGroupList");
    AddCheck(*layout, "Display only Su&bscribed Newsgroups", mail.onlySubscribedGroups,
             "onlySubscribedGroups");
    layout->addStretch();
    return page;
}

QWidget* ConfigurationSheet::ServicesPage() {
    QBoxLayout* layout;
    QFormLayout* form;
    QWidget* page = Page(layout, form);
    AddText(*form, "&Telnet Application:", values_.services.telnetApp, "telnetApp");
    AddText(*form, "TN&3270 Application:", values_.services.tn3270App, "tn3270App");
    AddCheck(*layout, "Display &Full FTP Information", values_.services.displayFullFtp,
             "displayFullFtp");
    layout->addStretch();
    return page;
}

QWidget* ConfigurationSheet::ProxiesPage() {
    QBoxLayout* layout;
    QFormLayout* form;
    QWidget* page = Page(layout, form);
    AddText(*form, "&HTTP Proxy:", values_.proxy.http, "httpProxy");
    AddText(*form, "&FTP Proxy:", values_.proxy.ftp, "ftpProxy");
    AddText(*form, "&Gopher Proxy:", values_.proxy.gopher, "gopherProxy");
    layout->addStretch();
    return page;
}

QWidget* ConfigurationSheet::CachePage() {
    QBoxLayout* layout;
    QFormLayout* form;
    QWidget* page = Page(layout, form);
    AddText(*form, "Cache &Directory:", values_.cacheDirectory, "cacheDirectory");
    AddNumber(*form, "Cache &Limit (KBytes):", values_.cache.limitKBytes, -1, 1 << 30, "cacheLimit")
        ->setSpecialValueText("No Limit");
    auto* update = new QGroupBox("Check Documents");
    auto* choices = new QVBoxLayout(update);
    AddChoices(*choices, this, {"&Once Per Session", "&Never"}, {1, 0}, values_.cache.update);
    layout->addWidget(update);
    AddCheck(*layout, "Clear Cache on &Exit", values_.cache.clearOnExit, "clearOnExit");
    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton("Clear Cache &Now");
    clear->setObjectName("clearCache");
    connect(clear, &QPushButton::clicked, this, [this] {
        Ask("This will clear all the files currectly in you cache.\nProceed?", clearCache);
    });
    auto* passwords = new QPushButton("Clear HTTP &Passwords");
    passwords->setObjectName("clearPasswords");
    connect(passwords, &QPushButton::clicked, this,
            [this] { Ask("Clear all the HTTP passwords.\nProceed?", clearPasswords); });
    buttons->addWidget(clear);
    buttons->addWidget(passwords);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    return page;
}

void RunConfigurationSheet(CMainFrame& frame, CApplication& application,
                           const std::function<void(ConfigurationSheet&)>& beforeExec) {
    ConfigurationSheet sheet(application.Settings(), core::Convertors(), application.MimeTypes(),
                             frame.Host(), &frame);
    sheet.clearCache = [&application] { application.Cache().Clear(); };
    sheet.clearPasswords = [&application] {
        application.Realms().Clear();
        application.SaveStores();
    };
    if (beforeExec) beforeExec(sheet);
    if (sheet.exec() != QDialog::Accepted) return;
    application.ApplyConfiguration(sheet.Changes());
    if (sheet.Changes().display &&
        !frame.ViewWidget().View().ApplySettings(application.ViewSettings())) {
        frame.Host().ShowMessage("Cannot make the configured fonts.", platform::MessageButtons::kOk,
                                 platform::MessageIcon::kStop, "Corvane");
    }
    frame.UpdateFromSession();
}

}  // namespace corvane::shell
