#include "shell/qt_event_loop.h"

#include <gtest/gtest.h>

#include "tests/shell/qt_application.h"
#include "tests/support/async_socket_contract.h"
#include "tests/support/event_loop_contract.h"

namespace corvane::shell {
namespace {

struct QtFactory {
    static std::unique_ptr<platform::EventLoop> Make() {
        // One application for the whole program: the view tests need a GUI one.
        testing::TestApplication();
        return std::make_unique<QtEventLoop>();
    }
};

}  // namespace
}  // namespace corvane::shell

namespace corvane::testing {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, EventLoopContract, shell::QtFactory);
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, AsyncSocketContract, shell::QtFactory);
}  // namespace corvane::testing
