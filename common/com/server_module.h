#pragma once
// What an in-process server built on this kit is, as data: its creatable classes and its
// registration. Each server defines kServerModule once; its four exported entry points
// (server_exports.cpp, compiled into each server) are written once over it.
#include <span>

#include "com_object.h"
#include "registry.h"

namespace comkit {

struct ServerModule {
  std::span<const ClassEntry> classes;
  const ServerRegistration& registration;
};

extern const ServerModule kServerModule;

}  // namespace comkit
