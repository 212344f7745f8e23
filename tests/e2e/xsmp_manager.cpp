// A small X session manager for the end-to-end tests, on a local socket only.
//   xsmp_manager     prints "SESSION_MANAGER=<address>", then one line per event;
//                    a line "end" on stdin asks every client to save before the session
//                    ends (shutdown, any interaction), as a log-out does
// Events: "registered", "interact", "cancelled" (a client called the end off; the manager
// tells every client ShutdownCancelled), "die" (no client objected), "closed".
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int _IceTransNoListen(const char* protocol);

namespace {

struct Client {
  SmsConn sms = nullptr;
  IceConn ice = nullptr;
  bool open = true;
};

std::vector<Client*> clients;
std::vector<IceConn> connections;  // accepted, whether or not a client has set up on it
bool cancelled = false;
int saves_pending = 0;

void Event(const char* what) {
  std::printf("%s\n", what);
  std::fflush(stdout);
}

void Close(IceConn ice) {
  for (Client* client : clients) {
    if (client->ice == ice) client->open = false;
  }
  std::erase(connections, ice);
  IceSetShutdownNegotiation(ice, False);
  IceCloseConnection(ice);
  Event("closed");
}

void SaveYourselfDone(SmsConn, SmPointer, Bool) {
  if (--saves_pending > 0) return;
  Event(cancelled ? "cancelled" : "die");
  for (Client* client : clients) {
    if (client->open) cancelled ? SmsShutdownCancelled(client->sms) : SmsDie(client->sms);
  }
}

// What a client asks for; properties are taken and dropped.
Status NewClient(SmsConn sms, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
  auto* client = new Client{sms, SmsGetIceConnection(sms)};
  clients.push_back(client);
  *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
          SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
          SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
          SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
  callbacks->register_client = {[](SmsConn sms, SmPointer, char* previous_id) -> Status {
                                  std::free(previous_id);
                                  char* id = SmsGenerateClientID(sms);
                                  if (id == nullptr) return 0;
                                  SmsRegisterClientReply(sms, id);
                                  std::free(id);
                                  Event("registered");
                                  return 1;
                                },
                                client};
  callbacks->interact_request = {[](SmsConn sms, SmPointer, int) {
                                   Event("interact");
                                   SmsInteract(sms);
                                 },
                                 client};
  callbacks->interact_done = {[](SmsConn, SmPointer, Bool cancel) { cancelled |= cancel != 0; },
                              client};
  callbacks->save_yourself_request = {[](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {},
                                      client};
  callbacks->save_yourself_phase2_request = {
      [](SmsConn sms, SmPointer) { SmsSaveYourselfPhase2(sms); }, client};
  callbacks->save_yourself_done = {SaveYourselfDone, client};
  callbacks->close_connection = {[](SmsConn sms, SmPointer data, int count, char** reasons) {
                                   SmFreeReasons(count, reasons);
                                   SmsCleanUp(sms);
                                   Close(static_cast<Client*>(data)->ice);
                                 },
                                 client};
  callbacks->set_properties = {[](SmsConn, SmPointer, int count, SmProp** properties) {
                                 for (int i = 0; i < count; ++i) SmFreeProperty(properties[i]);
                                 std::free(properties);
                               },
                               client};
  callbacks->delete_properties = {[](SmsConn, SmPointer, int count, char** names) {
                                    for (int i = 0; i < count; ++i) std::free(names[i]);
                                    std::free(names);
                                  },
                                  client};
  callbacks->get_properties = {[](SmsConn sms, SmPointer) { SmsReturnProperties(sms, 0, nullptr); },
                               client};
  return 1;
}

// The socket's file goes with the manager, however the test ends it.
char socket_file[256] = "";
void RemoveSocketAndExit(int) {
  if (socket_file[0] != '\0') ::unlink(socket_file);
  ::_exit(0);
}

// Only local clients reach the socket, and the test's own client has no ICE cookie.
Bool AnyLocalHost(char*) { return True; }

void AskToEnd() {
  cancelled = false;
  saves_pending = 0;
  for (Client* client : clients) {
    if (!client->open) continue;
    ++saves_pending;
    SmsSaveYourself(client->sms, SmSaveBoth, True, SmInteractStyleAny, False);
  }
  if (saves_pending == 0) Event("no clients");
}

}  // namespace

int main() {
  char error[256] = "";
  if (!SmsInitialize("orvessa-test", "1", NewClient, nullptr, AnyLocalHost, sizeof error, error)) {
    std::fprintf(stderr, "SmsInitialize: %s\n", error);
    return 1;
  }
  for (const char* protocol : {"tcp", "inet", "inet6"}) _IceTransNoListen(protocol);
  int count = 0;
  IceListenObj* listeners = nullptr;
  if (!IceListenForConnections(&count, &listeners, sizeof error, error) || count == 0) {
    std::fprintf(stderr, "IceListenForConnections: %s\n", error);
    return 1;
  }
  for (int i = 0; i < count; ++i) IceSetHostBasedAuthProc(listeners[i], AnyLocalHost);
  char* address = IceComposeNetworkIdList(count, listeners);
  if (const char* file = std::strstr(address, ":/tmp/")) {
    std::snprintf(socket_file, sizeof socket_file, "%.*s",
                  static_cast<int>(std::strcspn(file + 1, ",")), file + 1);
  }
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) std::signal(signal, RemoveSocketAndExit);
  std::printf("SESSION_MANAGER=%s\n", address);
  std::fflush(stdout);
  std::free(address);

  std::string input;
  for (;;) {
    std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
    for (int i = 0; i < count; ++i)
      fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
    const std::vector<IceConn> watched = connections;
    for (IceConn ice : watched) fds.push_back({IceConnectionNumber(ice), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) continue;
    if (fds[0].revents & (POLLIN | POLLHUP)) {
      char buffer[64];
      const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (got <= 0) RemoveSocketAndExit(0);
      input.append(buffer, static_cast<std::size_t>(got));
      for (std::size_t end; (end = input.find('\n')) != std::string::npos;
           input.erase(0, end + 1)) {
        if (input.compare(0, end, "end") == 0) AskToEnd();
      }
    }
    for (int i = 0; i < count; ++i) {
      if (!(fds[1 + static_cast<std::size_t>(i)].revents & POLLIN)) continue;
      IceAcceptStatus accepted;
      IceConn ice = IceAcceptConnection(listeners[i], &accepted);
      if (ice == nullptr) continue;
      IceConnectStatus status;
      while ((status = IceConnectionStatus(ice)) == IceConnectPending) {
        if (IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError) break;
      }
      if (status == IceConnectAccepted) {
        connections.push_back(ice);
      } else {
        IceCloseConnection(ice);
      }
    }
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (!(fds[1 + static_cast<std::size_t>(count) + i].revents & (POLLIN | POLLHUP))) continue;
      if (IceProcessMessages(watched[i], nullptr, nullptr) == IceProcessMessagesIOError &&
          std::find(connections.begin(), connections.end(), watched[i]) != connections.end()) {
        Close(watched[i]);
      }
    }
  }
  return 0;
}
