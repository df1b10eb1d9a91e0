// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartupReport.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

void ReportLine(const std::string& line) {
    const char* file = std::getenv(kReportEnvironmentVariable);
    if (file == nullptr || file[0] == '\0') {
        return;
    }
    const int fd = ::open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        return;
    }
    const std::string text = line + "\n";
    // One write, so that lines of two processes never interleave.
    [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
    ::close(fd);
}

long MillisecondsSinceProcessStart() {
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and parentheses: the fields start after the last ")".
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    // Fields 3 to 21, then field 22: the start time in clock ticks after boot.
    for (int i = 3; i <= 21 && fields >> field; ++i) {
    }
    unsigned long long startTicks = 0;
    if (!(fields >> startTicks)) {
        return -1;
    }
    timespec now{};
    if (::clock_gettime(CLOCK_BOOTTIME, &now) != 0) {
        return -1;
    }
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (ticksPerSecond <= 0) {
        return -1;
    }
    const long long startMs = static_cast<long long>(startTicks) * 1000 / ticksPerSecond;
    const long long nowMs = static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return static_cast<long>(nowMs - startMs);
}
