#pragma once

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

/** A program for a child process, with this process's environment but for HOME and DISPLAY, which are as the
    settings given say (DISPLAY unset unless they name one). All execve takes is made before the fork: the
    child of a process with other threads may not allocate. */
class ChildProgram
{
public:
    ChildProgram (std::vector<std::string> commandLine, std::vector<std::string> settings)
        : arguments (std::move (commandLine))
        , environment (std::move (settings))
    {
        for (char** variable = environ; *variable != nullptr; ++variable)
            if (std::strncmp (*variable, "HOME=", 5) != 0 && std::strncmp (*variable, "DISPLAY=", 8) != 0)
                environment.emplace_back (*variable);
        for (const auto& [strings, pointers] : {std::pair{&arguments, &argv}, {&environment, &envp}})
        {
            for (auto& string : *strings)
                pointers->push_back (string.data());
            pointers->push_back (nullptr);
        }
    }

    ChildProgram (const ChildProgram&) = delete;
    ChildProgram& operator= (const ChildProgram&) = delete;

    /** In the forked child: standard output and error into the log, then the program. */
    [[noreturn]] void exec (const char* log) const
    {
        const int fd = ::open (log, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2 (fd, 1);
        ::dup2 (fd, 2);
        ::execve (argv[0], argv.data(), envp.data());
        ::_exit (127);
    }

    /** Runs it to its end: its exit code. */
    int run (const char* log) const
    {
        const pid_t child = ::fork();
        if (child == 0)
            exec (log);
        int status = 0;
        ::waitpid (child, &status, 0);
        return exitCode (status);
    }

    /** A status waitpid gave as an exit code: 128 and the signal's number when one ended the process. */
    static int exitCode (int status)
    {
        return WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
    }

private:
    std::vector<std::string> arguments, environment;
    std::vector<char*> argv, envp;
};
