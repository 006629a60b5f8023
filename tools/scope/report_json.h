#pragma once

#include <nlohmann/json.hpp>

#include "scope_session.h"

namespace zanvo::scope {

nlohmann::json SignalToJson(const virt::Signal& signal);
nlohmann::json ReportToJson(const ScopeOptions& options, const ScopeReport& report);

}  // namespace zanvo::scope
