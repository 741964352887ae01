#include "tests/support/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace qinghe::test {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// One connection, plain or TLS.
class Connection {
public:
    Connection(int fd, SSL_CTX* tls) : fd_(fd) {
        if (!tls) return;
        ssl_ = SSL_new(tls);
        SSL_set_fd(ssl_, fd);
        if (SSL_accept(ssl_) != 1) ok_ = false;
    }
    ~Connection() {
        if (ssl_) {
            SSL_shutdown(ssl_);
            SSL_free(ssl_);
        }
        ::close(fd_);
    }
    bool ok() const { return ok_; }
    // Waits up to `ms` for data; returns bytes read, 0 at the end, -1 on error or time-out.
    int read(char* buffer, int size, int ms) {
        if (!ssl_ || SSL_pending(ssl_) == 0) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, ms) <= 0) return -1;
        }
        return ssl_ ? SSL_read(ssl_, buffer, size)
                    : static_cast<int>(::recv(fd_, buffer, static_cast<size_t>(size), 0));
    }
    bool write(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const int n = ssl_ ? SSL_write(ssl_, bytes.data() + done, static_cast<int>(bytes.size() - done))
                               : static_cast<int>(::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL));
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

private:
    int fd_;
    SSL* ssl_ = nullptr;
    bool ok_ = true;
};

bool read_request(Connection& connection, ReceivedRequest& request, bool read_body) {
    std::string data;
    char buffer[65536];
    size_t head_end;
    while ((head_end = data.find("\r\n\r\n")) == std::string::npos) {
        const int n = connection.read(buffer, sizeof buffer, 5000);
        if (n <= 0) return false;
        data.append(buffer, static_cast<size_t>(n));
    }
    request.head = data.substr(0, head_end + 2);
    const size_t first_space = request.head.find(' ');
    const size_t second_space = request.head.find(' ', first_space + 1);
    request.method = request.head.substr(0, first_space);
    request.target = request.head.substr(first_space + 1, second_space - first_space - 1);
    const size_t length = static_cast<size_t>(std::atol(request.header("Content-Length").c_str()));
    request.body = data.substr(head_end + 4);
    while (read_body && request.body.size() < length) {
        const int n = connection.read(buffer, sizeof buffer, 5000);
        if (n <= 0) return false;
        request.body.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

std::string ReceivedRequest::header(const std::string& name) const {
    const std::string wanted = "\r\n" + lower(name) + ":";
    const std::string all = lower(head);
    const size_t at = all.find(wanted);
    if (at == std::string::npos) return {};
    const size_t begin = head.find_first_not_of(' ', at + wanted.size());
    return head.substr(begin, head.find("\r\n", begin) - begin);
}

std::string response(const std::string& status, const std::string& body, const std::string& headers) {
    return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

ScriptedServer::ScriptedServer(Handler handler, const TlsFiles* tls, bool read_bodies)
        : handler_(std::move(handler)), read_bodies_(read_bodies) {
    // A client that goes away mid-response must not end the test process.
    std::signal(SIGPIPE, SIG_IGN);
    if (tls) {
        SSL_CTX* context = SSL_CTX_new(TLS_server_method());
        if (!context || SSL_CTX_use_certificate_file(context, tls->certificate.c_str(), SSL_FILETYPE_PEM) != 1 ||
            SSL_CTX_use_PrivateKey_file(context, tls->key.c_str(), SSL_FILETYPE_PEM) != 1) {
            throw std::runtime_error("TLS set-up failed");
        }
        tls_context_ = context;
    }
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

ScriptedServer::~ScriptedServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
    if (tls_context_) SSL_CTX_free(static_cast<SSL_CTX*>(tls_context_));
}

std::string ScriptedServer::url(const std::string& path) const {
    return std::string(tls_context_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<ReceivedRequest> ScriptedServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void ScriptedServer::run() {
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) serve(fd);
    }
}

void ScriptedServer::serve(int fd) {
    Connection connection(fd, static_cast<SSL_CTX*>(tls_context_));
    ReceivedRequest request;
    if (!connection.ok() || !read_request(connection, request, read_bodies_)) return;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    for (const Step& step : handler_(request)) {
        if (step.kind == Step::Close) return;
        if (step.kind == Step::Send && !connection.write(step.bytes)) return;
        if (step.kind == Step::Pause) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(step.milliseconds);
            while (!stopping_ && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    // Let the client read everything before the connection goes.
    ::shutdown(fd, SHUT_WR);
    char sink[4096];
    while (connection.read(sink, sizeof sink, 200) > 0) {}
}

int free_port() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

TlsFiles make_self_signed_certificate(const std::string& folder) {
    TlsFiles files{folder + "/certificate.pem", folder + "/key.pem"};
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=wrong.example -keyout '" +
                                files.key + "' -out '" + files.certificate + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl could not make a certificate");
    return files;
}

}  // namespace qinghe::test

#include "tests/support/tinyproxy.h"

namespace qinghe::test {

bool Tinyproxy::accepting() const {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace qinghe::test
