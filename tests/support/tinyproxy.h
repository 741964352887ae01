#pragma once
// tinyproxy from Debian as a real proxy on a loopback port, for the life of the object.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "tests/support/http_server.h"

namespace qinghe::test {

class Tinyproxy {
public:
    // With a user, the proxy asks for Basic authentication.
    Tinyproxy(const std::string& folder, const std::string& user = "", const std::string& password = "") {
        port_ = free_port();
        const std::string config = folder + "/tinyproxy.conf";
        std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                              << "Allow 127.0.0.1\nDisableViaHeader Yes\nLogLevel Critical\n"
                              << (user.empty() ? "" : "BasicAuth " + user + " " + password + "\n");
        pid_ = fork();
        if (pid_ == 0) {
            execlp("tinyproxy", "tinyproxy", "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && !accepting(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!accepting()) throw std::runtime_error("tinyproxy did not start");
    }
    ~Tinyproxy() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    Tinyproxy(const Tinyproxy&) = delete;
    Tinyproxy& operator=(const Tinyproxy&) = delete;

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    bool accepting() const;

    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace qinghe::test
