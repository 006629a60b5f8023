#include "engine/engine_state.h"

namespace zanvo::engine {

EngineState Eng;

}  // namespace zanvo::engine
