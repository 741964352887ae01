#include "web/request_failure.h"

#include "text/codec.h"

namespace qinghe {

Text message_of(Failure failure) {
    switch (failure) {
        case Failure::NoService: return from_utf8("700 当前系统不支持WinHttp服务!");
        case Failure::BadUrl: return from_utf8("701 解析URL地址失败!");
        case Failure::Session: return from_utf8("702 创建WinHttp会话失败!");
        case Failure::Timeouts: return from_utf8("705 设置超时时间失败!");
        case Failure::Connection: return from_utf8("703 创建WinHttp连接失败!");
        case Failure::Request: return from_utf8("704 创建WinHttp请求失败!");
        case Failure::Credentials: return from_utf8("707 设置代理凭证失败!");
        case Failure::Certificate: return from_utf8("忽略错误/证书错误  失败！");
        case Failure::Redirects: return from_utf8("709 重定向设置失败!");
        case Failure::Headers: return from_utf8("710 设置协议头失败!");
        case Failure::Send: return from_utf8("711 发送请求失败!");
        case Failure::NoResponse: return from_utf8("712 服务器未响应!");
        case Failure::Read: return from_utf8("713 读取数据失败!");
        case Failure::Cancelled: return from_utf8("714 已取消");
    }
    return {};
}

}  // namespace qinghe
