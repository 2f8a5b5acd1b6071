#include "platform/services.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::platform {
namespace {

TEST(ServicePort, KnownNamesAnswerTheDatabasePortOthersTheDefault) {
    struct Case {
        std::string name;
        std::uint16_t defaultPort;
        std::uint16_t expected;
    };
    const Case cases[] = {
        {"http", 1, 80},
        {"nntp", 1, 119},
        {"smtp", 1, 25},
        {"no-such-service", 8080, 8080},
        {"", 70, 70},
        {std::string("http\0x", 6), 81, 81},  // never looked up cut short as "http"
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ServicePort(c.name, c.defaultPort), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace corvane::platform
