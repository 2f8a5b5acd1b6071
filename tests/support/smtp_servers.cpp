#include "tests/support/smtp_servers.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/support/scratch_directory.h"
#include "tests/support/test_authority.h"

namespace corvane::testing {
namespace {

constexpr const char* kRecorder = R"(import asyncio, sys
from aiosmtpd.smtp import SMTP
port, out = int(sys.argv[1]), sys.argv[2]
count = 0
class Recorder:
    async def handle_RCPT(self, server, session, envelope, address, options):
        local = address.split('@')[0]
        if local == 'reject':
            return '550 5.1.1 no such user'
        if local == 'later':
            return '451 4.3.0 try again later'
        envelope.rcpt_tos.append(address)
        return '250 OK'
    async def handle_DATA(self, server, session, envelope):
        global count
        count += 1
        with open('%s/%d.data' % (out, count), 'wb') as f:
            f.write(envelope.original_content)
        with open('%s/%d.envelope' % (out, count), 'w') as f:
            f.write('HELO %s\nMAIL %s\n' % (session.host_name, envelope.mail_from))
            f.write(''.join('RCPT %s\n' % r for r in envelope.rcpt_tos))
        return '250 Message accepted'
async def main():
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Recorder()), '127.0.0.1', port)
    async with server:
        await server.serve_forever()
asyncio.run(main())
)";

}  // namespace

RecordingSmtpServer::RecordingSmtpServer(std::string directory)
    : directory_(std::move(directory)) {}

bool RecordingSmtpServer::Start() {
    WriteFile(directory_ + "/recorder.py", kRecorder);
    return server_.Start({"/usr/bin/python3", directory_ + "/recorder.py", "{port}", directory_},
                         directory_ + "/stderr.log");
}

std::string RecordingSmtpServer::Log() const {
    return ReadFile(directory_ + "/stderr.log");
}

std::string RecordingSmtpServer::Envelope(int n) const {
    return ReadFile(directory_ + "/" + std::to_string(n) + ".envelope");
}

std::string RecordingSmtpServer::Data(int n) const {
    return ReadFile(directory_ + "/" + std::to_string(n) + ".data");
}

EximServer::EximServer(std::string directory) : directory_(std::move(directory)) {}

bool EximServer::Start() {
    // exim gives up root for a configuration of its own: its directories and the certificate
    // must be Debian-exim's.
    const passwd* exim = getpwnam("Debian-exim");
    if (exim == nullptr) return false;
    const TestAuthority::Files& tls = TestAuthority::Trusted().Server(TestAuthority::Kind::kValid);
    std::filesystem::copy_file(tls.certificate, directory_ + "/cert.pem");
    std::filesystem::copy_file(tls.key, directory_ + "/key.pem");
    for (const char* sub : {"spool", "log", "Maildir"})
        mkdir((directory_ + "/" + sub).c_str(), 0755);
    for (const char* name : {"spool", "log", "Maildir", "cert.pem", "key.pem"}) {
        if (chown((directory_ + "/" + name).c_str(), exim->pw_uid, exim->pw_gid) != 0) return false;
    }
    const std::string& d = directory_;
    WriteFile(
        d + "/exim.conf",
        "primary_hostname = corvane.test\n"
        "exim_user = Debian-exim\nexim_group = Debian-exim\nnever_users =\n"
        "keep_environment =\n"
        "spool_directory = " +
            d +
            "/spool\n"
            "log_file_path = " +
            d +
            "/log/%slog\n"
            "local_interfaces = 127.0.0.1\n"
            "host_lookup =\n"
            "tls_advertise_hosts = *\n"
            "tls_certificate = " +
            d +
            "/cert.pem\n"
            "tls_privatekey = " +
            d +
            "/key.pem\n"
            "acl_smtp_rcpt = check_rcpt\n"
            "begin acl\n"
            "check_rcpt:\n  deny local_parts = reject\n       message = no such user\n  accept\n"
            "begin routers\n"
            "everyone:\n  driver = accept\n  transport = to_maildir\n"
            "begin transports\n"
            "to_maildir:\n  driver = appendfile\n  directory = " +
            d +
            "/Maildir\n"
            "  maildir_format\n  user = Debian-exim\n  group = Debian-exim\n  mode = 0644\n"
            "  envelope_to_add\n  return_path_add\n"
            "begin retry\n* * F,1m,1m\n");
    return OpenToServers(directory_) && server_.Start({"/usr/sbin/exim4", "-bdf", "-odi", "-oX",
                                                       "{port}", "-C", d + "/exim.conf"},
                                                      d + "/stderr.log");
}

std::string EximServer::Log() const {
    return ReadFile(directory_ + "/stderr.log") + ReadFile(directory_ + "/log/mainlog") +
           ReadFile(directory_ + "/log/paniclog");
}

std::vector<std::string> EximServer::Delivered(std::size_t count) const {
    std::vector<std::string> files;
    for (int tries = 0; tries < 100; ++tries) {
        files.clear();
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(directory_ + "/Maildir/new", error))
            files.push_back(ReadFile(entry.path()));
        if (files.size() >= count) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace corvane::testing
