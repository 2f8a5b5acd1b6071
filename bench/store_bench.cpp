// Start-up of the browsing stores with 100,000 visited addresses and 20,000 cached copies, against
// a plain line-by-line read of the same two files in the same run (the counter
// "times_plain_read", in CPU time), and the lookups every navigation makes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "core/ht_host_services.h"
#include "core/scheduler.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "store/disk_cache.h"
#include "store/visited_list.h"

namespace fs = std::filesystem;
namespace core = corvane::core;
namespace store = corvane::store;

namespace {

constexpr int kVisited = 100'000;
constexpr int kCopies = 20'000;

std::string Url(int i) {
    return "http://www.example" + std::to_string(i % 97) + ".org/section/" + std::to_string(i) +
           "/page.html";
}

// The profile directory with the stores, made once per run and removed at its end.
struct BenchProfile {
    BenchProfile() {
        directory = (fs::temp_directory_path() / "corvane-store-bench-XXXXXX").string();
        if (mkdtemp(directory.data()) == nullptr) std::abort();
        std::ofstream visited(directory + "/ovalon.url");
        for (int i = 0; i < kVisited; ++i) visited << Url(i) << '=' << 1'700'000'000 + i << '\n';
        fs::create_directory(directory + "/cache");
        std::ofstream index(directory + "/cache/ovalon.dir");
        index << "[Cache Dir]\n";
        for (int i = 0; i < kCopies; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "QV0%04X.cvc", i + 1);
            std::ofstream(directory + "/cache/" + name) << "<p>copy " << i;
            index << Url(i) << '=' << name << ",text/html\n";
        }
    }
    ~BenchProfile() { fs::remove_all(directory); }
    std::string directory;
};

const std::string& Profile() {
    static const BenchProfile profile;
    return profile.directory;
}

// The stores as the program starts them: with an event loop, whose first turn takes the work
// that waits for it (BM_FirstTurn times that).
struct Run {
    Run() : scheduler([] { return 0u; }), host(ui, scheduler), cache(host) { host.SetLoop(&loop); }
    void Start() {
        store::LoadVisited(host, Profile() + "/ovalon.url");
        cache.Open(Profile() + "/cache", Profile());
    }
    void FirstTurn() {
        bool turned = false;
        loop.Post([&turned] { turned = true; });
        loop.RunUntil([&turned] { return turned; }, 60'000);
    }
    corvane::platform::PollEventLoop loop;
    corvane::platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler;
    core::CHTHostServices host;
    store::CDiskCache cache;
};

std::size_t PlainRead() {
    std::size_t bytes = 0;
    for (const char* name : {"/ovalon.url", "/cache/ovalon.dir"}) {
        std::ifstream file(Profile() + name);
        for (std::string line; std::getline(file, line);) bytes += line.size();
    }
    return bytes;
}

// The process's CPU time: on a machine shared with other work it moves less than wall time.
struct CpuClock {
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<CpuClock>;
    static time_point now() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return time_point(duration(static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec));
    }
};

void BM_StartUp(benchmark::State& state) {
    using Clock = CpuClock;
    Clock::duration plain{}, startUp{};
    Profile();  // made before any timing
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(PlainRead());
        const auto t1 = Clock::now();
        auto run = std::make_unique<Run>();
        run->Start();
        const auto t2 = Clock::now();
        state.PauseTiming();
        if (run->cache.Count() != kCopies || run->host.Entries().size() != kVisited) std::abort();
        run.reset();
        state.ResumeTiming();
        plain += t1 - t0;
        startUp += t2 - t1;
    }
    state.counters["times_plain_read"] =
        std::chrono::duration<double>(startUp) / std::chrono::duration<double>(plain);
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(5);

// The two halves of start-up apart, to see which one costs.
void BM_LoadVisited(benchmark::State& state) {
    Profile();
    for (auto _ : state) {
        auto run = std::make_unique<Run>();
        store::LoadVisited(run->host, Profile() + "/ovalon.url");
        state.PauseTiming();
        run.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadVisited)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OpenCache(benchmark::State& state) {
    Profile();
    for (auto _ : state) {
        auto run = std::make_unique<Run>();
        run->cache.Open(Profile() + "/cache", Profile());
        state.PauseTiming();
        run.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenCache)->Unit(benchmark::kMillisecond)->Iterations(5);

// What start-up leaves for the event loop's first turn: the sweep of the cache directory.
void BM_FirstTurn(benchmark::State& state) {
    Profile();
    for (auto _ : state) {
        state.PauseTiming();
        auto run = std::make_unique<Run>();
        run->Start();
        state.ResumeTiming();
        run->FirstTurn();
        state.PauseTiming();
        if (run->cache.Count() != kCopies) std::abort();
        run.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstTurn)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PlainRead(benchmark::State& state) {
    Profile();
    for (auto _ : state) benchmark::DoNotOptimize(PlainRead());
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

// What a navigation asks of the stores: the visit mark with its touch of the copy, and the cache
// lookup of the next address. The size of the stores must not matter.
void BM_NavigationLookups(benchmark::State& state) {
    Run run;
    run.Start();
    std::mt19937 random(7);
    std::vector<core::CHTRequest*> requests;
    for (int i = 0; i < 1000; ++i) {
        core::CHTRequest* request = run.host.GetRequest(Url(static_cast<int>(random() % kCopies)),
                                                        nullptr, core::kMethodShared, nullptr);
        run.cache.Link(*request);
        requests.push_back(request);
    }
    std::size_t next = 0;
    for (auto _ : state) {
        core::CHTRequest& request = *requests[next++ % requests.size()];
        request.MarkSeen();
        benchmark::DoNotOptimize(run.cache.Find(Url(static_cast<int>(next % kCopies))));
    }
}
BENCHMARK(BM_NavigationLookups);

}  // namespace

BENCHMARK_MAIN();
