#pragma once
// News loads for tests: the news protocols registered, a scratch profile for the settings and
// the group list cache files, and the news services over the load's scripted user interface.

#include <memory>
#include <string>

#include "news/news_protocol.h"
#include "news/news_services.h"
#include "tests/support/protocol_load.h"
#include "tests/support/scratch_directory.h"

namespace corvane::news {

class NewsLoads {
  public:
    NewsLoads() {
        RegisterNewsProtocols();
        Restart();
    }
    ~NewsLoads() { SetNewsServices(nullptr); }
    // As a program started afresh over the same profile: a new loop and load, no servers in
    // memory. Peers of the last loop must be gone.
    void Restart() {
        services.reset();
        load = std::make_unique<testing::ProtocolLoad>();
        services = std::make_unique<NewsServices>(load->ui, ProfileFile(), scratch.path());
        SetNewsServices(services.get());
    }
    std::string ProfileFile() const { return scratch.File("ovalon.ini"); }

    testing::ScratchDirectory scratch;
    std::unique_ptr<testing::ProtocolLoad> load;
    std::unique_ptr<NewsServices> services;
};

}  // namespace corvane::news
