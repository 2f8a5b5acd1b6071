// Start-up of the browsing stores with 100,000 visited addresses and 20,000 cached copies, against
// a plain line-by-line read of the same two files in the same run (the counter
// "times_plain_read", in CPU time), and the lookups every navigation makes.
//
// The program starts the stores once, in a fresh process whose memory has never been touched,
// and on a virtual machine the first touch of fresh memory is much of the work; so BM_StartUp
// times each round in a new process of this program (--start-up-once), where the later
// benchmarks, whose rounds reuse the memory of earlier ones, show the warm cost.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
        index.close();
        visited.close();
        // A user's stores were written long before the program starts: the rounds must not
        // share the machine with the write-back of 20,000 new files.
        sync();
    }
    ~BenchProfile() { fs::remove_all(directory); }
    std::string directory;
};

// A round's process is given the directory its parent made.
std::string gGivenProfile;

const std::string& Profile() {
    if (!gGivenProfile.empty()) return gGivenProfile;
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

// One round in this process: the plain read, then the stores' start, in CPU nanoseconds.
int StartUpOnce() {
    const auto t0 = CpuClock::now();
    benchmark::DoNotOptimize(PlainRead());
    const auto t1 = CpuClock::now();
    Run run;
    run.Start();
    const auto t2 = CpuClock::now();
    if (run.cache.Count() != kCopies || run.host.Entries().size() != kVisited) return 1;
    std::printf("%lld %lld\n", static_cast<long long>((t1 - t0).count()),
                static_cast<long long>((t2 - t1).count()));
    return 0;
}

// Runs StartUpOnce in a new process of this program and reads its two times.
std::pair<CpuClock::duration, CpuClock::duration> StartUpInNewProcess() {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::string program = "/proc/self/exe", flag = "--start-up-once", directory = Profile();
    char* argv[] = {program.data(), flag.data(), directory.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    char answer[64] = {};
    std::size_t got = 0;
    for (ssize_t n; got + 1 < sizeof answer &&
                    (n = read(pipeEnds[0], answer + got, sizeof answer - 1 - got)) > 0;)
        got += static_cast<std::size_t>(n);
    close(pipeEnds[0]);
    int status = 0;
    long long plain = 0, startUp = 0;
    if (waitpid(pid, &status, 0) != pid || status != 0 ||
        std::sscanf(answer, "%lld %lld", &plain, &startUp) != 2)
        std::abort();
    return {CpuClock::duration(plain), CpuClock::duration(startUp)};
}

void BM_StartUp(benchmark::State& state) {
    std::vector<double> ratios;
    Profile();  // made before any timing
    for (auto _ : state) {
        state.PauseTiming();
        const auto [plain, startUp] = StartUpInNewProcess();
        state.ResumeTiming();
        state.SetIterationTime(std::chrono::duration<double>(plain + startUp).count());
        ratios.push_back(std::chrono::duration<double>(startUp) /
                         std::chrono::duration<double>(plain));
    }
    // The median round: now and then a round waits for the machine (a fresh huge page from the
    // host), and the worst round says how long.
    std::sort(ratios.begin(), ratios.end());
    state.counters["times_plain_read"] = ratios[ratios.size() / 2];
    state.counters["worst_round"] = ratios.back();
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

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

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--start-up-once") {
        gGivenProfile = argv[2];
        return StartUpOnce();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
