#include "platform/Display.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <optional>

#include "platform/Environment.h"
#include "platform/posix/OwnedFile.h"

namespace vellumor::platform {
namespace {

std::optional<std::string> Named(const char* variable) {
  std::optional<std::string> value = GetEnvironmentVariable(variable);
  if (value && value->empty()) {
    value.reset();
  }
  return value;
}

// An X display answers when the X client library can connect to it (with the user's
// authorisation, as the windows would). The library is loaded only for this: a program run on a
// server without X needs none of it.
bool XDisplayAnswers(const std::string& display) {
  void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    return false;
  }
  using Connect = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnect = void (*)(void*);
  const auto connect = reinterpret_cast<Connect>(::dlsym(library, "xcb_connect"));
  const auto hasError = reinterpret_cast<HasError>(::dlsym(library, "xcb_connection_has_error"));
  const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(library, "xcb_disconnect"));
  bool answers = false;
  if (connect != nullptr && hasError != nullptr && disconnect != nullptr) {
    // Even a failed connection is an object to be freed.
    void* connection = connect(display.c_str(), nullptr);
    answers = connection != nullptr && hasError(connection) == 0;
    disconnect(connection);
  }
  ::dlclose(library);
  return answers;
}

// A Wayland display is a socket: WAYLAND_DISPLAY itself when it is a path, else that name in
// XDG_RUNTIME_DIR. It answers when it accepts a connection.
bool WaylandDisplayAnswers(const std::string& display) {
  std::string path = display;
  if (!display.starts_with('/')) {
    const std::optional<std::string> runtime = Named("XDG_RUNTIME_DIR");
    if (!runtime) {
      return false;
    }
    path = *runtime + "/" + display;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const OwnedFile socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
  return socket.Valid() && ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

bool DisplayReachable(std::string& why) {
  why.clear();
  const auto unreachable = [&why](std::string_view variable, const std::string& value) {
    why += why.empty() ? "" : " and ";
    why += std::string{variable} + " \"" + value + "\" cannot be reached";
  };
  if (const std::optional<std::string> x = Named("DISPLAY")) {
    if (XDisplayAnswers(*x)) {
      return true;
    }
    unreachable("DISPLAY", *x);
  }
  if (const std::optional<std::string> wayland = Named("WAYLAND_DISPLAY")) {
    if (WaylandDisplayAnswers(*wayland)) {
      why.clear();
      return true;
    }
    unreachable("WAYLAND_DISPLAY", *wayland);
  }
  if (why.empty()) {
    why = "no display is named";
  }
  return false;
}

}  // namespace vellumor::platform
