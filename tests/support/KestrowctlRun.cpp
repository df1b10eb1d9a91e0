// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/KestrowctlRun.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

CtlRun RunWithLocale(const std::vector<std::string>& args, const std::filesystem::path& home,
                     const std::string& stdoutFile, const std::vector<std::string>& locale) {
    CtlRun run;
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        return run;
    }
    std::vector<std::string> environment = {
        "HOME=" + home.string(),
        "XDG_CONFIG_HOME=" + (home / "config").string(),
        "XDG_DATA_HOME=" + (home / "data").string(),
        "XDG_STATE_HOME=" + (home / "state").string(),
        "XDG_RUNTIME_DIR=" + home.string(),
        "PATH=/usr/bin:/bin",
    };
    environment.insert(environment.end(), locale.begin(), locale.end());
    const pid_t pid = fork();
    if (pid == 0) {
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, 0);
        dup2(stdoutFile.empty() ? outPipe[1] : open(stdoutFile.c_str(), O_WRONLY), 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        std::vector<char*> argv;
        std::string program = KESTROWCTL_PATH;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (std::string& arg : copies) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> envCopies = environment;
        std::vector<char*> envp;
        for (std::string& entry : envCopies) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, 60000) <= 0) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    return run;
}

} // namespace

CtlRun RunKestrowctl(const std::vector<std::string>& args, const std::filesystem::path& home,
                     const std::string& stdoutFile) {
    return RunWithLocale(args, home, stdoutFile, {"LANG=en_US.UTF-8"});
}

CtlRun RunKestrowctlInLocale(const std::vector<std::string>& args,
                             const std::filesystem::path& home,
                             const std::vector<std::string>& locale) {
    return RunWithLocale(args, home, {}, locale);
}

CtlRun RunKestrowctlWith(const std::vector<std::string>& args, const std::filesystem::path& home,
                         const std::vector<std::string>& environment) {
    std::vector<std::string> entries = {"LANG=en_US.UTF-8"};
    entries.insert(entries.end(), environment.begin(), environment.end());
    return RunWithLocale(args, home, {}, entries);
}

std::vector<TracedFrame> TracedFrames(const std::string& err) {
    std::vector<TracedFrame> frames;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() != 130 || (line[0] != '>' && line[0] != '<') || line[1] != ' ') {
            continue;
        }
        TracedFrame frame{line[0], {}};
        for (size_t i = 2; i < line.size(); i += 2) {
            frame.bytes.push_back(
                static_cast<unsigned char>(std::stoi(line.substr(i, 2), nullptr, 16)));
        }
        frames.push_back(frame);
    }
    return frames;
}

std::vector<TracedRequest> TracedRequests(const std::string& err) {
    std::vector<TracedRequest> requests;
    for (const TracedFrame& f : TracedFrames(err)) {
        if (f.direction == '>') {
            requests.push_back({f.bytes[3], f.bytes[4], f.bytes[5] | f.bytes[6] << 8, f.bytes[8]});
        }
    }
    return requests;
}
