#pragma once
// Opening the adapter's registers before a reprogramming. Nothing is ever locked again.

namespace zanvo::engine {

// Clears the CR00-CR07 write protection, then sends the family's unlock keys. Needs CrtcPort.
void UnlockExtRegs();

}  // namespace zanvo::engine
