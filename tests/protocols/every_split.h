#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/poll_event_loop.h"
#include "tests/support/scripted_peer.h"

namespace corvane::protocols {

// Runs `check` once for every split point of the peer's longest answer, and once with one byte
// per packet. `check` makes a fresh peer and hands it to the function it is given, which plays
// `script` on it and sets the split.
inline void AtEverySplit(
    const std::function<void(testing::ScriptedPeer&)>& script,
    const std::function<void(const std::function<void(testing::ScriptedPeer&)>&)>& check) {
    std::size_t longest = 0;
    {
        platform::PollEventLoop loop;
        testing::ScriptedPeer probe(loop);
        script(probe);
        longest = probe.LongestSend();
    }
    for (std::size_t at = 0; at <= longest + 1; ++at) {
        SCOPED_TRACE(at <= longest ? "split at " + std::to_string(at) : "one byte per packet");
        check([&](testing::ScriptedPeer& peer) {
            script(peer);
            if (at <= longest) {
                peer.SplitAt(at);
            } else {
                peer.OnePacketPerByte();
            }
        });
    }
}

}  // namespace corvane::protocols
