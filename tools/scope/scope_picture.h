#pragma once
// zanvo-scope --png: the set's screen on the left, one field of the signal to scale on the right
// with the set's visible window outlined, the line and field rates under it.

#include <string>

#include "platform/virtual/tv/tv_set.h"
#include "scope_options.h"
#include "scope_session.h"

namespace zanvo::scope {

// The set that receives a standard: a TV or arcade monitor, or the VGA monitor.
virt::Receiver ReceiverFor(uint8_t standard);

// Writes the picture as PNG; returns what went wrong, or an empty text.
std::string WriteScopePicture(const ScopeOptions& options, const ScopeReport& report,
                              const std::string& path);

}  // namespace zanvo::scope
