#include "child_process.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

std::map<std::string, Child_Role>& roles() {
    static std::map<std::string, Child_Role> table;
    return table;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

Child_Role_Registration::Child_Role_Registration(const char* name, Child_Role role) {
    roles()[name] = role;
}

int run_child(const std::string& role, const Child_Environment& environment) {
    // No core file from a child that is meant to stop on a trap.
    std::string command =
        "ulimit -c 0; env -u KAVRI_ERROR_LOG KAVRI_FOUNDATION_CHILD=" + quoted(role);
    for (const auto& [name, value] : environment)
        command += " " + name + "=" + quoted(value);
    command += " " + quoted(std::filesystem::read_symlink("/proc/self/exe").string());
    command += " --gtest_list_tests >/dev/null";
    const int status = std::system(command.c_str());
    if (status == -1) return -1;
    // A child ended by a signal reports 128 + the signal, as a shell would.
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

// Runs after every role is registered, and after the library has loaded:
// a shared library is initialised before the program that uses it.
struct Child_Dispatch {
    Child_Dispatch() {
        const char* role = std::getenv("KAVRI_FOUNDATION_CHILD");
        if (!role) return;
        auto found = roles().find(role);
        // exit() runs the library's unload like a normal end of the program.
        std::exit(found == roles().end() ? 99 : found->second());
    }
};
__attribute__((init_priority(3000))) Child_Dispatch dispatch;

} // namespace
