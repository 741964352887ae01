// The six boards answering on this machine, for trying the real program's window 热点榜
// under Xvfb and for its screenshot (scripts/screenshot.sh --hot-board):
//   hot_board_server SETTINGS_FOLDER
// records two earlier fetches of each board in the folder's history (three hours and 35
// minutes ago, in other orders) and keeps three-hour-old titles of Zhihu's, then answers
// every board's host on 127.0.0.1, Zhihu refusing, until its standard input closes. It
// prints "PLAIN_PORT TLS_PORT" once the servers listen; tests/support/local_hosts.cpp
// connects the program's requests there.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "history/history.h"
#include "hot/topic_cache.h"
#include "hot/topic_merge.h"
#include "tests/support/http_server.h"
#include "tests/support/temp_folder.h"
#include "text/codec.h"

namespace qinghe {
namespace {

using namespace qinghe::test;
using std::chrono::system_clock;

struct Title {
    const char* text;
    long heat;
};

// What each board shows now, in rank order.
const std::map<std::string, std::vector<Title>>& boards_now() {
    static const std::map<std::string, std::vector<Title>> boards = {
        {"baidu",
         {{"神舟二十三号发射成功", 7808267},
          {"春节档电影票房破80亿", 7691122},
          {"多地迎来今年首场降雪", 7420315},
          {"国产大飞机开启新航线", 7102284},
          {"新能源车下乡活动启动", 6893120},
          {"高校毕业生就业新政发布", 6551902},
          {"博物馆夜场一票难求", 6230117},
          {"冬季养生这样吃", 5987410}}},
        {"weibo",
         {{"神舟二十三号发射成功", 2918733},
          {"春节档票房破80亿", 1735201},
          {"演唱会门票秒空", 1203344},
          {"多地迎来首场降雪", 988120},
          {"冰雪大世界开园", 877102},
          {"年轻人开始攒钱了", 654378},
          {"猫咪学会开门", 432109}}},
        {"douyin",
         {{"神舟二十三号成功发射", 11234567},
          {"冰雪大世界开园", 9876543},
          {"家乡年味大赏", 8765432},
          {"春节档电影票房破80亿", 7654321},
          {"一分钟学会包饺子", 6543210}}},
        {"toutiao",
         {{"神舟二十三号载人飞船发射成功", 32104567},
          {"国产大飞机开启新航线", 21003456},
          {"新能源车下乡活动启动", 12345678},
          {"多地迎来今年首场降雪", 9988776},
          {"高校毕业生就业新政发布", 8877665}}},
        {"bilibili",
         {{"神舟二十三号发射", 1502},
          {"年度动画盘点", 1390},
          {"一分钟学会包饺子", 1205},
          {"博物馆夜场一票难求", 998},
          {"手工复刻古代机关鸟", 871}}},
    };
    return boards;
}

std::string json_string(const char* utf8) { return std::string("\"") + utf8 + "\""; }

// Each board's answer shaped as its site shapes it.
std::string board_body(const std::string& key) {
    const std::vector<Title>& titles = boards_now().at(key);
    std::string list;
    for (const Title& t : titles) {
        if (!list.empty()) list += ",";
        const std::string heat = std::to_string(t.heat);
        if (key == "baidu") list += "{\"word\":" + json_string(t.text) + ",\"hotScore\":\"" + heat + "\"}";
        if (key == "weibo") list += "{\"word\":" + json_string(t.text) + ",\"num\":" + heat + "}";
        if (key == "douyin") list += "{\"word\":" + json_string(t.text) + ",\"hot_value\":" + heat + "}";
        if (key == "toutiao") list += "{\"Title\":" + json_string(t.text) + ",\"HotValue\":\"" + heat + "\"}";
        if (key == "bilibili") list += "{\"show_name\":" + json_string(t.text) + ",\"heat_score\":" + heat + "}";
    }
    if (key == "baidu") {
        return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><div id=\"sanRoot\"><!--s-data:"
               "{\"data\":{\"cards\":[{\"component\":\"hotList\",\"content\":[" +
               list + "]}]}}--></div></body></html>";
    }
    if (key == "weibo") return "{\"data\":{\"realtime\":[" + list + "]}}";
    if (key == "douyin") return "{\"word_list\":[" + list + "]}";
    if (key == "toutiao") return "{\"data\":[" + list + "]}";
    return "{\"list\":[" + list + "]}";
}

Script answer(const ReceivedRequest& request) {
    static const std::map<std::string, std::string> board_of_host = {{"top.baidu.com", "baidu"},
                                                                     {"weibo.com", "weibo"},
                                                                     {"www.iesdouyin.com", "douyin"},
                                                                     {"www.toutiao.com", "toutiao"},
                                                                     {"s.search.bilibili.com", "bilibili"}};
    const std::string host = request.header("Host");
    if (host == "api.zhihu.com" || host == "www.zhihu.com") {
        return {send(response("401 Unauthorized", R"({"error":{"code":101,"message":"身份未经过验证"}})",
                              "Content-Type: application/json\r\n"))};
    }
    const auto board = board_of_host.find(host);
    // Baidu's retired page and Douyin's login pages are gone. (One connection at a time:
    // the boards are asked at once, but answered one after another.)
    if (board == board_of_host.end() || request.target == "/buzz?b=1") {
        return {send(response("404 Not Found", "gone"))};
    }
    const bool page = board->second == "baidu";
    return {send(response("200 OK", board_body(board->second),
                          page ? "Content-Type: text/html; charset=utf-8\r\n" : "Content-Type: application/json\r\n"))};
}

// An earlier fetch of the board: the titles it then showed, in its order then.
std::vector<BoardEntry> earlier(const std::vector<Title>& now, const std::vector<size_t>& order) {
    std::vector<BoardEntry> entries;
    for (size_t i : order) {
        if (i >= now.size()) continue;
        const Text title = from_utf8(now[i].text);
        entries.push_back({topic_key(title), title, static_cast<int>(entries.size() + 1), {}});
    }
    return entries;
}

int run(const std::filesystem::path& folder) {
    const auto now = system_clock::now();
    {
        History history = History::open(folder, [] { return system_clock::now(); });
        for (const auto& [key, titles] : boards_now()) {
            history.record_fetch(key, now - std::chrono::hours(3), earlier(titles, {2, 0, 4, 3, 6}));
            history.record_fetch(key, now - std::chrono::minutes(35), earlier(titles, {1, 0, 3, 2, 4, 6, 5}));
        }
    }
    const Text problem =
        store_topics(folder, "zhihu", {from_utf8("如何看待年轻人的新爱好？"), from_utf8("冬天最治愈的瞬间")},
                     now - std::chrono::hours(3));
    if (!problem.empty()) std::cerr << problem << "\n";

    TempFolder certificate_folder;
    const TlsFiles tls = make_self_signed_certificate(certificate_folder.path().string());
    ScriptedServer plain(answer), secure(answer, &tls);
    std::cout << plain.port() << " " << secure.port() << std::endl;
    for (std::string line; std::getline(std::cin, line);) {}
    return 0;
}

}  // namespace
}  // namespace qinghe

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: hot_board_server SETTINGS_FOLDER\n", stderr);
        return 2;
    }
    return qinghe::run(argv[1]);
}
