// Throughput of the TCP transport on loopback: the line reader over 100 MB of 80-byte lines and
// body mode over 1 GB, each next to its floor, a plain recv loop over the same stream into a
// buffer of the line area's size. A writer thread serves the stream; the reader runs on the
// program's event loop as it would in the window.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "core/ht_host_services.h"
#include "core/scheduler.h"
#include "core/status.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "protocols/tcp_protocol.h"

namespace core = corvane::core;
namespace platform = corvane::platform;
using corvane::protocols::CHTTCP;

namespace {

constexpr std::size_t kLineBytes = 100u << 20;
constexpr std::size_t kBodyBytes = 1u << 30;

// A status bar nobody looks at: the reporter still formats its text for every read.
class QuietUi : public platform::ScriptedHostServices {
  public:
    void SetStatusText(std::string_view) override {}
    void SetProgress(int) override {}
};

// Serves `total` bytes of 80-byte lines to the first client, then closes.
class Writer {
  public:
    explicit Writer(std::size_t total) {
        listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listen_, reinterpret_cast<sockaddr*>(&address), length);
        listen(listen_, 1);
        getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        thread_ = std::thread([this, total] {
            std::string chunk;
            while (chunk.size() + 80 <= 65536) {
                chunk += std::string(78, 'a' + chunk.size() / 80 % 26) + "\r\n";
            }
            const int fd = accept(listen_, nullptr, nullptr);
            for (std::size_t sent = 0; sent < total;) {
                const std::size_t size = std::min(chunk.size(), total - sent);
                const ssize_t wrote = send(fd, chunk.data(), size, MSG_NOSIGNAL);
                if (wrote <= 0) break;
                sent += static_cast<std::size_t>(wrote);
            }
            close(fd);
        });
    }
    ~Writer() {
        thread_.join();
        close(listen_);
    }
    std::uint16_t port = 0;

  private:
    int listen_ = -1;
    std::thread thread_;
};

std::size_t PlainRecvLoop(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    char buffer[CHTTCP::kLineCapacity];
    std::size_t total = 0;
    for (ssize_t got; (got = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        total += static_cast<std::size_t>(got);
    }
    close(fd);
    return total;
}

// Counts lines in line mode, or pulls the body when `body` is set.
class Reader : public CHTTCP {
  public:
    bool body = false;
    std::size_t lines = 0;
    std::size_t bytes = 0;
    bool ended = false;
    bool started = false;

    void StartDialogue(int error) override {
        CHTTCP::StartDialogue(error);
        if (body) {
            started = true;
            StartData();
        } else {
            SetReplyHandler(&Reader::OnLine);
        }
    }
    bool ChooseConvertor(std::string_view) override { return true; }
    // Everything that has arrived; true at the end of the data.
    bool Drain() {
        if (!started) return false;
        std::int32_t length = 0;
        while (GetBlock(length = 0) != nullptr) bytes += static_cast<std::size_t>(length);
        return error != core::kNeedMoreData;
    }

  private:
    void OnLine(int result) {
        if (result > 0) {
            ++lines;
            bytes += Line().size() + 2;
        } else {
            ended = true;
        }
    }
};

struct Session {
    platform::PollEventLoop loop;
    QuietUi ui;
    core::CHTScheduler scheduler{[] { return platform::TickCount(); }};
    core::CHTHostServices host{ui, scheduler};
    core::CHTRequest* request = nullptr;
    Reader* reader = nullptr;

    explicit Session(bool body) {
        host.SetLoop(&loop);
        request = host.GetRequest("http://bench/", nullptr, core::kMethodFormQuery, nullptr);
        auto made = std::make_unique<Reader>();
        made->body = body;
        made->Attach(request, false, false);
        reader = made.get();
        request->protocol = std::move(made);
    }
    ~Session() {
        request->Stop();
        scheduler.DeleteRetired();
    }
    std::size_t Run(std::uint16_t port) {
        (void)reader->Connect("127.0.0.1:" + std::to_string(port), "http", 80);
        if (reader->body) {
            loop.RunUntil([&] { return reader->Drain(); }, 600000);
        } else {
            loop.RunUntil([&] { return reader->ended; }, 600000);
        }
        return reader->bytes;
    }
};

void Measure(benchmark::State& state, std::size_t total, bool floor, bool body) {
    for (auto _ : state) {
        Writer writer(total);
        std::size_t got = 0;
        if (floor) {
            got = PlainRecvLoop(writer.port);
        } else {
            Session session(body);
            got = session.Run(writer.port);
        }
        if (got != total) state.SkipWithError("short read");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * total));
}

void BM_LinesPlainRecv(benchmark::State& state) {
    Measure(state, kLineBytes, true, false);
}
void BM_LineReader(benchmark::State& state) {
    Measure(state, kLineBytes, false, false);
}
void BM_BodyPlainRecv(benchmark::State& state) {
    Measure(state, kBodyBytes, true, true);
}
void BM_BodyMode(benchmark::State& state) {
    Measure(state, kBodyBytes, false, true);
}

BENCHMARK(BM_LinesPlainRecv)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_LineReader)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_BodyPlainRecv)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_BodyMode)->Unit(benchmark::kMillisecond)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
