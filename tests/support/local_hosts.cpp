// Preloaded into the real program (LD_PRELOAD) when it is tried against servers on this
// machine: every host name resolves to 127.0.0.1, and every IPv4 connection goes to
// 127.0.0.1, ports 80 and 443 to the ports in QINGHE_LOCAL_HTTP_PORT and
// QINGHE_LOCAL_HTTPS_PORT. IPv6 connections are refused, so nothing leaves the machine.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>

namespace {

in_port_t port_from(const char* variable, in_port_t otherwise) {
    const char* value = std::getenv(variable);
    const long port = value ? std::strtol(value, nullptr, 10) : 0;
    return port > 0 && port < 65536 ? static_cast<in_port_t>(port) : otherwise;
}

template <class Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
                           struct addrinfo** result) {
    using Function = int (*)(const char*, const char*, const struct addrinfo*, struct addrinfo**);
    static const Function next = real<Function>("getaddrinfo");
    struct addrinfo ipv4 = hints ? *hints : addrinfo{};
    ipv4.ai_family = AF_INET;
    return next(node ? "127.0.0.1" : node, service, &ipv4, result);
}

extern "C" int connect(int socket, const struct sockaddr* address, socklen_t length) {
    using Function = int (*)(int, const struct sockaddr*, socklen_t);
    static const Function next = real<Function>("connect");
    if (address && address->sa_family == AF_INET6) {
        errno = ENETUNREACH;
        return -1;
    }
    if (!address || address->sa_family != AF_INET) return next(socket, address, length);
    struct sockaddr_in local = *reinterpret_cast<const struct sockaddr_in*>(address);
    in_port_t port = ntohs(local.sin_port);
    if (port == 80) port = port_from("QINGHE_LOCAL_HTTP_PORT", port);
    if (port == 443) port = port_from("QINGHE_LOCAL_HTTPS_PORT", port);
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return next(socket, reinterpret_cast<const struct sockaddr*>(&local), sizeof local);
}
