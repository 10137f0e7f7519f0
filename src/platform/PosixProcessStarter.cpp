#include "platform/PosixProcessStarter.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quill {

namespace {

// The environment of this process with the given variables put in or replaced.
std::vector<std::string> ChildEnvironment(const ProcessStarter::Environment& added)
{
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& variable : added)
            replaced |= variable.first == name;
        if (!replaced)
            entries.push_back(text);
    }
    for (const auto& [name, value] : added)
        entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

bool PosixProcessStarter::StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                                        const Environment& environment)
{
    // Everything the child needs is made before the fork: after it only plain system calls are safe.
    std::vector<std::string> argumentStrings{program};
    argumentStrings.insert(argumentStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentStrings = ChildEnvironment(environment);
    std::vector<char*> argv = Pointers(argumentStrings);
    std::vector<char*> envp = Pointers(environmentStrings);
    const bool searchPath = program.find('/') == std::string::npos;
    // The program reports a failed exec through this pipe; a successful one closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // A child that starts the program and ends at once: the program's parent is then init.
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            if (searchPath)
                ::execvpe(argv[0], argv.data(), envp.data());
            else
                ::execve(argv[0], argv.data(), envp.data());
            const int error = errno;
            [[maybe_unused]] const ssize_t written = ::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do
        got = ::read(report[0], &error, sizeof error);
    while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

}  // namespace quill
