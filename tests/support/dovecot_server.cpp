#include "tests/support/dovecot_server.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/scratch_directory.h"

namespace corvane::testing {
namespace {

// The mail processes run as nobody: the user's tree must be theirs.
void GiveToNobody(const std::string& path) {
    const passwd* nobody = getpwnam("nobody");
    const group* nogroup = getgrnam("nogroup");
    if (nobody == nullptr || nogroup == nullptr) return;
    if (chown(path.c_str(), nobody->pw_uid, nogroup->gr_gid) != 0) return;
    if (!std::filesystem::is_directory(path)) return;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
        if (chown(entry.path().c_str(), nobody->pw_uid, nogroup->gr_gid) != 0) return;
    }
}

}  // namespace

DovecotServer::DovecotServer(std::string directory) : directory_(std::move(directory)) {
    for (const char* sub : {"run", "state", "home"}) mkdir((directory_ + "/" + sub).c_str(), 0755);
}

std::string DovecotServer::Maildir(const std::string& user) const {
    return directory_ + "/home/" + user + "/Maildir";
}

void DovecotServer::AddUser(const std::string& user, const std::string& password) {
    passwords_ += user + ":{PLAIN}" + password + "::::::\n";
    std::filesystem::create_directories(Maildir(user) + "/cur");
    std::filesystem::create_directories(Maildir(user) + "/new");
    std::filesystem::create_directories(Maildir(user) + "/tmp");
    GiveToNobody(directory_ + "/home/" + user);
}

void DovecotServer::AddMessage(const std::string& user, const std::string& name,
                               const std::string& text) {
    const std::string path = Maildir(user) + "/new/" + name;
    WriteFile(path, text);
    GiveToNobody(path);
}

int DovecotServer::MessagesOnServer(const std::string& user) const {
    int count = 0;
    for (const char* sub : {"/new", "/cur"}) {
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(Maildir(user) + sub))
            ++count;
    }
    return count;
}

void DovecotServer::UseTls(const std::string& certificate, const std::string& key) {
    tlsSettings_ = "ssl = yes\nssl_cert = <" + certificate + "\nssl_key = <" + key +
                   "\nssl_min_protocol = TLSv1.2\n";
    tlsPort_ = FreeLoopbackPort();
}

bool DovecotServer::Start() {
    const std::string passwd = directory_ + "/passwd";
    WriteFile(passwd, passwords_);
    if (const group* dovecot = getgrnam("dovecot")) {
        if (chown(passwd.c_str(), 0, dovecot->gr_gid) != 0) return false;
    }
    chmod(passwd.c_str(), 0640);
    const std::string config = directory_ + "/dovecot.conf";
    const std::uint16_t port = FreeLoopbackPort();
    WriteFile(config,
              "protocols = pop3\n"
              "listen = 127.0.0.1\n"
              "base_dir = " +
                  directory_ +
                  "/run\n"
                  "state_dir = " +
                  directory_ +
                  "/state\n"
                  "log_path = " +
                  directory_ + "/dovecot.log\n" + tlsSettings_ +
                  "disable_plaintext_auth = no\n"
                  "auth_mechanisms = plain\n"
                  "auth_failure_delay = 0\n"
                  "passdb {\n  driver = passwd-file\n  args = " +
                  passwd +
                  "\n}\n"
                  "userdb {\n  driver = static\n  args = uid=nobody gid=nogroup home=" +
                  directory_ +
                  "/home/%u\n}\n"
                  "mail_location = maildir:~/Maildir\n"
                  "pop3_uidl_format = %08Xu%08Xv\n"
                  "service pop3-login {\n"
                  "  inet_listener pop3 {\n    address = 127.0.0.1\n    port = " +
                  std::to_string(port) +
                  "\n  }\n"
                  "  inet_listener pop3s {\n    address = 127.0.0.1\n    port = " +
                  std::to_string(tlsPort_) +
                  "\n  }\n}\n"
                  "service anvil {\n  unix_listener anvil-auth-penalty {\n    mode = 0\n  }\n}\n");
    return OpenToServers(directory_) && server_.Start({"/usr/sbin/dovecot", "-F", "-c", config},
                                                      directory_ + "/stderr.log", port);
}

std::string DovecotServer::Log() const {
    return ReadFile(directory_ + "/stderr.log") + ReadFile(directory_ + "/dovecot.log");
}

}  // namespace corvane::testing
