#pragma once
// Volumes that a test mounts for itself, where the machine lets it: an exFAT
// volume on a loop device (as a USB stick is formatted), and a FUSE volume of
// the tests' own. Each is unmounted and its loop device freed when it goes.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

class MountedVolume {
public:
    MountedVolume(const MountedVolume&) = delete;
    MountedVolume& operator=(const MountedVolume&) = delete;
    ~MountedVolume() {
        if (!unmounted_) Shell("umount " + Quoted(at_.string()) + " || umount -l " + Quoted(at_.string()));
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
        }
        if (!image_.empty()) std::filesystem::remove(image_);
    }

    // Unmounts the volume, as ejecting a USB stick does: false while a
    // process keeps something on it open.
    bool Unmount() {
        std::string output;
        unmounted_ = unmounted_ || Shell("umount " + Quoted(at_.string()), output);
        return unmounted_;
    }

    // An empty exFAT volume mounted at `at` through exfat-fuse (none with
    // the reason in `whyNot` where that cannot be done here).
    static std::unique_ptr<MountedVolume> Exfat(const std::filesystem::path& at, std::string& whyNot) {
        if (::geteuid() != 0) return Refused("mounting a loop device needs root", whyNot);
        std::string output;
        if (!Shell("command -v mkfs.exfat && command -v mount.exfat-fuse && command -v losetup", output))
            return Refused("mkfs.exfat, mount.exfat-fuse or losetup is missing (Debian's exfatprogs and exfat-fuse)", whyNot);
        std::unique_ptr<MountedVolume> volume(new MountedVolume(at));
        volume->image_ = at.string() + ".img";
        if (!Shell("truncate -s 64M " + Quoted(volume->image_) + " && mkfs.exfat " + Quoted(volume->image_), output))
            return Refused("cannot make an exFAT image: " + output, whyNot);
        if (!Shell("losetup -f --show " + Quoted(volume->image_), output))
            return Refused("no loop device to be had: " + output, whyNot);
        const std::string loop = output.substr(0, output.find('\n'));
        std::filesystem::create_directories(at);
        const bool mounted = Shell("mount.exfat-fuse " + Quoted(loop) + " " + Quoted(at.string()), output);
        // Freed now, the loop device goes by itself once the volume is
        // unmounted, also after a test that was killed.
        std::string detached;
        Shell("losetup -d " + Quoted(loop), detached);
        if (!mounted) return Refused("cannot mount exFAT through FUSE: " + output, whyNot);
        return volume;
    }

    // The tests' own FUSE file system `program`, showing the folder
    // `backing` at `at`. It serves as a child of the test's, which ends with
    // the test however the test ends, and the volume is unmounted then.
    static std::unique_ptr<MountedVolume> Fuse(const std::string& program, const std::filesystem::path& backing,
                                               const std::filesystem::path& at, std::string& whyNot) {
        if (program.empty() || !std::filesystem::exists(program))
            return Refused("the tests' FUSE file system was not built (Debian's libfuse3-dev)", whyNot);
        if (::access("/dev/fuse", R_OK | W_OK) != 0) return Refused("no /dev/fuse to be used here", whyNot);
        std::unique_ptr<MountedVolume> volume(new MountedVolume(at));
        std::filesystem::create_directories(backing);
        std::filesystem::create_directories(at);
        const std::string log = at.string() + ".log";
        const pid_t parent = ::getpid();
        volume->server_ = ::fork();
        if (volume->server_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent) ::_exit(1);
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execl(program.c_str(), program.c_str(), backing.c_str(), at.c_str(), "-f", "-o", "auto_unmount",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int waited = 0; waited < 500 && !Mounted(at); ++waited) {
            if (::waitpid(volume->server_, nullptr, WNOHANG) == volume->server_) {
                volume->server_ = 0;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!Mounted(at)) {
            std::string output;
            Shell("cat " + Quoted(log), output);
            return Refused("cannot mount the tests' FUSE file system: " + output, whyNot);
        }
        return volume;
    }

private:
    explicit MountedVolume(std::filesystem::path at) : at_(std::move(at)) {}

    static std::unique_ptr<MountedVolume> Refused(const std::string& why, std::string& whyNot) {
        whyNot = why;
        return nullptr;
    }
    static std::string Quoted(const std::string& text) {
        std::string quoted = "'";
        for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }
    // Whether a volume is mounted at the folder: it lies on another device than its parent.
    static bool Mounted(const std::filesystem::path& at) {
        struct stat folder, parent;
        return ::stat(at.c_str(), &folder) == 0 && ::stat(at.parent_path().c_str(), &parent) == 0 &&
               folder.st_dev != parent.st_dev;
    }
    // Runs the command; its output, standard error with it, goes to `output`.
    static bool Shell(const std::string& command, std::string& output) {
        output.clear();
        FILE* pipe = ::popen(("{ " + command + "; } 2>&1").c_str(), "r");
        if (!pipe) return false;
        char buffer[512];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
        return ::pclose(pipe) == 0;
    }
    static void Shell(const std::string& command) {
        std::string ignored;
        Shell(command, ignored);
    }

    std::filesystem::path at_;
    std::string image_;
    pid_t server_ = 0;  // the FUSE file system's process, when it is a child of the test's
    bool unmounted_ = false;
};
