#pragma once
// What a user can do to ZANVO, as RapidCheck commands: each draws its own choices (which button,
// how the dialogs it opens are answered) when it is generated, so that a failing session shrinks
// to the shortest list of actions that still breaks a promise, printed with show().

#include <rapidcheck.h>
#include <rapidcheck/state.h>

#include <deque>
#include <ostream>

#include "simulated_pc.h"

namespace zanvo::testing::walk {

// What the commands need to know to draw valid choices.
struct UserModel {
  int modes = 1;  // desktop modes the card's driver offers
};

using UserAction = rc::state::Command<UserModel, SimulatedPc>;

// Up to three moves for the dialogs an action may open, mostly plain answers; drawn inside the
// generation of a command.
std::deque<Move> DrawMoves(const UserModel& model);
void ShowMoves(std::ostream& os, const std::deque<Move>& moves);

// Fails the property with the first broken promise.
void Verify(const SimulatedPc& pc);

// The generator of one action out of all of them.
rc::Gen<std::shared_ptr<const UserAction>> GenUserAction(const UserModel& model);

}  // namespace zanvo::testing::walk
