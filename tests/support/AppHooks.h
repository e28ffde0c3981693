#pragma once
// Every floor's hooks back in their start state (nothing above), for the TearDown of tests that
// installed the program's own.
namespace test {

void ResetFloorHooks();

}  // namespace test
