// A load driven by the real poll loop: the scheduler runs from the idle hook and, while its tasks
// only poll for data, lets the loop sleep on a short timer instead of spinning.
#include <gtest/gtest.h>

#include "platform/poll_event_loop.h"
#include "scripted_load.h"

namespace corvane::core::testing_support {
namespace {

TEST(EventLoopLoad, PageArrivesThroughTheIdleHook) {
    ScriptBook scripts;
    Script page;
    page.connectPasses = 3;
    page.pieces = {{"<p>"}, {"", kNeedMoreData}, {"", kNeedMoreData}, {"done"}};
    scripts["http://h/loop"] = page;
    const CRuntimeClass* saved = Schemes().ProtocolClass(kSchemeHttp);
    Schemes().SetProtocolClass(kSchemeHttp, &CScriptedProtocol::kRuntimeClass);
    {
        platform::PollEventLoop loop;
        platform::ScriptedHostServices ui;
        CHTScheduler scheduler(platform::TickCount);
        scheduler.AttachTo(loop);
        CHTHostServices host(ui, scheduler);
        RecordingView view;
        COvalonDoc window(host, &view);
        window.Navigate("http://h/loop");
        EXPECT_TRUE(loop.RunUntil([&] { return window.LoadTask() == nullptr; }, 5000));
        ASSERT_NE(view.shown, nullptr);
        EXPECT_EQ(static_cast<CTextDocument*>(view.shown->document.get())->text, "<p>done");
        EXPECT_FALSE(ui.busy);
        ASSERT_FALSE(ui.statusTexts.empty());
        EXPECT_EQ(ui.statusTexts.back(), "");
        scheduler.Detach();
    }
    Schemes().SetProtocolClass(kSchemeHttp, saved);
}

}  // namespace
}  // namespace corvane::core::testing_support
