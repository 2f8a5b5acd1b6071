#include "tests/support/inn_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNewsBin = "/usr/lib/news/bin/";
// "secret" in the MD5 crypt form ckpasswd reads.
constexpr const char* kPasswordHash = "$1$abcdefgh$cHJi5PXp/ki/ktXzqlk6I1";

// Runs a program to its end; true when it exited with 0.
bool RunToEnd(const std::vector<std::string>& argv, const std::string& logPath) {
    std::vector<char*> pointers;
    for (const std::string& argument : argv)
        pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        FILE* log = fopen(logPath.c_str(), "a");
        if (log != nullptr) {
            dup2(fileno(log), 1);
            dup2(fileno(log), 2);
        }
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A blocking line-by-line NNTP talk with innd, for feeding fixtures.
class FeedConnection {
  public:
    explicit FeedConnection(std::uint16_t port) {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~FeedConnection() {
        if (fd_ >= 0) close(fd_);
    }
    bool Send(const std::string& text) {
        return fd_ >= 0 && send(fd_, text.data(), text.size(), MSG_NOSIGNAL) ==
                               static_cast<ssize_t>(text.size());
    }
    std::string ReadLine() {
        std::string line;
        char c = 0;
        while (fd_ >= 0 && recv(fd_, &c, 1, 0) == 1 && c != '\n') line += c;
        return line;
    }

  private:
    int fd_ = -1;
};

}  // namespace

InnServer::~InnServer() {
    authReader_.Stop();
    reader_.Stop();
    innd_.Stop();
}

std::vector<std::string> InnServer::AsNews(std::vector<std::string> command) const {
    std::vector<std::string> argv = {"/usr/bin/env", "INNCONF=" + conf_, "/usr/bin/setpriv",
                                     "--reuid=news", "--regid=news",     "--clear-groups"};
    argv.insert(argv.end(), command.begin(), command.end());
    return argv;
}

bool InnServer::Configure(const std::vector<InnGroup>& groups) {
    const std::string root = scratch_.path();
    if (!OpenToServers(root)) return false;
    std::error_code error;
    fs::copy("/etc/news", root + "/etc", fs::copy_options::recursive, error);
    if (error) return false;
    for (const char* directory :
         {"db", "spool", "spool/articles", "spool/overview", "spool/incoming", "spool/incoming/tmp",
          "spool/outgoing", "spool/archive", "log", "run", "http"})
        fs::create_directories(root + "/" + directory);
    innPort_ = FreeLoopbackPort();
    // The installed settings, with every path and the network keys pointing here.
    std::ifstream installed("/etc/news/inn.conf");
    std::ostringstream conf;
    for (std::string line; std::getline(installed, line);) {
        const std::string key = line.substr(0, line.find(':'));
        if (key.starts_with("path") || key == "port" || key == "bindaddress" ||
            key == "artcutoff" || key == "pgpverify" || key == "doinnwatch" || key == "status" ||
            key == "timer" || key == "domain" || key == "pathhost" || key == "nnrpdloadlimit")
            continue;
        conf << line << "\n";
    }
    const std::string spool = root + "/spool";
    conf << "pathnews: /usr/lib/news\npathbin: /usr/lib/news/bin\n"
         << "pathcontrol: /usr/lib/news/bin/control\npathfilter: " << root << "/etc/filter\n"
         << "pathetc: " << root << "/etc\npathdb: " << root << "/db\npathlog: " << root
         << "/log\npathrun: " << root << "/run\npathhttp: " << root << "/http\npathspool: " << spool
         << "\npatharticles: " << spool << "/articles\npathoverview: " << spool
         << "/overview\npathincoming: " << spool << "/incoming\npathtmp: " << spool
         << "/incoming/tmp\npathoutgoing: " << spool << "/outgoing\npatharchive: " << spool
         << "/archive\nport: " << innPort_
         << "\nbindaddress: 127.0.0.1\nartcutoff: 0\npgpverify: false\ndoinnwatch: false\n"
            "status: 0\ntimer: 0\ndomain: localdomain\npathhost: test.localdomain\n"
            // A busy build machine must not make the readers answer "400 load at ..., try later".
            "nnrpdloadlimit: 0\n";
    if (!certificate_.empty()) {
        // Copied in, so that they become the news user's; nnrpd wants the key private.
        fs::copy_file(certificate_, root + "/etc/cert.pem");
        fs::copy_file(key_, root + "/etc/key.pem");
        chmod((root + "/etc/key.pem").c_str(), 0600);
        conf << "tlscertfile: " << root << "/etc/cert.pem\ntlskeyfile: " << root
             << "/etc/key.pem\n";
    }
    conf_ = root + "/etc/inn.conf";
    WriteFile(conf_, conf.str());
    WriteFile(root + "/etc/newsfeeds", "ME:!*/!local::\n");
    std::string active =
        "control 0000000000 0000000001 n\ncontrol.cancel 0000000000 0000000001 n\n"
        "junk 0000000000 0000000001 n\n";
    std::string descriptions;
    for (const InnGroup& group : groups) {
        active += group.name + " 0000000000 0000000001 y\n";
        descriptions += group.name + "\t" + group.description + "\n";
    }
    WriteFile(root + "/db/active", active);
    WriteFile(root + "/db/newsgroups", descriptions);
    WriteFile(root + "/db/active.times", "");
    WriteFile(root + "/db/history", "");
    WriteFile(root + "/etc/readers.conf",
              "auth \"all\" {\n  hosts: \"*\"\n  default: \"<all>\"\n}\n"
              "access \"all\" {\n  users: \"<all>\"\n  newsgroups: \"*\"\n  access: RPA\n}\n");
    WriteFile(root + "/etc/passwd.readers", std::string(kUser) + ":" + kPasswordHash + "\n");
    WriteFile(root + "/etc/readers-auth.conf", "auth \"users\" {\n  auth: \"ckpasswd -f " + root +
                                                   "/etc/passwd.readers\"\n}\n"
                                                   "access \"users\" {\n  users: \"" +
                                                   kUser +
                                                   "\"\n  newsgroups: \"*\"\n"
                                                   "  access: RPA\n}\n");
    const passwd* news = getpwnam("news");
    if (news == nullptr) return false;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (lchown(entry.path().c_str(), news->pw_uid, news->pw_gid) != 0) return false;
    return RunToEnd(
        AsNews({std::string(kNewsBin) + "makedbz", "-i", "-o", "-f", root + "/db/history"}),
        root + "/setup.log");
}

void InnServer::UseTls(const std::string& certificate, const std::string& key) {
    certificate_ = certificate;
    key_ = key;
}

bool InnServer::Start(const std::vector<InnGroup>& groups) {
    if (!Configure(groups)) return false;
    const std::string root = scratch_.path();
    if (!innd_.Start(AsNews({std::string(kNewsBin) + "innd", "-f", "-c", "0"}), root + "/innd.log",
                     innPort_))
        return false;
    const std::string nnrpd = std::string(kNewsBin) + "nnrpd";
    return reader_.Start(AsNews({nnrpd, "-D", "-f", "-n", "-b", "127.0.0.1", "-p", "{port}"}),
                         root + "/reader.log") &&
           authReader_.Start(AsNews({nnrpd, "-D", "-f", "-n", "-b", "127.0.0.1", "-p", "{port}",
                                     "-c", root + "/etc/readers-auth.conf"}),
                             root + "/auth-reader.log") &&
           (certificate_.empty() || tlsReader_.Start(AsNews({nnrpd, "-D", "-f", "-n", "-S", "-b",
                                                             "127.0.0.1", "-p", "{port}"}),
                                                     root + "/tls-reader.log"));
}

bool InnServer::Feed(const std::string& messageId, const std::string& article) {
    FeedConnection feed(innPort_);
    if (!feed.ReadLine().starts_with("200")) return false;
    if (!feed.Send("IHAVE " + messageId + "\r\n") || !feed.ReadLine().starts_with("335"))
        return false;
    std::string wire;
    std::istringstream lines(article);
    for (std::string line; std::getline(lines, line);) {
        if (line.ends_with('\r')) line.pop_back();
        if (line.starts_with('.')) line.insert(0, ".");
        wire += line + "\r\n";
    }
    wire += ".\r\n";
    const bool taken = feed.Send(wire) && feed.ReadLine().starts_with("235");
    feed.Send("QUIT\r\n");
    return taken;
}

std::string InnServer::Log() const {
    std::string log;
    for (const char* name : {"setup.log", "innd.log", "reader.log", "auth-reader.log",
                             "tls-reader.log", "log/news.err", "log/errlog", "log/news.notice"})
        log += std::string("== ") + name + "\n" + ReadFile(scratch_.File(name));
    return log;
}

}  // namespace corvane::testing
