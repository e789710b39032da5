#include "web_server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>

#include "web_game.h"

using nlohmann::json;

namespace {

using Clock = std::chrono::steady_clock;

// A long poll returns at the latest after this, so a page that went away
// without a word is noticed soon after.
constexpr double kPollSeconds = 20.0;

bool SameSecret(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

void Answer(httplib::Response& res, const json& body, int status = 200) {
  res.status = status;
  res.set_content(body.dump(), "application/json");
}

void Deny(httplib::Response& res, int status, const std::string& reason) {
  Answer(res, json{{"ok", false}, {"reason", reason}}, status);
}

}  // namespace

std::string MakeToken() {
  std::random_device rd;
  std::string token;
  for (int i = 0; i < 4; ++i) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(rd()));
    token += part;
  }
  return token;
}

struct WebServer::Impl {
  WebGame& game;
  std::string pageFolder;
  std::string token;
  httplib::Server server;
  std::thread thread;
  int port = 0;

  mutable std::mutex mu;
  Clock::time_point lastSeen = Clock::now();  // the wait for a page starts now
  bool opened = false;                        // a page has asked something
  int waiting = 0;                            // long polls in progress

  Impl(WebGame& g, std::string folder, std::string t)
      : game(g), pageFolder(std::move(folder)), token(std::move(t)) {}

  void Seen() {
    std::lock_guard<std::mutex> lk(mu);
    lastSeen = Clock::now();
    opened = true;
  }

  bool HostAllowed(const httplib::Request& req) const {
    const std::string host = req.get_header_value("Host");
    const std::string p = ":" + std::to_string(port);
    return host == "127.0.0.1" + p || host == "localhost" + p;
  }

  bool OriginAllowed(const httplib::Request& req) const {
    if (!req.has_header("Origin")) return true;
    const std::string origin = req.get_header_value("Origin");
    const std::string p = ":" + std::to_string(port);
    return origin == "http://127.0.0.1" + p || origin == "http://localhost" + p;
  }

  bool TokenGiven(const httplib::Request& req) const {
    std::string given = req.has_header("X-Mirq-Token") ? req.get_header_value("X-Mirq-Token")
                                                       : req.get_param_value("token");
    return SameSecret(given, token);
  }

  // The body of a POST as JSON; an empty body is an empty object.
  static bool Body(const httplib::Request& req, httplib::Response& res, json& out) {
    if (req.body.empty()) {
      out = json::object();
      return true;
    }
    out = json::parse(req.body, nullptr, false);
    if (out.is_discarded() || !out.is_object()) {
      Deny(res, 400, "The request body is not a JSON object.");
      return false;
    }
    return true;
  }

  void Routes() {
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      if (!HostAllowed(req)) {
        Deny(res, 403, "This server answers only to 127.0.0.1:" + std::to_string(port) + ".");
        return httplib::Server::HandlerResponse::Handled;
      }
      if (req.path.rfind("/api/", 0) == 0) {
        if (!OriginAllowed(req) || !TokenGiven(req)) {
          Deny(res, 403, "Wrong or missing token: open the address mirq-web printed.");
          return httplib::Server::HandlerResponse::Handled;
        }
        Seen();
      }
      return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_post_routing_handler([](const httplib::Request&, httplib::Response& res) {
      res.set_header("Cache-Control", "no-store");
      res.set_header("X-Content-Type-Options", "nosniff");
      res.set_header("X-Frame-Options", "DENY");
      res.set_header("Referrer-Policy", "no-referrer");
      res.set_header(
          "Content-Security-Policy",
          "default-src 'self'; img-src 'self' data:; object-src 'none'; frame-ancestors 'none'");
    });
    server.set_mount_point("/", pageFolder);

    server.Get("/api/state", [this](const httplib::Request& req, httplib::Response& res) {
      long since = -1;
      double wait = 0;
      if (req.has_param("since")) since = std::atol(req.get_param_value("since").c_str());
      if (req.has_param("wait")) wait = std::atof(req.get_param_value("wait").c_str());
      wait = std::max(0.0, std::min(wait, kPollSeconds));
      {
        std::lock_guard<std::mutex> lk(mu);
        ++waiting;
      }
      json state = game.State(since, wait);
      {
        std::lock_guard<std::mutex> lk(mu);
        --waiting;
        lastSeen = Clock::now();
      }
      Answer(res, state);
    });
    auto post = [this](const char* path, std::function<json(const json&)> act) {
      server.Post(path, [act](const httplib::Request& req, httplib::Response& res) {
        json body;
        if (!Body(req, res, body)) return;
        Answer(res, act(body));
      });
    };
    post("/api/move", [this](const json& b) {
      if (!b.contains("move") || !b["move"].is_string())
        return json{{"ok", false}, {"reason", "Name the move, like 7g7f or 7776."}};
      return game.Play(b["move"].get<std::string>());
    });
    post("/api/buy", [this](const json& b) {
      const json& pay = b.value("pay", json());
      if (!b.contains("kind") || !b["kind"].is_number_integer() || !pay.is_array() ||
          pay.size() != 3)
        return json{{"ok", false}, {"reason", "A purchase names a kind 1..7 and three payments."}};
      int p[3];
      for (int i = 0; i < 3; ++i) {
        if (!pay[i].is_number_integer())
          return json{{"ok", false}, {"reason", "Each payment is one digit 0..9."}};
        p[i] = pay[i].get<int>();
      }
      return game.Buy(b["kind"].get<int>(), p);
    });
    post("/api/hint", [this](const json&) { return game.Hint(); });
    post("/api/resign", [this](const json&) { return game.Resign(); });
    post("/api/new", [this](const json&) { return game.NewGame(); });
    post("/api/quit", [this](const json&) { return game.Quit(); });
    // The page is going away (closed or reloaded): waiting polls return
    // now, so that a closed page is noticed within seconds.
    post("/api/bye", [this](const json&) {
      game.WakeWaiters();
      return json{{"ok", true}};
    });
  }
};

WebServer::WebServer(WebGame& game, std::string pageFolder, std::string token)
    : impl_(std::make_unique<Impl>(game, std::move(pageFolder), std::move(token))) {}

WebServer::~WebServer() {
  Stop();
}

bool WebServer::Start(std::string& why) {
  Impl& s = *impl_;
  // Room for several pages at once, each holding a long poll and a
  // browser's handful of kept-alive connections.
  s.server.new_task_queue = [] { return new httplib::ThreadPool(16); };
  s.server.set_payload_max_length(64 * 1024);
  s.Routes();
  s.port = s.server.bind_to_any_port("127.0.0.1");
  if (s.port <= 0) {
    why = "cannot listen on 127.0.0.1";
    return false;
  }
  s.thread = std::thread([&s] { s.server.listen_after_bind(); });
  return true;
}

void WebServer::Stop() {
  Impl& s = *impl_;
  if (!s.thread.joinable()) return;
  s.game.WakeWaiters();
  s.server.stop();
  s.thread.join();
}

int WebServer::Port() const {
  return impl_->port;
}

std::string WebServer::Url() const {
  return "http://127.0.0.1:" + std::to_string(impl_->port) + "/?token=" + impl_->token;
}

bool WebServer::PageOpened() const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->opened;
}

bool WebServer::PageSeen(double seconds) const {
  std::lock_guard<std::mutex> lk(impl_->mu);
  return impl_->waiting > 0 ||
         std::chrono::duration<double>(Clock::now() - impl_->lastSeen).count() < seconds;
}
