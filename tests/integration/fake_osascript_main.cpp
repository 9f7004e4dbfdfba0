// Test helper standing in for /usr/bin/osascript. Options before "-e" say what to do:
//   --stdout TEXT --stderr TEXT --status N   print, then exit with N
//   --flood BYTES        write BYTES to standard output and to standard error, interleaved
//   --garbage            print bytes that are not UTF-8
//   --record FILE        write the script (the argument after -e) to FILE
//   --fds                print the open descriptor numbers, one per line
//   --hang               never exit; with --ignore-term, not even on SIGTERM
//   --orphan             leave a grandchild that holds standard output open (its process
//                        number goes to standard error at once), then go on
//   --announce PATH      write the last grandchild's number (or 0) to PATH, a FIFO: blocks
//                        until the test reads it
//   --shrink-parent-fd-limit  lower the parent's open-file limit to 3, so its next poll fails
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0) {
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void printOpenDescriptors() {
    DIR* directory = ::opendir("/proc/self/fd");
    const int own = ::dirfd(directory);
    std::string list;
    while (const dirent* entry = ::readdir(directory)) {
        if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != own) {
            list += std::string(entry->d_name) + "\n";
        }
    }
    ::closedir(directory);
    writeAll(1, list.data(), list.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::string out;
    std::string err;
    int status = 0;
    bool hang = false;
    pid_t grandchild = 0;
    std::string script;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "-e") {
            script = argv[i + 1];
        }
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "-e") {
            ++i;
        } else if (option == "--stdout") {
            out = value;
            ++i;
        } else if (option == "--stderr") {
            err = value;
            ++i;
        } else if (option == "--status") {
            status = std::atoi(value);
            ++i;
        } else if (option == "--flood") {
            const std::string chunk(4096, 'x');
            for (long left = std::atol(value); left > 0; left -= 4096) {
                writeAll(1, chunk.data(), chunk.size());
                writeAll(2, chunk.data(), chunk.size());
            }
            ++i;
        } else if (option == "--garbage") {
            out = "\xff\xfe\xc3";
        } else if (option == "--record") {
            std::ofstream(value, std::ios::binary) << script;
            ++i;
        } else if (option == "--fds") {
            printOpenDescriptors();
        } else if (option == "--hang") {
            hang = true;
        } else if (option == "--ignore-term") {
            ::signal(SIGTERM, SIG_IGN);
        } else if (option == "--orphan") {
            grandchild = ::fork();
            if (grandchild == 0) {
                ::pause();
                return 0;
            }
            const std::string number = std::to_string(grandchild) + "\n";
            writeAll(2, number.data(), number.size());
        } else if (option == "--announce") {
            const int fifo = ::open(value, O_WRONLY | O_CLOEXEC);
            const std::string number = std::to_string(grandchild) + "\n";
            writeAll(fifo, number.data(), number.size());
            ::close(fifo);
            ++i;
        } else if (option == "--shrink-parent-fd-limit") {
            rlimit limit{};
            ::prlimit(::getppid(), RLIMIT_NOFILE, nullptr, &limit);
            limit.rlim_cur = 3;
            ::prlimit(::getppid(), RLIMIT_NOFILE, &limit, nullptr);
        }
    }
    writeAll(1, out.data(), out.size());
    writeAll(2, err.data(), err.size());
    while (hang) {
        ::pause();
    }
    return status;
}
