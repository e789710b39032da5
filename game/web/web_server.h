// The page's server: HTTP on the loopback address only, on a port the
// system picks. Every API request must carry the token that is in the URL
// printed and opened, and every request must name this address and port
// as its Host, so that neither another user's program nor a web page
// elsewhere can play or read the game.
#pragma once

#include <memory>
#include <string>

class WebGame;

class WebServer {
 public:
  // pageFolder holds the page's files; token is the secret of this run.
  WebServer(WebGame& game, std::string pageFolder, std::string token);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds 127.0.0.1 on a free port and serves from a thread of its own.
  bool Start(std::string& why);
  void Stop();

  int Port() const;
  // http://127.0.0.1:PORT/?token=TOKEN
  std::string Url() const;

  // A page has made an API request since the start.
  bool PageOpened() const;
  // A page asked something in the last seconds, or waits for news now
  // (counting from the start when none has come yet).
  bool PageSeen(double seconds) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// 128 random bits as 32 hexadecimal digits.
std::string MakeToken();
