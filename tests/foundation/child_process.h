// Runs this test program again as a child process with extra environment
// variables, so that a test sees a real load and unload of the library.
// The child's role is named by KAVRI_FOUNDATION_CHILD; a static initialiser
// of the test program (child_process.cpp) runs it and exits with its result.
#pragma once

#include <string>
#include <utility>
#include <vector>

using Child_Environment = std::vector<std::pair<std::string, std::string>>;

// Exit status of the child (128 + the signal when a signal ended it), or
// -1 when it could not be run.
int run_child(const std::string& role, const Child_Environment& environment);

// Roles register a function returning the child's exit status. Roles are
// registered before the dispatcher runs (both have fixed priorities).
using Child_Role = int (*)();
struct Child_Role_Registration {
    Child_Role_Registration(const char* name, Child_Role role);
};
#define KAVRI_CHILD_ROLE(variable, name, function)                                                 \
    __attribute__((init_priority(2000))) const Child_Role_Registration variable(name, function)
