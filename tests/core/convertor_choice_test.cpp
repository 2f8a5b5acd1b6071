#include <gtest/gtest.h>

#include "core/convertor_choice.h"
#include "platform/scripted_host_services.h"

namespace corvane::core {
namespace {

using platform::ScriptedHostServices;
using platform::TypeAction;

int NoProbe() {
    return -1;
}

TEST(ConvertorChoice, TypeIndexFromContentTypeProbeOrExtension) {
    CHTConvertorRegistry registry;
    registry.Register("text/plain", nullptr, "txt");
    registry.Register("image/gif", nullptr, "gif");
    auto gifProbe = [] { return 1; };

    // A content type decides alone, parameters ignored; an unknown one is not probed.
    EXPECT_EQ(ResolveTypeIndex(registry, "text/plain; charset=latin1", gifProbe, "a.gif"), 0);
    EXPECT_EQ(ResolveTypeIndex(registry, "application/x-thing", gifProbe, "a.gif"), -1);
    // Without one the bytes win over the extension...
    EXPECT_EQ(ResolveTypeIndex(registry, "", gifProbe, "/dir/a.txt"), 1);
    // ...and the extension decides when no probe matches.
    EXPECT_EQ(ResolveTypeIndex(registry, "", NoProbe, "/dir/a.GIF"), 1);
    EXPECT_EQ(ResolveTypeIndex(registry, "", NoProbe, "/dir.txt/noext"), -1);
    EXPECT_EQ(ResolveTypeIndex(registry, "", NoProbe, ""), -1);
    EXPECT_EQ(ResolveTypeIndex(registry, " ; x=y", NoProbe, "a.txt"), 0);
}

TEST(ConvertorChoice, AskedTypeFollowsTheAnswer) {
    CHTConvertorRegistry registry;
    int type = registry.Register("application/postscript", nullptr, "ps");
    ScriptedHostServices host;
    host.typeActionAnswers = {TypeAction::kCancel};
    EXPECT_EQ(DecideConvertor(registry, type, false, host), ConvertorDecision::kCancel);
    // Unscripted, the question answers "save".
    EXPECT_EQ(DecideConvertor(registry, type, false, host), ConvertorDecision::kSaveToDisk);
    EXPECT_EQ(host.typeQuestions,
              (std::vector<std::string>{"application/postscript", "application/postscript"}));
    // An inline part is never asked about.
    EXPECT_EQ(DecideConvertor(registry, type, true, host), ConvertorDecision::kNoConvertor);
    EXPECT_EQ(host.typeQuestions.size(), 2u);
}

// The configure answer re-reads the entry, which the configuration dialog has changed.
class ConfiguringHost : public ScriptedHostServices {
  public:
    ConfiguringHost(CHTConvertorRegistry& registry, int type) : registry_(registry), type_(type) {}
    TypeAction AskTypeAction(std::string_view mimeType) override {
        ScriptedHostServices::AskTypeAction(mimeType);
        registry_.Entry(type_).action = ConvertorAction::kApplication;
        registry_.Entry(type_).application = "viewer";
        return TypeAction::kConfigure;
    }

  private:
    CHTConvertorRegistry& registry_;
    int type_;
};

TEST(ConvertorChoice, ConfiguringTheTypeDecidesAnew) {
    CHTConvertorRegistry registry;
    int type = registry.Register("application/postscript", nullptr, "ps");
    ConfiguringHost host(registry, type);
    EXPECT_EQ(DecideConvertor(registry, type, false, host), ConvertorDecision::kApplication);
    EXPECT_EQ(host.typeQuestions.size(), 1u);
}

}  // namespace
}  // namespace corvane::core
