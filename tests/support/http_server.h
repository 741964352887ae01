#pragma once
// A scripted HTTP server on 127.0.0.1 (a port the kernel picks), optionally over TLS,
// for the web tests. Each connection carries one request; the handler turns it into a
// script of raw bytes to send, pauses and an early close.
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qinghe::test {

struct ReceivedRequest {
    std::string method, target;
    std::string head;  // request line and header lines, as received
    std::string body;
    // The value of a header (case-insensitive name), or "" when absent.
    std::string header(const std::string& name) const;
};

struct Step {
    enum Kind { Send, Pause, Close } kind = Send;
    std::string bytes;     // Send
    int milliseconds = 0;  // Pause
};
using Script = std::vector<Step>;

inline Step send(std::string bytes) { return {Step::Send, std::move(bytes), 0}; }
inline Step pause(int milliseconds) { return {Step::Pause, {}, milliseconds}; }
inline Step close_now() { return {Step::Close, {}, 0}; }
// A whole response: status line, headers, Content-Length and body.
std::string response(const std::string& status, const std::string& body, const std::string& headers = "");

struct TlsFiles {
    std::string certificate, key;
};

class ScriptedServer {
public:
    using Handler = std::function<Script(const ReceivedRequest&)>;
    // Without `read_bodies` the server reads only the request's head and leaves its body
    // unread, like a server that stalls an upload.
    explicit ScriptedServer(Handler handler, const TlsFiles* tls = nullptr, bool read_bodies = true);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path = "/") const;
    std::vector<ReceivedRequest> requests() const;

private:
    void run();
    void serve(int fd);

    Handler handler_;
    void* tls_context_ = nullptr;
    bool read_bodies_ = true;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<ReceivedRequest> requests_;
    std::thread thread_;
};

// A free loopback port at the moment of asking.
int free_port();

// A self-signed certificate for the name "wrong.example", made with openssl in `folder`.
TlsFiles make_self_signed_certificate(const std::string& folder);

}  // namespace qinghe::test
