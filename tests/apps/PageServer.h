#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

namespace plovik::testing {

// A web page with a text area, a line, a password and an editable block, served on the
// loopback interface. The page posts each field's value whenever it changes, so the
// test knows what the browser holds, whatever accessibility reports (and with none).
class PageServer {
  public:
    // The fields, in their tab order; the text area has the focus when the page opens.
    static constexpr const char* kArea = "area";
    static constexpr const char* kLine = "line";
    static constexpr const char* kSecret = "secret";
    static constexpr const char* kBlock = "block";

    PageServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("cannot listen on the loopback interface");
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~PageServer() {
        stopping_ = true;
        thread_.join();
        ::close(listener_);
    }
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

    // What the page last reported for the field; absent before its first report.
    std::optional<std::string> value(const std::string& field) const {
        std::lock_guard lock(mutex_);
        const auto found = values_.find(field);
        return found == values_.end() ? std::nullopt : std::optional(found->second.second);
    }

  private:
    static constexpr const char* kPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Plovik page</title></head><body>
<textarea id="area" rows="6" cols="60" autofocus></textarea><br>
<input id="line" type="text" size="60"><br>
<input id="secret" type="password"><br>
<div id="block" contenteditable="true" style="border:1px solid;min-height:3em"></div>
<script>
let reports = 0;
for (const field of document.querySelectorAll('textarea,input,[contenteditable]')) {
  const report = () => fetch('/field/' + field.id, {method: 'POST',
      body: ++reports + '\n' + (field.isContentEditable ? field.innerText : field.value)});
  field.addEventListener('input', report);
  report();
}
</script></body></html>)";

    void serve() {
        while (!stopping_) {
            pollfd request{listener_, POLLIN, 0};
            if (::poll(&request, 1, 50) <= 0) {
                continue;
            }
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                answer(client);
                ::close(client);
            }
        }
    }

    // One request per connection: enough for a page and its reports.
    void answer(int client) {
        std::string request;
        std::size_t headerEnd = std::string::npos;
        std::size_t wanted = 0;
        char chunk[4096];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            if (headerEnd == std::string::npos &&
                (headerEnd = request.find("\r\n\r\n")) != std::string::npos) {
                wanted = headerEnd + 4 + contentLength(request.substr(0, headerEnd));
            }
            if (headerEnd != std::string::npos && request.size() >= wanted) {
                break;
            }
            pollfd ready{client, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0) {
                continue;
            }
            const ssize_t count = ::read(client, chunk, sizeof chunk);
            if (count <= 0) {
                return;
            }
            request.append(chunk, static_cast<std::size_t>(count));
        }
        if (headerEnd == std::string::npos) {
            return;
        }
        const std::string firstLine = request.substr(0, request.find("\r\n"));
        if (firstLine.starts_with("POST /field/")) {
            record(firstLine.substr(12, firstLine.find(' ', 12) - 12),
                   request.substr(headerEnd + 4));
            reply(client, "text/plain", "");
        } else {
            reply(client, "text/html; charset=utf-8", kPage);
        }
    }

    // Reports travel on connections of their own and may overtake each other: each carries
    // its number, and only a later one counts.
    void record(const std::string& field, const std::string& body) {
        const auto lineEnd = body.find('\n');
        if (lineEnd == std::string::npos) {
            return;
        }
        const unsigned long number = std::stoul(body.substr(0, lineEnd));
        std::lock_guard lock(mutex_);
        auto& latest = values_[field];
        if (number >= latest.first) {
            latest = {number, body.substr(lineEnd + 1)};
        }
    }

    static std::size_t contentLength(const std::string& headers) {
        for (const std::string name : {"Content-Length: ", "content-length: "}) {
            if (const auto at = headers.find(name); at != std::string::npos) {
                return std::stoul(headers.substr(at + name.size()));
            }
        }
        return 0;
    }

    static void reply(int client, const std::string& type, const std::string& body) {
        const std::string response = "HTTP/1.1 200 OK\r\nContent-Type: " + type +
                                     "\r\nContent-Length: " + std::to_string(body.size()) +
                                     "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" +
                                     body;
        std::size_t sent = 0;
        while (sent < response.size()) {
            const ssize_t count = ::write(client, response.data() + sent, response.size() - sent);
            if (count <= 0) {
                return;
            }
            sent += static_cast<std::size_t>(count);
        }
    }

    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, std::pair<unsigned long, std::string>> values_;
    std::thread thread_;
};

}  // namespace plovik::testing
