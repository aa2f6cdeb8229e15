#pragma once
// What one check uses from outside: the clock, the registry, the network and the names that end
// the offer lines. Injected so that tests fix the time, the registry folder and the server.

#include <string>

#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/HttpTransport.h"
#include "platform/Registry.h"

namespace vellumor::updater {

// Where an offer says the new version was found: the maker's web host and the portal's domain.
struct OfferHosts {
  std::string makerHostName;
  std::string portalDomainName;
};

struct CheckServices {
  const platform::Clock& clock;
  platform::Registry& registry;
  platform::HttpTransport& transport;
  platform::ConnectionStateQuery connectionState;
  OfferHosts hosts;
};

}  // namespace vellumor::updater
