#pragma once
// The six hot boards served on 127.0.0.1, each from a server of its own (plain and TLS), so
// that their requests can meet in time: answers by board and path, each request's arrival
// noted, and the connect-to entries that lead every board's host to its server.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/http_server.h"
#include "tests/support/temp_folder.h"

namespace qinghe::test {

class BoardServers {
public:
    using Clock = std::chrono::steady_clock;
    struct Answer {
        int pause_ms = 0;
        std::string response;
    };
    using Answers = std::map<std::string, std::map<std::string, Answer>>;  // board: path: answer
    static constexpr int kPause = 300, kSlow = 1500;  // how long a board, and the slow one, takes to answer

    // The boards as they answer in the writer's path: the same earthquake on five boards,
    // Zhihu refusing, Toutiao slow.
    static Answers six_boards() {
        const auto json = [](const std::string& body) {
            return response("200 OK", body, "Content-Type: application/json\r\n");
        };
        const std::string unauthenticated = R"({"error":{"code":101,"message":"身份未经过验证"}})";
        return {
            {"baidu",
             {{"/buzz?b=1",
               {kPause,
                response("200 OK",
                         "<meta charset=utf-8><a class=\"list-title\">官方通报泸定地震</a>"
                         "<a class=\"list-title\">王一博新剧开播</a><a class=\"list-title\">北京地铁故障</a>")}}}},
            {"weibo",
             {{"/ajax/side/hotSearch",
               {kPause,
                json(
                    R"({"data":{"realtime":[{"word":"泸定地震","num":1200000},{"word":"北京地铁新线开通","num":8765}]}})")}}}},
            {"zhihu",
             {{"/topstory/hot-lists/total?limit=50", {kPause, response("401 Unauthorized", unauthenticated)}},
              {"/api/v3/feed/topstory/hot-lists/total?limit=50&desktop=true",
               {0, response("401 Unauthorized", unauthenticated)}}}},
            {"douyin",
             {{"/web/api/v2/hotsearch/billboard/word/",
               {kPause, json(R"({"word_list":[{"word":"泸定发生6.8级地震"},{"word":"国足vs日本"}]})")}}}},
            {"toutiao",
             {{"/hot-event/hot-board/?origin=toutiao_pc",
               {kSlow, json(R"({"data":[{"Title":"国足vs日本赛后发布会"},{"Title":"泸定地震救援"}]})")}}}},
            {"bilibili",
             {{"/main/hotword?limit=30",
               {kPause, json(R"({"list":[{"keyword":"泸定6.8级地震"},{"keyword":"日本7.1级地震"}]})")}}}},
        };
    }

    // The connect-to entries ("host:port:127.0.0.1:port") that lead each board's hosts to
    // `ports(board)`: its plain and its TLS port.
    static std::vector<std::string> connect_to(const std::function<std::pair<int, int>(const std::string&)>& ports) {
        static const std::map<std::string, std::string> board_of_host = {
            {"top.baidu.com", "baidu"},      {"weibo.com", "weibo"},         {"api.zhihu.com", "zhihu"},
            {"www.zhihu.com", "zhihu"},      {"login.douyin.com", "douyin"}, {"www.douyin.com", "douyin"},
            {"www.iesdouyin.com", "douyin"}, {"www.toutiao.com", "toutiao"}, {"s.search.bilibili.com", "bilibili"}};
        std::vector<std::string> entries;
        for (const auto& [host, board] : board_of_host) {
            const auto [plain, secure] = ports(board);
            entries.push_back(host + ":80:127.0.0.1:" + std::to_string(plain));
            entries.push_back(host + ":443:127.0.0.1:" + std::to_string(secure));
        }
        return entries;
    }

    // Starts a server per board answering `answers` by path (404 for any other path); the
    // connect-to entries that lead to them.
    std::vector<std::string> serve(const Answers& answers) {
        tls_ = make_self_signed_certificate(certificate_folder_.path().string());
        std::map<std::string, std::pair<int, int>> ports;
        for (const char* board : {"baidu", "weibo", "zhihu", "douyin", "toutiao", "bilibili"}) {
            const auto paths = answers.count(board) ? answers.at(board) : std::map<std::string, Answer>{};
            const auto handler = [this, key = std::string(board), paths](const ReceivedRequest& r) {
                {
                    const std::lock_guard lock(arrivals_lock_);
                    arrivals_.emplace_back(key, Clock::now());
                }
                const auto it = paths.find(r.target);
                if (it == paths.end()) return Script{send(response("404 Not Found", "gone"))};
                return Script{pause(it->second.pause_ms), send(it->second.response)};
            };
            servers_.push_back(std::make_unique<ScriptedServer>(handler));
            servers_.push_back(std::make_unique<ScriptedServer>(handler, &tls_));
            ports[board] = {servers_[servers_.size() - 2]->port(), servers_.back()->port()};
        }
        return connect_to([&ports](const std::string& board) { return ports.at(board); });
    }

    // When each board's first request arrived.
    std::map<std::string, Clock::time_point> first_arrivals() {
        const std::lock_guard lock(arrivals_lock_);
        std::map<std::string, Clock::time_point> first;
        for (const auto& [board, at] : arrivals_) first.emplace(board, at);
        return first;
    }
    size_t arrival_count() {
        const std::lock_guard lock(arrivals_lock_);
        return arrivals_.size();
    }

private:
    TempFolder certificate_folder_;
    TlsFiles tls_;
    std::mutex arrivals_lock_;
    std::vector<std::pair<std::string, Clock::time_point>> arrivals_;
    std::vector<std::unique_ptr<ScriptedServer>> servers_;
};

}  // namespace qinghe::test
