#include "tests/support/nginx_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

namespace corvane::testing {
namespace {

constexpr char kNginx[] = "/usr/sbin/nginx";
constexpr char kEchoModule[] = "/usr/lib/nginx/modules/ngx_http_echo_module.so";
// 2020-01-02 03:04:05 UTC.
constexpr std::time_t kFixtureTime = 1577934245;

void FixTimes(const std::string& root) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const timespec times[2] = {{kFixtureTime, 0}, {kFixtureTime, 0}};
        utimensat(AT_FDCWD, entry.path().c_str(), times, 0);
    }
}

}  // namespace

NginxServer::NginxServer(std::string serverLines) : serverLines_(std::move(serverLines)) {
    OpenToServers(state_.path());
    OpenToServers(root_.path());
}

NginxServer::~NginxServer() {
    Stop();
}

std::string NginxServer::Url(std::string_view path) const {
    return (tlsLines_.empty() ? "http://127.0.0.1:" : "https://127.0.0.1:") +
           std::to_string(port_) + std::string(path);
}

void NginxServer::UseTls(std::string certificate, std::string key, std::string lines) {
    tlsLines_ = "    ssl_certificate " + certificate + ";\n    ssl_certificate_key " + key +
                ";\n    " + lines + "\n";
}

bool NginxServer::Start() {
    if (access(kNginx, X_OK) != 0) {
        log_ = std::string(kNginx) + " is not installed (package nginx-light)\n";
        return false;
    }
    port_ = FreeLoopbackPort();
    const std::string dir = state_.path();
    std::filesystem::create_directories(dir + "/temp");
    std::string config = "worker_processes 1;\ndaemon off;\nuser root;\npid " + dir +
                         "/nginx.pid;\nerror_log " + dir + "/error.log;\n";
    if (access(kEchoModule, R_OK) == 0) config += "load_module " + std::string(kEchoModule) + ";\n";
    config += "events { worker_connections 64; }\nhttp {\n";
    config += "  access_log " + dir + "/access.log;\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
        config += "  " + std::string(kind) + "_temp_path " + dir + "/temp/" + kind + ";\n";
    }
    config +=
        "  types { text/html html; text/plain txt; image/gif gif; }\n"
        "  default_type application/octet-stream;\n"
        "  if_modified_since before;\n"
        "  server {\n    listen 127.0.0.1:" +
        std::to_string(port_) + (tlsLines_.empty() ? "" : " ssl") + ";\n" + tlsLines_ +
        "    root " + root_.path() + ";\n    error_page 404 /404.html;\n" + serverLines_ +
        "\n  }\n}\n";
    state_.Write("nginx.conf", config);
    FixTimes(root_.path());

    if (process_.Start({kNginx, "-c", state_.File("nginx.conf"), "-e", state_.File("error.log")},
                       state_.File("stderr.log"), port_)) {
        return true;
    }
    log_ = "nginx never listened\n";
    return false;
}

void NginxServer::Stop() {
    process_.Stop();
}

std::string NginxServer::AccessLogWith(std::string_view text, std::size_t count) const {
    std::string log;
    for (int waited = 0; waited < 500; ++waited) {
        log = AccessLog();
        std::size_t found = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++found;
        if (found >= count) break;
        usleep(10'000);
    }
    return log;
}

}  // namespace corvane::testing
